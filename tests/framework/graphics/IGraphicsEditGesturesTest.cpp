// Host edit gestures and the end of a press: every begin has exactly one end, however the press
// ends (release, resize, prompt, hiding, removal, a cancelled touch, the editor closing), and a
// press that ends leaves no state behind.

#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/ISwitchControlBase.h"
#include "framework/graphics/controls/ITextControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <utility>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using Knob = Undrawn<IKnobControlBase>;
const IMouseMod kLeft(true);
constexpr int kParams = 8;

// Counts the gestures open per parameter, as a host in touch automation sees them, and whether
// the pointer was left hidden.
class GestureDelegate : public TestDelegate
{
public:
  struct Graphics : RecordingGraphics
  {
    using RecordingGraphics::RecordingGraphics;
    void HideMouseCursor(bool hide, bool lock) override
    {
      RecordingGraphics::HideMouseCursor(hide, lock);
      static_cast<GestureDelegate*>(GetDelegate())->mCursorHidden = hide;
    }
  };

  GestureDelegate() : TestDelegate(kParams)
  {
    GetParam(4)->InitEnum("Wave", 0, {"Sine", "Saw", "Square"});
    GetParam(5)->InitInt("Voices", 4, 1, 8);
    GetParam(6)->InitBool("Sync", false, "", 0, "", "Free", "Synced");
    mMakeGraphicsFunc = [this]()
    {
      return mGraphics = new Graphics(*this);
    };
    mLayoutFunc = [this](IGraphics* pGraphics)
    {
      Layout(*pGraphics);
    };
  }
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override { ++mOpen[paramIdx]; }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override
  {
    mEndWithoutBegin |= --mOpen[paramIdx] < 0;
  }
  void SendParameterValueFromUI(int paramIdx, double value) override
  {
    IGEditorDelegate::SendParameterValueFromUI(paramIdx, value); // not logged
  }
  bool AllClosed() const { return mOpen == std::array<int, kParams>{}; }

  // Knobs (one typed into on a right-click), a switch, captions asking for a menu or text, a
  // container of knobs, and a button whose action removes it.
  void Layout(IGraphics& g)
  {
    auto* pKnob = g.AttachControl(new Knob(IRECT(0, 0, 40, 40), 0));
    pKnob->DisablePrompt(false);
    g.AttachControl(new TestControl(IRECT(80, 0, 120, 40), {2, 3, -1, 2}));
    g.AttachControl(new Undrawn<ISwitchControlBase>(IRECT(130, 0, 150, 20), 4));
    for (int i = 0; i < 3; ++i)
      g.AttachControl(new ICaptionControl(IRECT(130, 30.f + 30 * i, 190, 50.f + 30 * i), 4 + i));
    g.AttachControl(new IContainerBase(IRECT(200, 0, 300, 100),
                                       [](IContainerBase* pContainer, const IRECT& r)
                                       {
                                         pContainer->AddChildControl(new Knob(r.GetPadded(-10), 2));
                                         pContainer->AddChildControl(new Knob(r.GetPadded(-30), 7));
                                       }));
    g.AttachControl(new Undrawn<IButtonControlBase>(IRECT(0, 50, 20, 70), [](IControl* pCaller)
                                                    { pCaller->GetUI()->RemoveControl(pCaller); }));
    if (mInWindowPrompts)
    {
      g.AttachTextEntryControl(new FakeTextEntry());
      g.AttachPopupMenuControl(new FakePopupMenu());
    }
    g.EnableMultiTouch(mMultiTouch);
  }

  RecordingGraphics* mGraphics = nullptr;
  std::array<int, kParams> mOpen = {};
  bool mEndWithoutBegin = false;
  bool mCursorHidden = false;
  bool mInWindowPrompts = false;
  bool mMultiTouch = false;
};

// One random step of what the user, the host and the controls may do.
void RandomStep(GestureDelegate& delegate, std::mt19937& rng)
{
  auto pick = [&rng](int n)
  {
    return static_cast<int>(rng() % static_cast<unsigned>(n));
  };
  RecordingGraphics& g = *delegate.mGraphics;
  auto* pEntry = dynamic_cast<FakeTextEntry*>(g.GetTextEntryControl());
  auto* pMenu = dynamic_cast<FakePopupMenu*>(g.GetPopupMenuControl());
  static const float kSpots[][2] = {{20, 20},   {100, 20}, {140, 10}, {160, 40}, {160, 70},
                                    {160, 100}, {250, 50}, {210, 10}, {10, 60},  {350, 250}};
  const float x = kSpots[pick(10)][0], y = kSpots[pick(10)][1];
  const bool right = pick(4) == 0;
  const IMouseMod mod(!right, right, false, false, false, delegate.mMultiTouch ? pick(2) : 0);
  switch (pick(18))
  {
  case 0:
  case 1:
    g.OnMouseDown({Point(x, y, mod)});
    break;
  case 2:
    g.OnMouseDrag({Point(x, y, mod, 0.f, static_cast<float>(pick(21) - 10))});
    break;
  case 3:
    g.OnMouseUp({Point(x, y, mod)});
    break;
  case 4:
    g.OnMouseDblClick(x, y, mod);
    break;
  case 5: // the text field answers, or is dismissed
    pick(2) ? g.SetControlValueAfterTextEdit("3") : g.ClearInTextEntryControl();
    if (pEntry)
      pEntry->mEditing = false;
    break;
  case 6: // the menu answers; an in-window one may stay closing (refusing) for a while
  {
    IPopupMenu* pShown = pMenu && pMenu->mMenu ? pMenu->mMenu : &g.GetPromptMenu();
    pShown->SetChosenItemIdx(pick(3) - 1);
    g.SetControlValueAfterPopupMenu(pick(4) ? pShown : nullptr);
    if (pMenu)
      pMenu->mMenu = nullptr;
    break;
  }
  case 7: // how prompts are taken: at once, later, or refused
    g.mMenuIsAsync = pick(2);
    g.mRefuseTextEntry = pick(2);
    g.mMenuResponder = [&rng](IPopupMenu& menu)
    {
      menu.SetChosenItemIdx(static_cast<int>(rng() % 3));
      return rng() % 2 ? &menu : nullptr;
    };
    if (pEntry)
      pEntry->mRefuse = pick(2);
    if (pMenu)
      pMenu->mRefuse = pick(2);
    break;
  case 8:
    g.Resize(400 + 10 * pick(3), 300, 1.f + 0.5f * pick(2));
    break;
  case 9:
    g.RemoveControl(pick(g.NControls() + 1));
    break;
  case 10:
    if (IControl* pControl = g.GetControl(pick(g.NControls() + 1)))
      pControl->Hide(pick(2));
    break;
  case 11:
    g.AttachControl(new Knob(IRECT(x - 5, y - 5, x + 5, y + 5), pick(kParams)));
    break;
  case 12:
    delegate.SendParameterValueFromDelegate(pick(kParams), pick(11) / 10.0, true);
    break;
  case 13: // the editor closes while anything may be open, and opens again
    delegate.CloseWindow();
    EXPECT_TRUE(delegate.AllClosed() && !delegate.mCursorHidden);
    delegate.mInWindowPrompts = pick(2);
    delegate.mMultiTouch = pick(2);
    delegate.OpenWindow(nullptr);
    break;
  case 14: // a control lets go of the capture
    g.ReleaseMouseCapture();
    break;
  case 15:
  {
    IRECTList rects;
    if (g.IsDirty(rects))
      g.Draw(rects);
    g.mLog.clear();
    break;
  }
  case 16:
    g.OnTouchCancelled({Point(x, y, mod)});
    break;
  default: // the in-window prompt controls come or go
    if (pMenu && pick(2))
      g.RemovePopupMenuControl();
    else if (pEntry && pick(2))
      g.RemoveTextEntryControl();
    else
      g.AttachPopupMenuControl(new FakePopupMenu());
    break;
  }
}

} // namespace

TEST(EditGestures, RandomSequencesEndEveryGestureExactlyOnce)
{
  for (unsigned seed = 1; seed <= 200; ++seed)
  {
    std::mt19937 rng(seed);
    GestureDelegate delegate;
    delegate.mInWindowPrompts = seed % 2;
    delegate.OpenWindow(nullptr);
    for (int step = 0; step < 200; ++step)
    {
      RandomStep(delegate, rng);
      ASSERT_FALSE(delegate.mEndWithoutBegin) << "seed " << seed << " step " << step;
      // A pointer hidden for a drag shows again as soon as no press is left.
      ASSERT_TRUE(delegate.mGraphics->ControlIsCaptured() || !delegate.mCursorHidden)
        << "seed " << seed << " step " << step;
    }
    delegate.CloseWindow();
    ASSERT_TRUE(delegate.AllClosed() && !delegate.mEndWithoutBegin) << "seed " << seed;
  }
}

TEST(EditGestures, APressEndingOtherwiseReleasesTheKnobAndShowsTheHostsValue)
{
  TestDelegate delegate;
  delegate.GetParam(0)->InitDouble("Gain", 0.0, 0.0, 1.0, 0.001);
  RecordingGraphics g(delegate);
  auto* pKnob = static_cast<Knob*>(g.AttachControl(new Knob(IRECT(0, 0, 50, 100), 0)));
  for (int road = 0; road < 4; ++road) // released, resized, hidden, let go
  {
    pKnob->Hide(false);
    delegate.mHostLog.clear();
    g.OnMouseDown({Point(25, 50, kLeft)});
    g.OnMouseDrag({Point(25, 40, kLeft, 0, -10)});
    // A preset load while the knob is held: it keeps its own value meanwhile.
    delegate.GetParam(0)->SetNormalized(0.9);
    pKnob->SetValueFromDelegate(0.9);
    EXPECT_NE(pKnob->GetValue(), 0.9) << road;
    if (road == 0)
      g.OnMouseUp({Point(25, 40, kLeft)});
    else if (road == 1)
      g.Resize(g.Width() == 400 ? 500 : 400, 300, 1.f);
    else if (road == 2)
      pKnob->Hide(true);
    else
      g.ReleaseMouseCapture();
    EXPECT_FALSE(pKnob->GetMouseDown() || g.IsCursorHidden()) << road;
    EXPECT_NEAR(pKnob->GetValue(), 0.9, 1e-9) << road; // re-read from its parameter
    g.OnMouseUp({Point(25, 40, kLeft)});               // a late release changes nothing
    EXPECT_EQ(Filter(delegate.mHostLog, "end").size(), 1u) << road;
  }
}

TEST(EditGestures, PromptsThatCannotBeShownOrMustWaitLeaveNothingBehind)
{
  TestDelegate delegate;
  delegate.GetParam(4)->InitEnum("Wave", 0, {"Sine", "Saw", "Square"});
  delegate.GetParam(5)->InitInt("Voices", 4, 1, 8);
  delegate.GetParam(6)->InitBool("Sync", false, "", 0, "", "Free", "Synced");
  RecordingGraphics g(delegate);
  for (int i = 0; i < 3; ++i)
    g.AttachControl(new ICaptionControl(IRECT(0, 30.f * i, 80, 30.f * i + 20), 4 + i, DEFAULT_TEXT,
                                        COLOR_WHITE, false));
  auto* pKnob = g.AttachControl(new Knob(IRECT(100, 0, 150, 100), 0));
  auto click = [&](float x, float y, float dY = 0.f)
  {
    g.OnMouseDown({Point(x, y, kLeft)});
    g.OnMouseDrag({Point(x, y + dY, kLeft, 0, dY)});
    g.OnMouseUp({Point(x, y, kLeft)});
  };

  // Linux without an in-window text entry: typed entry cannot be shown. The press ends with
  // it; later drags work and the caption draws its text again.
  g.mRefuseTextEntry = true;
  click(10, 40, 10);
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  click(125, 50, -10);
  EXPECT_NEAR(pKnob->GetValue(), 0.025, 1e-9);
  EXPECT_EQ(delegate.mHostLog,
            (std::vector<std::string>{"begin 5", "end 5", "begin 0", "value 0 0.025", "end 0"}));
  g.Draw(IRECT(0, 30, 80, 50), 1.f);
  EXPECT_EQ(Filter(g.mLog, "DrawText"), std::vector<std::string>{"DrawText 4 0 30 80 50"});

  // A platform menu that answers later waits; a request meanwhile ends at once and its items
  // do not replace those of the waiting menu.
  g.mMenuIsAsync = true;
  click(10, 10);
  click(10, 70);
  EXPECT_EQ(g.mMenus.size(), 1u);
  IPopupMenu& waiting = g.GetPromptMenu();
  waiting.SetChosenItemIdx(2);
  g.SetControlValueAfterPopupMenu(&waiting);
  EXPECT_EQ(delegate.GetParam(4)->Value(), 2.0);

  // Likewise an in-window menu still closing after its answer: it refuses the next request,
  // and the menu it still shows keeps its items.
  auto* pMenu = new FakePopupMenu();
  g.AttachPopupMenuControl(pMenu);
  click(10, 10);
  IPopupMenu* pShown = std::exchange(pMenu->mMenu, nullptr);
  g.SetControlValueAfterPopupMenu(pShown);
  pMenu->mRefuse = true;
  click(10, 70);
  click(10, 70);
  EXPECT_EQ(pShown->NItems(), 3);
  EXPECT_STREQ(pShown->GetItem(2)->GetText(), "Square");
  EXPECT_EQ(Filter(delegate.mHostLog, "begin").size(), Filter(delegate.mHostLog, "end").size());
}
