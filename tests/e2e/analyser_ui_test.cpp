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

#include "AnalyserSession.h"
#include "analyser/core/Analysis.h"
#include "analyser/core/BitmapFile.h"
#include "analyser/core/Colours.h"
#include "analyser/core/Settings.h"
#include "analyser/core/WaveFile.h"
#include "driver/UiDriver.h"
#include "resources/analyser/resource.h"

namespace {

using namespace e2e;
using namespace e2e_analyser;

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
  ConfirmAnalysis(w, L"Analyze File", {IDC_FFT512});
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
  Click(FindChildById(colours, IDC_PAL_WB));
  Click(FindChildById(colours, IDC_TRYIT));
  EXPECT_TRUE(WaitFor([&] { return ClientPixel(w, tx, ty) != before; }, 5000)) << "not recoloured";
  Shot(w, L"analyser_try_it.bmp");
  Click(FindChildById(colours, IDC_CANCEL));
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
    s.fftSizeChoice = tessel::kFft512;
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
  {
    const std::string text = LogPointAt(w, tx, ty);
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
  HWND play = FindChildById(w, IDC_PLAY), playWdw = FindChildById(w, IDC_PLAYWDW),
       stop = FindChildById(w, IDC_STOP);
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
    Click(FindChildById(change, IDC_CANCEL));
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
  Click(FindChildById(scanDialog, IDC_OK));
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
  Click(FindChildById(colours, IDC_PAL_BW));
  Click(FindChildById(colours, IDC_OK));
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
  ConfirmAnalysis(w, L"Analyze File", {IDC_LOG});
  ExpectReadyWithData(w, "log scale");
  for (int i = 0; i < 10; ++i) PostMessageW(w, WM_VSCROLL, SB_PAGEDOWN, 0);  // the lower rows
  Pause(500);
  EXPECT_GT(LitPixels(w), 20);
  Shot(w, L"analyser_scroll_log_mono.bmp");
  CloseAndWait(w);

  w = Start("stereo.wav");
  ASSERT_NE(w, nullptr);
  ConfirmAnalysis(w, L"Analyze File", {IDC_LINEAR, IDC_FFT512, IDC_DUAL});
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
  Click(FindChildById(d, IDC_FFT16384));
  Pause(200);
  Click(FindChildById(d, IDC_OK));
  HWND stop = FindChildById(w, IDC_STOP);
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
  Click(FindChildById(d, IDC_OK));
  // A start key queued behind the OK reaches the window while the scan is being set up: it
  // must find the menus busy already.
  PressKey(w, VK_F1);
  // The scan lasts as long as the 4 s file plays, even on the null device that plays at once.
  ASSERT_TRUE(WaitFor([&] { return Greyed(w, kScanFile); }, 10000)) << "Scan File did not start";
  const DWORD busyAt = GetTickCount();
  ExpectBusy(w, "during Scan File");
  HWND stop = FindChildById(w, IDC_STOP);
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
