#include "framework/core/IPluginTimer.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace plugin
{

namespace
{

class Timer_impl;

// The owner given to timers created on this thread without one (see Timer::OwnerScope).
thread_local const void* tCurrentOwner = nullptr;

// The process's list of running timers. The recursive mutex lets a callback, which runs with
// the list locked, stop or create timers; entries removed during a pump are set to null and the
// list is compacted when the outermost pump ends, so the pump's indices stay valid.
struct TimerList
{
  std::recursive_mutex mMutex;
  std::vector<Timer_impl*> mTimers;
  int mPumpDepth = 0;
  bool mHasHoles = false;

  static TimerList& Get()
  {
    static TimerList sList;
    return sList;
  }
};

class Timer_impl final : public Timer
{
public:
  Timer_impl(ITimerFunction func, uint32_t intervalMs, const void* owner)
    : mFunc(std::move(func)), mOwner(owner), mIntervalMs(intervalMs), mNextFire(Clock::now())
  {
    TimerList& list = TimerList::Get();
    std::lock_guard<std::recursive_mutex> lock(list.mMutex);
    list.mTimers.push_back(this);
    mRunning = true;
  }

  ~Timer_impl() override { Stop(); }

  void Stop() override
  {
    if (!mRunning)
      return;
    TimerList& list = TimerList::Get();
    std::lock_guard<std::recursive_mutex> lock(list.mMutex);
    mRunning = false;
    auto it = std::find(list.mTimers.begin(), list.mTimers.end(), this);
    if (it == list.mTimers.end())
      return;
    if (list.mPumpDepth > 0)
    {
      *it = nullptr;
      list.mHasHoles = true;
    }
    else
    {
      list.mTimers.erase(it);
    }
  }

  const void* Owner() const { return mOwner; }

  // Called with the list locked. Answers true when the timer fired.
  bool FireIfDue(Clock::time_point now)
  {
    if (!mRunning || now < mNextFire)
      return false;
    const auto period = std::chrono::milliseconds(mIntervalMs);
    mNextFire += period;
    if (mNextFire <= now)
      mNextFire = now + period; // late: skip the missed periods
    // The callback may delete this object: nothing of it is touched afterwards.
    mFunc(*this);
    return true;
  }

private:
  ITimerFunction mFunc;
  const void* mOwner;
  uint32_t mIntervalMs;
  Clock::time_point mNextFire;
  bool mRunning = false;
};

} // namespace

Timer::OwnerScope::OwnerScope(const void* owner) : mPrevious(tCurrentOwner)
{
  tCurrentOwner = owner;
}

Timer::OwnerScope::~OwnerScope()
{
  tCurrentOwner = mPrevious;
}

Timer* Timer::Create(ITimerFunction func, uint32_t intervalMs)
{
  return Create(std::move(func), intervalMs, tCurrentOwner);
}

Timer* Timer::Create(ITimerFunction func, uint32_t intervalMs, const void* owner)
{
  return new Timer_impl(std::move(func), intervalMs, owner);
}

int Timer::PumpDue(const void* owner)
{
  return PumpDue(owner, Clock::now());
}

int Timer::PumpDue(const void* owner, Clock::time_point now)
{
  TimerList& list = TimerList::Get();
  std::lock_guard<std::recursive_mutex> lock(list.mMutex);
  OwnerScope scope(owner); // timers made by the callbacks stay with this owner
  list.mPumpDepth++;
  int fired = 0;
  // Timers created by a callback join the list behind n and first fire on the next pump.
  const size_t n = list.mTimers.size();
  for (size_t i = 0; i < n; i++)
  {
    Timer_impl* timer = list.mTimers[i];
    if (!timer || timer->Owner() != owner)
      continue;
    try
    {
      if (timer->FireIfDue(now))
        fired++;
    }
    catch (...)
    {
      // A failing callback must not stop the other timers nor reach the host.
    }
  }
  if (--list.mPumpDepth == 0 && list.mHasHoles)
  {
    list.mTimers.erase(std::remove(list.mTimers.begin(), list.mTimers.end(), nullptr),
                       list.mTimers.end());
    list.mHasHoles = false;
  }
  return fired;
}

int Timer::NumRunning()
{
  TimerList& list = TimerList::Get();
  std::lock_guard<std::recursive_mutex> lock(list.mMutex);
  return static_cast<int>(
    std::count_if(list.mTimers.begin(), list.mTimers.end(), [](auto* t) { return t != nullptr; }));
}

} // namespace plugin
