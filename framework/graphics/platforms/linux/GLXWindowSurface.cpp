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
// Showing a frame copies only its dirty regions, so the rest of the window is neither copied nor
// read back. With Mesa's software rasterisers (llvmpipe, softpipe) the framebuffer lies in our own
// memory and the driver's own copy to a window is an XPutImage, so the regions are read from the
// framebuffer and put into the window as X images: the frame is rasterised once and nothing else
// is drawn. Drawing into the window's back buffer first (a blit, a flush and a wait per copy)
// cost about a quarter of what a knob's frame costs: each of those wakes all of llvmpipe's
// threads. The context is then current on the pbuffer, and GL never touches the window.
//
// Other drivers (a GPU, where reading pixels back stalls) blit each region from the off-screen
// framebuffer into the window's back buffer and copy it from there to the window
// (GLX_MESA_copy_sub_buffer). A buffer swap would show the whole back buffer, whose contents a
// swap leaves undefined, so without that extension every frame copies the whole framebuffer and
// swaps. A whole frame (the first, after an Expose or a new framebuffer) is swapped in too, and so
// is the first frame after the window changed its size: Mesa learns a window's new size at a
// swap, and a copy of a region sized for another window would fail.
//
// The window tests run under Xvfb, whose renderer is a software one: the environment variable
// PELMORA_TEST_NO_X_IMAGES (set and not "0"), read when the window opens, turns the X images off
// so that they also try the copy through the back buffer.

#include "framework/graphics/platforms/linux/GLSurface.h"
#include "framework/graphics/platforms/linux/XErrors.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace plugin::igraphics
{

namespace
{

// The most X events one idle call reads: a busy user makes a few dozen per frame.
constexpr int kMaxEventsPerPump = 4096;

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

// Whether the current context draws with one of Mesa's software rasterisers.
bool IsSoftwareRenderer()
{
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const std::string_view name = renderer ? renderer : "";
  return name.find("llvmpipe") != std::string_view::npos ||
         name.find("softpipe") != std::string_view::npos;
}

// Whether a test asked for frames to reach the window through GL even with a software renderer.
bool XImagesTurnedOff()
{
  const char* value = std::getenv("PELMORA_TEST_NO_X_IMAGES");
  return value && *value && std::string_view(value) != "0";
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
      if (mGC)
        XFreeGC(mDisplay, mGC);
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
    mVisual = pVisual->visual;
    mDepth = pVisual->depth;
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
    mPutImages = !XImagesTurnedOff() && CanPutImages();
    XMapWindow(mDisplay, mWindow);
    XFlush(mDisplay);
    return true;
  }

  bool MakeCurrent() override
  {
    if (mPutImages)
      return MakeCurrentOn(mPbuffer);
    QuietXErrors quiet(mDisplay);
    // A host may have destroyed its window (and ours with it) without telling us yet.
    XWindowAttributes wa;
    if (!mWindowGone && !XGetWindowAttributes(mDisplay, mWindow, &wa))
      mWindowGone = true;
    return MakeCurrentOn(mWindowGone ? mPbuffer : mGLXWindow);
  }

  // Makes the context current on drawable, keeping what was current for Release.
  bool MakeCurrentOn(GLXDrawable drawable)
  {
    mPrevDisplay = glXGetCurrentDisplay();
    mPrevContext = glXGetCurrentContext();
    mPrevDraw = glXGetCurrentDrawable();
    mPrevRead = glXGetCurrentReadDrawable();
    return drawable && glXMakeContextCurrent(mDisplay, drawable, drawable, mContext) == True;
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
    if (mPutImages)
    {
      PutImages(fb, width, height, regions);
      return;
    }
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

  // Reads each region (all of the framebuffer when there are none) and puts it into the window.
  void PutImages(unsigned fb, int width, int height, const std::vector<PixelRect>& regions)
  {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const std::vector<PixelRect> whole = {{0, 0, width, height}};
    // The window may be gone before we are told: its errors must not end the host.
    QuietXErrors quiet(mDisplay);
    for (const PixelRect& r : regions.empty() ? whole : regions)
    {
      const int x0 = std::clamp(r.x, 0, width), y0 = std::clamp(r.y, 0, height);
      const int w = std::min(r.x + r.w, width) - x0, h = std::min(r.y + r.h, height) - y0;
      if (w <= 0 || h <= 0)
        continue;
      const size_t stride = static_cast<size_t>(w) * 4;
      mPixels.resize(stride * static_cast<size_t>(h));
      // GL rows run bottom-up: the region's bottom row is height - y0 - h; the rows are turned
      // over into the image's top-down order.
      glReadPixels(x0, height - y0 - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, mPixels.data());
      mRow.resize(stride);
      for (int y = 0; y < h / 2; ++y)
      {
        char* a = &mPixels[static_cast<size_t>(y) * stride];
        char* b = &mPixels[static_cast<size_t>(h - 1 - y) * stride];
        std::memcpy(mRow.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, mRow.data(), stride);
      }
      XImage* pImage = XCreateImage(mDisplay, mVisual, static_cast<unsigned>(mDepth), ZPixmap, 0,
                                    mPixels.data(), static_cast<unsigned>(w),
                                    static_cast<unsigned>(h), 32, static_cast<int>(stride));
      if (!pImage)
        continue;
      XPutImage(mDisplay, mWindow, mGC, pImage, 0, 0, x0, y0, static_cast<unsigned>(w),
                static_cast<unsigned>(h));
      pImage->data = nullptr; // the pixels are ours
      XDestroyImage(pImage);
    }
  }

  // Whether frames can reach the window as X images: a software rasteriser, and a window without
  // alpha whose pixels are 32-bit words 0xXXRRGGBB in our byte order (what BGRA bytes read give).
  bool CanPutImages()
  {
    // Asked on the pbuffer, with whatever the host had current put back after.
    const bool software = MakeCurrentOn(mPbuffer) && IsSoftwareRenderer();
    Release();
    if (!software || !mVisual || mDepth != 24 || mVisual->c_class != TrueColor ||
        mVisual->red_mask != 0xff0000 || mVisual->green_mask != 0xff00 ||
        mVisual->blue_mask != 0xff)
      return false;
    const uint32_t one = 1;
    uint8_t first = 0;
    std::memcpy(&first, &one, 1);
    if (ImageByteOrder(mDisplay) != (first == 1 ? LSBFirst : MSBFirst))
      return false;
    bool thirtyTwoBits = false;
    int count = 0;
    if (XPixmapFormatValues* pFormats = XListPixmapFormats(mDisplay, &count))
    {
      for (int i = 0; i < count; ++i)
        if (pFormats[i].depth == mDepth)
          thirtyTwoBits = pFormats[i].bits_per_pixel == 32;
      XFree(pFormats);
    }
    if (!thirtyTwoBits)
      return false;
    mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
    return mGC != nullptr;
  }

  void* Handle() override { return reinterpret_cast<void*>(mWindow); }
  Display* XDisplay() override { return mWindowGone ? nullptr : mDisplay; }
  unsigned long XWindow() const override { return mWindowGone ? 0 : mWindow; }
  bool IsHeadless() const override { return false; }

  bool HasPendingEvents() override { return !mWindowGone && XPending(mDisplay) > 0; }

  bool PumpEvents(const std::function<void(const XEvent&)>& handler) override
  {
    // What was queued when the call began, and no more than kMaxEventsPerPump: events that the
    // handling brings in (read while waiting for a reply), or a client flooding the window, wait
    // for the next call, so that one idle call of the host never runs on and on.
    // (A handler may take events out of the queue itself: the queue is asked again, without
    // reading, before each.)
    int count = mWindowGone ? 0 : XEventsQueued(mDisplay, QueuedAfterFlush);
    for (count = std::min(count, kMaxEventsPerPump);
         count > 0 && !mWindowGone && XEventsQueued(mDisplay, QueuedAlready) > 0; --count)
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
  bool mPutImages = false;                    // frames reach the window as X images
  Visual* mVisual = nullptr;                  // the window's
  int mDepth = 0;
  GC mGC = nullptr;
  std::vector<char> mPixels; // a region read back, and a row of it
  std::vector<char> mRow;
  int mWidth = 0; // the window's size, as its last ConfigureNotify told
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
