// Threads, a lock and sleeping: Win32 threads and critical sections on Windows, POSIX
// threads elsewhere. Nothing here throws or allocates, and it pulls no threads runtime of
// its own into a program (the standard library's threads do under MinGW: a POSIX layer of
// some 30 KB, and the exception classes of std::system_error).
#pragma once
#include <cstdint>

namespace platform {

// A lock that one thread at a time holds (not recursive).
class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void Lock();
  void Unlock();

 private:
  // The system's lock lives here (a CRITICAL_SECTION or a pthread_mutex_t).
  alignas(8) unsigned char storage_[64];
};

// Holds a mutex for one scope.
class MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~MutexLock() { mutex_.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mutex_;
};

// One thread of the process; the destructor waits for it to end.
class Thread {
 public:
  using Body = void (*)(void* context);

  Thread() = default;
  ~Thread() { Join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Runs body(context) on a new thread that starts with the given Windows thread priority
  // (-15, -2..2, 15; POSIX threads keep the default). False when no thread could be made or
  // one is still joinable.
  bool Start(Body body, void* context, int priority);
  // Applies a Windows thread priority to the running thread (nothing on POSIX).
  void SetPriority(int priority);
  // Waits for the thread to end; nothing without a started thread.
  void Join();
  bool Joinable() const { return started_; }

 private:
  // The system's thread function (in each implementation) calls Run.
  friend struct ThreadEntry;
  void Run() { body_(context_); }

  Body body_ = nullptr;
  void* context_ = nullptr;
  uintptr_t handle_ = 0;  // a HANDLE or a pthread_t
  bool started_ = false;
};

// Sleeps `ms` milliseconds; 0 or less gives up the rest of the time slice.
void Sleep(int ms);

}  // namespace platform
