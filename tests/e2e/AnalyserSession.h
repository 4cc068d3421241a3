// The analyser's end-to-end tests share this: Tessel started on a wave file in a folder of
// its own, its dialogs answered, its menu states read, its bitmaps decoded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "analyser/core/ShellState.h"
#include "driver/UiDriver.h"
#include "resources/analyser/resource.h"
// after the driver's windows.h
#include <dlgs.h>

namespace e2e_analyser {

using namespace e2e;

inline constexpr UINT kAnalyzeFile = tessel::kCmdAnalyzeFile,
                      kAnalyzeInput = tessel::kCmdAnalyzeInput, kScanFile = tessel::kCmdScanFile,
                      kScanInput = tessel::kCmdScanInput, kChange = tessel::kCmdParamChange,
                      kSaveWave = tessel::kCmdSaveWave, kWindowBitmap = tessel::kCmdWindowBitmap,
                      kColors = tessel::kCmdColorsChange, kLogPoints = tessel::kCmdLogPoints,
                      kLogAll = tessel::kCmdLogAll, kExit = tessel::kCmdExit,
                      kFreeze = tessel::kCmdFreeze, kAdjust = tessel::kCmdAdjust;

inline std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A PCM wave (16-bit unless asked otherwise): a steady tone and a rising sweep, per channel.
inline void WriteWave(const std::string& path, int channels, uint32_t rate, double seconds,
                      int bits = 16) {
  const uint32_t frames = uint32_t(rate * seconds);
  const int bytes = bits / 8;
  std::vector<uint8_t> data;
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const double t = double(i) / rate;
      const double tone = c == 0 ? 1000.0 : 3000.0;
      const double sweep = 200 + 3000 * t / seconds;
      const double v = 9000 * std::sin(2 * 3.14159265358979 * tone * t) +
                       6000 * std::sin(2 * 3.14159265358979 * sweep * t * 0.5);
      const int32_t s = int32_t(v) * (1 << (bits - 16));
      for (int b = 0; b < bytes; ++b) data.push_back(uint8_t((s >> (8 * b)) & 0xFF));
    }
  std::vector<uint8_t> file(44);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i));
  };
  auto put16 = [&](size_t at, uint32_t v) {
    file[at] = uint8_t(v);
    file[at + 1] = uint8_t(v >> 8);
  };
  std::copy_n("RIFF", 4, file.begin());
  put32(4, uint32_t(36 + data.size()));
  std::copy_n("WAVEfmt ", 8, file.begin() + 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, uint32_t(channels));
  put32(24, rate);
  put32(28, rate * uint32_t(bytes * channels));
  put16(32, uint32_t(bytes * channels));
  put16(34, uint32_t(bits));
  std::copy_n("data", 4, file.begin() + 36);
  put32(40, uint32_t(data.size()));
  file.insert(file.end(), data.begin(), data.end());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

// The state of a menu item; the cross-process query is asked again when a busy program
// does not answer in time.
inline int ItemState(HWND w, UINT command) {
  int s = MenuItemState(w, command);
  for (int i = 0; i < 60 && s < 0; ++i) {
    Pause(100);
    s = MenuItemState(w, command);
  }
  return s;
}

// A query that is never answered is a failure of its own, not a state: it would otherwise
// read as "enabled".
inline bool Greyed(HWND w, UINT command) {
  const int s = ItemState(w, command);
  EXPECT_GE(s, 0) << "no answer about menu item " << command;
  return s >= 0 && (s & (MF_GRAYED | MF_DISABLED)) != 0;
}

inline bool Checked(HWND w, UINT command) {
  const int s = ItemState(w, command);
  EXPECT_GE(s, 0) << "no answer about menu item " << command;
  return s >= 0 && (s & MF_CHECKED) != 0;
}

// The three menu states, seen through a few of their items.
inline void ExpectReadyWithData(HWND w, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT c : {kAnalyzeFile, kAnalyzeInput, kScanFile, kScanInput, kChange, kSaveWave, kExit})
    EXPECT_FALSE(Greyed(w, c)) << c;
}
inline void ExpectReadyWithoutData(HWND w, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT c : {kAnalyzeFile, kAnalyzeInput, kScanFile, kScanInput, kExit})
    EXPECT_FALSE(Greyed(w, c)) << c;
  for (UINT c : {kChange, kSaveWave, kLogPoints}) EXPECT_TRUE(Greyed(w, c)) << c;
  // A true-colour display has no "&Colors" menu; a palette display greys its item here.
  EXPECT_TRUE(MenuItemState(w, kColors) < 0 || (MenuItemState(w, kColors) & MF_GRAYED));
}
inline void ExpectBusy(HWND w, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT c : {kAnalyzeFile, kAnalyzeInput, kScanFile, kScanInput, kChange, kSaveWave,
                 kWindowBitmap, kExit})
    EXPECT_TRUE(Greyed(w, c)) << c;
}

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

// An 8-bit bitmap file: its 1024-byte colour table and its rows top first.
struct Bitmap8 {
  int width = 0, height = 0;
  std::vector<uint8_t> colours;
  std::vector<std::vector<uint8_t>> rows;
};

inline bool DecodeBitmap8(const std::vector<uint8_t>& f, Bitmap8& b) {
  auto u32 = [&](size_t at) {
    return uint32_t(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | uint32_t(f[at + 3]) << 24);
  };
  if (f.size() < 1078 || f[0] != 'B' || f[1] != 'M' || u32(10) != 1078 || f[28] != 8) return false;
  b.width = int(u32(18));
  b.height = int(u32(22));
  const size_t stride = (size_t(b.width) + 3) & ~size_t(3);
  if (b.width <= 0 || b.height <= 0 || f.size() < 1078 + stride * size_t(b.height)) return false;
  b.colours.assign(f.begin() + 54, f.begin() + 1078);
  b.rows.clear();
  for (int y = b.height - 1; y >= 0; --y) {
    const auto row = f.begin() + std::ptrdiff_t(1078 + stride * size_t(y));
    b.rows.emplace_back(row, row + b.width);
  }
  return true;
}

// Presses F1..F4 while a command runs: none of them may open its dialog.
inline void ExpectStartKeysIgnored(HWND w, DWORD pid, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT key : {VK_F1, VK_F2, VK_F3, VK_F4}) PressKey(w, key);
  Pause(800);
  for (const wchar_t* caption : {L"Analyze File", L"Analyze Input", L"Scan File", L"Scan Input",
                                 L"Open Wave File", L"Record Wave File"})
    EXPECT_EQ(WaitForWindow(pid, L"#32770", caption, 300), nullptr) << Narrow(caption);
}

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  for (int t = 0; t < timeoutMs; t += 100) {
    if (condition()) return true;
    Pause(100);
  }
  return condition();
}

class AnalyserE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = Narrow(ArtifactPath(L"analyser_e2e"));
    CreateDirectoryW(Widen(work_).c_str(), nullptr);
    exe_ = work_ + "\\Tessel.exe";
    ASSERT_TRUE(CopyFileW(ProgramPath(L"Tessel.exe").c_str(), Widen(exe_).c_str(), FALSE));
    DeleteFileW(Widen(Ini()).c_str());
    mono_ = work_ + "\\tone.wav";
    stereo_ = work_ + "\\stereo.wav";
    // With the native tool's reference at hand, the mono file is the one it analysed.
    referenceBmp_ = Narrow(ArtifactPath(L"analyser_reference_tone.bmp"));
    const std::wstring referenceWave = ArtifactPath(L"analyser_reference_tone.wav");
    if (GetFileAttributesW(Widen(referenceBmp_).c_str()) == INVALID_FILE_ATTRIBUTES ||
        !CopyFileW(referenceWave.c_str(), Widen(mono_).c_str(), FALSE)) {
      referenceBmp_.clear();
      WriteWave(mono_, 1, 22050, 4.0);
    }
    WriteWave(stereo_, 2, 22050, 3.0);
  }
  void TearDown() override {
    if (app_.handle) Kill(app_);
  }
  std::string Ini() const { return work_ + "\\tessel.ini"; }

  HWND Start(const std::string& args) {
    app_ = Launch(Widen(exe_), Widen(args), Widen(work_));
    if (!app_.handle) return nullptr;
    return WaitForWindow(app_.id, L"Sonaris", L"", 20000);
  }
  HWND Dialog(const wchar_t* caption, int timeoutMs = 10000) {
    return WaitForWindow(app_.id, L"#32770", caption, timeoutMs);
  }
  // Answers a file dialog with a path.
  void AnswerFileDialog(const wchar_t* caption, const std::string& path) {
    HWND d = Dialog(caption);
    ASSERT_NE(d, nullptr) << Narrow(caption);
    HWND edit = FindChildById(d, cmb13);  // the file name combo box
    if (edit) edit = FindChild(edit, L"Edit", L"") ? FindChild(edit, L"Edit", L"") : edit;
    if (!edit) edit = FindChildById(d, edt1);
    ASSERT_NE(edit, nullptr);
    Pause(500);
    SetText(edit, Widen(path));
    Pause(200);
    // The common file dialog takes its OK as a command (a posted click may miss the capture).
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(FindChildById(d, IDOK)));
    const bool closed = WaitFor([&] { return !IsWindow(d) || !IsWindowVisible(d); }, 10000);
    if (!closed) SaveScreenshot(nullptr, ArtifactPath(L"analyser_file_dialog_failure.bmp"));
    ASSERT_TRUE(closed) << path << " edit text: " << Narrow(GetText(edit));
  }
  // Confirms an analysis parameter dialog (after clicking the given radio buttons) and
  // waits for the analysis to end.
  void ConfirmAnalysis(HWND w, const wchar_t* caption, std::vector<int> radios = {}) {
    HWND d = Dialog(caption);
    ASSERT_NE(d, nullptr) << Narrow(caption);
    ExpectReadyOrBusyMenusWhileTheDialogIsOpen(w);
    for (int id : radios) {
      Click(FindChildById(d, id));
      Pause(200);
    }
    Click(FindChildById(d, IDC_OK));
    ASSERT_TRUE(WaitFor([&] { return !Greyed(w, kChange) && !IsWindow(d); }, 60000))
        << "the analysis did not end";
    Pause(500);
  }
  // Logs one point picked at (x, y) of the display as a user does (Points log, pointer on
  // the image, a click, Event a, Enter, Save/Exit); returns the whole log file.
  std::string LogPointAt(HWND w, int x, int y) {
    const std::string points = work_ + "\\points.txt";
    DeleteFileA(points.c_str());
    SendCommand(w, kLogPoints);
    AnswerFileDialog(L"Save Data Log", points);
    HWND d = Dialog(L"Data Log - Points");
    EXPECT_NE(d, nullptr);
    if (!d) return "";
    POINT screen{x, y};
    ClientToScreen(w, &screen);
    SetCursorPos(screen.x, screen.y);  // the real pointer agrees with the posted moves
    PostMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Pause(300);
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pause(300);
    Click(FindChildById(d, IDC_EVENT_A));
    Pause(200);
    Click(FindChildById(d, IDC_ENTER_POINT));
    Pause(200);
    Click(FindChildById(d, IDOK));  // Save/Exit
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(d); }, 5000));
    const std::vector<uint8_t> bytes = ReadAll(points);
    return std::string(bytes.begin(), bytes.end());
  }
  void ExpectReadyOrBusyMenusWhileTheDialogIsOpen(HWND w) { EXPECT_FALSE(Greyed(w, kAnalyzeFile)); }
  void Shot(HWND w, const wchar_t* name) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pause(500);
    EXPECT_TRUE(SaveScreenshot(w, ArtifactPath(name)));
  }
  void CloseAndWait(HWND w) {
    Close(w);
    EXPECT_EQ(WaitExit(app_, 20000), 0);
    app_ = Process{};
  }

  std::string work_, exe_, mono_, stereo_;
  std::string referenceBmp_;  // the native tool's bitmap of mono_, or empty
  Process app_;
};

}  // namespace e2e_analyser
