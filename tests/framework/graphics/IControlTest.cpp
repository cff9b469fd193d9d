#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct ControlTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};
  int actions = 0;

  TestControl* Attach(TestControl* pControl)
  {
    pControl->SetActionFunction([this](IControl*) { ++actions; });
    g.AttachControl(pControl);
    return pControl;
  }
};

} // namespace

TEST_F(ControlTest, SetDirtyClampsSendsAndRunsTheActionOnce)
{
  auto* pSingle = Attach(new TestControl(IRECT(), 1));
  pSingle->SetValue(1.7, 0);
  pSingle->SetDirty(true, 5); // a one-slot control always uses slot 0
  EXPECT_EQ(pSingle->GetValue(), 1.0);
  EXPECT_EQ(delegate.mHostLog, std::vector<std::string>{"value 1 1"});
  EXPECT_EQ(actions, 1);

  pSingle->SetValue(-3.0, 0);
  pSingle->SetDirty(false);
  EXPECT_EQ(pSingle->GetValue(), 0.0);
  EXPECT_EQ(actions, 1); // never without the trigger

  delegate.mHostLog.clear();
  auto* pMulti = Attach(new TestControl(IRECT(), {2, kNoParameter, 3}));
  pMulti->SetValue(0.5, 0);
  pMulti->SetValue(2.0, 2);
  pMulti->SetDirty(true, kNoValIdx);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"value 2 0.5", "value 3 1"}));
  EXPECT_EQ(actions, 2);

  auto* pUnbound = Attach(new TestControl(IRECT()));
  delegate.mHostLog.clear();
  pUnbound->SetDirty(true);
  EXPECT_TRUE(delegate.mHostLog.empty());
  EXPECT_EQ(actions, 3);

  EXPECT_THROW(pUnbound->SetParamIdx(1, 1), std::out_of_range);
}

TEST_F(ControlTest, UserInputOfTheSameValueDoesNothing)
{
  auto* pControl = Attach(new TestControl(IRECT(), 1));
  pControl->SetValueFromUserInput(0.0);
  EXPECT_TRUE(delegate.mHostLog.empty());
  EXPECT_EQ(actions, 0);
  pControl->SetValueFromUserInput(0.3);
  EXPECT_EQ(delegate.mHostLog, std::vector<std::string>{"value 1 0.3"});
  EXPECT_EQ(actions, 1);
}

TEST_F(ControlTest, DefaultsComeFromTheParameter)
{
  delegate.GetParam(6)->InitDouble("Pan", 0.25, -1.0, 1.0, 0.5, "", IParam::kFlagStepped);
  auto* pControl = Attach(new TestControl(IRECT(), {6, kNoParameter}));
  pControl->SetValue(0.9, 1);
  pControl->SetValueToDefault(kNoValIdx);
  // The default 0.25 snaps to 0.5 (halves away from zero): normalized 0.75.
  EXPECT_DOUBLE_EQ(pControl->GetValue(0), 0.75);
  EXPECT_DOUBLE_EQ(pControl->GetValue(1), 0.9); // no parameter: kept
  EXPECT_EQ(actions, 1);

  pControl->SetValue(0.0, 0);
  pControl->IControl::OnMouseDblClick(0, 0, IMouseMod()); // two slots: all are reset
  EXPECT_DOUBLE_EQ(pControl->GetValue(0), 0.75);
  EXPECT_EQ(actions, 2);
}

TEST_F(ControlTest, PromptsStayOffUntilEnabled)
{
  delegate.GetParam(1)->InitEnum("Mode", 0, {"A", "B"});
  auto* pControl = Attach(new TestControl(IRECT(0, 0, 50, 50), 1));
  pControl->OnMouseDown(10, 10, IMouseMod(false, true));
  EXPECT_TRUE(g.mMenus.empty());
  pControl->DisablePrompt(false);
  pControl->OnMouseDown(10, 10, IMouseMod(false, true));
  EXPECT_EQ(g.mMenus.size(), 1u);
}

TEST_F(ControlTest, SnapToMouseQuantisesAndClips)
{
  auto* pControl = Attach(new TestControl(IRECT(), 1));
  const IRECT track(0, 0, 100, 200);
  pControl->SnapToMouse(50, 300, EDirection::kVertical, track);
  EXPECT_EQ(pControl->GetValue(), 0.0);
  pControl->SnapToMouse(-20, 0, EDirection::kHorizontal, track);
  EXPECT_EQ(pControl->GetValue(), 0.0);
  pControl->SnapToMouse(33.3333f, 0, EDirection::kHorizontal, track);
  EXPECT_DOUBLE_EQ(pControl->GetValue(), 0.333);
  pControl->SnapToMouse(90, 0, EDirection::kHorizontal, track, kNoValIdx, 0.0, 0.5);
  EXPECT_EQ(pControl->GetValue(), 0.5);
  EXPECT_EQ(actions, 4);
}

TEST_F(ControlTest, HitTestingAndHoverState)
{
  auto* pControl = Attach(new TestControl(IRECT(10, 10, 20, 20)));
  EXPECT_TRUE(pControl->IsHit(10, 10));
  EXPECT_FALSE(pControl->IsHit(20, 15)); // right edge excluded
  pControl->SetTargetRECT(IRECT());
  EXPECT_FALSE(pControl->IsHit(0, 0)); // a zero target rectangle is never hit

  pControl->SetClean();
  pControl->OnMouseOver(0, 0, IMouseMod());
  EXPECT_TRUE(pControl->GetMouseIsOver());
  EXPECT_FALSE(pControl->IsDirty()); // it draws no hover state: nothing to redraw
  pControl->SetClean();
  pControl->OnMouseOver(0, 0, IMouseMod()); // already over: no redraw
  EXPECT_FALSE(pControl->IsDirty());
  pControl->SetRECT(IRECT(0, 0, 5, 5));
  EXPECT_FALSE(pControl->GetMouseIsOver());
}

TEST_F(ControlTest, HostAutomationHighlight)
{
  auto* pControl = Attach(new TestControl(IRECT(0, 0, 40, 40), 1));
  g.SetPTParameterHighlight(1, true, 1);
  pControl->DrawPTHighlight(g);
  EXPECT_EQ(Filter(g.mLog, "PathFill").back(), "PathFill (255,0,0,255) blend 1");
  EXPECT_EQ(Filter(g.mLog, "PathMoveTo").back(), "PathMoveTo 35 3");
}
