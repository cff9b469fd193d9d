#include "framework/graphics/IKnobControlBase.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using Knob = Undrawn<IKnobControlBase>;
using Slider = Undrawn<ISliderControlBase>;

const IMouseMod kLeft(true);
const IMouseMod kLeftShift(true, false, true);
const IMouseMod kLeftCtrl(true, false, false, true);

struct KnobTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};

  // A press at (x, y), drags by the given steps, and the release.
  void Drag(float x, float y, std::initializer_list<std::pair<float, float>> steps,
            IMouseMod mod = kLeft)
  {
    g.OnMouseDown({Point(x, y, mod)});
    for (auto [dX, dY] : steps)
    {
      x += dX;
      y += dY;
      g.OnMouseDrag({Point(x, y, mod, dX, dY)});
    }
    g.OnMouseUp({Point(x, y, mod)});
  }
};

} // namespace

TEST_F(KnobTest, DragIsGearedAndFineWithCtrlOrShift)
{
  // 100 points high, gearing 4: a 100-point drag up sweeps a quarter.
  auto* pKnob = new Knob(IRECT(0, 0, 50, 100), 0, EDirection::kVertical, 4.0);
  g.AttachControl(pKnob);

  Drag(25, 50, {{0, -60}, {0, -40}});
  EXPECT_NEAR(pKnob->GetValue(), 0.25, 1e-9);
  EXPECT_NEAR(delegate.GetParam(0)->Value(), 0.25, 1e-9);
  EXPECT_EQ(Filter(delegate.mHostLog, "begin"), std::vector<std::string>{"begin 0"});
  EXPECT_EQ(Filter(delegate.mHostLog, "end"), std::vector<std::string>{"end 0"});
  // The cursor was hidden for the drag and shown again.
  EXPECT_EQ(Filter(g.mLog, "HideMouseCursor"),
            (std::vector<std::string>{"HideMouseCursor 1", "HideMouseCursor 0"}));

  Drag(25, 50, {{0, -100}}, kLeftShift);
  EXPECT_NEAR(pKnob->GetValue(), 0.275, 1e-9);
  Drag(25, 50, {{0, 100}}, kLeftCtrl); // down lowers the value
  EXPECT_NEAR(pKnob->GetValue(), 0.25, 1e-9);

  // The sweep stops at the ends; the way back starts at once from there.
  Drag(25, 50, {{0, -1000}, {0, 100}});
  EXPECT_NEAR(pKnob->GetValue(), 0.75, 1e-9);

  // A horizontal knob follows the pointer's x, measured against its width.
  auto* pHorizontal = new Knob(IRECT(100, 0, 300, 50), 1, EDirection::kHorizontal, 2.0);
  g.AttachControl(pHorizontal);
  Drag(150, 25, {{0, -50}, {100, 0}});
  EXPECT_NEAR(pHorizontal->GetValue(), 0.25, 1e-9);
}

TEST_F(KnobTest, SteppedParameterAdvancesOnSlowDragsAndSnaps)
{
  delegate.GetParam(2)->InitInt("Steps", 0, 0, 2); // normalized 0, 0.5, 1
  auto* pKnob = new Knob(IRECT(0, 0, 50, 100), 2, EDirection::kVertical, 1.0);
  g.AttachControl(pKnob);

  g.OnMouseDown({Point(25, 50, kLeft)});
  std::vector<double> shown;
  for (int i = 0; i < 8; ++i)
  {
    g.OnMouseDrag({Point(25, 50, kLeft, 0, -10)});
    shown.push_back(pKnob->GetValue());
  }
  g.OnMouseUp({Point(25, 50, kLeft)});
  // The drag value moves 0.1 a step; the shown value jumps at the halfway points.
  EXPECT_EQ(shown, (std::vector<double>{0, 0, 0.5, 0.5, 0.5, 0.5, 0.5, 1}));
  EXPECT_EQ(delegate.GetParam(2)->Value(), 2.0);
}

TEST_F(KnobTest, WheelStepsAndDoubleClickDefault)
{
  delegate.GetParam(0)->InitDouble("Gain", 0.5, 0.0, 1.0, 0.0001);
  auto* pKnob = new Knob(IRECT(0, 0, 50, 50), 0);
  g.AttachControl(pKnob);

  g.OnMouseWheel(10, 10, IMouseMod(), 3.f);
  EXPECT_NEAR(pKnob->GetValue(), 0.03, 1e-9);
  g.OnMouseWheel(10, 10, IMouseMod(false, false, true), 1.f);        // Shift: fine
  g.OnMouseWheel(10, 10, IMouseMod(false, false, false, true), 1.f); // Ctrl: fine
  EXPECT_NEAR(pKnob->GetValue(), 0.032, 1e-9);
  g.OnMouseWheel(10, 10, IMouseMod(), -10.f);
  EXPECT_EQ(pKnob->GetValue(), 0.0); // clamped, never below 0
  EXPECT_EQ(delegate.mHostLog.back(), "value 0 0");

  pKnob->SetValueFromUserInput(0.9);
  EXPECT_TRUE(g.OnMouseDblClick(10, 10, IMouseMod(true)));
  EXPECT_DOUBLE_EQ(pKnob->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(delegate.GetParam(0)->Value(), 0.5);

  // A stepped parameter moves one step a notch; a zero delta keeps the value.
  delegate.GetParam(1)->InitEnum("Wave", 0, {"Sine", "Saw", "Square", "Noise", "Pulse"});
  auto* pStepped = new Knob(IRECT(100, 0, 150, 50), 1);
  g.AttachControl(pStepped);
  g.OnMouseWheel(110, 10, IMouseMod(false, false, true), 1.f);
  EXPECT_DOUBLE_EQ(pStepped->GetValue(), 0.25);
  g.OnMouseWheel(110, 10, IMouseMod(), 0.f);
  EXPECT_DOUBLE_EQ(pStepped->GetValue(), 0.25);
  g.OnMouseWheel(110, 10, IMouseMod(), -1.f);
  g.OnMouseWheel(110, 10, IMouseMod(), -1.f);
  EXPECT_DOUBLE_EQ(pStepped->GetValue(), 0.0);
}

TEST_F(KnobTest, CollapsedKnobIgnoresDrags)
{
  auto* pKnob = new Knob(IRECT(0, 0, 50, 100), 0);
  g.AttachControl(pKnob);
  pKnob->SetTargetRECT(IRECT(0, 50, 50, 50)); // no height to measure a drag against
  pKnob->OnMouseDown(25, 50, kLeft);
  pKnob->OnMouseDrag(25, 40, 0, -10, kLeft);
  EXPECT_EQ(pKnob->GetValue(), 0.0); // not a NaN sent to the host
  EXPECT_EQ(delegate.mHostLog.back(), "value 0 0");
}

TEST_F(KnobTest, SliderJumpsToThePointerThenDragsRelatively)
{
  auto* pSlider = new Slider(IRECT(0, 0, 20, 100), 0, EDirection::kVertical, 1.0);
  g.AttachControl(pSlider);
  EXPECT_EQ(pSlider->GetTrackBounds(), IRECT(0, 0, 20, 100));

  g.OnMouseDown({Point(10, 25, kLeft)});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.75);
  g.OnMouseDrag({Point(10, 35, kLeft, 0, 10)});
  EXPECT_NEAR(pSlider->GetValue(), 0.65, 1e-9);
  g.OnMouseDrag({Point(10, 45, kLeftShift, 0, 10)});
  EXPECT_NEAR(pSlider->GetValue(), 0.64, 1e-9);
  g.OnMouseUp({Point(10, 45, kLeft)});

  // A touch follows the finger along the track instead.
  IMouseMod touch(true, false, false, false, false, 7);
  g.OnMouseDown({Point(10, 90, touch)});
  g.OnMouseDrag({Point(10, 150, touch, 0, 60)}); // past the end: exactly 0
  EXPECT_EQ(pSlider->GetValue(), 0.0);
  g.OnMouseUp({Point(10, 150, touch)});
}

TEST_F(KnobTest, SteppedSliderDoesNotJumpOnPress)
{
  delegate.GetParam(3)->InitInt("Voices", 1, 0, 4);
  auto* pSlider = new Slider(IRECT(0, 0, 20, 100), 3, EDirection::kVertical, 1.0);
  g.AttachControl(pSlider);
  pSlider->SetValueFromDelegate(0.25);

  g.OnMouseDown({Point(10, 5, kLeft)});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.25);
  // Relative even for a touch: 0.2 of the track is within the halfway snap of the next step.
  IMouseMod touch(true, false, false, false, false, 3);
  g.OnMouseDrag({Point(10, -15, kLeft, 0, -20)});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.5);
  g.OnMouseUp({Point(10, -15, kLeft)});
  g.OnMouseDown({Point(10, 50, touch)});
  g.OnMouseDrag({Point(10, 49, touch, 0, -1)});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.5);
  g.OnMouseUp({Point(10, 49, touch)});
}
