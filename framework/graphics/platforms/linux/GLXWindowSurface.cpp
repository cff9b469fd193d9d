// The window surface: a child window of the host's X11 window with an OpenGL 3.3 core GLX
// context. The editor opens its own X connection (the host's is not ours to use) and reads its
// events from the host's idle calls.
//
// Teardown must survive a host that destroyed its window first: the child window is destroyed
// with its parent, so a DestroyNotify marks it gone, and while this surface is torn down an X
// error handler swallows the errors of our own connection (Xlib's default handler would end the
// host's process). A 1 x 1 pbuffer keeps the context usable when the window is gone, so GL
// objects are still deleted in our context and never in whatever the host has current.
//
// Showing a frame copies only its dirty regions: each is blitted from the off-screen framebuffer
// into the window's back buffer and copied from there to the window (GLX_MESA_copy_sub_buffer,
// which Mesa's drivers offer), so the rest of the window is neither copied nor read back. A
// buffer swap would show the whole back buffer, whose contents a swap leaves undefined, so
// without that extension every frame copies the whole framebuffer and swaps. A whole frame (the
// first, after an Expose or a new framebuffer) is swapped in too, and so is the first frame after
// the window changed its size: Mesa learns a window's new size at a swap, and a copy of a region
// sized for another window would fail.

#include "framework/graphics/platforms/linux/GLSurface.h"
#include "framework/graphics/platforms/linux/XErrors.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string_view>

namespace plugin::igraphics
{

namespace
{

using CreateContextAttribsProc = GLXContext (*)(Display*, GLXFBConfig, GLXContext, Bool,
                                                const int*);
using CopySubBufferProc = void (*)(Display*, GLXDrawable, int, int, int, int);

bool HasExtension(const char* list, const char* name)
{
  const std::string_view all = list ? list : "";
  const std::string_view wanted = name;
  for (size_t start = 0; start < all.size();)
  {
    size_t end = all.find(' ', start);
    if (end == std::string_view::npos)
      end = all.size();
    if (all.substr(start, end - start) == wanted)
      return true;
    start = end + 1;
  }
  return false;
}

class GLXWindowSurface : public GLSurface
{
public:
  ~GLXWindowSurface() override
  {
    if (!mDisplay)
      return;
    {
      QuietXErrors quiet(mDisplay);
      if (mContext)
      {
        if (glXGetCurrentContext() == mContext)
          glXMakeContextCurrent(mDisplay, None, None, nullptr);
        glXDestroyContext(mDisplay, mContext);
      }
      if (mPbuffer)
        glXDestroyPbuffer(mDisplay, mPbuffer);
      if (mGLXWindow)
        glXDestroyWindow(mDisplay, mGLXWindow);
      if (mBlankCursor)
        XFreeCursor(mDisplay, mBlankCursor);
      if (mWindow && !mWindowGone)
        XDestroyWindow(mDisplay, mWindow);
      if (mColormap)
        XFreeColormap(mDisplay, mColormap);
    }
    XCloseDisplay(mDisplay);
  }

  bool Init(Window parent, int width, int height)
  {
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
      return false;
    QuietXErrors quiet(mDisplay); // a bad parent id must not end the host
    const int attribs[] = {GLX_X_RENDERABLE,
                           True,
                           GLX_DRAWABLE_TYPE,
                           GLX_WINDOW_BIT | GLX_PBUFFER_BIT,
                           GLX_RENDER_TYPE,
                           GLX_RGBA_BIT,
                           GLX_RED_SIZE,
                           8,
                           GLX_GREEN_SIZE,
                           8,
                           GLX_BLUE_SIZE,
                           8,
                           GLX_DOUBLEBUFFER,
                           True,
                           None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(mDisplay, DefaultScreen(mDisplay), attribs, &count);
    if (!configs || count < 1)
      return false;
    const GLXFBConfig config = configs[0];
    XFree(configs);
    XVisualInfo* pVisual = glXGetVisualFromFBConfig(mDisplay, config);
    if (!pVisual)
      return false;
    mColormap = XCreateColormap(mDisplay, parent, pVisual->visual, AllocNone);
    XSetWindowAttributes wa = {};
    wa.colormap = mColormap;
    wa.border_pixel = 0;
    wa.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                    PointerMotionMask | LeaveWindowMask | EnterWindowMask | FocusChangeMask;
    // No key events: the keys stay the host's (its shortcuts work over the editor) until a text
    // field takes the focus and asks for them (XSession).
    mWindow =
      XCreateWindow(mDisplay, parent, 0, 0, static_cast<unsigned>(std::max(width, 1)),
                    static_cast<unsigned>(std::max(height, 1)), 0, pVisual->depth, InputOutput,
                    pVisual->visual, CWColormap | CWBorderPixel | CWEventMask, &wa);
    XFree(pVisual);
    XSync(mDisplay, False);
    if (!mWindow)
      return false;
    mGLXWindow = glXCreateWindow(mDisplay, config, mWindow, nullptr);
    const int pbufferAttribs[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
    mPbuffer = glXCreatePbuffer(mDisplay, config, pbufferAttribs);

    auto createContext = reinterpret_cast<CreateContextAttribsProc>(
      glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCreateContextAttribsARB")));
    if (!createContext)
      return false;
    const int contextAttribs[] = {GLX_CONTEXT_MAJOR_VERSION_ARB,
                                  3,
                                  GLX_CONTEXT_MINOR_VERSION_ARB,
                                  3,
                                  GLX_CONTEXT_PROFILE_MASK_ARB,
                                  GLX_CONTEXT_CORE_PROFILE_BIT_ARB,
                                  None};
    mContext = createContext(mDisplay, config, nullptr, True, contextAttribs);
    XSync(mDisplay, False);
    if (!mContext || !mGLXWindow)
      return false;
    if (HasExtension(glXQueryExtensionsString(mDisplay, DefaultScreen(mDisplay)),
                     "GLX_MESA_copy_sub_buffer"))
      mCopySubBuffer = reinterpret_cast<CopySubBufferProc>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA")));
    mWidth = std::max(width, 1);
    mHeight = std::max(height, 1);
    XMapWindow(mDisplay, mWindow);
    XFlush(mDisplay);
    return true;
  }

  bool MakeCurrent() override
  {
    mPrevDisplay = glXGetCurrentDisplay();
    mPrevContext = glXGetCurrentContext();
    mPrevDraw = glXGetCurrentDrawable();
    mPrevRead = glXGetCurrentReadDrawable();
    QuietXErrors quiet(mDisplay);
    // A host may have destroyed its window (and ours with it) without telling us yet.
    XWindowAttributes wa;
    if (!mWindowGone && !XGetWindowAttributes(mDisplay, mWindow, &wa))
      mWindowGone = true;
    const GLXDrawable drawable = mWindowGone ? mPbuffer : mGLXWindow;
    if (!drawable)
      return false;
    return glXMakeContextCurrent(mDisplay, drawable, drawable, mContext) == True;
  }

  void Release() override
  {
    if (mPrevContext && mPrevDisplay)
      glXMakeContextCurrent(mPrevDisplay, mPrevDraw, mPrevRead, mPrevContext);
    else
      glXMakeContextCurrent(mDisplay, None, None, nullptr);
  }

  void Present(unsigned fb, int width, int height, const std::vector<PixelRect>& regions) override
  {
    if (mWindowGone || !fb)
      return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    if (!mCopySubBuffer || regions.empty() || mSizeChanged || width != mWidth || height != mHeight)
    {
      // GL rows run bottom-up in both: a straight copy.
      glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
      glBindFramebuffer(GL_FRAMEBUFFER, fb);
      glXSwapBuffers(mDisplay, mGLXWindow);
      mSizeChanged = false;
      return;
    }
    for (const PixelRect& r : regions)
    {
      // GL rows run bottom-up: the region's bottom row is height - y - h.
      const int x0 = r.x, y0 = height - r.y - r.h;
      glBlitFramebuffer(x0, y0, x0 + r.w, y0 + r.h, x0, y0, x0 + r.w, y0 + r.h, GL_COLOR_BUFFER_BIT,
                        GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    // Each copy flushes the blits before it (the extension's implicit glFlush).
    for (const PixelRect& r : regions)
      mCopySubBuffer(mDisplay, mGLXWindow, r.x, height - r.y - r.h, r.w, r.h);
  }

  void* Handle() override { return reinterpret_cast<void*>(mWindow); }
  Display* XDisplay() override { return mWindowGone ? nullptr : mDisplay; }
  unsigned long XWindow() const override { return mWindowGone ? 0 : mWindow; }
  bool IsHeadless() const override { return false; }

  bool HasPendingEvents() override { return !mWindowGone && XPending(mDisplay) > 0; }

  bool PumpEvents(const std::function<void(const XEvent&)>& handler) override
  {
    while (HasPendingEvents())
    {
      XEvent event;
      XNextEvent(mDisplay, &event);
      if (event.type == DestroyNotify && event.xdestroywindow.window == mWindow)
      {
        mWindowGone = true;
        break;
      }
      if (event.type == ConfigureNotify && event.xconfigure.window == mWindow &&
          (event.xconfigure.width != mWidth || event.xconfigure.height != mHeight))
      {
        mWidth = event.xconfigure.width;
        mHeight = event.xconfigure.height;
        mSizeChanged = true;
      }
      handler(event);
    }
    return !mWindowGone;
  }

  void Resize(int width, int height) override
  {
    if (mWindowGone)
      return;
    QuietXErrors quiet(mDisplay);
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(std::max(width, 1)),
                  static_cast<unsigned>(std::max(height, 1)));
  }

  bool SetPointerHidden(bool hide) override
  {
    if (mWindowGone)
      return false;
    QuietXErrors quiet(mDisplay);
    if (hide)
    {
      if (!mBlankCursor)
      {
        // A cursor whose one pixel is masked out shows nothing.
        const char bits[1] = {0};
        const Pixmap blank = XCreateBitmapFromData(mDisplay, mWindow, bits, 1, 1);
        XColor black = {};
        mBlankCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
        XFreePixmap(mDisplay, blank);
      }
      XDefineCursor(mDisplay, mWindow, mBlankCursor);
    }
    else
    {
      XUndefineCursor(mDisplay, mWindow);
    }
    return mBlankCursor != 0;
  }

  bool WarpPointer(int x, int y, unsigned long& serial) override
  {
    serial = 0;
    if (mWindowGone)
      return false;
    QuietXErrors quiet(mDisplay);
    serial = NextRequest(mDisplay);
    XWarpPointer(mDisplay, None, mWindow, 0, 0, 0, 0, x, y);
    return true;
  }

  bool ScreenSize(int& width, int& height) override
  {
    if (mWindowGone)
      return false;
    width = DisplayWidth(mDisplay, DefaultScreen(mDisplay));
    height = DisplayHeight(mDisplay, DefaultScreen(mDisplay));
    return width > 0 && height > 0;
  }

private:
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  Cursor mBlankCursor = 0;
  Colormap mColormap = 0;
  GLXWindow mGLXWindow = 0;
  GLXPbuffer mPbuffer = 0;
  GLXContext mContext = nullptr;
  CopySubBufferProc mCopySubBuffer = nullptr; // null: the extension is missing
  int mWidth = 0;                             // the window's size, as its last ConfigureNotify told
  int mHeight = 0;
  bool mSizeChanged = false; // since the last swap
  bool mWindowGone = false;
  Display* mPrevDisplay = nullptr;
  GLXContext mPrevContext = nullptr;
  GLXDrawable mPrevDraw = 0;
  GLXDrawable mPrevRead = 0;
};

} // namespace

GLSurfacePtr CreateWindowSurface(unsigned long parent, int width, int height)
{
  auto surface = std::make_unique<GLXWindowSurface>();
  if (!surface->Init(static_cast<Window>(parent), width, height))
    return nullptr;
  return surface;
}

} // namespace plugin::igraphics
