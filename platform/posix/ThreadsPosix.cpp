// POSIX threads and mutexes. Thread priorities are Windows' own and are not applied here.
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <cstring>

#include "platform/Threads.h"

namespace platform {

struct ThreadEntry {
  static void* Main(void* thread) {
    static_cast<Thread*>(thread)->Run();
    return nullptr;
  }
};

namespace {

pthread_mutex_t* Native(unsigned char* storage) {
  static_assert(sizeof(pthread_mutex_t) <= 64, "Mutex::storage_ is too small");
  static_assert(alignof(pthread_mutex_t) <= 8, "Mutex::storage_ is not aligned enough");
  return reinterpret_cast<pthread_mutex_t*>(storage);
}

static_assert(sizeof(pthread_t) <= sizeof(uintptr_t), "Thread::handle_ cannot hold a pthread_t");

}  // namespace

Mutex::Mutex() { pthread_mutex_init(Native(storage_), nullptr); }
Mutex::~Mutex() { pthread_mutex_destroy(Native(storage_)); }
void Mutex::Lock() { pthread_mutex_lock(Native(storage_)); }
void Mutex::Unlock() { pthread_mutex_unlock(Native(storage_)); }

bool Thread::Start(Body body, void* context, int) {
  if (started_) return false;
  body_ = body;
  context_ = context;
  pthread_t thread;
  if (pthread_create(&thread, nullptr, &ThreadEntry::Main, this) != 0) return false;
  handle_ = 0;
  std::memcpy(&handle_, &thread, sizeof thread);
  started_ = true;
  return true;
}

void Thread::SetPriority(int) {}

void Thread::Join() {
  if (!started_) return;
  pthread_t thread;
  std::memcpy(&thread, &handle_, sizeof thread);
  pthread_join(thread, nullptr);
  handle_ = 0;
  started_ = false;
}

void Sleep(int ms) {
  if (ms <= 0) {
    sched_yield();
    return;
  }
  timespec rest = {ms / 1000, long(ms % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
