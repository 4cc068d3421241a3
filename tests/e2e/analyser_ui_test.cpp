// Tessel end to end under Wine: a wave file on the command line is analysed, recoloured,
// saved as a bitmap, logged, played and scanned; the settings file carries the changes to
// the next start. The menu states are checked at every stage, and screenshots of the Scroll
// and Scope displays are kept as artifacts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "analyser/core/Analysis.h"
#include "analyser/core/BitmapFile.h"
#include "analyser/core/Colours.h"
#include "analyser/core/Settings.h"
#include "analyser/core/WaveFile.h"
#include "driver/UiDriver.h"

namespace {

using namespace e2e;

constexpr UINT kAnalyzeFile = 40020, kAnalyzeInput = 40021, kScanFile = 40007, kScanInput = 40011,
               kChange = 40005, kSaveWave = 40030, kWindowBitmap = 40033, kColors = 40027,
               kLogPoints = 40028, kLogAll = 40039, kExit = 40003, kFreeze = 40056, kAdjust = 40055;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A 16-bit PCM wave: a steady tone and a rising sweep, per channel.
void WriteWave(const std::string& path, int channels, uint32_t rate, double seconds) {
  const uint32_t frames = uint32_t(rate * seconds);
  std::vector<uint8_t> data;
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const double t = double(i) / rate;
      const double tone = c == 0 ? 1000.0 : 3000.0;
      const double sweep = 200 + 3000 * t / seconds;
      const double v = 9000 * std::sin(2 * 3.14159265358979 * tone * t) +
                       6000 * std::sin(2 * 3.14159265358979 * sweep * t * 0.5);
      const int16_t s = int16_t(v);
      data.push_back(uint8_t(s & 0xFF));
      data.push_back(uint8_t((s >> 8) & 0xFF));
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
  put32(28, rate * 2 * channels);
  put16(32, uint32_t(2 * channels));
  put16(34, 16);
  std::copy_n("data", 4, file.begin() + 36);
  put32(40, uint32_t(data.size()));
  file.insert(file.end(), data.begin(), data.end());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

// The state of a menu item; the cross-process query is asked again when a busy program
// does not answer in time.
int ItemState(HWND w, UINT command) {
  int s = MenuItemState(w, command);
  for (int i = 0; i < 60 && s < 0; ++i) {
    Pause(100);
    s = MenuItemState(w, command);
  }
  return s;
}

// A query that is never answered is a failure of its own, not a state: it would otherwise
// read as "enabled".
bool Greyed(HWND w, UINT command) {
  const int s = ItemState(w, command);
  EXPECT_GE(s, 0) << "no answer about menu item " << command;
  return s >= 0 && (s & (MF_GRAYED | MF_DISABLED)) != 0;
}

bool Checked(HWND w, UINT command) {
  const int s = ItemState(w, command);
  EXPECT_GE(s, 0) << "no answer about menu item " << command;
  return s >= 0 && (s & MF_CHECKED) != 0;
}

// The three menu states, seen through a few of their items.
void ExpectReadyWithData(HWND w, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT c : {kAnalyzeFile, kAnalyzeInput, kScanFile, kScanInput, kChange, kSaveWave, kExit})
    EXPECT_FALSE(Greyed(w, c)) << c;
}
void ExpectReadyWithoutData(HWND w, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT c : {kAnalyzeFile, kAnalyzeInput, kScanFile, kScanInput, kExit})
    EXPECT_FALSE(Greyed(w, c)) << c;
  for (UINT c : {kChange, kSaveWave, kLogPoints}) EXPECT_TRUE(Greyed(w, c)) << c;
  // A true-colour display has no "&Colors" menu; a palette display greys its item here.
  EXPECT_TRUE(MenuItemState(w, kColors) < 0 || (MenuItemState(w, kColors) & MF_GRAYED));
}
void ExpectBusy(HWND w, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT c : {kAnalyzeFile, kAnalyzeInput, kScanFile, kScanInput, kChange, kSaveWave,
                 kWindowBitmap, kExit})
    EXPECT_TRUE(Greyed(w, c)) << c;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

// An 8-bit bitmap file: its 1024-byte colour table and its rows top first.
struct Bitmap8 {
  int width = 0, height = 0;
  std::vector<uint8_t> colours;
  std::vector<std::vector<uint8_t>> rows;
};

bool DecodeBitmap8(const std::vector<uint8_t>& f, Bitmap8& b) {
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
void ExpectStartKeysIgnored(HWND w, DWORD pid, const char* stage) {
  SCOPED_TRACE(stage);
  for (UINT key : {VK_F1, VK_F2, VK_F3, VK_F4}) PressKey(w, key);
  Pause(800);
  for (const wchar_t* caption : {L"Analyze File", L"Analyze Input", L"Scan File", L"Scan Input",
                                 L"Open Wave File", L"Record Wave File"})
    EXPECT_EQ(WaitForWindow(pid, L"#32770", caption, 300), nullptr) << Narrow(caption);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
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
    HWND edit = FindChildById(d, 1148);  // the file name combo box
    if (edit) edit = FindChild(edit, L"Edit", L"") ? FindChild(edit, L"Edit", L"") : edit;
    if (!edit) edit = FindChildById(d, 1152);
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
    Click(FindChildById(d, 1025));
    ASSERT_TRUE(WaitFor([&] { return !Greyed(w, kChange) && !IsWindow(d); }, 60000))
        << "the analysis did not end";
    Pause(500);
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

// Counts the display pixels that differ from the background (black).
int LitPixels(HWND w) {
  int lit = 0;
  for (int y = 50; y < 290; y += 6)
    for (int x = 10; x < 500; x += 12)
      if (ClientPixel(w, x, y) != RGB(0, 0, 0)) ++lit;
  return lit;
}

TEST_F(AnalyserE2E, AnalysesRecoloursSavesLogsPlaysScansAndKeepsItsSettings) {
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr) << "no Sonaris window";
  // startMode 0: straight to "Analyze File", without the open dialog.
  ConfirmAnalysis(w, L"Analyze File", {1082});
  ExpectReadyWithData(w, "after Analyze File");
  EXPECT_FALSE(Greyed(w, kWindowBitmap));
  EXPECT_GT(LitPixels(w), 20) << "no spectral image";
  Shot(w, L"analyser_scroll_linear_mono.bmp");

  // Modify Colors: Try It recolours, Cancel restores.
  const int tx = 200, ty = 44 + 255 - int(std::lround(1000.0 / (22050.0 / 512)));
  const COLORREF before = ClientPixel(w, tx, ty);
  SendCommand(w, kColors);
  HWND colours = Dialog(L"Modify Colors");
  ASSERT_NE(colours, nullptr);
  Click(FindChildById(colours, 1042));  // WB
  Click(FindChildById(colours, 1027));  // Try It
  EXPECT_TRUE(WaitFor([&] { return ClientPixel(w, tx, ty) != before; }, 5000)) << "not recoloured";
  Shot(w, L"analyser_try_it.bmp");
  Click(FindChildById(colours, 1026));  // Cancel
  EXPECT_TRUE(WaitFor([&] { return ClientPixel(w, tx, ty) == before; }, 5000)) << "not restored";

  // Window Bitmap: the pixels of the same analysis made by the core, as the tool makes it.
  const std::string bmp = work_ + "\\window.bmp";
  DeleteFileA(bmp.c_str());
  SendCommand(w, kWindowBitmap);
  AnswerFileDialog(L"Save Bitmap", bmp);
  HWND magnify = Dialog(L"Bitmap Magnification");
  ASSERT_NE(magnify, nullptr);
  Click(FindChildById(magnify, IDOK));
  ASSERT_TRUE(WaitFor([&] { return ReadAll(bmp).size() > 1078; }, 10000));
  if (!referenceBmp_.empty()) {
    // The window's part of the native tool's image of the same file and parameters.
    Bitmap8 saved, reference;
    ASSERT_TRUE(DecodeBitmap8(ReadAll(bmp), saved));
    ASSERT_TRUE(DecodeBitmap8(ReadAll(referenceBmp_), reference)) << referenceBmp_;
    std::printf("[ INFO ] window bitmap %dx%d compared with the native tool's %dx%d\n", saved.width,
                saved.height, reference.width, reference.height);
    EXPECT_EQ(saved.colours, reference.colours);
    ASSERT_LE(saved.width, reference.width);
    ASSERT_EQ(saved.height, reference.height);
    int differing = 0;
    for (int y = 0; y < saved.height; ++y)
      for (int x = 0; x < saved.width; ++x)
        differing += saved.rows[size_t(y)][size_t(x)] != reference.rows[size_t(y)][size_t(x)];
    EXPECT_EQ(differing, 0) << "pixels of the window bitmap differ from the native tool's";
  } else {
    std::printf(
        "[ INFO ] no native tool's reference: the window bitmap is compared with the "
        "core's image\n");
    using namespace tessel;
    const std::vector<uint8_t> saved = ReadAll(bmp);
    const int width = int(saved[18] | saved[19] << 8), height = int(saved[22] | saved[23] << 8);
    AnalysisSettings s = StartupSettings();
    s.fftSizeChoice = 1082;
    WaveFileInfo info = Probe(mono_, ProbeMode::AnalyzeFile).info;
    ApplyBandRules(s, info.sampleRateHz);
    const double endMs = std::lround(info.dataBytes / (info.sampleRateHz * 2 / 1000.0));
    SampleBuffer sample = LoadSegment(mono_, info, 0, endMs, 512);
    AnalysisOptions o = OptionsFromSettings(s, info.sampleRateHz);
    o.minWidth = GetSystemMetrics(SM_CXSCREEN);
    const DisplayBitmap expected = AnalyseSample(sample, o);
    IndexedImage crop(width, height, kIndexBackground);
    crop.Copy(expected.Image(), 0, 0, width, height, 0, 0);
    const std::vector<uint8_t> reference =
        EncodeBitmap8(crop, AnalysisPalette(ColourTableFor(s.paletteChoice), PaletteOffset(0)));
    EXPECT_EQ(saved.size(), reference.size());
    EXPECT_TRUE(saved == reference) << "the window bitmap differs from the core's image";
  }
  ExpectReadyWithData(w, "after the bitmap");

  // Points log: one point picked on the image.
  const std::string points = work_ + "\\points.txt";
  DeleteFileA(points.c_str());
  SendCommand(w, kLogPoints);
  AnswerFileDialog(L"Save Data Log", points);
  HWND pointsDialog = Dialog(L"Data Log - Points");
  ASSERT_NE(pointsDialog, nullptr);
  POINT screen{tx, ty};
  ClientToScreen(w, &screen);
  SetCursorPos(screen.x, screen.y);  // the real pointer agrees with the posted moves
  PostMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(tx, ty));
  Pause(300);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tx, ty));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(tx, ty));
  Pause(300);
  Click(FindChildById(pointsDialog, 1201));  // event "a"
  Pause(200);
  Click(FindChildById(pointsDialog, 3));  // Enter Point
  Pause(200);
  Click(FindChildById(pointsDialog, IDOK));  // Save/Exit
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(pointsDialog); }, 5000));
  {
    const std::vector<uint8_t> bytes = ReadAll(points);
    const std::string text(bytes.begin(), bytes.end());
    const std::string header =
        "\r\nSonaris 4.2 Data\r\n" + mono_ + "\r\nEvent   Time    Freq    Level (dB)\r\n\r\n";
    ASSERT_GE(text.size(), header.size());
    EXPECT_EQ(text.substr(0, header.size()), header);
    const std::string line = text.substr(header.size());
    int time = 0, freq = 0, level = 0;
    EXPECT_EQ(std::sscanf(line.c_str(), "a\t%d\t%d\t%d\r\n", &time, &freq, &level), 3) << line;
    EXPECT_EQ(time, tx * 10);
    EXPECT_NEAR(freq, 1000, 50);
  }

  // All Spectrum: the header now, the bins of every column with the next analysis pass.
  const std::string all = work_ + "\\all.txt";
  DeleteFileA(all.c_str());
  SendCommand(w, kLogAll);
  AnswerFileDialog(L"Save Data Log", all);
  ConfirmAnalysis(w, L"Modify Analysis Parameters");
  {
    const std::vector<uint8_t> bytes = ReadAll(all);
    const std::string text(bytes.begin(), bytes.end());
    const std::string header = "Sonaris 4.2 Data\r\n" + mono_ +
                               "\r\n22050 Hz Sampling Rate\r\n43 Hz Frequency Resolution\r\n"
                               "0 msec Sample Start\r\n10 msec Time Step\r\n\r\n"
                               "Point   Freq    Amp     Phase\r\n";
    ASSERT_GE(text.size(), header.size());
    EXPECT_EQ(text.substr(0, header.size()), header);
    int bin = -1, freq = 0;
    long amp = 0;
    float phase = 0;
    EXPECT_EQ(
        std::sscanf(text.c_str() + header.size(), "%d\t%d\t%ld\t%f", &bin, &freq, &amp, &phase), 4);
    EXPECT_EQ(bin, 0);
    EXPECT_GT(text.size(), header.size() + 256 * 40 * 10) << "bins of every column";
  }
  ExpectReadyWithData(w, "after the All Spectrum pass");

  // Play and Play Wdw run to their end.
  HWND play = FindChildById(w, 101), playWdw = FindChildById(w, 102), stop = FindChildById(w, 103);
  for (HWND button : {play, playWdw}) {
    ASSERT_TRUE(IsWindowEnabled(button));
    Click(button);
    Pause(300);
    ExpectBusy(w, button == play ? "during Play" : "during Play Wdw");
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(stop) && !Greyed(w, kAnalyzeFile); }, 30000))
        << "playback did not end";
  }
  ExpectReadyWithData(w, "after playing");

  // A left drag shows its two ends as lines while it runs; releasing it asks for the segment.
  {
    const int y = 200, x0 = 60, x1 = 160;
    const COLORREF line = RGB(255, 255, 255);
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y));
    PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x1, y));
    EXPECT_TRUE(WaitFor([&] { return ClientPixel(w, x1, y) == line; }, 3000))
        << "no selection line at the pointer";
    EXPECT_EQ(ClientPixel(w, x0, y), line) << "no selection line at the start";
    EXPECT_NE(ClientPixel(w, (x0 + x1) / 2, y), line);
    Shot(w, L"analyser_drag_select.bmp");
    PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(x1, y));
    HWND change = Dialog(L"Modify Analysis Parameters");
    ASSERT_NE(change, nullptr) << "the drag did not open the parameter dialog";
    Click(FindChildById(change, 1026));  // Cancel
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(change); }, 5000));
    // The window repaints once the dialog is gone (Wine may take a moment to hide it).
    EXPECT_TRUE(WaitFor([&] { return ClientPixel(w, x1, y) != line; }, 5000))
        << "the selection stays after the drag";
  }
  ExpectReadyWithData(w, "after the drag");

  // F4 - Scan Input on the null input device; F1..F4 do nothing while it runs; Escape stops.
  PressKey(w, VK_F4);
  HWND scanDialog = Dialog(L"Scan Input");
  ASSERT_NE(scanDialog, nullptr);
  Click(FindChildById(scanDialog, 1025));
  Pause(1500);
  const MessageBoxInfo noDevice = WaitForMessageBox(app_.id, 500);
  if (noDevice.window && noDevice.text == L"Cannot Open Audio Device") {
    std::printf("[ INFO ] no wave input device under this Wine: \"Cannot Open Audio Device\"\n");
    AnswerMessageBox(noDevice, IDOK);
  } else {
    ExpectBusy(w, "during Scan Input");
    EXPECT_TRUE(IsWindowEnabled(stop));
    ExpectStartKeysIgnored(w, app_.id, "during Scan Input");
    ExpectBusy(w, "after F1..F4 during Scan Input");
    Shot(w, L"analyser_scan_input.bmp");
    PressKey(w, VK_ESCAPE);
  }
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kScanInput); }, 15000));
  Pause(1200);  // the transient notice closes itself
  ExpectReadyWithoutData(w, "after Scan Input");

  // Changed settings: Freeze mode and the BW palette, kept over a restart.
  PressKey(w, VK_F6);
  SendCommand(w, kColors);
  colours = Dialog(L"Modify Colors");
  ASSERT_NE(colours, nullptr);
  Click(FindChildById(colours, 1041));  // BW
  Click(FindChildById(colours, 1025));  // OK
  Pause(500);
  EXPECT_TRUE(Checked(w, kFreeze));
  CloseAndWait(w);
  const std::vector<uint8_t> ini = ReadAll(Ini());
  ASSERT_EQ(ini.size(), 116u);
  tessel::AnalysisSettings stored;
  ASSERT_TRUE(tessel::DecodeSettings(ini.data(), stored));
  EXPECT_EQ(stored.variablesMode, 40056u);
  EXPECT_EQ(stored.paletteChoice, 1041u);
  EXPECT_EQ(stored.fftSizeChoice, 1082u);

  w = Start("");
  ASSERT_NE(w, nullptr);
  Pause(1000);
  EXPECT_TRUE(Checked(w, kFreeze));
  EXPECT_FALSE(Checked(w, kAdjust));
  ExpectReadyWithoutData(w, "after the restart");
  CloseAndWait(w);
}

TEST_F(AnalyserE2E, ScreenshotsOfLogScaleAndDualStereo) {
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr);
  ConfirmAnalysis(w, L"Analyze File", {1077});
  ExpectReadyWithData(w, "log scale");
  for (int i = 0; i < 10; ++i) PostMessageW(w, WM_VSCROLL, SB_PAGEDOWN, 0);  // the lower rows
  Pause(500);
  EXPECT_GT(LitPixels(w), 20);
  Shot(w, L"analyser_scroll_log_mono.bmp");
  CloseAndWait(w);

  w = Start("stereo.wav");
  ASSERT_NE(w, nullptr);
  ConfirmAnalysis(w, L"Analyze File", {1076, 1082, 1089});
  ExpectReadyWithData(w, "Dual stereo");
  EXPECT_TRUE(Greyed(w, kWindowBitmap)) << "no bitmap of the Dual view";
  EXPECT_GT(LitPixels(w), 20);
  Shot(w, L"analyser_scroll_linear_dual_stereo.bmp");
  CloseAndWait(w);
}

TEST_F(AnalyserE2E, AnalyzeFileShowsTheColumnsWhileTheyAreComputed) {
  // Five minutes of sound with 16384 points: a pass of some seconds, stopped half-way.
  const std::string longWave = work_ + "\\long.wav";
  WriteWave(longWave, 1, 22050, 300.0);
  HWND w = Start("long.wav");
  ASSERT_NE(w, nullptr);
  HWND d = Dialog(L"Analyze File");
  ASSERT_NE(d, nullptr);
  Click(FindChildById(d, 1087));
  Pause(200);
  Click(FindChildById(d, 1025));
  HWND stop = FindChildById(w, 103);
  // The strip's bottom line (palette entry 1 of the CB scheme) of the first columns is on the
  // screen while the pass still runs; Stop is read after the pixel, so the pixel was lit
  // before the pass could end.
  const bool shownWhileRunning = WaitFor(
      [&] {
        const bool lit = ClientPixel(w, 2, 43) == RGB(0, 100, 255);
        return lit && IsWindowEnabled(stop) && Greyed(w, kAnalyzeFile);
      },
      30000);
  if (!shownWhileRunning) SaveScreenshot(w, ArtifactPath(L"analyser_growing_failure.bmp"));
  EXPECT_TRUE(shownWhileRunning) << "the image did not grow on the screen during the pass";
  Click(stop);
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kChange); }, 60000)) << "the pass did not end";
  ExpectReadyWithData(w, "after a stopped pass");
  CloseAndWait(w);
}

TEST_F(AnalyserE2E, ScanFileInTheScopeDisplay) {
  // startMode 1 and the Scope display, from a settings file written beforehand.
  tessel::AnalysisSettings s = tessel::StartupSettings();
  s.startMode = 1;
  s.displayType = tessel::kDisplayScope;
  const auto record = tessel::EncodeSettings(s);
  std::ofstream(Ini(), std::ios::binary)
      .write(reinterpret_cast<const char*>(record.data()), std::streamsize(record.size()));
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr);
  HWND d = Dialog(L"Scan File");
  ASSERT_NE(d, nullptr) << "startMode 1 goes straight to Scan File";
  ExpectReadyWithoutData(w, "while the Scan File dialog is open");
  Click(FindChildById(d, 1025));
  // A start key queued behind the OK reaches the window while the scan is being set up: it
  // must find the menus busy already.
  PressKey(w, VK_F1);
  // The scan lasts as long as the 4 s file plays, even on the null device that plays at once.
  ASSERT_TRUE(WaitFor([&] { return Greyed(w, kScanFile); }, 10000)) << "Scan File did not start";
  const DWORD busyAt = GetTickCount();
  ExpectBusy(w, "during Scan File");
  HWND stop = FindChildById(w, 103);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(stop) != FALSE; }, 5000)) << "Stop";
  ExpectStartKeysIgnored(w, app_.id, "during Scan File");
  ExpectBusy(w, "after F1..F4 during Scan File");
  Shot(w, L"analyser_scope_scan_file.bmp");
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kScanFile); }, 30000)) << "Scan File did not end";
  const DWORD busyMs = GetTickCount() - busyAt;
  std::printf("[ INFO ] Scan File of a 4 s file kept the menus busy for %lu ms\n", busyMs);
  EXPECT_GE(busyMs, 3500u) << "the scan ended before the file had played";
  EXPECT_LE(busyMs, 8000u);
  ExpectReadyWithoutData(w, "after Scan File");
  CloseAndWait(w);
}

}  // namespace
