#include "framework/graphics/platforms/linux/XErrors.h"

namespace plugin::igraphics
{

namespace
{

std::mutex sGuardMutex;
Display* sQuietDisplay = nullptr;
XErrorHandler sPreviousHandler = nullptr;
bool sErrorSeen = false;

int QuietErrorHandler(Display* pDisplay, XErrorEvent* pEvent)
{
  if (pDisplay == sQuietDisplay)
  {
    sErrorSeen = true;
    return 0;
  }
  return sPreviousHandler ? sPreviousHandler(pDisplay, pEvent) : 0;
}

} // namespace

QuietXErrors::QuietXErrors(Display* pDisplay) : mLock(sGuardMutex), mDisplay(pDisplay)
{
  sQuietDisplay = pDisplay;
  sErrorSeen = false;
  mPrevious = XSetErrorHandler(QuietErrorHandler);
  sPreviousHandler = mPrevious;
}

QuietXErrors::~QuietXErrors()
{
  XSync(mDisplay, False);
  XSetErrorHandler(mPrevious);
  sQuietDisplay = nullptr;
}

bool QuietXErrors::Failed()
{
  XSync(mDisplay, False);
  return sErrorSeen;
}

} // namespace plugin::igraphics
