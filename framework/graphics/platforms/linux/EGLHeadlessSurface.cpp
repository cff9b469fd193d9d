// The headless surface: an OpenGL 3.3 core context on Mesa's surfaceless EGL platform. Plain
// eglGetDisplay needs a display server; the surfaceless platform needs none.

#include "framework/graphics/platforms/linux/GLSurface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <mutex>

namespace plugin::igraphics
{

namespace
{

// The display is shared by every headless context of the process (EGL hands out one display
// per platform): it is initialised with the first and terminated after the last.
std::mutex sDisplayMutex;
int sDisplayUsers = 0;

class EGLHeadlessSurface : public GLSurface
{
public:
  ~EGLHeadlessSurface() override
  {
    if (mContext != EGL_NO_CONTEXT)
    {
      if (eglGetCurrentContext() == mContext)
        eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      eglDestroyContext(mDisplay, mContext);
    }
    if (mDisplay != EGL_NO_DISPLAY)
    {
      std::lock_guard<std::mutex> lock(sDisplayMutex);
      // Sanitizer builds keep the display: terminating it makes Mesa's driver report leaks
      // that are not ours.
#ifndef PELMORA_SANITIZER_BUILD
      if (--sDisplayUsers == 0)
        eglTerminate(mDisplay);
#else
      --sDisplayUsers;
#endif
    }
  }

  bool Init()
  {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
      return false;
    mDisplay = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (mDisplay == EGL_NO_DISPLAY)
      return false;
    {
      std::lock_guard<std::mutex> lock(sDisplayMutex);
      EGLint major = 0, minor = 0;
      if (!eglInitialize(mDisplay, &major, &minor))
      {
        mDisplay = EGL_NO_DISPLAY;
        return false;
      }
      ++sDisplayUsers;
    }
    if (!eglBindAPI(EGL_OPENGL_API))
      return false;
    const EGLint configAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(mDisplay, configAttribs, &config, 1, &count) || count < 1)
      config = nullptr; // surfaceless contexts may do without a config
    const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                                     3,
                                     EGL_CONTEXT_MINOR_VERSION,
                                     3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                     EGL_NONE};
    mContext = eglCreateContext(mDisplay, config, EGL_NO_CONTEXT, contextAttribs);
    return mContext != EGL_NO_CONTEXT;
  }

  bool MakeCurrent() override
  {
    mPrevDisplay = eglGetCurrentDisplay();
    mPrevContext = eglGetCurrentContext();
    mPrevDraw = eglGetCurrentSurface(EGL_DRAW);
    mPrevRead = eglGetCurrentSurface(EGL_READ);
    return eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, mContext) == EGL_TRUE;
  }

  void Release() override
  {
    if (mPrevContext != EGL_NO_CONTEXT && mPrevDisplay != EGL_NO_DISPLAY)
      eglMakeCurrent(mPrevDisplay, mPrevDraw, mPrevRead, mPrevContext);
    else
      eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }

  // Nothing to show; the frame is finished before this returns (as a window's swap waits for
  // it), so that its pixels are ready and what it cost is paid within the frame.
  void Present(unsigned, int, int, const std::vector<PixelRect>&) override
  {
    glFinish();
  }
  void* Handle() override
  {
    return this;
  }
  bool IsHeadless() const override
  {
    return true;
  }

private:
  EGLDisplay mDisplay = EGL_NO_DISPLAY;
  EGLContext mContext = EGL_NO_CONTEXT;
  EGLDisplay mPrevDisplay = EGL_NO_DISPLAY;
  EGLContext mPrevContext = EGL_NO_CONTEXT;
  EGLSurface mPrevDraw = EGL_NO_SURFACE;
  EGLSurface mPrevRead = EGL_NO_SURFACE;
};

} // namespace

GLSurfacePtr CreateHeadlessSurface()
{
  auto surface = std::make_unique<EGLHeadlessSurface>();
  if (!surface->Init())
    return nullptr;
  return surface;
}

} // namespace plugin::igraphics
