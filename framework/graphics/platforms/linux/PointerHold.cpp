#include "framework/graphics/platforms/linux/PointerHold.h"

#include <algorithm>
#include <cstdlib>

namespace plugin::igraphics
{

namespace
{

// The pointer goes back once it is this far from the drag's start on either axis, or this near
// an edge of the screen (pixels).
constexpr int kStray = 128;
constexpr int kEdge = 48;
// It goes back to the drag's start moved at least this far inside the screen's edges, so that
// every warp is long (at least kStray, or kInset - kEdge) and a drag that starts near an edge
// still has room towards it.
constexpr int kInset = 192;

long long Distance2(int x0, int y0, int x1, int y1)
{
  const long long dx = x1 - x0, dy = y1 - y0;
  return dx * dx + dy * dy;
}

// v moved inside lo..hi by inset, or the middle where the span is too short for that.
int Inside(int v, int lo, int hi, int inset)
{
  if (hi - lo <= 2 * inset)
    return lo + (hi - lo) / 2;
  return std::clamp(v, lo + inset, hi - 1 - inset);
}

} // namespace

void PointerHold::Begin(int x, int y)
{
  *this = PointerHold();
  mActive = true;
  mHoldX = mLastX = x;
  mHoldY = mLastY = y;
}

void PointerHold::Move(unsigned long serial, int x, int y, int& dx, int& dy)
{
  dx = dy = 0;
  if (!mActive)
    return;
  if (mWarpPending && serial >= mWarpSerial)
  {
    // The first event made after the warp: the pointer jumped to the warp's target before it.
    mWarpPending = false;
    mJudging = true;
    mBeforeWarpX = mLastX;
    mBeforeWarpY = mLastY;
    mLastX = mWarpX;
    mLastY = mWarpY;
  }
  if (mJudging && (x != mWarpX || y != mWarpY))
  {
    mJudging = false;
    if (Distance2(x, y, mBeforeWarpX, mBeforeWarpY) < Distance2(x, y, mWarpX, mWarpY))
    {
      // Back where the warp took it from: the device reports positions, not movements.
      mAbsolute = true;
      mLastX = mBeforeWarpX;
      mLastY = mBeforeWarpY;
    }
  }
  dx = x - mLastX;
  dy = y - mLastY;
  mLastX = x;
  mLastY = y;
}

bool PointerHold::WantsWarp(const Screen& screen, int& x, int& y) const
{
  if (!mActive || mAbsolute || mWarpPending || mJudging || screen.r <= screen.l ||
      screen.b <= screen.t)
    return false;
  x = Inside(mHoldX, screen.l, screen.r, kInset);
  y = Inside(mHoldY, screen.t, screen.b, kInset);
  const bool stray = std::abs(mLastX - x) > kStray || std::abs(mLastY - y) > kStray;
  const bool nearEdge = mLastX < screen.l + kEdge || mLastX >= screen.r - kEdge ||
                        mLastY < screen.t + kEdge || mLastY >= screen.b - kEdge;
  return (stray || nearEdge) && (mLastX != x || mLastY != y);
}

void PointerHold::Warped(unsigned long serial, int x, int y)
{
  if (!mActive)
    return;
  mWarpPending = true;
  mWarpSerial = serial;
  mWarpX = x;
  mWarpY = y;
}

} // namespace plugin::igraphics
