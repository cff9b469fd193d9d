#pragma once
// A repeating main-thread timer.
//
// A plug-in on Linux has no run loop of its own and must not start threads, so timers are
// pumped from the host's GUI-thread calls (the editor-idle and idle opcodes): `Timer::PumpDue`
// fires every running timer of the process whose time has come, in creation order. A new timer
// is due at once, so its first call comes with the next pump; afterwards it fires every period.
// A pump that comes late fires a timer once, not once per missed period, as a run loop would.
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

  // [main thread] A new running timer; the caller owns it.
  static Timer* Create(ITimerFunction func, uint32_t intervalMs);

  // [main thread] Fires the due timers; answers how many fired.
  static int PumpDue();
  static int PumpDue(Clock::time_point now);

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
