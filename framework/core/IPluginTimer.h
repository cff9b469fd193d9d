#pragma once
// A repeating main-thread timer.
//
// A plug-in on Linux has no run loop of its own and must not start threads, so timers are
// pumped from the host's GUI-thread calls (the editor-idle and idle opcodes). Every timer belongs
// to an owner, a plug-in instance, and `Timer::PumpDue(owner)` fires only that owner's due
// timers, in creation order: one instance's idle call never runs another instance's timers (which
// may be half built or half torn down on another thread, and whose editors draw on their own
// idle calls). A new timer is due at once, so its first call comes with its owner's next pump;
// afterwards it fires every period. A pump that comes late fires a timer once, not once per
// missed period, as a run loop would.
//
// A timer made without naming an owner belongs to the owner of the `OwnerScope` open on the
// creating thread (no owner when none is open): an instance opens one while its editor opens, so
// the editor's redraw timer is the instance's, and every pump opens one for its owner, so a
// timer made by a callback stays with that owner.
//
// Timers are created, stopped, deleted and pumped on the main thread. A callback may stop or
// delete any timer, itself included, and may create new ones (they first fire on the next pump).

#include <chrono>
#include <cstdint>
#include <functional>

namespace plugin
{

class Timer
{
public:
  using Clock = std::chrono::steady_clock;
  using ITimerFunction = std::function<void(Timer&)>;

  // While one lives, timers created on this thread without an owner belong to its owner.
  class OwnerScope
  {
  public:
    explicit OwnerScope(const void* owner);
    ~OwnerScope();
    OwnerScope(const OwnerScope&) = delete;
    OwnerScope& operator=(const OwnerScope&) = delete;

  private:
    const void* mPrevious;
  };

  // [main thread] A new running timer; the caller owns the object. The first form gives it the
  // owner of the open OwnerScope.
  static Timer* Create(ITimerFunction func, uint32_t intervalMs);
  static Timer* Create(ITimerFunction func, uint32_t intervalMs, const void* owner);

  // [main thread] Fires the due timers of owner (null: the timers without an owner); answers
  // how many fired.
  static int PumpDue(const void* owner);
  static int PumpDue(const void* owner, Clock::time_point now);

  // [any thread] Number of running timers in the process.
  static int NumRunning();

  virtual ~Timer() = default;

  // [main thread] The callback is not called again; stopping twice is harmless.
  virtual void Stop() = 0;

protected:
  Timer() = default;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
};

} // namespace plugin
