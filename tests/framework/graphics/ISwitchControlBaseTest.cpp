#include "framework/graphics/ISwitchControlBase.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using Switch = Undrawn<ISwitchControlBase>;

class Button : public Undrawn<IButtonControlBase>
{
public:
  using Undrawn::Undrawn;
  // Moves the animation's start into the past, as if that much time had gone by.
  void Age(double ms) { mAnimationStartTime -= ms; }
};

struct SwitchTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};

  std::vector<double> Clicks(IControl* pControl, int n)
  {
    std::vector<double> values;
    const IRECT r = pControl->GetRECT();
    for (int i = 0; i < n; ++i)
    {
      g.OnMouseDown({Point(r.MW(), r.MH(), IMouseMod(true))});
      g.OnMouseUp({Point(r.MW(), r.MH(), IMouseMod(true))});
      values.push_back(pControl->GetValue());
    }
    return values;
  }
};

} // namespace

TEST_F(SwitchTest, StatesCycleAndWrap)
{
  auto* pThree = new Switch(IRECT(0, 0, 20, 20), kNoParameter, nullptr, 3);
  g.AttachControl(pThree);
  EXPECT_EQ(Clicks(pThree, 4), (std::vector<double>{0.5, 1.0, 0.0, 0.5}));

  // Six states: the sum of five steps of 0.2 carries a rounding error but still reaches 1.
  auto* pSix = new Switch(IRECT(30, 0, 50, 20), kNoParameter, nullptr, 6);
  g.AttachControl(pSix);
  const std::vector<double> six = Clicks(pSix, 6);
  EXPECT_NEAR(six[4], 1.0, 1e-12);
  EXPECT_EQ(six[5], 0.0);

  // Two states toggle, but only exactly 0 turns on.
  auto* pTwo = new Switch(IRECT(60, 0, 80, 20));
  g.AttachControl(pTwo);
  pTwo->SetValue(0.5);
  EXPECT_EQ(Clicks(pTwo, 2), (std::vector<double>{0.0, 1.0}));

  // One state steps by an infinite amount: always 0.
  auto* pOne = new Switch(IRECT(90, 0, 110, 20), kNoParameter, nullptr, 1);
  g.AttachControl(pOne);
  pOne->SetValue(0.3);
  EXPECT_EQ(Clicks(pOne, 2), (std::vector<double>{0.0, 0.0}));
}

TEST_F(SwitchTest, EveryStateIsReachedForEveryCount)
{
  // Adding 1 / (N - 1) up would overshoot 1 for many N (22 and 40 among them) and wrap a state
  // early: N clicks from 0 must show every state k / (N - 1) once and come back to 0.
  for (int n = 2; n <= 129; ++n)
  {
    auto* pSwitch = new Switch(IRECT(0, 0, 20, 20), kNoParameter, nullptr, n);
    g.AttachControl(pSwitch);
    const std::vector<double> values = Clicks(pSwitch, n);
    for (int k = 1; k < n; ++k)
      ASSERT_EQ(values[k - 1], static_cast<double>(k) / (n - 1)) << n << " states, state " << k;
    ASSERT_EQ(values[n - 1], 0.0) << n;
    g.RemoveControl(pSwitch);
  }
}

// Whatever value reaches a switch, tab or bitmap strip, it selects a state without converting a
// float to an int out of range (the sanitizer build checks the conversions): a value that is not
// a number reads as 0, the rest as the nearer end of 0..1.
TEST_F(SwitchTest, ValuesOutsideTheRangeSelectTheNearerState)
{
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (int n : {2, 3, 8, 129})
  {
    for (auto [value, state] : {std::pair{nan, 0},
                                {-inf, 0},
                                {-1e30, 0},
                                {-0.2, 0},
                                {1.2, n - 1},
                                {1e30, n - 1},
                                {inf, n - 1}})
      EXPECT_EQ(SwitchStateIdx(value, n), state) << n << " states, value " << value;
    // Pressed while it holds NaN, a switch steps on from state 0.
    auto* pSwitch = new Switch(IRECT(0, 0, 20, 20), kNoParameter, nullptr, n);
    g.AttachControl(pSwitch);
    pSwitch->SetValue(nan);
    EXPECT_EQ(Clicks(pSwitch, 1)[0], 1.0 / (n - 1)) << n;
    g.RemoveControl(pSwitch);
  }
}

TEST_F(SwitchTest, BoundSwitchTakesItsStatesFromTheParameter)
{
  delegate.GetParam(4)->InitEnum("Shape", 0, {"A", "B", "C", "D"});
  int actions = 0;
  auto* pSwitch = new Switch(
    IRECT(0, 0, 20, 20), 4, [&](IControl*) { ++actions; }, 2);
  g.AttachControl(pSwitch);
  EXPECT_EQ(pSwitch->NStates(), 4);

  // Every state of the parameter can be disabled, not only the two the constructor knew of.
  pSwitch->SetStateDisabled(3, true);
  EXPECT_TRUE(pSwitch->GetStateDisabled(3));
  EXPECT_FALSE(pSwitch->GetStateDisabled(4));
  EXPECT_FALSE(pSwitch->GetStateDisabled(-1));
  pSwitch->SetAllStatesDisabled(true);
  EXPECT_TRUE(pSwitch->GetStateDisabled(1));

  // A double-click is another press; each press reaches the host and runs the action.
  g.OnMouseDown({Point(5, 5, IMouseMod(true))});
  g.OnMouseUp({Point(5, 5, IMouseMod(true))});
  g.OnMouseDblClick(5, 5, IMouseMod(true));
  g.OnMouseUp({Point(5, 5, IMouseMod(true))});
  EXPECT_NEAR(pSwitch->GetValue(), 2.0 / 3.0, 1e-12);
  EXPECT_EQ(delegate.GetParam(4)->Value(), 2.0);
  EXPECT_EQ(actions, 2);
  EXPECT_FALSE(pSwitch->GetMouseDown());
}

TEST_F(SwitchTest, ButtonIsReleasedByTheEndOfItsClickAnimation)
{
  auto* pButton = new Button(IRECT(0, 0, 20, 20));
  g.AttachControl(pButton);
  g.OnMouseDown({Point(5, 5, IMouseMod(true))});
  g.OnMouseUp({Point(5, 5, IMouseMod(true))});
  EXPECT_EQ(pButton->GetValue(), 1.0);
  ASSERT_TRUE(pButton->GetAnimationFunction());

  pButton->Animate(); // within the 100 ms
  pButton->Age(150.0);
  pButton->Animate();
  EXPECT_EQ(pButton->GetValue(), 0.0);
  EXPECT_FALSE(pButton->GetAnimationFunction());

  // Without an animation the button stays pressed.
  auto* pLatched = new Button(IRECT(30, 0, 50, 20), EmptyClickActionFunc);
  g.AttachControl(pLatched);
  g.OnMouseDblClick(35, 5, IMouseMod(true)); // a press, not a reset to default
  EXPECT_EQ(pLatched->GetValue(), 1.0);
}
