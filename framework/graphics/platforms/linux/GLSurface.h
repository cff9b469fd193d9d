#pragma once
// Where the editor's OpenGL context lives: a headless EGL context (tests, tools: no X server) or
// a GLX context on a child window of the host's X11 window. Both draw into the back end's
// off-screen framebuffer; a window surface then copies that to its window.
//
// MakeCurrent remembers whatever context the host had current and Release puts it back, so the
// editor never leaves the host's GL state changed. Main thread only.

#include <functional>
#include <memory>
#include <vector>

union _XEvent;
struct _XDisplay;

namespace plugin::igraphics
{

// A rectangle of a frame, in pixels from the window's top-left corner.
struct PixelRect
{
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

class GLSurface
{
public:
  virtual ~GLSurface() = default;

  // Makes this surface's context current (remembering the previous one); false when it cannot.
  virtual bool MakeCurrent() = 0;
  // Restores the context that was current before MakeCurrent.
  virtual void Release() = 0;
  // Copies the regions of the framebuffer fb (width x height pixels) to the window, the whole
  // framebuffer when regions is empty; what lies outside them stays as the window shows it.
  // Headless, it only waits until the frame is drawn.
  virtual void Present(unsigned fb, int width, int height,
                       const std::vector<PixelRect>& regions) = 0;
  // The handle returned to the host (the X window id, or this surface when headless).
  virtual void* Handle() = 0;
  // Window surfaces: the X events waiting when the call begins (a few thousand at most), one
  // call each; false when the window is gone. Events that arrive meanwhile wait for the next call.
  virtual bool PumpEvents(const std::function<void(const _XEvent&)>& /*handler*/) { return true; }
  // Window surfaces: whether X events are waiting (asked without waiting for any).
  virtual bool HasPendingEvents() { return false; }
  virtual void Resize(int /*width*/, int /*height*/) {}
  // Window surfaces: hides the pointer over the window (a blank cursor) or shows it again;
  // false when the window is gone. Headless there is no pointer: nothing to do.
  virtual bool SetPointerHidden(bool /*hide*/) { return true; }
  // Window surfaces: moves the pointer to a position in the window, in pixels; false when the
  // window is gone. serial: the number of the X request that moves it (events made after the
  // server carried it out carry that serial or a later one).
  virtual bool WarpPointer(int /*x*/, int /*y*/, unsigned long& serial)
  {
    serial = 0;
    return true;
  }
  // Window surfaces: the screen's size in pixels; false when there is none.
  virtual bool ScreenSize(int& /*width*/, int& /*height*/) { return false; }
  // Window surfaces: the editor's own X connection and window (null and 0 headless, or once the
  // window is gone).
  virtual _XDisplay* XDisplay() { return nullptr; }
  virtual unsigned long XWindow() const { return 0; }
  virtual bool IsHeadless() const = 0;
};

using GLSurfacePtr = std::unique_ptr<GLSurface>;

// A surfaceless EGL context on Mesa (no display server); null when EGL offers none.
GLSurfacePtr CreateHeadlessSurface();
// A child window of parent (an X11 window id) with a GLX context; null when that fails.
GLSurfacePtr CreateWindowSurface(unsigned long parent, int width, int height);

} // namespace plugin::igraphics
