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

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using Knob = Undrawn<IKnobControlBase>;
using Slider = Undrawn<ISliderControlBase>;
using Switch = Undrawn<ISwitchControlBase>;
using Button = Undrawn<IButtonControlBase>;

const IMouseMod kLeft(true);
constexpr int kParams = 8;

// A control bound through several slots that edits them all while dragged.
class MultiSlotControl : public TestControl
{
public:
  using TestControl::TestControl;
  void OnMouseDrag(float, float, float, float dY, const IMouseMod&) override
  {
    for (int v = 0; v < NVals(); ++v)
      SetValue(GetValue(v) - dY / 100.0, v);
    SetDirty(true);
  }
};

// Counts the gestures open per parameter, as a host in touch automation sees them.
class GestureDelegate : public TestDelegate
{
public:
  GestureDelegate() : TestDelegate(kParams)
  {
    GetParam(0)->InitDouble("Gain", 0.5, 0.0, 1.0, 0.001);
    GetParam(4)->InitEnum("Wave", 0, {"Sine", "Saw", "Square"});
    GetParam(5)->InitInt("Voices", 4, 1, 8);
    GetParam(6)->InitBool("Sync", false, "", 0, "", "Free", "Synced");
    mMakeGraphicsFunc = [this]()
    {
      mGraphics = new RecordingGraphics(*this);
      return mGraphics;
    };
    mLayoutFunc = [this](IGraphics* pGraphics)
    {
      Layout(*pGraphics);
    };
  }

  void BeginInformHostOfParamChangeFromUI(int paramIdx) override { ++mOpen[paramIdx]; }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override
  {
    if (--mOpen[paramIdx] < 0)
      mEndWithoutBegin = true;
  }
  void SendParameterValueFromUI(int paramIdx, double value) override
  {
    IGEditorDelegate::SendParameterValueFromUI(paramIdx, value); // not logged
  }
  bool AllClosed() const
  {
    return std::all_of(mOpen.begin(), mOpen.end(), [](int open) { return open == 0; });
  }

  void Layout(IGraphics& g)
  {
    g.RemoveAllControls();
    auto* pKnob = new Knob(IRECT(0, 0, 40, 40), 0);
    pKnob->DisablePrompt(false); // a right-click asks for typed entry
    g.AttachControl(pKnob);
    g.AttachControl(new Slider(IRECT(50, 0, 70, 80), 1));
    g.AttachControl(new MultiSlotControl(IRECT(80, 0, 120, 40), {2, 3, -1, 2}));
    g.AttachControl(new Switch(IRECT(130, 0, 150, 20), 4));
    for (int i = 0; i < 3; ++i)
      g.AttachControl(new ICaptionControl(IRECT(130, 30.f + 30 * i, 190, 50.f + 30 * i), 4 + i));
    g.AttachControl(new IContainerBase(IRECT(200, 0, 300, 100),
                                       [](IContainerBase* pContainer, const IRECT& r)
                                       {
                                         pContainer->AddChildControl(new Knob(r.GetPadded(-10), 2));
                                         pContainer->AddChildControl(new Knob(r.GetPadded(-30), 7));
                                       }));
    // A button whose action removes it.
    g.AttachControl(new Button(IRECT(0, 50, 20, 70), [](IControl* pCaller)
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
  bool mInWindowPrompts = false;
  bool mMultiTouch = false;
};

// One random step of what a user, the host and the controls may do.
void RandomStep(GestureDelegate& delegate, std::mt19937& rng)
{
  auto pick = [&rng](int n)
  {
    return static_cast<int>(rng() % static_cast<unsigned>(n));
  };
  RecordingGraphics& g = *delegate.mGraphics;
  auto* pEntry = dynamic_cast<FakeTextEntry*>(g.GetTextEntryControl());
  auto* pMenu = dynamic_cast<FakePopupMenu*>(g.GetPopupMenuControl());
  static const float kSpots[][2] = {{20, 20},  {60, 40},  {100, 20},  {140, 10},
                                    {160, 40}, {160, 70}, {160, 100}, {250, 50},
                                    {210, 10}, {10, 60},  {350, 250}};
  const auto& spot = kSpots[pick(11)];
  const ITouchID touch = delegate.mMultiTouch ? static_cast<ITouchID>(pick(2)) : 0;
  const bool right = pick(4) == 0;
  const IMouseMod mod(!right, right, false, false, false, touch);

  switch (pick(20))
  {
  case 0:
  case 1:
    g.OnMouseDown({Point(spot[0], spot[1], mod)});
    break;
  case 2:
  case 3:
    g.OnMouseDrag({Point(spot[0], spot[1], mod, 0.f, static_cast<float>(pick(21) - 10))});
    break;
  case 4:
    g.OnMouseUp({Point(spot[0], spot[1], mod)});
    break;
  case 5:
    g.OnMouseDblClick(spot[0], spot[1], mod);
    break;
  case 6:
    g.OnMouseWheel(spot[0], spot[1], mod, 1.f);
    break;
  case 7: // the text field answers, or is dismissed
    if (pick(2))
      g.SetControlValueAfterTextEdit("3");
    else
      g.ClearInTextEntryControl();
    if (pEntry)
      pEntry->mEditing = false;
    break;
  case 8: // the menu answers (an in-window one may stay closing for a while)
  {
    IPopupMenu* pShown = pMenu && pMenu->mMenu ? pMenu->mMenu : &g.GetPromptMenu();
    pShown->SetChosenItemIdx(pick(3) - 1);
    g.SetControlValueAfterPopupMenu(pick(4) ? pShown : nullptr);
    if (pMenu)
    {
      pMenu->mMenu = nullptr;
      pMenu->mRefuse = pick(2);
    }
    break;
  }
  case 9: // how prompts are taken
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
  case 10:
    g.Resize(400 + 10 * pick(3), 300, 1.f + 0.5f * pick(2));
    break;
  case 11:
    g.RemoveControl(pick(g.NControls() + 1));
    break;
  case 12:
    if (IControl* pControl = g.GetControl(pick(g.NControls() + 1)))
      pControl->Hide(pick(2));
    break;
  case 13:
    g.AttachControl(
      new Knob(IRECT(spot[0] - 5, spot[1] - 5, spot[0] + 5, spot[1] + 5), pick(kParams)));
    break;
  case 14:
    delegate.SendParameterValueFromDelegate(pick(kParams), pick(11) / 10.0, true);
    break;
  case 15: // the editor closes while anything may be open, and opens again
    delegate.CloseWindow();
    EXPECT_TRUE(delegate.AllClosed());
    delegate.mInWindowPrompts = pick(2);
    delegate.mMultiTouch = pick(2);
    delegate.OpenWindow(nullptr);
    break;
  case 16: // a control lets go of the capture
    g.ReleaseMouseCapture();
    break;
  case 17:
  {
    IRECTList rects;
    if (g.IsDirty(rects))
    {
      g.SetAllControlsClean();
      g.Draw(rects);
    }
    g.mLog.clear();
    break;
  }
  case 18:
    g.OnTouchCancelled({Point(spot[0], spot[1], mod)});
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
      // A pointer hidden for a drag shows again whenever no press is left.
      const bool pressing = delegate.mGraphics->ControlIsCaptured();
      ASSERT_TRUE(pressing || !delegate.mGraphics->IsCursorHidden())
        << "seed " << seed << " step " << step;
    }
    delegate.CloseWindow();
    ASSERT_TRUE(delegate.AllClosed()) << "seed " << seed;
    ASSERT_FALSE(delegate.mEndWithoutBegin) << "seed " << seed;
  }
}

TEST(EditGestures, APressEndingOtherwiseReleasesTheKnobAndShowsTheHostsValue)
{
  TestDelegate delegate;
  delegate.GetParam(0)->InitDouble("Gain", 0.0, 0.0, 1.0, 0.001);
  RecordingGraphics g(delegate);
  auto* pKnob = new Knob(IRECT(0, 0, 50, 100), 0);
  g.AttachControl(pKnob);

  const std::vector<std::pair<const char*, std::function<void()>>> ends = {
    {"release",
     [&]
     {
       g.OnMouseUp({Point(25, 40, kLeft)});
     }},
    {"resize",
     [&]
     {
       g.Resize(g.Width() == 400 ? 500 : 400, 300, 1.f);
     }},
    {"hidden",
     [&]
     {
       pKnob->Hide(true);
     }},
    {"let go",
     [&]
     {
       g.ReleaseMouseCapture();
     }},
  };
  for (const auto& [road, end] : ends)
  {
    pKnob->Hide(false);
    delegate.mHostLog.clear();
    g.OnMouseDown({Point(25, 50, kLeft)});
    g.OnMouseDrag({Point(25, 40, kLeft, 0, -10)});
    EXPECT_TRUE(g.IsCursorHidden());
    // A preset load while the knob is held: it keeps its own value meanwhile.
    delegate.GetParam(0)->SetNormalized(0.9);
    pKnob->SetValueFromDelegate(0.9);
    EXPECT_NE(pKnob->GetValue(), 0.9) << road;

    end();
    EXPECT_FALSE(pKnob->GetMouseDown()) << road;
    EXPECT_FALSE(g.IsCursorHidden()) << road;
    EXPECT_NEAR(pKnob->GetValue(), 0.9, 1e-9) << road; // re-read from its parameter
    g.OnMouseUp({Point(25, 40, kLeft)});               // a late release changes nothing
    EXPECT_EQ(Filter(delegate.mHostLog, "begin").size(), 1u) << road;
    EXPECT_EQ(Filter(delegate.mHostLog, "end").size(), 1u) << road;
  }
}

TEST(EditGestures, ClosingTheEditorEndsAHeldPressAndShowsThePointer)
{
  struct CursorGraphics : RecordingGraphics
  {
    using RecordingGraphics::RecordingGraphics;
    bool* mShownAgain = nullptr;
    void HideMouseCursor(bool hide, bool lock) override
    {
      RecordingGraphics::HideMouseCursor(hide, lock);
      *mShownAgain = !hide;
    }
  };
  bool shownAgain = false;
  TestDelegate delegate;
  delegate.mMakeGraphicsFunc = [&]()
  {
    auto* pGraphics = new CursorGraphics(delegate);
    pGraphics->mShownAgain = &shownAgain;
    return pGraphics;
  };
  delegate.mLayoutFunc = [](IGraphics* pGraphics)
  {
    pGraphics->AttachControl(new Knob(IRECT(0, 0, 50, 100), 3));
  };
  delegate.OpenWindow(nullptr);
  delegate.GetUI()->OnMouseDown({Point(25, 50, kLeft)});
  EXPECT_FALSE(shownAgain);
  delegate.CloseWindow();
  EXPECT_TRUE(shownAgain);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 3", "end 3"}));
}

TEST(EditGestures, APromptNothingAnswersLeavesNoStateBehind)
{
  TestDelegate delegate;
  delegate.GetParam(5)->InitInt("Voices", 4, 1, 8);
  RecordingGraphics g(delegate);
  g.mRefuseTextEntry = true; // as on Linux with no in-window text entry attached
  auto* pCaption = new ICaptionControl(IRECT(0, 0, 80, 20), 5, DEFAULT_TEXT, COLOR_WHITE, false);
  auto* pKnob = new Knob(IRECT(100, 0, 150, 100), 0);
  g.AttachControl(pCaption);
  g.AttachControl(pKnob);

  g.OnMouseDown({Point(10, 10, kLeft)}); // asks for typed entry, which nothing shows
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_FALSE(g.ControlIsCaptured()); // the press ended with its prompt
  g.OnMouseDrag({Point(10, 20, kLeft, 0, 10)});
  g.OnMouseUp({Point(10, 20, kLeft)});

  g.OnMouseDown({Point(125, 50, kLeft)});
  g.OnMouseDrag({Point(125, 40, kLeft, 0, -10)});
  g.OnMouseUp({Point(125, 40, kLeft)});
  EXPECT_NEAR(pKnob->GetValue(), 0.025, 1e-9);
  EXPECT_EQ(delegate.mHostLog,
            (std::vector<std::string>{"begin 5", "end 5", "begin 0", "value 0 0.025", "end 0"}));

  g.Draw(IRECT(0, 0, 400, 300), 1.f);
  EXPECT_EQ(Filter(g.mLog, "DrawText"), std::vector<std::string>{"DrawText 4 0 0 80 20"});
}

TEST(EditGestures, AMenuRequestWhileOneWaitsChangesNothingOfIt)
{
  TestDelegate delegate;
  delegate.GetParam(4)->InitEnum("Wave", 0, {"Sine", "Saw", "Square"});
  delegate.GetParam(6)->InitBool("Sync", false, "", 0, "", "Free", "Synced");
  RecordingGraphics g(delegate);
  g.AttachControl(new ICaptionControl(IRECT(0, 0, 80, 20), 4));
  g.AttachControl(new ICaptionControl(IRECT(0, 30, 80, 50), 6));
  auto click = [&](float y)
  {
    g.OnMouseDown({Point(10, y, kLeft)});
    g.OnMouseUp({Point(10, y, kLeft)});
  };
  auto texts = [](const IPopupMenu& menu)
  {
    std::vector<std::string> out;
    for (int i = 0; i < menu.NItems(); ++i)
      out.push_back(menu.GetItem(i)->GetText());
    return out;
  };
  const std::vector<std::string> waves = {"Sine", "Saw", "Square"};

  // A platform menu that answers later waits; another request meanwhile ends at once.
  g.mMenuIsAsync = true;
  click(10);
  click(40);
  IPopupMenu& waiting = g.GetPromptMenu();
  EXPECT_EQ(texts(waiting), waves);
  waiting.SetChosenItemIdx(2);
  g.SetControlValueAfterPopupMenu(&waiting);
  EXPECT_EQ(delegate.GetParam(4)->Value(), 2.0);
  EXPECT_EQ(delegate.mHostLog,
            (std::vector<std::string>{"begin 4", "begin 6", "end 6", "value 4 1", "end 4"}));

  // An in-window menu still closing after its answer refuses the next request, whose items
  // must not replace those it shows.
  auto* pMenu = new FakePopupMenu();
  g.AttachPopupMenuControl(pMenu);
  click(10);
  IPopupMenu* pShown = pMenu->mMenu;
  ASSERT_NE(pShown, nullptr);
  pShown->SetChosenItemIdx(0);
  g.SetControlValueAfterPopupMenu(pShown);
  pMenu->mRefuse = true;
  click(40);
  EXPECT_EQ(texts(*pShown), waves);
  EXPECT_EQ(delegate.GetParam(4)->Value(), 0.0);
}
