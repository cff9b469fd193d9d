#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// A control that turns vertical drags into value edits, like a knob.
class DragControl : public TestControl
{
public:
  using TestControl::TestControl;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override
  {
    TestControl::OnMouseDrag(x, y, dX, dY, mod);
    for (int v = 0; v < NVals(); ++v)
      SetValue(GetValue(v) - dY / 100.0, v);
    SetDirty(true);
  }
};

struct InputTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};

  void Click(float x, float y, IMouseMod mod = IMouseMod(true))
  {
    g.OnMouseDown({Point(x, y, mod)});
    g.OnMouseUp({Point(x, y, mod)});
  }
  // The ways a control is out of the pointer's reach (rule 0: hidden, 1: ignoring the mouse,
  // 2: disabled): the control is put under the one rule and freed of the others.
  static constexpr int kOutOfReachRules = 3;
  static void PutOutOfReach(IControl& control, int rule)
  {
    control.Hide(rule == 0);
    control.SetIgnoreMouse(rule == 1);
    control.SetDisabled(rule == 2);
  }
};

} // namespace

TEST_F(InputTest, PressGoesToTheFrontMostEligibleControl)
{
  auto* pBack = new TestControl(IRECT(0, 0, 100, 100), -1, "back");
  auto* pFront = new TestControl(IRECT(50, 50, 150, 150), -1, "front");
  g.AttachControl(pBack);
  g.AttachControl(pFront);

  Click(60, 60);
  EXPECT_EQ(pFront->mEvents, (std::vector<std::string>{"down 60 60", "up 60 60"}));
  EXPECT_TRUE(pBack->mEvents.empty());

  for (int rule = 0; rule < kOutOfReachRules; ++rule)
  {
    pFront->mEvents.clear();
    pBack->mEvents.clear();
    PutOutOfReach(*pFront, rule);
    Click(60, 60);
    EXPECT_TRUE(pFront->mEvents.empty()) << rule;
    EXPECT_EQ(pBack->mEvents.size(), 2u) << rule;
  }

  // A disabled control that accepts mouse events while disabled gets them.
  pFront->SetMouseEventsWhenDisabled(true);
  pFront->mEvents.clear();
  Click(60, 60);
  EXPECT_EQ(pFront->mEvents.size(), 2u);

  // Empty space: nothing is captured.
  g.OnMouseDown({Point(300, 300)});
  EXPECT_FALSE(g.ControlIsCaptured());
  EXPECT_FALSE(g.OnMouseDblClick(300, 300, IMouseMod()));
}

TEST_F(InputTest, DragIsCapturedWithOneGesturePerParameter)
{
  auto* pKnob = new DragControl(IRECT(0, 0, 50, 50), {2, 5, -1, 2}, "knob");
  auto* pPeer = new TestControl(IRECT(100, 0, 150, 50), 5, "peer");
  g.AttachControl(pKnob);
  g.AttachControl(pPeer);

  g.OnMouseDown({Point(10, 10, IMouseMod(true))});
  g.OnMouseDrag({Point(200, 250, IMouseMod(true), 0, -10)}); // far outside: still the knob
  g.OnMouseDrag({Point(200, 250, IMouseMod(true), 0, 0)});   // no movement: not passed on
  g.OnMouseDrag({Point(200, 240, IMouseMod(true), 0, -10)});
  g.OnMouseUp({Point(200, 240, IMouseMod(true))});

  EXPECT_EQ(pKnob->mEvents, (std::vector<std::string>{"down 10 10", "drag 200 250 0 -10",
                                                      "drag 200 240 0 -10", "up 200 240"}));
  EXPECT_EQ(Filter(delegate.mHostLog, "begin"),
            (std::vector<std::string>{"begin 2", "begin 5", "begin 2"}));
  EXPECT_EQ(Filter(delegate.mHostLog, "end"),
            (std::vector<std::string>{"end 2", "end 5", "end 2"}));
  // Values went to the plug-in, and the peer bound to parameter 5 followed.
  EXPECT_EQ(Filter(delegate.mHostLog, "value 5").back(), "value 5 0.2");
  EXPECT_DOUBLE_EQ(delegate.GetParam(5)->Value(), 0.2);
  EXPECT_DOUBLE_EQ(pPeer->GetValue(), 0.2);
  EXPECT_FALSE(g.ControlIsCaptured());
}

TEST_F(InputTest, ValuesFromThePlugInWaitWhileCaptured)
{
  auto* pKnob = new DragControl(IRECT(0, 0, 50, 50), 1, "knob");
  g.AttachControl(pKnob);
  g.OnMouseDown({Point(10, 10, IMouseMod(true))});
  pKnob->SetValueFromDelegate(0.9);
  EXPECT_EQ(pKnob->GetValue(), 0.0);
  g.OnMouseUp({Point(10, 10, IMouseMod(true))});
  pKnob->SetValueFromDelegate(0.9);
  EXPECT_EQ(pKnob->GetValue(), 0.9);
}

TEST_F(InputTest, TouchesAreCapturedSeparately)
{
  g.EnableMultiTouch(true);
  auto* pA = new DragControl(IRECT(0, 0, 50, 50), 1, "a");
  auto* pB = new DragControl(IRECT(100, 0, 150, 50), 2, "b");
  g.AttachControl(pA);
  g.AttachControl(pB);
  IMouseMod touch1(true, false, false, false, false, 1);
  IMouseMod touch2(true, false, false, false, false, 2);
  IMouseMod touch3(true, false, false, false, false, 3);
  g.OnMouseDown({Point(10, 10, touch1), Point(110, 10, touch2)});
  g.OnMouseDown({Point(20, 20, touch3)}); // a is taken and does not want multi-touch
  g.OnMouseDrag({Point(120, 20, touch1, 0, -10), Point(20, 20, touch2, 0, -20)});
  EXPECT_DOUBLE_EQ(pA->GetValue(), 0.1);
  EXPECT_DOUBLE_EQ(pB->GetValue(), 0.2);
  g.OnMouseUp({Point(0, 0, touch2)});
  EXPECT_TRUE(g.ControlIsCaptured(pA));
  EXPECT_FALSE(g.ControlIsCaptured(pB));
  g.OnTouchCancelled({Point(0, 0, touch1)});
  EXPECT_FALSE(g.ControlIsCaptured());
  EXPECT_EQ(Filter(delegate.mHostLog, "begin"), (std::vector<std::string>{"begin 1", "begin 2"}));
  // A cancelled touch ends its edit too.
  EXPECT_EQ(Filter(delegate.mHostLog, "end"), (std::vector<std::string>{"end 2", "end 1"}));
}

TEST_F(InputTest, RightClickOpensTheContextMenuOrReachesTheControl)
{
  auto* pKnob = new TestControl(IRECT(0, 0, 50, 50), 3, "knob");
  g.AttachControl(pKnob);
  const IMouseMod right(false, true);

  // The knob offers no context menu: the press is its own (a host on Linux has no menu for it).
  Click(10, 10, right);
  EXPECT_TRUE(g.mMenus.empty());
  EXPECT_EQ(pKnob->mEvents, (std::vector<std::string>{"down 10 10 R", "up 10 10"}));
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 3", "end 3"}));

  pKnob->mEvents.clear();
  delegate.mHostLog.clear();
  pKnob->mAddContextItems = true;
  g.mMenuResponder = [](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(0);
    return &menu;
  };
  Click(10, 10, right);
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].items, std::vector<std::string>{"Context item"});
  EXPECT_EQ(pKnob->mEvents, std::vector<std::string>{"context 0"});
  // No gesture was opened, so none is closed.
  EXPECT_TRUE(delegate.mHostLog.empty());

  // A right-click on a control without a parameter reaches the control itself.
  auto* pPlain = new TestControl(IRECT(100, 0, 150, 50));
  g.AttachControl(pPlain);
  Click(110, 10, right);
  EXPECT_EQ(pPlain->mEvents.front(), "down 110 10 R");
}

TEST_F(InputTest, DoubleClickOpensNoGesture)
{
  auto* pKnob = new TestControl(IRECT(0, 0, 50, 50), 1, "knob");
  auto* pSwitch = new TestControl(IRECT(100, 0, 150, 50), 2, "switch");
  pSwitch->SetDblAsSingleClick(true);
  g.AttachControl(pKnob);
  g.AttachControl(pSwitch);

  EXPECT_TRUE(g.OnMouseDblClick(10, 10, IMouseMod(true)));
  EXPECT_EQ(pKnob->mEvents, std::vector<std::string>{"dblclick"});
  EXPECT_FALSE(g.ControlIsCaptured());

  EXPECT_TRUE(g.OnMouseDblClick(110, 10, IMouseMod(true)));
  g.OnMouseUp({Point(110, 10, IMouseMod(true))});
  EXPECT_EQ(pSwitch->mEvents, (std::vector<std::string>{"down 110 10", "up 110 10"}));
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 2", "end 2"}));
}

TEST_F(InputTest, HoverMovesFromControlToControl)
{
  auto* pBackground = g.AttachBackgroundControl(new TestControl(IRECT(0, 0, 400, 300)));
  auto* pA = new TestControl(IRECT(0, 0, 50, 50), -1, "a");
  auto* pB = new TestControl(IRECT(100, 0, 150, 50), -1, "b");
  g.AttachControl(pA);
  g.AttachControl(pB);
  EXPECT_FALSE(g.OnMouseOver(10, 10, IMouseMod())); // mouse-over is off by default
  g.EnableTooltips(true);                           // which turns it on

  EXPECT_TRUE(g.OnMouseOver(10, 10, IMouseMod()));
  EXPECT_TRUE(g.OnMouseOver(110, 10, IMouseMod()));
  EXPECT_EQ(pA->mEvents, (std::vector<std::string>{"over", "out"}));
  EXPECT_EQ(pB->mEvents, std::vector<std::string>{"over"});
  EXPECT_EQ(g.GetMouseOverIdx(), 2);

  // Over the background alone there is no mouse-over control.
  EXPECT_FALSE(g.OnMouseOver(300, 200, IMouseMod()));
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_FALSE(pBackground->GetMouseIsOver());

  g.OnMouseOver(110, 10, IMouseMod());
  g.SetMouseCursor(ECursor::kHand);
  g.OnMouseOut();
  EXPECT_EQ(pB->mEvents.back(), "out");
  EXPECT_EQ(g.GetCursorType(), ECursor::kHand); // remembered for the pointer's return
}

TEST_F(InputTest, KeysGoToTheControlUnderThePointerThenTheHandler)
{
  struct KeyControl : TestControl
  {
    using TestControl::TestControl;
    bool OnKeyDown(float, float, const IKeyPress& key) override { return key.VK == 'K'; }
  };
  g.AttachBackgroundControl(new KeyControl(IRECT(0, 0, 400, 300)));
  g.AttachControl(new KeyControl(IRECT(0, 0, 50, 50)));
  std::vector<int> handled;
  g.SetKeyHandlerFunc(
    [&](const IKeyPress& key, bool isUp)
    {
      handled.push_back(isUp ? -key.VK : key.VK);
      return true;
    });
  EXPECT_TRUE(g.OnKeyDown(10, 10, IKeyPress("k", 'K')));
  EXPECT_TRUE(handled.empty());
  EXPECT_TRUE(g.OnKeyDown(200, 200, IKeyPress("k", 'K'))); // the background does not take keys
  EXPECT_TRUE(g.OnKeyUp(10, 10, IKeyPress("k", 'K')));
  EXPECT_EQ(handled, (std::vector<int>{'K', -'K'}));

  EXPECT_FALSE(delegate.OnKeyDown(IKeyPress("k", 'K'))); // the delegate has no context
}

TEST_F(InputTest, QwertyKeysNeverLeaveANoteHanging)
{
  std::vector<IMidiMsg> forwarded;
  g.SetQwertyMidiKeyHandlerFunc([&](const IMidiMsg& msg) { forwarded.push_back(msg); });
  auto key = [&](int vk, bool up)
  {
    const char text[2] = {static_cast<char>(vk), 0};
    return up ? g.OnKeyUp(0, 0, IKeyPress(text, vk)) : g.OnKeyDown(0, 0, IKeyPress(text, vk));
  };
  auto notes = [&]()
  {
    std::vector<std::string> out;
    for (const IMidiMsg& msg : delegate.mMidiFromUI)
      out.push_back((msg.mStatus == 0x90 ? "on " : "off ") + std::to_string(msg.mData1));
    delegate.mMidiFromUI.clear();
    return out;
  };
  // The base note is shared by every editor in the process: bring it to 48.
  for (int i = 0; i < 7; ++i)
    key('Z', false);
  key('X', false);
  key('X', false);
  notes();

  EXPECT_TRUE(key('1', false)); // not a letter: swallowed
  key('A', false);
  key('A', false); // a repeat sends nothing more
  key('K', false);
  EXPECT_EQ(notes(), (std::vector<std::string>{"on 48", "on 60"}));
  key('X', false); // octave up while A and K are held
  EXPECT_EQ(notes(), (std::vector<std::string>{"off 48", "off 60"}));
  key('A', true); // the release of a key struck in the old octave sends nothing more
  key('K', true);
  EXPECT_TRUE(notes().empty());
  key('Z', false); // back down: the keys play their notes again
  key('A', false);
  key('A', true);
  EXPECT_EQ(notes(), (std::vector<std::string>{"on 48", "off 48"}));
  EXPECT_EQ(forwarded.size(), 6u);
  EXPECT_EQ(forwarded.back().mOffset, 0);
}

TEST_F(InputTest, CornerResizerDragScalesTheEditor)
{
  struct Resizer : TestControl
  {
    using TestControl::TestControl;
    void OnMouseDown(float, float, const IMouseMod&) override
    {
      GetUI()->SetResizingInProcess(true);
    }
  };
  g.AttachCornerResizer(new Resizer(IRECT(380, 280, 400, 300)), EUIResizerMode::kScale);
  g.OnMouseDown({Point(390, 290, IMouseMod(true))});
  EXPECT_TRUE(g.GetResizingInProcess());
  g.OnMouseDrag({Point(780, 870, IMouseMod(true), 390, 580)});
  EXPECT_EQ(g.GetDrawScale(), 2.f);
  g.OnMouseUp({Point(780, 870, IMouseMod(true))});
  EXPECT_FALSE(g.GetResizingInProcess());
}

namespace
{

// Records the files dropped on it.
class DropControl : public TestControl
{
public:
  using TestControl::TestControl;
  void OnDrop(const char* str) override { mEvents.push_back(std::string("drop ") + str); }
  void OnDropMultiple(const std::vector<const char*>& paths) override
  {
    mEvents.push_back("drop " + std::to_string(paths.size()));
  }
};

} // namespace

TEST_F(InputTest, DropsReachOnlyAControlThatTakesFiles)
{
  auto* pWell = new DropControl(IRECT(0, 0, 100, 100), -1, "well");
  auto* pOver = new DropControl(IRECT(50, 50, 150, 150), -1, "over");
  g.AttachControl(pWell);
  g.AttachControl(pOver);
  EXPECT_FALSE(pWell->GetTakesFiles()); // off unless the control says so
  pWell->SetTakesFiles(true);
  const std::vector<const char*> two = {"/a", "/b"};

  // (point, whether the well takes the drop): the well itself; the control over it, which
  // takes no files; empty space.
  const std::tuple<float, float, bool> points[] = {
    {20, 20, true}, {60, 60, false}, {300, 300, false}};
  for (const auto& [x, y, takes] : points)
  {
    pWell->mEvents.clear();
    EXPECT_EQ(g.ControlTakesFilesAt(x, y), takes) << x;
    EXPECT_EQ(g.OnDrop("/a", x, y), takes) << x;
    EXPECT_EQ(g.OnDropMultiple(two, x, y), takes) << x;
    const std::vector<std::string> delivered = {"drop /a", "drop 2"};
    EXPECT_EQ(pWell->mEvents, takes ? delivered : std::vector<std::string>()) << x;
    EXPECT_TRUE(pOver->mEvents.empty()) << x;
  }

  // Where the pointer would not reach it, the well takes nothing either.
  for (int rule = 0; rule < kOutOfReachRules; ++rule)
  {
    PutOutOfReach(*pWell, rule);
    EXPECT_FALSE(g.ControlTakesFilesAt(20, 20)) << rule;
    EXPECT_FALSE(g.OnDrop("/a", 20, 20)) << rule;
  }
  EXPECT_TRUE(pWell->mEvents.empty());
}
