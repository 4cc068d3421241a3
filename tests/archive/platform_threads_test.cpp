// The threads facade: a body runs on its own thread (at its priority on Windows from its
// first instruction), Join and the destructor wait for it, the lock excludes, sleeping waits.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Threads.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BodyRun {
  std::atomic<bool> done{false};
  std::thread::id id;
  int priority = 0;
  int delayMs = 0;
};

void Body(void* context) {
  BodyRun& run = *static_cast<BodyRun*>(context);
  run.id = std::this_thread::get_id();
#ifdef _WIN32
  run.priority = GetThreadPriority(GetCurrentThread());
#endif
  if (run.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(run.delayMs));
  run.done = true;
}

TEST(PlatformThreads, BodyRunsOnItsOwnThreadAndJoinWaitsForIt) {
  BodyRun run;
  run.delayMs = 50;
  platform::Thread thread;
  EXPECT_FALSE(thread.Joinable());
  ASSERT_TRUE(thread.Start(&Body, &run, 0));
  EXPECT_TRUE(thread.Joinable());
  thread.Join();
  EXPECT_TRUE(run.done);
  EXPECT_NE(run.id, std::this_thread::get_id());
  EXPECT_FALSE(thread.Joinable());
  thread.Join();  // nothing to wait for
}

TEST(PlatformThreads, OneThreadAtATimeThenAgainAfterJoin) {
  BodyRun first, second, third;
  first.delayMs = 100;
  platform::Thread thread;
  ASSERT_TRUE(thread.Start(&Body, &first, 0));
  EXPECT_FALSE(thread.Start(&Body, &second, 0));  // still joinable
  thread.Join();
  EXPECT_TRUE(first.done);
  EXPECT_FALSE(second.done);
  ASSERT_TRUE(thread.Start(&Body, &third, 0));
  thread.Join();
  EXPECT_TRUE(third.done);
}

TEST(PlatformThreads, DestructorWaitsForTheBody) {
  BodyRun run;
  run.delayMs = 50;
  {
    platform::Thread thread;
    ASSERT_TRUE(thread.Start(&Body, &run, 0));
  }
  EXPECT_TRUE(run.done);
}

#ifdef _WIN32
TEST(PlatformThreads, StartsAtItsWindowsPriorityAndTakesLaterOnes) {
  BodyRun run;
  platform::Thread thread;
  ASSERT_TRUE(thread.Start(&Body, &run, THREAD_PRIORITY_BELOW_NORMAL));
  thread.Join();
  EXPECT_EQ(run.priority, THREAD_PRIORITY_BELOW_NORMAL);

  // A thread that waits until its priority was changed and then reads it.
  struct Waiter {
    std::atomic<bool> go{false};
    int priority = 0;
  } waiter;
  ASSERT_TRUE(thread.Start(
      [](void* context) {
        Waiter& w = *static_cast<Waiter*>(context);
        while (!w.go) std::this_thread::yield();
        w.priority = GetThreadPriority(GetCurrentThread());
      },
      &waiter, THREAD_PRIORITY_NORMAL));
  thread.SetPriority(THREAD_PRIORITY_ABOVE_NORMAL);
  waiter.go = true;
  thread.Join();
  EXPECT_EQ(waiter.priority, THREAD_PRIORITY_ABOVE_NORMAL);
}
#endif

constexpr long kIncrements = 1000000;

struct Shared {
  platform::Mutex mutex;
  std::atomic<int> waiting{2};
  long counter = 0;  // not atomic: only the lock keeps the increments whole
};

void Increment(void* context) {
  Shared& s = *static_cast<Shared*>(context);
  // Both threads start counting together.
  --s.waiting;
  while (s.waiting > 0) std::this_thread::yield();
  for (long i = 0; i < kIncrements; ++i) {
    platform::MutexLock lock(s.mutex);
    s.counter = s.counter + 1;
  }
}

TEST(PlatformThreads, MutexKeepsIncrementsWhole) {
  Shared shared;
  platform::Thread a, b;
  ASSERT_TRUE(a.Start(&Increment, &shared, 0));
  ASSERT_TRUE(b.Start(&Increment, &shared, 0));
  a.Join();
  b.Join();
  EXPECT_EQ(shared.counter, 2 * kIncrements);
}

TEST(PlatformThreads, MutexHoldsAnotherThreadOffUntilUnlocked) {
  struct Gate {
    platform::Mutex mutex;
    std::atomic<bool> passed{false};
  } gate;
  gate.mutex.Lock();
  platform::Thread thread;
  ASSERT_TRUE(thread.Start(
      [](void* context) {
        Gate& g = *static_cast<Gate*>(context);
        platform::MutexLock lock(g.mutex);
        g.passed = true;
      },
      &gate, 0));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(gate.passed);
  gate.mutex.Unlock();
  thread.Join();
  EXPECT_TRUE(gate.passed);
}

TEST(PlatformThreads, SleepWaitsAndZeroOrLessOnlyYields) {
  auto t0 = Clock::now();
  platform::Sleep(60);
  auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
  EXPECT_GE(slept.count(), 50);  // the system's timer may round a little
  t0 = Clock::now();
  platform::Sleep(0);
  platform::Sleep(-5);
  slept = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
  EXPECT_LT(slept.count(), 40);
}

}  // namespace
