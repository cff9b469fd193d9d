#pragma once
// Xlib's default error handler ends the process, and the process is the host's. While the
// editor does something that may fail on the server (a window the host destroyed, a focus or
// selection request for a window that went away), QuietXErrors swallows the errors of the
// editor's own connection, and only those; errors of other connections (the host's) go on to
// whatever handler was there. One guard at a time in the process (a lock, held for the few
// calls the guard covers): guards never nest.

#include <X11/Xlib.h>

#include <mutex>

namespace plugin::igraphics
{

class QuietXErrors
{
public:
  explicit QuietXErrors(Display* pDisplay);
  // Waits for the server's answers to the calls made under the guard (their errors arrive
  // now), then puts the previous handler back.
  ~QuietXErrors();

  QuietXErrors(const QuietXErrors&) = delete;
  QuietXErrors& operator=(const QuietXErrors&) = delete;

  // Whether an error of this connection arrived since the guard was made (after a sync).
  bool Failed();

private:
  std::unique_lock<std::mutex> mLock;
  Display* mDisplay;
  XErrorHandler mPrevious;
};

} // namespace plugin::igraphics
