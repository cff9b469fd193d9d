#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct DrawingTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};

  std::vector<std::string> Paths()
  {
    std::vector<std::string> out;
    for (const std::string& line : g.mLog)
      if (line.rfind("PathTransformSetMatrix", 0) != 0)
        out.push_back(line);
    g.mLog.clear();
    return out;
  }
};

} // namespace

TEST_F(DrawingTest, ShapesClearBuildAndPaintOnce)
{
  g.FillRoundRect(COLOR_RED, IRECT(0, 0, 20, 10), 2.f, 0.f, 0.f, 4.f);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"PathClear", "PathMoveTo 0 2",
                                               "PathArc 2 2 2 270 360", "PathArc 20 0 0 0 90",
                                               "PathArc 16 6 4 90 180", "PathArc 0 10 0 180 270",
                                               "PathClose", "PathFill (255,255,0,0) blend 1"}));

  g.DrawRoundRect(COLOR_BLACK, IRECT(0, 0, 20, 10), 0.f); // no radius: a plain rectangle
  EXPECT_EQ(Paths(), (std::vector<std::string>{"PathClear", "PathMoveTo 0 0", "PathLineTo 20 0",
                                               "PathLineTo 20 10", "PathLineTo 0 10", "PathClose",
                                               "PathStroke (255,0,0,0) 1 blend 1"}));

  g.FillArc(COLOR_BLACK, 5, 5, 3, 0, 90, &BLEND_50);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"PathClear", "PathMoveTo 5 5", "PathArc 5 5 3 0 90",
                                               "PathClose", "PathFill (255,0,0,0) blend 0.5"}));

  g.DrawDottedLine(COLOR_BLACK, 0, 0, 10, 0, nullptr, 2.f, 3.f);
  EXPECT_EQ(Paths().back(), "PathStroke (255,0,0,0) 2 dash 3 blend 1");

  g.FillEllipse(COLOR_BLACK, 10, 10, 0, 5); // a radius of 0 adds nothing
  EXPECT_EQ(Paths(), (std::vector<std::string>{"PathClear", "PathFill (255,0,0,0) blend 1"}));
}

TEST_F(DrawingTest, LinesAcrossAndRadialLines)
{
  g.DrawVerticalLine(COLOR_BLACK, IRECT(0, 0, 15, 10), 0.5f);
  EXPECT_EQ(Paths()[1], "PathMoveTo 7 0");
  g.DrawHorizontalLine(COLOR_BLACK, IRECT(0, 0, 15, 10), 0.f);
  EXPECT_EQ(Paths()[1], "PathMoveTo 0 10"); // 0 is the bottom edge
  g.DrawRadialLine(COLOR_BLACK, 50, 50, 0.f, 10, 20);
  const std::vector<std::string> radial = Paths();
  EXPECT_EQ(radial[1], "PathMoveTo 50 40"); // angle 0 points straight up
  EXPECT_EQ(radial[2], "PathLineTo 50 30");

  const float ys[] = {0.5f};
  const IColor fill = COLOR_RED;
  g.DrawData(COLOR_BLACK, IRECT(0, 0, 10, 10), ys, 1, nullptr, nullptr, 1.f, &fill);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"PathClear", "PathMoveTo 0 5",
                                               "PathFill (255,255,0,0) preserve blend 1",
                                               "PathStroke (255,0,0,0) 1 blend 1"}));
}

TEST_F(DrawingTest, TransformsComposeLastFirst)
{
  g.PathTransformTranslate(10, 0);
  g.PathTransformScale(2, 2);
  double x = 1, y = 1;
  g.CurrentMatrix().TransformPoint(x, y);
  EXPECT_DOUBLE_EQ(x, 12);
  EXPECT_DOUBLE_EQ(y, 2);

  g.PathTransformReset();
  g.PathTransformSave();
  g.PathTransformRotate(90);
  x = 1;
  y = 0;
  g.CurrentMatrix().TransformPoint(x, y);
  EXPECT_NEAR(x, 0, 1e-6);
  EXPECT_NEAR(y, 1, 1e-6);
  g.PathTransformRestore();
  EXPECT_EQ(g.CurrentMatrix(), IMatrix());
  g.PathTransformRestore(); // nothing saved: nothing changes
  EXPECT_EQ(g.CurrentMatrix(), IMatrix());
}

TEST_F(DrawingTest, ClipsAreInUntransformedCoordinatesWithinTheRegion)
{
  g.PrepareRegion(IRECT(0, 0, 100, 100));
  g.PathTransformTranslate(5, 5);
  g.mLog.clear();
  g.PathClipRegion(IRECT(50, 50, 150, 150));
  EXPECT_EQ(g.mLog, (std::vector<std::string>{"PathTransformSetMatrix 1 0 0 1 0 0",
                                              "SetClipRegion 50 50 100 100",
                                              "PathTransformSetMatrix 1 0 0 1 5 5"}));
  g.mLog.clear();
  g.PathClipRegion(IRECT(200, 200, 300, 300)); // outside: everything is clipped
  EXPECT_EQ(g.mLog[1], "SetClipRegion 0 0 0 0");
  g.mLog.clear();
  g.PathClipRegion(); // no rectangle: the whole region again
  EXPECT_EQ(g.mLog[1], "SetClipRegion 0 0 100 100");
}
