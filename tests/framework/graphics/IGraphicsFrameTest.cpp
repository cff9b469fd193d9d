#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct FrameTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};
  IRECTList rects;

  // One tick of the view's redraw timer.
  bool Tick()
  {
    rects.Clear();
    g.mLog.clear();
    if (!g.IsDirty(rects))
      return false;
    g.SetAllControlsClean();
    g.Draw(rects);
    return true;
  }
};

} // namespace

TEST_F(FrameTest, OnlyDirtyControlsAreRedrawn)
{
  g.AttachControl(new TestControl(IRECT(10, 10, 20, 20), -1, "a"));
  auto* pB = g.AttachControl(new TestControl(IRECT(100, 10, 120, 20), -1, "b"));
  g.AttachControl(new TestControl(IRECT(200, 10, 220, 20), -1, "c"));
  EXPECT_TRUE(Tick()); // controls are created dirty: the first frame draws everything
  EXPECT_EQ(Filter(g.mLog, "DrawText").size(), 3u);

  EXPECT_FALSE(Tick());
  EXPECT_EQ(rects.Size(), 0);
  EXPECT_TRUE(g.mLog.empty());

  pB->SetDirty(false);
  EXPECT_TRUE(Tick());
  EXPECT_EQ(Filter(g.mLog, "DrawText"), std::vector<std::string>{"DrawText b 100 10 120 20"});
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"), std::vector<std::string>{"SetClipRegion 99 9 121 21"});
}

TEST_F(FrameTest, DirtyRegionIsPaddedAndPulledIntoTheParent)
{
  auto* pParent = g.AttachControl(new TestControl(IRECT(0, 0, 100, 100), -1, "parent"));
  auto* pChild = g.AttachControl(new TestControl(IRECT(10, 10, 20, 20), -1, "child"));
  g.SetAllControlsClean();
  pChild->SetDirty(false);
  EXPECT_TRUE(g.IsDirty(rects));
  ASSERT_EQ(rects.Size(), 1);
  EXPECT_EQ(rects.Get(0), IRECT(9.25f, 9.25f, 20.75f, 20.75f));

  // A child hanging over its parent's right edge is shifted left, keeping its width.
  pChild->SetTargetAndDrawRECTs(IRECT(90, 10, 110, 20));
  pChild->SetParent(pParent);
  rects.Clear();
  g.IsDirty(rects);
  EXPECT_EQ(rects.Get(0), IRECT(78.25f, 9.25f, 99.75f, 20.75f));

  // Each control is drawn only where it meets the region.
  g.mLog.clear();
  g.SetAllControlsClean();
  g.Draw(rects);
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"),
            (std::vector<std::string>{"SetClipRegion 78 9 100 21", "SetClipRegion 89 9 100 21"}));
}

TEST_F(FrameTest, StrictDrawingMakesOnePassOverTheUnion)
{
  g.AttachControl(new TestControl(IRECT(10, 10, 20, 20), -1, "a"));
  g.AttachControl(new TestControl(IRECT(300, 200, 310, 210), -1, "b"));
  g.SetStrictDrawing(true);
  EXPECT_TRUE(Tick());
  EXPECT_EQ(Filter(g.mLog, "DrawText").size(), 2u);
  // One region: each control is clipped to its own bounds within it.
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"),
            (std::vector<std::string>{"SetClipRegion 9 9 21 21", "SetClipRegion 299 199 311 211"}));

  g.SetStrictDrawing(false);
  EXPECT_TRUE(Tick());
  EXPECT_EQ(Filter(g.mLog, "DrawText").size(), 2u);
}

TEST_F(FrameTest, HiddenControlsAreSkippedExceptTheBackground)
{
  auto* pBackground = g.AttachControl(new TestControl(IRECT(0, 0, 400, 300), -1, "bg"));
  auto* pHidden = g.AttachControl(new TestControl(IRECT(10, 10, 20, 20), -1, "hidden"));
  pBackground->Hide(true);
  pHidden->Hide(true);
  EXPECT_TRUE(Tick());
  EXPECT_EQ(Filter(g.mLog, "DrawText"), std::vector<std::string>{"DrawText bg 0 0 400 300"});
}

// What an opaque control covers in a region is not drawn; a region it does not wholly cover
// (the edge of the box, a hidden box) draws everything.
TEST_F(FrameTest, ControlsBehindAnOpaqueControlAreNotDrawnWhereItCoversTheRegion)
{
  struct OpaqueControl : TestControl
  {
    using TestControl::TestControl;
    bool IsOpaqueOver(const IRECT& r) const override { return mRECT.Contains(r); }
  };
  g.AttachControl(new TestControl(IRECT(0, 0, 400, 300), -1, "bg"));
  auto* pBox = g.AttachControl(new OpaqueControl(IRECT(10, 10, 200, 100), -1, "box"));
  auto* pInside = g.AttachControl(new TestControl(IRECT(50, 50, 60, 60), -1, "inside"));
  auto* pOnEdge = g.AttachControl(new TestControl(IRECT(195, 50, 205, 60), -1, "edge"));
  Tick();
  const std::vector<std::string> all = {"DrawText bg 0 0 400 300", "DrawText box 10 10 200 100",
                                        "DrawText inside 50 50 60 60"};
  for (bool hidden : {false, true})
  {
    pBox->Hide(hidden);
    g.SetAllControlsClean();
    pInside->SetDirty(false);
    Tick();
    const std::vector<std::string> drawn = {hidden ? all[0] : all[1], all[2]};
    EXPECT_EQ(Filter(g.mLog, "DrawText"), drawn);
  }
  pBox->Hide(false);
  g.SetAllControlsClean();
  pOnEdge->SetDirty(false);
  Tick();
  EXPECT_EQ(Filter(g.mLog, "DrawText"),
            (std::vector<std::string>{all[0], all[1], "DrawText edge 195 50 205 60"}));
}

TEST_F(FrameTest, RegionsAreAlignedToDevicePixels)
{
  g.SetScreenScale(2.f);
  g.AttachControl(new TestControl(IRECT(11.05f, 11.05f, 19.45f, 19.45f), -1, "a"));
  EXPECT_TRUE(Tick());
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"),
            std::vector<std::string>{"SetClipRegion 10 10 20.5 20.5"});
  // Each region starts from the identity transform and an empty path.
  EXPECT_EQ(Filter(g.mLog, "PathTransformSetMatrix").front(), "PathTransformSetMatrix 1 0 0 1 0 0");
}

TEST_F(FrameTest, ClickAnimationKeepsTheControlDirtyUntilItEnds)
{
  auto* pControl = g.AttachControl(new TestControl(IRECT(10, 10, 20, 20)));
  int ended = 0;
  pControl->SetAnimationEndActionFunction([&](IControl*) { ++ended; });
  pControl->SetActionFunction(DefaultClickActionFunc);
  pControl->SetDirty(true); // runs the action: a 100 ms click animation
  pControl->SetClean();
  EXPECT_TRUE(pControl->IsDirty());
  EXPECT_TRUE(Tick());
  EXPECT_TRUE(Tick()); // redrawn every frame while it runs
  EXPECT_EQ(ended, 0);

  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_TRUE(Tick()); // the animation ends, marking the control dirty one last time
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(pControl->GetAnimationFunction());
  EXPECT_FALSE(Tick());
}
