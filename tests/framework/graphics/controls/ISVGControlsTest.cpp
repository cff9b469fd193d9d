#include "framework/graphics/controls/ISVGControls.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// A w x h image of one red square (stroked blue): its fill and stroke colours show in the log.
ISVG Square(RecordingGraphics& g, const char* name, int w, int h)
{
  const std::string text = std::string("<svg xmlns='http://www.w3.org/2000/svg' width='") +
                           std::to_string(w) + "' height='" + std::to_string(h) +
                           "'><rect width='4' height='4' fill='#ff0000' stroke='#0000ff'/></svg>";
  return g.LoadSVG(name, static_cast<const void*>(text.data()), static_cast<int>(text.size()));
}

using SVGControlsTest = RecordingTest<>;

} // namespace

TEST_F(SVGControlsTest, SwitchShowsTheImageOfItsState)
{
  const ISVG a = Square(g, "a.svg", 10, 10), b = Square(g, "b.svg", 10, 10),
             c = Square(g, "c.svg", 10, 10);
  auto* pSwitch = Attach(new ISVGSwitchControl(IRECT(0, 0, 20, 20), {a, b, c}));
  const std::vector<std::pair<double, int>> cases = {{0.0, 0}, {0.249, 0}, {0.25, 1},
                                                     {0.5, 1}, {0.75, 2},  {1.0, 2}};
  for (const auto& [value, image] : cases)
  {
    pSwitch->SetValue(value);
    EXPECT_EQ(pSwitch->GetImageIdx(), image) << value;
  }
  pSwitch->SetValue(0.0);
  std::vector<int> shown;
  for (int i = 0; i < 4; ++i)
  {
    Click(10, 10);
    shown.push_back(pSwitch->GetImageIdx());
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1}));

  // Bound to a parameter of range 0..3: four states, the fourth shown by the last image; the
  // state follows values from the plug-in.
  delegate.GetParam(0)->InitInt("Mode", 0, 0, 3);
  auto* pBound = Attach(new ISVGSwitchControl(IRECT(0, 0, 20, 20), {a, b}, 0));
  EXPECT_EQ(pBound->NStates(), 4);
  for (const auto& [value, image] : std::vector<std::pair<double, int>>{{1, 1}, {3, 1}, {0, 0}})
  {
    pBound->SetValueFromDelegate(delegate.GetParam(0)->ToNormalized(value));
    EXPECT_EQ(pBound->GetImageIdx(), image) << value;
  }
}

TEST_F(SVGControlsTest, ButtonsAndTogglesRecolourOnlyWhenAsked)
{
  const ISVG square = Square(g, "square.svg", 10, 10);
  const ISVGColors colors = {COLOR_WHITE, COLOR_GREEN, COLOR_GRAY, COLOR_YELLOW};
  auto* pPlain = new ISVGToggleControl(IRECT(0, 0, 10, 10), kNoParameter, square, colors,
                                       EColorReplacement::kNone);
  auto* pFill = new ISVGToggleControl(IRECT(20, 0, 30, 10), kNoParameter, square, colors,
                                      EColorReplacement::kFill);
  auto* pStroke = new ISVGButtonControl(IRECT(40, 0, 50, 10), DefaultClickActionFunc, square,
                                        colors, EColorReplacement::kStroke);
  for (IControl* pControl : std::initializer_list<IControl*>{pPlain, pFill, pStroke})
    g.AttachControl(pControl);

  // The fills, then the strokes, of one drawing of the control.
  auto paints = [this](IControl* pControl)
  {
    std::vector<std::string> out = Drawn(pControl, "PathFill");
    for (const std::string& line : Filter(g.mLog, "PathStroke"))
      out.push_back(line);
    return out;
  };
  pPlain->SetValue(1.0);
  pPlain->OnMouseOver(5, 5, IMouseMod());
  EXPECT_EQ(paints(pPlain)[0], "PathFill (255,255,0,0) preserve blend 1");

  pFill->SetValue(1.0);
  pFill->OnMouseOver(25, 5, IMouseMod());
  EXPECT_EQ(paints(pFill)[0], "PathFill (255,255,255,0) preserve blend 1"); // on, under the mouse
  pFill->SetValue(0.5);                                                     // exactly 0.5 is off
  EXPECT_EQ(paints(pFill)[0], "PathFill (255,127,127,127) preserve blend 1");

  Click(45, 5); // a momentary press: on until its click animation ends
  EXPECT_EQ(pStroke->GetValue(), 1.0);
  EXPECT_EQ(paints(pStroke)[1], "PathStroke (255,0,255,0) 1 blend 1");
  pStroke->OnEndAnimation();
  EXPECT_EQ(pStroke->GetValue(), 0.0);
}

TEST_F(SVGControlsTest, KnobTurnsItsImageAboutTheCentre)
{
  auto* pKnob = Attach(new ISVGKnobControl(IRECT(0, 0, 40, 40), Square(g, "knob.svg", 40, 40)));
  auto matrices = [&](double value)
  {
    pKnob->SetValue(value);
    return Drawn(pKnob, "PathTransformSetMatrix");
  };
  for (const std::string& m : matrices(0.5)) // unrotated, unscaled: translations only
    EXPECT_EQ(m.rfind("PathTransformSetMatrix 1 0 0 1 ", 0), 0u) << m;
  // +135 degrees at 1: cos -0.707, sin 0.707, about the centre (20, 20).
  const std::vector<std::string> turned = matrices(1.0);
  EXPECT_NE(std::find(turned.begin(), turned.end(),
                      "PathTransformSetMatrix -0.707107 0.707107 -0.707107 -0.707107 48.2843 20"),
            turned.end());
}

TEST_F(SVGControlsTest, SliderLaysOutTrackAndHandleFromTheImages)
{
  const ISVG handle = Square(g, "handle.svg", 20, 10), track = Square(g, "track.svg", 10, 100);
  auto* pSlider = Attach(new ISVGSliderControl(IRECT(0, 0, 20, 100), handle, track));
  ExpectRect(pSlider->GetTrackSVGBounds(), IRECT(5, 0, 15, 100));
  ExpectRect(pSlider->GetTrackBounds(), IRECT(5, 10, 15, 100));
  ExpectRect(pSlider->GetHandleBounds(1.0), IRECT(0, 0, 20, 10));
  ExpectRect(pSlider->GetHandleBounds(0.5), IRECT(0, 45, 20, 55));
  ExpectRect(pSlider->GetHandleBounds(0.0), IRECT(0, 90, 20, 100));

  // Horizontal: the track image spans the width, the handle starts at its left end at 0.
  const ISVG wideTrack = Square(g, "wide.svg", 100, 10), knob = Square(g, "knob.svg", 10, 10);
  auto* pWide = Attach(new ISVGSliderControl(IRECT(0, 0, 100, 40), knob, wideTrack, kNoParameter,
                                             EDirection::kHorizontal));
  ExpectRect(pWide->GetHandleBounds(0.0), IRECT(0, 15, 10, 25));

  // Degenerate bounds and images give rectangles at least 1 point wide, never NaN.
  pSlider->SetTargetAndDrawRECTs(IRECT(0, 50, 20, 50));
  EXPECT_FLOAT_EQ(pSlider->GetTrackSVGBounds().W(), 1.f);
  EXPECT_FLOAT_EQ(pSlider->GetHandleBounds(0.0).W(), 1.f);
  auto* pEmpty = Attach(new ISVGSliderControl(IRECT(0, 0, 20, 100), ISVG(), ISVG()));
  EXPECT_FLOAT_EQ(pEmpty->GetHandleBounds(0.3).W(), 1.f);
  EXPECT_FALSE(std::isnan(pEmpty->GetHandleBounds(0.3).T));
}
