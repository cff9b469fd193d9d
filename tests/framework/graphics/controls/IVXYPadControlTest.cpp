// The vector pad, plot, group frame and colour swatch on the recording back end.

#include "framework/graphics/controls/IVXYPadControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

IVStyle Bare()
{
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = style.showValue = false;
  style.drawFrame = style.drawShadows = false;
  return style;
}

// Answers every colour prompt with one colour.
class ColorGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  bool PromptForColor(IColor& color, const char* str, IColorPickerHandlerFunc func) override
  {
    mPrompts.push_back(std::string(str) + " " + Fmt(color));
    if (func)
      func(IColor(255, 10, 20, 30));
    return true;
  }
  std::vector<std::string> mPrompts;
};

using VPadTest = RecordingTest<ColorGraphics>;

} // namespace

TEST_F(VPadTest, PadSendsBothValuesClampedToItsBoundsInOneGesture)
{
  auto* pPad = Attach(new IVXYPadControl(IRECT(0, 0, 100, 100), {0, 1}, "", Bare(), 10.f));
  Drag(50, 50, -90, -90); // past the top-left corner
  EXPECT_EQ(pPad->GetValue(0), 0.0);
  EXPECT_EQ(pPad->GetValue(1), 1.0);
  EXPECT_EQ(delegate.mHostLog.front(), "begin 0");
  EXPECT_EQ(delegate.mHostLog[1], "begin 1");
  EXPECT_EQ(delegate.mHostLog[2], "value 0 0.5");
  EXPECT_EQ(delegate.mHostLog.back(), "end 1");
  // The cursor hides for the drag and shows again.
  EXPECT_EQ(Filter(g.mLog, "HideMouseCursor"),
            (std::vector<std::string>{"HideMouseCursor 1", "HideMouseCursor 0"}));

  // Unclipped, the whole handle stays inside at the corner; clipped, its centre reaches it.
  EXPECT_EQ(pPad->GetHandleBounds(), IRECT(0, 0, 20, 20));
  auto* pClipped =
    Attach(new IVXYPadControl(IRECT(0, 0, 100, 100), {2, 3}, "", Bare(), 10.f, true));
  pClipped->SetValue(1.0, 0);
  EXPECT_EQ(pClipped->GetHandleBounds(), IRECT(90, 90, 110, 110));
}

TEST_F(VPadTest, PlotMapsItsRangeAndEvaluatesALayerOnce)
{
  int calls = 0;
  auto* pPlot = Attach(new IVPlotControl(IRECT(0, 0, 100, 120),
                                         {{COLOR_RED,
                                           [&calls](double)
                                           {
                                             ++calls;
                                             return 0.0;
                                           }}},
                                         5, "", Bare(), -1.f, 1.f, true));
  // Plot area: the widget less one of 12 rows at the top and bottom; f = 0 at mid height.
  EXPECT_EQ(pPlot->GetPlotBounds(), IRECT(0, 10, 100, 110));
  g.mLog.clear();
  pPlot->Draw(g);
  EXPECT_EQ(calls, 5);
  const auto lines = Filter(g.mLog, "PathLineTo");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(Filter(g.mLog, "PathMoveTo").back(), "PathMoveTo 0 60");
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"PathLineTo 25 60", "PathLineTo 50 60", "PathLineTo 75 60",
                                      "PathLineTo 100 60"}));
  pPlot->Draw(g);
  EXPECT_EQ(calls, 5); // the layer is reused
  pPlot->AddPlotFunc(COLOR_BLUE, [](double x) { return x; });
  pPlot->Draw(g);
  EXPECT_EQ(calls, 10);

  // One point and an empty range draw finite points.
  auto* pOdd = Attach(new IVPlotControl(IRECT(0, 0, 100, 120),
                                        {{COLOR_RED,
                                          [](double)
                                          {
                                            return 2.0;
                                          }}},
                                        1, "", Bare(), 1.f, 1.f));
  g.mLog.clear();
  pOdd->Draw(g);
  for (const std::string& line : g.mLog)
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
}

TEST_F(VPadTest, GroupFramesItsControlsWithTheMargins)
{
  g.AttachControl(new TestControl(IRECT(10, 10, 60, 40)), -1, "osc");
  g.AttachControl(new TestControl(IRECT(50, 30, 110, 60)), -1, "osc");
  g.AttachControl(new TestControl(IRECT()), -1, "osc"); // empty bounds take no part
  auto* pGroup = Attach(new IVGroupControl("", "osc", 5.f, 20.f, 5.f, 5.f, Bare()));
  EXPECT_EQ(pGroup->GetRECT(), IRECT(5, -10, 115, 65));
  EXPECT_TRUE(pGroup->GetIgnoreMouse()); // clicks reach the controls it frames

  // Without a label the gap has no width: the outline closes at the top's centre.
  EXPECT_EQ(Drawn(pGroup, "PathMoveTo").front(), "PathMoveTo 60 -10");
  EXPECT_EQ(Drawn(pGroup, "PathLineTo").back(), "PathLineTo 60 -10");
}

TEST_F(VPadTest, SwatchCellsAndColourChoice)
{
  std::vector<std::string> chosen;
  auto* pSwatch = Attach(new IVColorSwatchControl(
    IRECT(0, 0, 90, 90), "",
    [&chosen](int cell, IColor color) { chosen.push_back(std::to_string(cell) + Fmt(color)); },
    Bare(), IVColorSwatchControl::ECellLayout::kGrid,
    {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3, kX1}, {"bg", "", "pr"}));
  EXPECT_EQ(pSwatch->GetCellBounds(4), IRECT(32, 32, 58, 58));
  EXPECT_EQ(pSwatch->GetCellBounds(9), IRECT(2, 2, 88, 88)); // the tenth: the whole widget

  // A labelled cell has its swatch in its right quarter, an unlabelled one all swatch.
  EXPECT_EQ(Drawn(pSwatch, "DrawText"),
            (std::vector<std::string>{"DrawText bg 2 2 20.2 28", "DrawText pr 62 2 80.2 28"}));

  pSwatch->OnMouseDown(45, 45, IMouseMod(true));
  EXPECT_EQ(g.mPrompts, std::vector<std::string>{"Choose a color (10,0,0,0)"});
  EXPECT_EQ(pSwatch->GetColor(kHL), IColor(255, 10, 20, 30));
  EXPECT_EQ(chosen, std::vector<std::string>{"4(255,10,20,30)"});
}
