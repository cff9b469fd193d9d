#pragma once
// A recursive mutex (the holder may enter again) and its scoped lock. Never take one on the
// audio thread.

#include <pthread.h>

class Util_Mutex
{
public:
  Util_Mutex()
  {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&mMutex, &attr);
    pthread_mutexattr_destroy(&attr);
  }
  ~Util_Mutex() { pthread_mutex_destroy(&mMutex); }
  Util_Mutex(const Util_Mutex&) = delete;
  Util_Mutex& operator=(const Util_Mutex&) = delete;

  void Enter() { pthread_mutex_lock(&mMutex); }
  void Leave() { pthread_mutex_unlock(&mMutex); }

private:
  pthread_mutex_t mMutex;
};

// Enters the mutex (when given one) for its lifetime.
class Util_MutexLock
{
public:
  explicit Util_MutexLock(Util_Mutex* mutex) : mMutex(mutex)
  {
    if (mMutex)
      mMutex->Enter();
  }
  explicit Util_MutexLock(Util_Mutex& mutex) : Util_MutexLock(&mutex) {}
  ~Util_MutexLock()
  {
    if (mMutex)
      mMutex->Leave();
  }
  Util_MutexLock(const Util_MutexLock&) = delete;
  Util_MutexLock& operator=(const Util_MutexLock&) = delete;

private:
  Util_Mutex* mMutex;
};
