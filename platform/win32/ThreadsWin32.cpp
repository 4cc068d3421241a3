// Win32 threads, created suspended so that they start at their priority, and critical
// sections.
#include <windows.h>

#include "platform/Threads.h"

namespace platform {

struct ThreadEntry {
  static DWORD WINAPI Main(LPVOID thread) {
    static_cast<Thread*>(thread)->Run();
    return 0;
  }
};

namespace {

CRITICAL_SECTION* Section(unsigned char* storage) {
  static_assert(sizeof(CRITICAL_SECTION) <= 64, "Mutex::storage_ is too small");
  static_assert(alignof(CRITICAL_SECTION) <= 8, "Mutex::storage_ is not aligned enough");
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

}  // namespace

Mutex::Mutex() { InitializeCriticalSection(Section(storage_)); }
Mutex::~Mutex() { DeleteCriticalSection(Section(storage_)); }
void Mutex::Lock() { EnterCriticalSection(Section(storage_)); }
void Mutex::Unlock() { LeaveCriticalSection(Section(storage_)); }

bool Thread::Start(Body body, void* context, int priority) {
  if (started_) return false;
  body_ = body;
  context_ = context;
  DWORD id = 0;
  HANDLE handle = CreateThread(nullptr, 0, &ThreadEntry::Main, this, CREATE_SUSPENDED, &id);
  if (!handle) return false;
  SetThreadPriority(handle, priority);
  ResumeThread(handle);
  handle_ = reinterpret_cast<uintptr_t>(handle);
  started_ = true;
  return true;
}

void Thread::SetPriority(int priority) {
  if (started_) SetThreadPriority(reinterpret_cast<HANDLE>(handle_), priority);
}

void Thread::Join() {
  if (!started_) return;
  const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  WaitForSingleObject(handle, INFINITE);
  CloseHandle(handle);
  handle_ = 0;
  started_ = false;
}

void Sleep(int ms) { ::Sleep(DWORD(ms < 0 ? 0 : ms)); }

}  // namespace platform
