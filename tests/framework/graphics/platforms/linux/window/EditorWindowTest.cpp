// The editor inside a host window, under Xvfb: the test plug-in is loaded through the host
// tool's code, its editor opened in a plain X11 parent window, its pixels read from the parent,
// a click and a drag sent to it, and it is closed, also after the host destroyed the parent.
// Value prompts, menus, the keyboard and the clipboard are driven with real X input (xdotool
// through the XTEST extension), through the host's VST2 key calls and by another client (xclip).
// The plug-in's library gallery is opened the same way and every control in it clicked. A UI
// size asks the host for the new window size, and the window and frame buffer follow. A knob
// dragged with the pointer hidden follows the distance the pointer moved, once, whether the
// moves come one or many per idle call and from a relative or an absolute device (XTEST), on
// both axes and wherever the host's window lies on the screen.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
// After the plug-in's headers: Xlib's macros (None, Bool, ...) would break them.
#include "tests/framework/graphics/platforms/linux/window/HostWindowTest.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <future>

namespace
{

using plugin::igraphics::IColor;
using plugin::igraphics::IRECT;

class EditorWindowTest : public plugin::test::HostWindowTest
{
protected:
  EditorWindowTest() : HostWindowTest(PELMORA_TEST_PLUGIN) {}

  void SendButton(Window w, int type, int x, int y, unsigned state, Time time)
  {
    XEvent e = {};
    e.xbutton.type = type;
    e.xbutton.display = mDisplay;
    e.xbutton.window = w;
    e.xbutton.root = DefaultRootWindow(mDisplay);
    e.xbutton.time = time;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.state = state;
    e.xbutton.button = Button1;
    e.xbutton.same_screen = True;
    XSendEvent(mDisplay, w, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
  }

  void SendMotion(Window w, int x, int y, Time time)
  {
    XEvent e = {};
    e.xmotion.type = MotionNotify;
    e.xmotion.display = mDisplay;
    e.xmotion.window = w;
    e.xmotion.root = DefaultRootWindow(mDisplay);
    e.xmotion.time = time;
    e.xmotion.x = x;
    e.xmotion.y = y;
    e.xmotion.state = Button1Mask;
    e.xmotion.same_screen = True;
    XSendEvent(mDisplay, w, True, PointerMotionMask, &e);
  }

  // The centre of a rectangle of the test editor, dy points lower, in screen pixels (the parent
  // sits at 0, 0); a real click there, after which the editor idles.
  static std::string At(const IRECT& r, float dy = 0.f)
  {
    return std::to_string(int(r.MW())) + " " + std::to_string(int(r.MH() + dy));
  }
  void ClickAt(const IRECT& r)
  {
    Xdo("mousemove " + At(r) + " click 1");
    Idle();
  }

  Window Focus()
  {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(mDisplay, &focus, &revert);
    return focus;
  }

  // Every value of the parameter reached the host between a begin and an end of its gesture,
  // and every gesture begun was ended; answers how many values came.
  int ValuesInsideGestures(int paramIdx)
  {
    int open = 0, values = 0;
    for (const auto& call : mPlugin.Calls())
    {
      if (call.index != paramIdx)
        continue;
      if (call.opcode == kVst2HostBeginEdit)
        ++open;
      else if (call.opcode == kVst2HostEndEdit)
        --open;
      else if (call.opcode == kVst2HostAutomate)
      {
        EXPECT_EQ(open, 1) << "a value outside its gesture";
        ++values;
      }
    }
    EXPECT_EQ(open, 0) << "a gesture left open";
    return values;
  }

  // The CLIPBOARD as UTF-8, read by another client (xclip) while the editor answers from its
  // idle calls.
  std::string ReadClipboard()
  {
    auto reader = std::async(std::launch::async,
                             []
                             {
                               std::string text;
                               FILE* pPipe = popen("timeout 5 xclip -o -selection clipboard -t "
                                                   "UTF8_STRING 2>/dev/null",
                                                   "r");
                               for (int c; pPipe && (c = std::fgetc(pPipe)) != EOF;)
                                 text += static_cast<char>(c);
                               if (pPipe)
                                 pclose(pPipe);
                               return text;
                             });
    while (reader.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
      Idle(1);
    return reader.get();
  }

  intptr_t Probe(int what) { return mPlugin.Dispatch(kVst2EffVendorSpecific, kProbe, what); }
};

TEST_F(EditorWindowTest, ShowsItsPixelsAndTurnsAClickAndADragIntoOneGesture)
{
  Vst2Rect* pRect = nullptr;
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditGetRect, 0, 0, &pRect), 1);
  EXPECT_EQ(pRect->right - pRect->left, 1011);
  EXPECT_EQ(pRect->bottom - pRect->top, 601);

  const Window parent = MakeParent();
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
  Idle();
  // Gain starts at 0.5: the slider is filled up to its middle.
  EXPECT_TRUE(Near(PixelOf(parent, 150, 120), kTestPlugSliderFill));
  EXPECT_FALSE(Near(PixelOf(parent, 450, 120), kTestPlugSliderFill));
  EXPECT_TRUE(Near(PixelOf(parent, 700, 400), kTestPlugBackground));
  const IColor logo = PixelOf(parent, 68, 36);

  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  mPlugin.ClearRecords();
  SendButton(child, ButtonPress, 200, 120, 0, 1000);
  SendMotion(child, 300, 120, 1020);
  SendMotion(child, 400, 120, 1040);
  SendButton(child, ButtonRelease, 400, 120, Button1Mask, 1060);
  XSync(mDisplay, False);
  Idle();

  EXPECT_EQ(mPlugin.CountCalls(kVst2HostBeginEdit), 1);
  EXPECT_EQ(mPlugin.CountCalls(kVst2HostEndEdit), 1);
  EXPECT_GE(mPlugin.CountCalls(kVst2HostAutomate), 2);
  // Begin comes before the first value, end after the last.
  const auto calls = mPlugin.Calls();
  int first = -1, last = -1;
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i].opcode == kVst2HostBeginEdit || calls[i].opcode == kVst2HostEndEdit ||
        calls[i].opcode == kVst2HostAutomate)
    {
      if (first < 0)
        first = static_cast<int>(i);
      last = static_cast<int>(i);
    }
  ASSERT_GE(first, 0);
  EXPECT_EQ(calls[first].opcode, kVst2HostBeginEdit);
  EXPECT_EQ(calls[first].index, kParamGain);
  EXPECT_EQ(calls[last].opcode, kVst2HostEndEdit);
  EXPECT_NEAR(mPlugin.Effect()->getParameter(mPlugin.Effect(), kParamGain), 0.75, 0.011);
  // The slider was redrawn at its new value (frames of its region only), and the window still
  // shows what those frames did not redraw.
  EXPECT_TRUE(Near(PixelOf(parent, 350, 120), kTestPlugSliderFill));
  EXPECT_FALSE(Near(PixelOf(parent, 450, 120), kTestPlugSliderFill));
  EXPECT_TRUE(Near(PixelOf(parent, 700, 400), kTestPlugBackground));
  EXPECT_TRUE(Near(PixelOf(parent, 68, 36), logo));

  EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
  XDestroyWindow(mDisplay, parent);
  XSync(mDisplay, False);
}

// A frame copies only what it redrew: a mark painted into the window outside the slider stays
// through the slider's redraw, and an Expose shows the whole frame again.
TEST_F(EditorWindowTest, AFrameCopiesOnlyItsDirtyRegionsAndAnExposeShowsAll)
{
  const Window parent = OpenEditor();
  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  const IColor mark(255, 255, 0, 255);
  GC gc = XCreateGC(mDisplay, child, 0, nullptr);
  XSetForeground(mDisplay, gc, 0xFF00FF);
  XFillRectangle(mDisplay, child, gc, 690, 390, 20, 20);
  XFreeGC(mDisplay, gc);
  ASSERT_TRUE(Near(PixelOf(parent, 700, 400), mark));

  mPlugin.Effect()->setParameter(mPlugin.Effect(), kParamGain, 0.75f);
  Idle();
  EXPECT_TRUE(Near(PixelOf(parent, 350, 120), kTestPlugSliderFill)); // the slider was redrawn
  EXPECT_TRUE(Near(PixelOf(parent, 700, 400), mark));                // nothing else was copied

  XClearArea(mDisplay, child, 0, 0, 0, 0, True);
  XSync(mDisplay, False);
  Idle();
  EXPECT_TRUE(Near(PixelOf(parent, 700, 400), kTestPlugBackground));
  EXPECT_TRUE(Near(PixelOf(parent, 350, 120), kTestPlugSliderFill));
  CloseEditor(parent);
}

TEST_F(EditorWindowTest, ClosesAfterTheHostDestroyedItsWindow)
{
  for (int round = 0; round < 2; ++round)
  {
    const Window parent = MakeParent();
    ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    Idle(2);
    XDestroyWindow(mDisplay, parent);
    XSync(mDisplay, False);
    // The first round idles once more with the window gone; the second closes at once.
    if (round == 0)
      Idle(2);
    EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
  }
  // Still alive, and an editor opens again.
  const Window parent = MakeParent();
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
  Idle();
  EXPECT_TRUE(Near(PixelOf(parent, 700, 400), kTestPlugBackground));
  EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
  XDestroyWindow(mDisplay, parent);
}

TEST_F(EditorWindowTest, TypesAValueAndPicksAMenuItemWithRealXInputThenGivesTheKeysBack)
{
  const Window parent = OpenEditor(true); // the host has the keys
  const Window child = ChildOf(parent);
  EXPECT_EQ(Focus(), parent); // opening took nothing

  // A click on the caption opens the field, which takes the keys; Return commits.
  mPlugin.ClearRecords();
  ClickAt(kTestPlugVoicesBounds);
  EXPECT_EQ(Focus(), child);
  Xdo("type 12");
  Xdo("key Return");
  Idle();
  EXPECT_NEAR(Param(kParamVoices), 11.0 / 15.0, 1e-6);
  EXPECT_EQ(ValuesInsideGestures(kParamVoices), 1);
  EXPECT_EQ(Focus(), parent); // given back once the edit ended

  // The menu of the mode's texts: hover the second item and click it.
  mPlugin.ClearRecords();
  ClickAt(kTestPlugModeBounds);
  EXPECT_EQ(Focus(), parent); // a menu takes no keys
  // Rows about 24 pixels high from 6 under the caption: the second row's middle.
  Xdo("mousemove " + At(kTestPlugModeBounds, 16.f + 6.f + 36.f));
  Idle(2);
  Xdo("click 1");
  Idle();
  EXPECT_NEAR(Param(kParamMode), 1.0 / 3.0, 1e-6);
  EXPECT_EQ(ValuesInsideGestures(kParamMode), 1);
  EXPECT_EQ(mPlugin.CountCalls(kVst2HostBeginEdit), 1);

  // Keys from the host's key calls reach the field too.
  ClickAt(kTestPlugVoicesBounds);
  mPlugin.Dispatch(kVst2EffEditKeyDown, '7', 0, nullptr, 0.f);
  mPlugin.Dispatch(kVst2EffEditKeyDown, 0, 4, nullptr, 0.f); // Return
  Idle();
  EXPECT_NEAR(Param(kParamVoices), 6.0 / 15.0, 1e-6);
  EXPECT_EQ(Focus(), parent);

  // Closing the editor with a menu open ends its request and the gesture of its press.
  mPlugin.ClearRecords();
  ClickAt(kTestPlugModeBounds);
  CloseEditor(parent);
  EXPECT_EQ(mPlugin.CountCalls(kVst2HostBeginEdit), 1);
  EXPECT_EQ(mPlugin.CountCalls(kVst2HostEndEdit), 1);
}

TEST_F(EditorWindowTest, TypesTheLayoutsCharactersAndSharesTheClipboardWithOtherClients)
{
  // Two characters beyond the US layout, on keycodes that had none.
  int minCode = 0, maxCode = 0, perCode = 0;
  XDisplayKeycodes(mDisplay, &minCode, &maxCode);
  KeySym* pMap = XGetKeyboardMapping(mDisplay, minCode, maxCode - minCode + 1, &perCode);
  std::vector<int> free;
  for (int code = maxCode; code >= minCode && free.size() < 2; --code)
  {
    bool empty = true;
    for (int k = 0; k < perCode; ++k)
      empty = empty && pMap[(code - minCode) * perCode + k] == NoSymbol;
    if (empty)
      free.push_back(code);
  }
  XFree(pMap);
  ASSERT_EQ(free.size(), 2u);
  KeySym eacute = XK_eacute, zhe = XK_Cyrillic_zhe, none = NoSymbol;
  XChangeKeyboardMapping(mDisplay, free[0], 1, &eacute, 1);
  XChangeKeyboardMapping(mDisplay, free[1], 1, &zhe, 1);
  XSync(mDisplay, False);

  const Window parent = OpenEditor();
  ClickAt(kTestPlugNameBounds);
  Xdo("type ab");
  Xdo("key eacute Cyrillic_zhe ctrl+a ctrl+c");
  Idle();
  EXPECT_EQ(ReadClipboard(), "ab\xC3\xA9\xD0\xB6");

  // Another client's UTF-8 text pasted into the name field arrives whole: copied back out, it
  // is what went in.
  const std::string utf8 = "Gr\xC3\xB6\xC3\x9F"
                           "e \xC3\xB7 \xE6\x97\xA5\xE6\x9C\xAC"; // "Größe ÷ 日本"
  ASSERT_EQ(
    std::system(
      ("printf '%s' '" + utf8 + "' | xclip -selection clipboard -i >/dev/null 2>&1").c_str()),
    0);
  Xdo("key ctrl+a ctrl+v ctrl+a ctrl+c");
  Idle();
  EXPECT_EQ(ReadClipboard(), utf8);

  // Another client's text pasted into a numeric field: filtered, then committed.
  ASSERT_EQ(std::system("printf '1x3\\n' | xclip -selection clipboard -i >/dev/null 2>&1"), 0);
  Xdo("key Escape");
  ClickAt(kTestPlugVoicesBounds);
  Xdo("key ctrl+v Return");
  Idle();
  EXPECT_NEAR(Param(kParamVoices), 12.0 / 15.0, 1e-6);

  // Closed while a field edits: the keys go back to the host's window.
  XSetInputFocus(mDisplay, parent, RevertToParent, CurrentTime);
  XSync(mDisplay, False);
  ClickAt(kTestPlugNameBounds);
  EXPECT_EQ(Focus(), ChildOf(parent));
  EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
  EXPECT_EQ(Focus(), parent);
  XDestroyWindow(mDisplay, parent);
  XChangeKeyboardMapping(mDisplay, free[0], 1, &none, 1);
  XChangeKeyboardMapping(mDisplay, free[1], 1, &none, 1);
  XSync(mDisplay, False);
}

TEST_F(EditorWindowTest, LibraryGalleryAnswersAClickOnEveryControl)
{
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffVendorSpecific, kSelectLayout, kLayoutGallery), 1);
  const Window parent = OpenEditor();
  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  ASSERT_EQ(Probe(kProbeInWindowPrompts), 1);

  Time time = 5000;
  auto press = [&](float x, float y, bool drag)
  {
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    SendButton(child, ButtonPress, ix, iy, 0, time += 20);
    if (drag)
    {
      SendMotion(child, ix, iy - 15, time += 20);
      SendMotion(child, ix, iy - 30, time += 20);
    }
    SendButton(child, ButtonRelease, ix, drag ? iy - 30 : iy, Button1Mask, time += 20);
    XSync(mDisplay, False);
    Idle(8); // past the 100 ms click animations
  };

  for (size_t i = 0; i < std::size(kGalleryItems); ++i)
  {
    const GalleryItem& item = kGalleryItems[i];
    SCOPED_TRACE(item.name);
    mPlugin.ClearRecords();
    press(item.x, item.y, item.answer == EGalleryAnswer::kDrag);
    switch (item.answer)
    {
    case EGalleryAnswer::kParam:
    case EGalleryAnswer::kDrag:
      EXPECT_EQ(CountFor(kVst2HostBeginEdit, item.paramIdx), 1);
      EXPECT_GE(CountFor(kVst2HostAutomate, item.paramIdx), 1);
      EXPECT_EQ(CountFor(kVst2HostEndEdit, item.paramIdx), 1);
      break;
    case EGalleryAnswer::kAction:
      EXPECT_TRUE(Probe(kProbeGalleryActions) & (intptr_t(1) << i));
      EXPECT_EQ(mPlugin.CountCalls(kVst2HostBeginEdit), 0);
      break;
    case EGalleryAnswer::kPrompt:
      // The in-window field or menu opens; a click beside it closes it without a value.
      EXPECT_EQ(Probe(kProbePromptOpen), 1);
      press(1000, 590, false);
      EXPECT_EQ(Probe(kProbePromptOpen), 0);
      break;
    case EGalleryAnswer::kNone:
      EXPECT_EQ(mPlugin.CountCalls(kVst2HostBeginEdit), 0);
      EXPECT_EQ(mPlugin.CountCalls(kVst2HostAutomate), 0);
      break;
    }
  }
  CloseEditor(parent);
}

TEST_F(EditorWindowTest, AUISizeAsksTheHostAndTheWindowAndFrameBufferFollow)
{
  const Window parent = OpenEditor();
  mPlugin.ClearRecords();
  ClickAt(kTestPlugZoomBounds); // to scale 1.5
  std::string requests;
  for (const auto& call : mPlugin.Calls())
    if (call.opcode == kVst2HostSizeWindow)
      requests += std::to_string(call.index) + "x" + std::to_string(call.value) + " ";
  // 1516.5 x 901.5 pixels, rounded up: the last half pixel of the layout is shown, not cut.
  EXPECT_EQ(requests, "1517x902 ");
  XWindowAttributes child = {};
  XGetWindowAttributes(mDisplay, ChildOf(parent), &child);
  EXPECT_EQ(child.width, 1517);
  EXPECT_EQ(child.height, 902);

  // The host grows its window as asked: the new frame buffer is drawn whole, the slider (half
  // filled) at 1.5 times its size, the background out to the new corner.
  XResizeWindow(mDisplay, parent, 1517, 902);
  XSync(mDisplay, False);
  Idle();
  const float y = kTestPlugSliderBounds.MH() * 1.5f;
  EXPECT_TRUE(Near(PixelOf(parent, int(1.5f * 290.f), int(y)), kTestPlugSliderFill));
  EXPECT_FALSE(Near(PixelOf(parent, int(1.5f * 310.f), int(y)), kTestPlugSliderFill));
  EXPECT_TRUE(Near(PixelOf(parent, 1500, 890), kTestPlugBackground));
  CloseEditor(parent);
}

TEST_F(EditorWindowTest, AKnobFollowsThePointersMovementOnceWhateverTheBatchingAndTheDevice)
{
  // 160 points up on the knob (100 points high, gearing 4) move it 0.4: 0.3 becomes 0.7. The drag
  // runs far enough for the hidden pointer to be moved back on the way.
  constexpr int kDistance = 160;
  const int y = static_cast<int>(kTestPlugKnobBounds.MH());
  const Window parent = OpenEditor();
  struct Way
  {
    bool absolute;
    int movesPerIdle;
    int x; // each drag starts at its own point: no two presses make a double click
  };
  for (const Way way : {Way{false, 1, 830}, Way{false, 8, 845}, Way{false, 32, 860},
                        Way{true, 1, 875}, Way{true, 32, 890}})
  {
    const int x = way.x;
    SCOPED_TRACE((way.absolute ? "absolute, " : "relative, ") + std::to_string(way.movesPerIdle) +
                 " moves per idle call");
    mPlugin.Effect()->setParameter(mPlugin.Effect(), kParamCutoff, 0.3f);
    HeldDrag(x, y, 0, -1, kDistance, way.movesPerIdle, way.absolute);
    EXPECT_NEAR(Param(kParamCutoff), 0.7, 2e-4);
    // The pointer shows again where the drag started.
    EXPECT_EQ(PointerOnScreen(), std::make_pair(x, y));
  }
  CloseEditor(parent);
}

// The host's window need not sit at the screen's corner: at (1000, -200) the knob lies at the
// screen's top right, and the hidden pointer must be moved back before it meets an edge there.
// A diagonal drag moves the knob by its vertical movement and hands the horizontal movement on
// as well (the knob adds it up), whether the moves come one or many per idle call, from a mouse
// or from a tablet (which goes on from where its pen is after a move-back).
TEST_F(EditorWindowTest, AHeldDragCountsBothAxesWhereverTheHostWindowLies)
{
  constexpr int kLeft = 1000, kTop = -200, kDistance = 160;
  const Window parent = OpenEditor();
  XMoveWindow(mDisplay, parent, kLeft, kTop);
  XSync(mDisplay, False);
  Idle();
  struct Way
  {
    bool absolute;
    int movesPerIdle;
    int x; // where the drag starts in the window: 110 pixels under the screen's top for the
    int y; // mouse, nearer than its move-backs' distance; a tablet must stay on the screen
  };
  for (const Way way : {Way{false, 1, 822, 310}, Way{false, 8, 836, 310}, Way{false, 32, 850, 310},
                        Way{true, 1, 864, 380}, Way{true, 32, 878, 380}})
  {
    SCOPED_TRACE((way.absolute ? "absolute, " : "relative, ") + std::to_string(way.movesPerIdle) +
                 " moves per idle call");
    mPlugin.Effect()->setParameter(mPlugin.Effect(), kParamCutoff, 0.3f);
    HeldDrag(kLeft + way.x, kTop + way.y, 1, -1, kDistance, way.movesPerIdle, way.absolute);
    // 160 points up move the knob 0.4; 160 to the right reach it as 160.
    EXPECT_NEAR(Param(kParamCutoff), 0.7, 2e-4);
    EXPECT_NEAR(Probe(kProbeKnobDragX) / 1000.0, kDistance, 0.01);
    EXPECT_EQ(PointerOnScreen(), std::make_pair(kLeft + way.x, kTop + way.y));
  }
  CloseEditor(parent);
}

} // namespace
