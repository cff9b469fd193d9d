// The editor inside a host window, under Xvfb: the test plug-in is loaded through the host
// tool's code, its editor opened in a plain X11 parent window, its pixels read from the parent,
// a click and a drag sent to it, and it is closed, also after the host destroyed the parent.
// The plug-in's library gallery is opened the same way and every control in it clicked.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include <dlfcn.h>

namespace
{

using plugin::igraphics::IColor;

// The GL stack stays loaded to the end of the process, as in a host that draws with GL itself
// (the plug-in is loaded and unloaded by each test), and so that a leak report names Mesa's
// driver: the suppressions of sanitizer builds tell its leaks from the plug-in's.
const bool kGLKept = []
{
  for (const char* lib :
       {"libGLdispatch.so.0", "libGLX.so.0", "libGL.so.1", "libOpenGL.so.0", "libEGL.so.1",
        "libGLX_mesa.so.0", "libEGL_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
    dlopen(lib, RTLD_LAZY | RTLD_GLOBAL | RTLD_NODELETE);
  return true;
}();

class EditorWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
      GTEST_SKIP() << "no X display (run under xvfb-run)";
    std::string error;
    ASSERT_TRUE(mModule.Load(PELMORA_TEST_PLUGIN, error)) << error;
    ASSERT_TRUE(mPlugin.Create(mModule.Entry()));
    mPlugin.Start();
  }

  void TearDown() override
  {
    if (mPlugin.Effect())
      mPlugin.Close();
    if (mDisplay)
      XCloseDisplay(mDisplay);
  }

  Window MakeParent()
  {
    const Window parent =
      XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 1011, 601, 0, 0, 0x808080);
    XMapWindow(mDisplay, parent);
    XSync(mDisplay, False);
    return parent;
  }

  // Idle calls as a host makes them, a frame period apart.
  void Idle(int count = 6)
  {
    for (int i = 0; i < count; ++i)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      mPlugin.Dispatch(kVst2EffEditIdle);
    }
  }

  IColor PixelOf(Window window, int x, int y)
  {
    XSync(mDisplay, False);
    XImage* image = XGetImage(mDisplay, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
      return IColor(0, 0, 0, 0);
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return IColor(255, int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255));
  }

  Window ChildOf(Window parent)
  {
    Window root = 0, par = 0, *children = nullptr;
    unsigned n = 0;
    Window child = 0;
    if (XQueryTree(mDisplay, parent, &root, &par, &children, &n) && n > 0)
      child = children[0];
    if (children)
      XFree(children);
    return child;
  }

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

  intptr_t Probe(int what) { return mPlugin.Dispatch(kVst2EffVendorSpecific, kProbe, what); }

  // Calls of the opcode for the parameter since the records were cleared.
  int CountFor(int32_t opcode, int paramIdx)
  {
    int n = 0;
    for (const host::HostCall& call : mPlugin.Calls())
      n += call.opcode == opcode && call.index == paramIdx;
    return n;
  }

  static bool Near(const IColor& a, const IColor& b)
  {
    return std::abs(a.R - b.R) <= 3 && std::abs(a.G - b.G) <= 3 && std::abs(a.B - b.B) <= 3;
  }

  Display* mDisplay = nullptr;
  host::PluginModule mModule;
  host::HostedPlugin mPlugin;
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
  // The slider was redrawn at its new value.
  EXPECT_TRUE(Near(PixelOf(parent, 350, 120), kTestPlugSliderFill));

  EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
  XDestroyWindow(mDisplay, parent);
  XSync(mDisplay, False);
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

TEST_F(EditorWindowTest, LibraryGalleryAnswersAClickOnEveryControl)
{
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffVendorSpecific, kSelectLayout, kLayoutGallery), 1);
  const Window parent = MakeParent();
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
  Idle();
  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  const bool inWindowPrompts = Probe(kProbeInWindowPrompts) == 1;

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
      // With the in-window field and menu the prompt opens, and a click beside it closes it
      // without a value; without them the request ends at once.
      EXPECT_EQ(Probe(kProbePromptOpen), inWindowPrompts ? 1 : 0);
      if (inWindowPrompts)
      {
        press(1000, 590, false);
        EXPECT_EQ(Probe(kProbePromptOpen), 0);
      }
      break;
    case EGalleryAnswer::kNone:
      EXPECT_EQ(mPlugin.CountCalls(kVst2HostBeginEdit), 0);
      EXPECT_EQ(mPlugin.CountCalls(kVst2HostAutomate), 0);
      break;
    }
  }

  EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
  XDestroyWindow(mDisplay, parent);
  XSync(mDisplay, False);
}

} // namespace
