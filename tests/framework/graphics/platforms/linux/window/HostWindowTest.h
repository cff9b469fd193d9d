#pragma once
// A plug-in's editor inside a host window, under Xvfb: the plug-in loaded and started through the
// host tool's code, its editor opened in a plain X11 parent window and driven with real X input
// (xdotool through the XTEST extension) while the host makes its idle calls; closed, and the
// parent destroyed.

#include "framework/graphics/IGraphicsStructs.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

#include <dlfcn.h>

namespace plugin::test
{

// The GL stack stays loaded to the end of the process, as in a host that draws with GL itself
// (the plug-in is loaded and unloaded by each test), and so that a leak report names Mesa's
// driver: the suppressions of sanitizer builds tell its leaks from the plug-in's.
inline void KeepGLLoaded()
{
  static const bool kKept = []
  {
    for (const char* lib :
         {"libGLdispatch.so.0", "libGLX.so.0", "libGL.so.1", "libOpenGL.so.0", "libEGL.so.1",
          "libGLX_mesa.so.0", "libEGL_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
      dlopen(lib, RTLD_LAZY | RTLD_GLOBAL | RTLD_NODELETE);
    return true;
  }();
  (void)kKept;
}

class HostWindowTest : public ::testing::Test
{
protected:
  explicit HostWindowTest(const char* pluginPath) : mPluginPath(pluginPath) {}

  void SetUp() override
  {
    KeepGLLoaded();
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
      GTEST_SKIP() << "no X display (run under xvfb-run)";
    std::string error;
    ASSERT_TRUE(mModule.Load(mPluginPath, error)) << error;
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

  // The editor's window: the first child of the host's window.
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

  // The colour of a pixel of the window (transparent black when it cannot be read).
  igraphics::IColor PixelOf(Window window, int x, int y)
  {
    XSync(mDisplay, False);
    XImage* image = XGetImage(mDisplay, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
      return igraphics::IColor(0, 0, 0, 0);
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return igraphics::IColor(255, int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255));
  }
  static bool Near(const igraphics::IColor& a, const igraphics::IColor& b)
  {
    return std::abs(a.R - b.R) <= 3 && std::abs(a.G - b.G) <= 3 && std::abs(a.B - b.B) <= 3;
  }

  // The editor opened in a new parent window (which has the keys when the host's window should)
  // and drawn; closed, and the parent destroyed.
  Window OpenEditor(bool hostHasKeys = false)
  {
    const Window parent = MakeParent();
    if (hostHasKeys)
      XSetInputFocus(mDisplay, parent, RevertToParent, CurrentTime);
    XSync(mDisplay, False);
    EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    Idle();
    return parent;
  }
  void CloseEditor(Window parent)
  {
    EXPECT_EQ(mPlugin.Dispatch(kVst2EffEditClose), 1);
    XDestroyWindow(mDisplay, parent);
    XSync(mDisplay, False);
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

  // Real input through the X server (XTEST), as a user's hands give it.
  static void Xdo(const std::string& args)
  {
    ASSERT_EQ(std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()), 0) << args;
  }

  // A press at (x, y) on the screen, then moves of (dx, dy) pixels each, movesPerIdle of them
  // between two idle calls, by a relative device or an absolute one (a tablet); then released.
  void HeldDrag(int x, int y, int dx, int dy, int moves, int movesPerIdle, bool absolute)
  {
    XTestFakeMotionEvent(mDisplay, -1, x, y, CurrentTime);
    XSync(mDisplay, False);
    Idle();
    XTestFakeButtonEvent(mDisplay, Button1, True, CurrentTime);
    XSync(mDisplay, False);
    Idle(1);
    for (int moved = 0; moved < moves;)
    {
      for (int i = 0; i < movesPerIdle && moved < moves; ++i)
      {
        ++moved;
        if (absolute)
          XTestFakeMotionEvent(mDisplay, -1, x + dx * moved, y + dy * moved, CurrentTime);
        else
          XTestFakeRelativeMotionEvent(mDisplay, dx, dy, CurrentTime);
      }
      XSync(mDisplay, False);
      Idle(1);
    }
    XTestFakeButtonEvent(mDisplay, Button1, False, CurrentTime);
    XSync(mDisplay, False);
    Idle();
  }

  // Where the pointer is, in screen pixels.
  std::pair<int, int> PointerOnScreen()
  {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(mDisplay, DefaultRootWindow(mDisplay), &root, &child, &rootX, &rootY, &winX,
                  &winY, &mask);
    return {rootX, rootY};
  }

  float Param(int idx) { return mPlugin.Effect()->getParameter(mPlugin.Effect(), idx); }

  // Calls of the opcode for the parameter since the records were cleared.
  int CountFor(int32_t opcode, int paramIdx)
  {
    int n = 0;
    for (const host::HostCall& call : mPlugin.Calls())
      n += call.opcode == opcode && call.index == paramIdx;
    return n;
  }

  const char* mPluginPath;
  Display* mDisplay = nullptr;
  host::PluginModule mModule;
  host::HostedPlugin mPlugin;
};

} // namespace plugin::test
