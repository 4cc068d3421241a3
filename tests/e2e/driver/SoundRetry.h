// A sound test whose recording shows that the sound server ran dry (a busy machine makes
// it, whatever a program plays) runs once more; the failures of its first run are printed
// then, not reported. A first run that failed without running dry fails the test.
#pragma once
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "sound/SoundMatch.h"

namespace e2e {

// `run` is the test; `recording` gives what it recorded; `reset` makes ready for the second
// run (ends what the first left running, starts a new recording), false when it cannot.
inline void OnceMoreWhenTheServerRanDry(const std::function<void()>& run,
                                        const std::function<soundcheck::Pcm()>& recording,
                                        const std::function<bool()>& reset) {
  ::testing::TestPartResultArray first;
  {
    ::testing::ScopedFakeTestPartResultReporter intercept(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &first);
    run();
  }
  if (first.size() == 0) return;
  const bool underrun = soundcheck::HasUnderrun(recording());
  for (int i = 0; i < first.size(); ++i) {
    if (underrun)
      std::printf("first run: %s\n", first.GetTestPartResult(i).message());
    else
      ADD_FAILURE() << first.GetTestPartResult(i).message();
  }
  if (!underrun) return;
  std::printf("the sound server ran dry during the first run: once more\n");
  if (!reset()) {
    ADD_FAILURE() << "the second run could not begin";
    return;
  }
  run();
}

}  // namespace e2e
