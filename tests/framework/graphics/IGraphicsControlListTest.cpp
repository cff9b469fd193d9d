#include "tests/framework/graphics/GraphicsTestSupport.h"

#include "framework/graphics/IContainerBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct ControlListTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};
};

} // namespace

TEST_F(ControlListTest, TagsAreUniqueAndFound)
{
  auto* pFirst = new TestControl(IRECT(0, 0, 10, 10));
  EXPECT_EQ(g.AttachControl(pFirst, 5), pFirst);
  auto pSecond = std::make_unique<TestControl>(IRECT(0, 0, 10, 10));
  EXPECT_EQ(g.AttachControl(pSecond.get(), 5), nullptr); // stays the caller's
  EXPECT_EQ(g.NControls(), 1);
  EXPECT_EQ(pSecond->GetUI(), nullptr);
  for (int i = 0; i < 3; ++i)
    EXPECT_NE(g.AttachControl(new TestControl(IRECT(0, 0, 10, 10))), nullptr);
  EXPECT_EQ(g.NControls(), 4);
  EXPECT_EQ(g.GetControlWithTag(5), pFirst);
  EXPECT_EQ(g.GetControlWithTag(6), nullptr);
  EXPECT_EQ(pFirst->GetUI(), &g);
  EXPECT_EQ(pFirst->GetDelegate(), &delegate);
}

TEST_F(ControlListTest, GroupsAndParametersSelectControls)
{
  auto* pA = g.AttachControl(new TestControl(IRECT(), 7), -1, "knobs");
  auto* pB = g.AttachControl(new TestControl(IRECT(), {2, 7}), -1, "knobs");
  auto* pC = g.AttachControl(new TestControl(IRECT(), 3), -1, "");
  int inGroup = 0;
  g.ForControlInGroup("knobs", [&](IControl&) { ++inGroup; });
  EXPECT_EQ(inGroup, 2);
  int inEmptyGroup = 0;
  g.ForControlInGroup("", [&](IControl&) { ++inEmptyGroup; });
  EXPECT_EQ(inEmptyGroup, 0);

  EXPECT_EQ(g.GetControlWithParamIdx(2), pB);
  g.HideControl(7, true); // hides every control linked to 7, through any slot
  EXPECT_TRUE(pA->IsHidden());
  EXPECT_TRUE(pB->IsHidden());
  EXPECT_FALSE(pC->IsHidden());
  g.DisableControl(3, true);
  EXPECT_TRUE(pC->IsDisabled());
  EXPECT_EQ(pC->GetBlend().mWeight, 0.25f);
}

TEST_F(ControlListTest, BackgroundStaysBehindEverything)
{
  for (int i = 0; i < 3; ++i)
    g.AttachControl(new TestControl(IRECT(0, 0, 400, 300)));
  auto* pBackground = g.AttachBackgroundControl(new TestControl(IRECT(0, 0, 400, 300), -1, "bg"));
  g.AttachControl(new TestControl(IRECT(0, 0, 400, 300)));
  EXPECT_EQ(g.GetControl(0), pBackground);
  EXPECT_EQ(g.GetMouseControlIdx(5, 5), 4);
  g.GetControl(4)->Hide(true);
  for (int i = 1; i < 4; ++i)
    g.GetControl(i)->SetIgnoreMouse(true);
  EXPECT_EQ(g.GetMouseControlIdx(5, 5), 0); // the background, back-most
}

TEST_F(ControlListTest, ResizeClampsConstrainsAndResizesOnce)
{
  auto* pControl = new TestControl(IRECT(0, 0, 10, 10));
  g.AttachControl(pControl);
  g.Resize(100, 100, 10.f);
  EXPECT_EQ(g.GetDrawScale(), 4.f);
  EXPECT_EQ(delegate.mHostLog, std::vector<std::string>{"resize 400 400"});
  g.Resize(100, 100, 10.f);
  EXPECT_EQ(delegate.mHostLog.size(), 1u); // unchanged: nothing happens

  g.Resize(5, 5, 1.5f);
  EXPECT_EQ(g.Width(), 10); // the delegate's minimum size
  EXPECT_EQ(g.Height(), 10);
  EXPECT_EQ(g.GetBackingPixelScale(), 1.5f);

  // A scale that is not a number keeps the current one.
  g.Resize(200, 100, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(g.GetDrawScale(), 1.5f);
  EXPECT_EQ(g.WindowWidth(), 300);
}

TEST_F(ControlListTest, RemovingAControlLeavesNoPointerToIt)
{
  delegate.mHostLog.clear();
  auto* pParent = g.AttachControl(new TestControl(IRECT(0, 0, 100, 100), 1), 1);
  auto* pChild = g.AttachControl(new TestControl(IRECT(10, 10, 20, 20)), 2);
  pChild->SetParent(pParent);
  auto* pOther = g.AttachControl(new TestControl(IRECT(200, 200, 220, 220), 2), 3);
  g.EnableMouseOver(true);

  // The parent is pressed (host gesture open), hovered, and asked for a value.
  g.OnMouseDown({Point(50, 50)});
  g.OnMouseOver(50, 50, IMouseMod());
  ASSERT_EQ(g.GetMouseOverControl(), pParent);
  g.CreateTextEntry(*pParent, DEFAULT_TEXT, IRECT(), "x", 0);

  g.RemoveControlWithTag(1);
  EXPECT_EQ(g.GetControlWithTag(1), nullptr);
  EXPECT_FALSE(g.ControlIsCaptured());
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_EQ(pChild->GetParent(), nullptr);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 1", "end 1"}));

  // Later events do not reach the removed control.
  g.OnMouseUp({Point(50, 50)});
  g.SetControlValueAfterTextEdit("0.5");
  IRECTList rects;
  EXPECT_TRUE(g.IsDirty(rects));
  g.Draw(rects);

  g.OnMouseOver(210, 210, IMouseMod());
  EXPECT_EQ(g.GetMouseOverIdx(), 1); // indices follow the removal
  g.RemoveControl(pChild);
  EXPECT_EQ(g.GetMouseOverIdx(), 0);
  EXPECT_EQ(g.GetMouseOverControl(), pOther);
  g.RemoveControls(0);
  EXPECT_EQ(g.NControls(), 0);
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
}

TEST_F(ControlListTest, PlacementMovesTargetWithBounds)
{
  auto* pControl = new TestControl(IRECT(10, 10, 50, 30));
  g.AttachControl(pControl);
  pControl->SetTargetRECT(IRECT(15, 12, 25, 22));
  g.SetAllControlsClean();
  g.SetControlPosition(pControl, -5, 40);
  EXPECT_EQ(pControl->GetRECT(), IRECT(0, 40, 40, 60));
  EXPECT_EQ(pControl->GetTargetRECT(), IRECT(5, 42, 15, 52));
  EXPECT_TRUE(pControl->IsDirty());

  g.SetControlSize(pControl, 20, -3);
  EXPECT_EQ(pControl->GetRECT(), IRECT(0, 40, 20, 40));
  EXPECT_EQ(pControl->GetTargetRECT(), pControl->GetRECT());
}

namespace
{

enum class ERoad
{
  kDraw,
  kAnimationEnd,
  kIdle,
  kMidi,
  kValue,
  kResize,
  kHide
};

// Counts the calls the context makes on it in each pass, and runs a hook from one of them.
class Probe : public TestControl
{
public:
  Probe(const IRECT& bounds, bool* pDeleted = nullptr) : TestControl(bounds, 1), mDeleted(pDeleted)
  {
    SetWantsMidi(true);
    SetAnimation([](IControl* pCaller) { pCaller->OnEndAnimation(); });
    SetAnimationEndActionFunction([](IControl* pCaller)
                                  { static_cast<Probe*>(pCaller)->Visit(ERoad::kAnimationEnd); });
  }
  ~Probe() override
  {
    if (mDeleted)
      *mDeleted = true;
  }

  void Visit(ERoad road)
  {
    if (road != mRoad)
      return;
    ++mVisits;
    if (auto hook = std::exchange(mHook, nullptr))
      hook(*this);
  }
  void Draw(IGraphics&) override { Visit(ERoad::kDraw); }
  void OnGUIIdle() override { Visit(ERoad::kIdle); }
  void OnMidi(const IMidiMsg&) override { Visit(ERoad::kMidi); }
  void SetValueFromDelegate(double value, int valIdx) override
  {
    Visit(ERoad::kValue);
    IControl::SetValueFromDelegate(value, valIdx);
  }
  void OnResize() override { Visit(ERoad::kResize); }
  void Hide(bool hide) override
  {
    Visit(ERoad::kHide);
    IControl::Hide(hide);
  }

  bool* mDeleted;
  ERoad mRoad = ERoad::kDraw;
  int mVisits = 0;
  std::function<void(Probe&)> mHook;
};

} // namespace

TEST(ControlPasses, ChangesDuringAPassWaitForItsEnd)
{
  bool deleted[4] = {};
  // The delegate's roads (MIDI, values from the plug-in) need it to own the context.
  TestDelegate delegate;
  delegate.mMakeGraphicsFunc = [&delegate]()
  {
    return new RecordingGraphics(delegate);
  };
  delegate.OpenWindow(nullptr);
  IGraphics& g = *delegate.GetUI();
  for (int r = 0; r <= static_cast<int>(ERoad::kHide); ++r)
  {
    const ERoad road = static_cast<ERoad>(r);
    g.RemoveAllControls();
    g.Resize(400, 300, 1.f);
    std::fill(std::begin(deleted), std::end(deleted), false);
    Probe* probes[4];
    for (int i = 0; i < 4; ++i)
    {
      probes[i] = new Probe(IRECT(10.f * i, 0, 10.f * i + 10, 10), &deleted[i]);
      probes[i]->mRoad = road;
      g.AttachControl(probes[i], i);
      probes[i]->mVisits = 0; // attaching resized it
    }
    // The second removes the third and itself, attaches another, and goes on with its work.
    Probe* pNew = nullptr;
    probes[1]->mHook = [&](Probe& self)
    {
      g.RemoveControl(probes[2]);
      g.RemoveControl(&self);
      pNew = new Probe(IRECT(0, 20, 10, 30));
      EXPECT_EQ(g.AttachControl(pNew, 9), pNew);
      EXPECT_EQ(g.GetControlWithTag(9), pNew);    // found at once
      EXPECT_EQ(g.GetControlWithTag(2), nullptr); // gone at once
      EXPECT_EQ(g.GetMouseControlIdx(25, 5), -1); // not hit any more
      self.mName = "still alive";
      EXPECT_FALSE(deleted[1]);
    };
    IRECTList rects;
    switch (road)
    {
    case ERoad::kDraw:
      g.Draw(IRECT(0, 0, 400, 300), 1.f);
      break;
    case ERoad::kAnimationEnd:
      g.IsDirty(rects);
      break;
    case ERoad::kIdle:
      g.OnGUIIdle();
      break;
    case ERoad::kMidi:
      delegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 60, 100));
      break;
    case ERoad::kValue:
      delegate.SendParameterValueFromDelegate(1, 0.5, true);
      break;
    case ERoad::kResize:
      g.Resize(500, 400, 1.f);
      break;
    case ERoad::kHide:
      g.HideControl(1, true);
      break;
    }
    EXPECT_EQ(probes[0]->mVisits, 1) << r;
    EXPECT_TRUE(deleted[1]) << r;
    EXPECT_TRUE(deleted[2]) << r; // never reached in the pass that removed it
    EXPECT_EQ(probes[3]->mVisits, 1) << r;
    ASSERT_EQ(g.NControls(), 3) << r;
    EXPECT_EQ(g.GetControl(1), probes[3]) << r;
    EXPECT_EQ(g.GetControl(2), pNew) << r;
  }
}

TEST_F(ControlListTest, RemovingAContainerRemovesItsChildren)
{
  bool deleted[2] = {};
  auto* pOuter = new IContainerBase(
    IRECT(0, 0, 100, 100),
    [&](IContainerBase* pContainer, const IRECT& r)
    {
      pContainer->AddChildControl(new Probe(r.GetPadded(-10), &deleted[0]), 7);
      pContainer->AddChildControl(new IContainerBase(
        r.GetPadded(-20), [&](IContainerBase* pInner, const IRECT& inner)
        { pInner->AddChildControl(new Probe(inner.GetPadded(-5), &deleted[1]), 8); }));
    });
  g.AttachControl(new Probe(IRECT(200, 0, 210, 10)));
  g.AttachControl(pOuter, 5);
  ASSERT_EQ(g.NControls(), 5);
  EXPECT_EQ(g.GetControl(4)->GetParent(), g.GetControl(3)); // children follow their container

  g.RemoveControlWithTag(5);
  EXPECT_EQ(g.NControls(), 1);
  EXPECT_TRUE(deleted[0] && deleted[1]);
  EXPECT_EQ(g.GetControlWithTag(7), nullptr);
  EXPECT_EQ(g.GetControlWithTag(8), nullptr);
}
