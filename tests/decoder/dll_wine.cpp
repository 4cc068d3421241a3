// The win64 library loaded by name from its folder, bound export by export like the player
// binds it, playing a song to its end: to a PCM file (compared with the core's own decode)
// and to the wave output device.
#include <gtest/gtest.h>
#include <windows.h>
// The multimedia declarations need the base types above.
#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "DllExportTypes.h"
#include "TestSupport.h"

namespace kelvaro {
namespace {

using namespace kelvaro_dll;
using IntArgFn = void(WINAPI*)(int32_t);

const char* const kExports[] = {
    "init",          "deinit",        "Open",       "Play",        "Pause",
    "Restart",       "Stop",          "Close",      "SetPriority", "SetOutputDevice",
    "GetPlayerMode", "GetCurrentPos", "GetLength",  "Seek",        "Seekable",
    "LastError",     "GetFrequency",  "GetBitrate", "GetLayer",    "ResetPlayerMode",
    "UseScaleFactor"};

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder = folder.substr(0, folder.find_last_of("\\/"));
    folder = folder.substr(0, folder.find_last_of("\\/")) + "\\bin";
    module_ = LoadLibraryA((folder + "\\kelvaro.dll").c_str());
    ASSERT_TRUE(module_) << "kelvaro.dll not found in " << folder;
    for (const char* name : kExports) ASSERT_TRUE(GetProcAddress(module_, name)) << name;
    init_ = Bind<BoolFn>("init");
    deinit_ = Bind<BoolFn>("deinit");
    open_ = Bind<OpenFn>("Open");
    play_ = Bind<PlayFn>("Play");
    close_ = Bind<VoidFn>("Close");
    device_ = Bind<DeviceFn>("SetOutputDevice");
    priority_ = Bind<IntArgFn>("SetPriority");
    mode_ = Bind<IntFn>("GetPlayerMode");
    error_ = Bind<IntFn>("LastError");
    length_ = Bind<IntFn>("GetLength");
    ASSERT_TRUE(init_() & 0xFF);
  }
  void TearDown() override {
    if (!module_) return;
    deinit_();
    FreeLibrary(module_);
  }
  template <typename F>
  F Bind(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  bool PlayToEnd(const std::string& song, int device, const std::string& out) {
    if (!(open_(song.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) &
          0xFF))
      return false;
    priority_(15);
    device_(device, out.c_str());
    volatile uint8_t ended = 0;
    if (play_(0, 0, const_cast<uint8_t*>(&ended)) != 0 || error_() != 0) return false;
    for (int i = 0; i < 30000 && !ended; ++i) Sleep(1);
    bool ok = ended == 1 && mode_() == 2;
    close_();
    return ok;
  }

  HMODULE module_ = nullptr;
  BoolFn init_ = nullptr, deinit_ = nullptr;
  OpenFn open_ = nullptr;
  PlayFn play_ = nullptr;
  VoidFn close_ = nullptr;
  DeviceFn device_ = nullptr;
  IntArgFn priority_ = nullptr;
  IntFn mode_ = nullptr, error_ = nullptr, length_ = nullptr;
};

TEST_F(Library, PlaysToPcmFileLikeTheCore) {
  std::string dir = test::TestDataDir();
  std::string song = dir.empty() ? test::TempPath(".mp3") : dir + "/l3-test45.bit";
  if (dir.empty()) {
    ASSERT_TRUE(test::WriteFile(song, test::SilentStream(300)));
  }
  std::string out = test::TempPath(".wav");
  ASSERT_TRUE(PlayToEnd(song, 2, out));
  test::Wave wave = test::ReadWave(out);
  test::Decoded core = test::DecodeBytes(test::ReadFile(song));
  ASSERT_TRUE(wave.valid);
  EXPECT_EQ(wave.rate, core.rate);
  EXPECT_EQ(wave.channels, core.channels);
  ASSERT_EQ(wave.pcm.size(), core.pcm.size());
  int maxDiff = 0;
  for (size_t i = 0; i < core.pcm.size(); ++i)
    maxDiff = std::max(maxDiff, std::abs(wave.pcm[i] - core.pcm[i]));
  EXPECT_LE(maxDiff, 1);
  std::remove(out.c_str());
  if (dir.empty()) std::remove(song.c_str());
}

TEST_F(Library, PlaysToTheWaveDeviceAndSetsTheEndByte) {
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no wave output device";
  std::string song = test::TempPath(".mp3");
  ASSERT_TRUE(test::WriteFile(song, test::SilentStream(150)));  // about 4 s of sound
  EXPECT_TRUE(PlayToEnd(song, 0, ""));
  std::remove(song.c_str());
}

}  // namespace
}  // namespace kelvaro
