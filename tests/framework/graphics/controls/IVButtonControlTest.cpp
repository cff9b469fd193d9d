// Vector buttons and switches on the recording back end.

#include "framework/graphics/controls/IVButtonControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using VButtonTest = RecordingTest<>;

} // namespace

TEST_F(VButtonTest, ButtonIsPressedUntilItsSplashEnds)
{
  int actions = 0;
  auto* pButton = new IVButtonControl(IRECT(0, 0, 100, 40),
                                      [&actions](IControl* pCaller)
                                      {
                                        ++actions;
                                        SplashClickActionFunc(pCaller);
                                      });
  g.AttachControl(pButton);
  EXPECT_FALSE(pButton->IsHit(98, 38)); // the shadow's room is no part of the button
  Click(50, 20);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(pButton->GetValue(), 1.0);
  float x = 0.f, y = 0.f;
  pButton->GetSplashPoint(x, y);
  EXPECT_EQ(x, 50.f);
  pButton->OnEndAnimation();
  EXPECT_EQ(pButton->GetValue(), 0.0);
  EXPECT_TRUE(delegate.mHostLog.empty());
}

TEST_F(VButtonTest, SwitchOfThreeStatesWrapsWithOneGesturePerClick)
{
  delegate.GetParam(3)->InitEnum("Wave", 0, 3, "", 0, "", "Sine", "Saw", "Square");
  auto* pSwitch = Attach(new IVSwitchControl(IRECT(0, 0, 100, 40), 3, "", FlatStyle(), true));
  EXPECT_EQ(pSwitch->NStates(), 3);
  std::vector<double> values;
  for (int i = 0; i < 3; ++i)
  {
    Click(50, 20);
    values.push_back(pSwitch->GetValue());
  }
  EXPECT_EQ(values, (std::vector<double>{0.5, 1.0, 0.0}));
  EXPECT_EQ(delegate.mHostLog,
            (std::vector<std::string>{"begin 3", "value 3 0.5", "end 3", "begin 3", "value 3 1",
                                      "end 3", "begin 3", "value 3 0", "end 3"}));
  EXPECT_EQ(std::string(pSwitch->GetValueStr()), "Sine");
}

TEST_F(VButtonTest, ToggleShowsItsOnTextAboveOneHalf)
{
  auto* pToggle =
    Attach(new IVToggleControl(IRECT(0, 0, 100, 40), nullptr, "", FlatStyle(), "off", "on"));
  pToggle->SetValue(0.5);
  EXPECT_EQ(Drawn(pToggle, "DrawText"), std::vector<std::string>{"DrawText off 0 0 100 40"});
  pToggle->SetValue(0.51);
  EXPECT_EQ(Drawn(pToggle, "DrawText"), std::vector<std::string>{"DrawText on 0 0 100 40"});
}

TEST_F(VButtonTest, SlideSwitchSlidesThenRunsItsActionOnce)
{
  // Three states from "initial state 1": the last one.
  int settled = 0;
  auto* pSlide = new IVSlideSwitchControl(
    IRECT(0, 0, 90, 30), [&settled](IControl*) { ++settled; }, "", FlatStyle(), true,
    EDirection::kHorizontal, 3, 1);
  g.AttachControl(pSlide);
  EXPECT_EQ(pSlide->GetValue(), 1.0);
  EXPECT_EQ(pSlide->GetHandleRECT(), IRECT(60, 0, 90, 30));

  // A click wraps to the first state; the handle slides from the last place to the first.
  Click(45, 15);
  EXPECT_EQ(pSlide->GetValue(), 0.0);
  EXPECT_TRUE(pSlide->GetAnimationFunction());
  pSlide->Slide(0.5);
  EXPECT_EQ(pSlide->GetHandleRECT(), IRECT(30, 0, 60, 30));
  EXPECT_TRUE(Drawn(pSlide, "DrawText").empty()); // no value text while sliding
  EXPECT_EQ(settled, 0);
  pSlide->OnEndAnimation();
  EXPECT_EQ(pSlide->GetHandleRECT(), IRECT(0, 0, 30, 30));
  EXPECT_EQ(settled, 1);
}

TEST_F(VButtonTest, SwitchesWithoutStatesStayFinite)
{
  auto* pSlide = Attach(new IVSlideSwitchControl(IRECT(0, 0, 90, 30), nullptr, "", FlatStyle(),
                                                 true, EDirection::kVertical, 0, 0));
  EXPECT_EQ(pSlide->GetHandleRECT(), pSlide->GetWidgetBounds());
  Click(45, 15);
  pSlide->OnEndAnimation();
  EXPECT_TRUE(std::isfinite(pSlide->GetValue()));
  EXPECT_EQ(pSlide->GetHandleRECT(), pSlide->GetWidgetBounds());
}
