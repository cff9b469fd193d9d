#include "framework/graphics/controls/ICornerResizerControl.h"
#include "framework/graphics/controls/IFPSDisplayControl.h"
#include "framework/graphics/controls/IPanelControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct SpecialControlsTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate}; // 400 x 300

  std::vector<std::string> DrawLog(IControl* pControl)
  {
    g.mLog.clear();
    pControl->Draw(g);
    return g.mLog;
  }
};

// The points of the frame-time graph: the lines after its start at the graph's bottom-left.
std::vector<std::string> GraphPoints(const std::vector<std::string>& log)
{
  auto start = std::find(log.begin(), log.end(), "PathMoveTo 12 58");
  return Filter(std::vector<std::string>(start, log.end()), "PathLineTo");
}

} // namespace

TEST_F(SpecialControlsTest, PanelFillsItsRectangleAndFramesItOnlyWhenAsked)
{
  auto* pPanel = new IPanelControl(IRECT(10, 20, 110, 70), COLOR_RED);
  g.AttachControl(pPanel);
  EXPECT_EQ(DrawLog(pPanel), (std::vector<std::string>{
                               "PathMoveTo 10 20", "PathLineTo 110 20", "PathLineTo 110 70",
                               "PathLineTo 10 70", "PathClose", "PathFill (255,255,0,0) blend 1"}));

  auto* pFramed = new IPanelControl(IRECT(0, 0, 50, 50), COLOR_BLUE, true);
  g.AttachControl(pFramed);
  pFramed->SetDisabled(true);
  EXPECT_EQ(Filter(DrawLog(pFramed), "PathStroke"),
            std::vector<std::string>{"PathStroke (255,240,240,240) 1 blend 0.25"});

  // The background panel covers the editor behind everything and takes no clicks.
  IControl* pBackground = g.AttachPanelBackground(COLOR_GRAY);
  EXPECT_EQ(g.GetControl(0), pBackground);
  EXPECT_EQ(pBackground->GetRECT(), IRECT(0, 0, 400, 300));
  EXPECT_EQ(g.GetMouseControl(300, 200, false), nullptr);
}

TEST_F(SpecialControlsTest, CornerResizerScalesTheEditorThroughTheDelegate)
{
  g.EnableMouseOver(true);
  g.AttachPanelBackground(COLOR_GRAY);
  g.AttachCornerResizer(EUIResizerMode::kScale, false);
  IControl* pResizer = g.GetCornerResizer();
  ASSERT_NE(pResizer, nullptr);
  EXPECT_EQ(pResizer->GetRECT(), IRECT(380, 280, 400, 300));

  g.OnMouseOver(390, 290, IMouseMod());
  EXPECT_EQ(g.GetCursorType(), ECursor::kSizeNWSE);
  EXPECT_EQ(Filter(DrawLog(pResizer), "PathFill"),
            std::vector<std::string>{"PathFill (255,0,0,0) blend 1"});
  g.OnMouseOver(100, 100, IMouseMod());
  EXPECT_EQ(g.GetCursorType(), ECursor::kArrow);
  EXPECT_EQ(Filter(DrawLog(pResizer), "PathFill"),
            std::vector<std::string>{"PathFill (10,0,0,0) blend 1"});

  // Dragging the corner to twice its distance from the origin doubles the scale.
  g.OnMouseDown({Point(390, 290, IMouseMod(true))});
  EXPECT_TRUE(g.GetResizingInProcess());
  g.OnMouseDrag({Point(780, 600, IMouseMod(true), 390, 310)});
  EXPECT_EQ(delegate.mHostLog.back(), "resize 800 600");
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 2.f);
  EXPECT_EQ(g.Width(), 400);
  g.OnMouseUp({Point(780, 600, IMouseMod(true))});
  EXPECT_FALSE(g.GetResizingInProcess());
  // The same size on screen: half as many points at scale 2.
  EXPECT_EQ(pResizer->GetRECT(), IRECT(390, 290, 400, 300));

  // A double-click returns to the initial size at scale 1.
  g.OnMouseDblClick(395, 295, IMouseMod(true));
  EXPECT_EQ(delegate.mHostLog.back(), "resize 400 300");
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 1.f);
}

TEST_F(SpecialControlsTest, CornerResizerInSizeModeResizes)
{
  g.AttachCornerResizer(EUIResizerMode::kSize, false, COLOR_BLACK, COLOR_BLACK, COLOR_RED, 10.f);
  g.AttachCornerResizer(EUIResizerMode::kScale); // a second resizer is refused
  IControl* pResizer = g.GetCornerResizer();
  EXPECT_EQ(pResizer->GetRECT(), IRECT(390, 290, 400, 300));

  g.OnMouseDown({Point(395, 295, IMouseMod(true))});
  EXPECT_EQ(Filter(DrawLog(pResizer), "PathFill"),
            std::vector<std::string>{"PathFill (255,255,0,0) blend 1"}); // the drag colour
  g.OnMouseDrag({Point(500, 350, IMouseMod(true), 105, 55)});
  g.OnMouseUp({Point(500, 350, IMouseMod(true))});
  EXPECT_EQ(delegate.mHostLog.back(), "resize 500 350");
  EXPECT_EQ(g.Width(), 500);
  EXPECT_EQ(pResizer->GetRECT(), IRECT(490, 340, 500, 350));
}

TEST_F(SpecialControlsTest, FrameTimeDisplayGraphsAndCyclesItsReadout)
{
  g.ShowFPSDisplay(true);
  IFPSDisplayControl* pDisplay = g.GetFPSDisplay();
  ASSERT_NE(pDisplay, nullptr);
  EXPECT_EQ(pDisplay->GetRECT(), IRECT(10, 10, 210, 60));
  pDisplay->SetClean();
  EXPECT_TRUE(pDisplay->IsDirty());

  // Readings of 0 lie at the top of the graph (the 80 frames per second limit).
  std::vector<std::string> log = DrawLog(pDisplay);
  std::vector<std::string> points = GraphPoints(log);
  ASSERT_EQ(points.size(), 101u);
  EXPECT_EQ(points.front(), "PathLineTo 12 12");
  EXPECT_EQ(points[99], "PathLineTo 208 12");
  EXPECT_EQ(points[100], "PathLineTo 210 60");
  EXPECT_EQ(Filter(log, "DrawText")[0], "DrawText Frame Time 12 12 208 58");

  for (int i = 0; i < 100; ++i)
    pDisplay->Update(0.02f);
  std::vector<std::string> texts = Filter(DrawLog(pDisplay), "DrawText");
  EXPECT_EQ(texts[1].rfind("DrawText 50.00 FPS ", 0), 0u);
  EXPECT_EQ(texts[2].rfind("DrawText 20.00 ms ", 0), 0u);

  // A click cycles milliseconds, percent, frames per second. The display lies above all.
  g.AttachControl(new TestControl(IRECT(0, 0, 400, 300)));
  auto click = [&]()
  {
    g.OnMouseDown({Point(50, 30, IMouseMod(true))});
    g.OnMouseUp({Point(50, 30, IMouseMod(true))});
  };
  click();
  EXPECT_EQ(pDisplay->GetStyle(), IFPSDisplayControl::kMS);
  log = DrawLog(pDisplay);
  EXPECT_EQ(GraphPoints(log)[50], "PathLineTo 110.99 12"); // 20 ms fills the graph
  EXPECT_EQ(Filter(log, "DrawText")[1].rfind("DrawText 20.00 ms ", 0), 0u);
  click();
  EXPECT_EQ(Filter(DrawLog(pDisplay), "DrawText")[1].rfind("DrawText 0.0 % ", 0), 0u);
  click();
  EXPECT_EQ(pDisplay->GetStyle(), IFPSDisplayControl::kFPS);
  g.OnMouseDown({Point(50, 30, IMouseMod(true))});

  g.ShowFPSDisplay(false);
  EXPECT_EQ(g.GetFPSDisplay(), nullptr);
  EXPECT_FALSE(g.ControlIsCaptured());
}
