#pragma once
// PointerHold: the movements of the hidden pointer during a relative drag (a knob, a value
// field), each counted once, whatever device moves the pointer and however its motion events
// are batched.
//
// While such a drag runs the pointer is hidden and its movement, not its position, moves the
// value. Left alone it would stop at the screen's edge and end the drag's travel, so it is moved
// back (warped) when it strays far from where the drag started or nears an edge of the screen;
// the warps are rare and long (over a hundred pixels). Two things keep a motion event's position
// from being a movement from any fixed point:
//   - events queue up: those the server made before it carried a warp out still report
//     positions on the way out, and only those made after it start again from the warp's
//     target;
//   - absolute devices (a tablet, a touch screen, a remote desktop's pointer, XTest's absolute
//     motion) report where the device is: the pointer jumps back there after any warp.
// So each event's movement is its position less the previous event's, and a warp counts as a
// jump placed exactly where the server carried it out in the stream of events: an X event's
// serial is the number of the last request the server had processed when it made the event,
// so the events whose serial is at least the warp request's come after the warp. The first
// event after a warp that does not land on its target tells the device's kind: when it lies
// nearer to where the pointer was before the warp than to the warp's target, the device took no
// notice of the warp. Its movement then counts from where the pointer was, and the drag warps
// no more (an absolute device cannot run past the screen's edge anyway). A relative device
// would have to move over half a warp's length in one report to be taken for an absolute one.
//
// Positions are in the window's pixels; the screen's rectangle is given in the same frame.
// Main thread only.

namespace plugin::igraphics
{

class PointerHold
{
public:
  // The screen's rectangle in window pixels (right and bottom exclusive).
  struct Screen
  {
    int l = 0;
    int t = 0;
    int r = 0;
    int b = 0;
  };

  // A drag starts with the pointer at (x, y).
  void Begin(int x, int y);
  void End() { mActive = false; }
  bool Active() const { return mActive; }

  // One motion event's serial and position: dx and dy are the pointer's movement since the
  // previous event (0 for the warp's own event).
  void Move(unsigned long serial, int x, int y, int& dx, int& dy);
  // Whether the pointer should be moved back now, and where to.
  bool WantsWarp(const Screen& screen, int& x, int& y) const;
  // The warp to (x, y) went out as the request numbered serial.
  void Warped(unsigned long serial, int x, int y);

private:
  bool mActive = false;
  int mHoldX = 0; // where the drag started
  int mHoldY = 0;
  int mLastX = 0; // the pointer's position after the last event taken
  int mLastY = 0;
  bool mWarpPending = false; // a warp went out that no event has come after yet
  unsigned long mWarpSerial = 0;
  int mWarpX = 0;
  int mWarpY = 0;
  bool mJudging = false; // the warp is behind; the next event tells the device's kind
  int mBeforeWarpX = 0;
  int mBeforeWarpY = 0;
  bool mAbsolute = false; // the device took no notice of a warp: no more warps
};

} // namespace plugin::igraphics
