// Tessel's window agrees with itself: the read-out (and the points log) name a row's own
// frequency over the whole image, the push buttons stay on the screen while the panel is
// redrawn, the Scope display draws its marker lines, wave files the analyser cannot read are
// refused, a fixed-length recording becomes the analysis without a dialog, the notice shows
// its whole text and the All Spectrum log tells the analysis that filled it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "AnalyserSession.h"
#include "analyser/core/Colours.h"
#include "analyser/core/Scope.h"
#include "analyser/core/Settings.h"
#include "analyser/core/WaveFile.h"
#include "driver/UiDriver.h"
#include "resources/analyser/resource.h"

namespace {

using namespace e2e;
using namespace e2e_analyser;

class AnalyserWindow : public AnalyserE2E {
 protected:
  void WriteSettings(const tessel::AnalysisSettings& s) {
    const auto record = tessel::EncodeSettings(s);
    std::ofstream(Ini(), std::ios::binary)
        .write(reinterpret_cast<const char*>(record.data()), std::streamsize(record.size()));
  }
  std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
  }
  // The line of one point picked at (x, y) of the display.
  std::string PointLineAt(HWND w, int x, int y) {
    const std::string text = LogPointAt(w, x, y);
    const size_t at = text.find("\r\n\r\n");
    return at == std::string::npos ? text : text.substr(at + 4);
  }
  // Confirms a capture dialog after clicking a radio button; false when the program has no
  // wave input ("Cannot Open Audio Device" answered).
  bool ConfirmInput(const wchar_t* caption, int radio) {
    HWND d = Dialog(caption);
    EXPECT_NE(d, nullptr) << Narrow(caption);
    if (!d) return false;
    Click(FindChildById(d, radio));
    Click(FindChildById(d, IDC_OK));
    const MessageBoxInfo noDevice = WaitForMessageBox(app_.id, 1500);
    if (!noDevice.window || noDevice.text != L"Cannot Open Audio Device") return true;
    AnswerMessageBox(noDevice, IDOK);
    return false;
  }
  // The pixels of a child window's area within the client area.
  std::vector<COLORREF> ChildPixels(HWND w, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
    const ClientPicture picture = CaptureClient(w);
    std::vector<COLORREF> pixels;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) pixels.push_back(picture.At(x, y));
    return pixels;
  }
};

TEST_F(AnalyserWindow, PointerReadsTheRowsOwnFrequencyOverTheWholeImage) {
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr);
  // 1024 points: 512 rows of 21.5 Hz, 0 to 11025 Hz; the top of the window shows 5.5 to 11 kHz.
  ConfirmAnalysis(w, L"Analyze File", {IDC_FFT1024});
  const double bin = 22050.0 / 1024;
  const int row = int(7600 / bin);  // counted from the bottom
  const int y = 44 + 511 - row;
  const std::string line = PointLineAt(w, 200, y);
  int time = 0, freq = 0, level = 0;
  ASSERT_EQ(std::sscanf(line.c_str(), "a\t%d\t%d\t%d", &time, &freq, &level), 3) << line;
  EXPECT_NEAR(freq, (row + 0.5) * bin, bin) << "the row at about 7.6 kHz";
  CloseAndWait(w);
}

TEST_F(AnalyserWindow, PushButtonsStayOnTheScreenWhileThePanelIsRedrawn) {
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr);
  ConfirmAnalysis(w, L"Analyze File");
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pause(500);
  std::vector<std::vector<COLORREF>> shown;
  const int ids[] = {IDC_PLAY, IDC_PLAYWDW, IDC_GRID, IDC_STOP};
  for (int id : ids) shown.push_back(ChildPixels(w, FindChildById(w, id)));
  // Every move over the image redraws the read-outs of the panel.
  for (int i = 0; i < 20; ++i) PostMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(100 + 10 * i, 150));
  Pause(1000);
  for (size_t i = 0; i < shown.size(); ++i) {
    const std::vector<COLORREF> now = ChildPixels(w, FindChildById(w, ids[i]));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const size_t drawn = now.size() - size_t(std::count(now.begin(), now.end(), face));
    EXPECT_GT(drawn, 20u) << "button " << ids[i] << " is a blank face";
    EXPECT_TRUE(now == shown[i]) << "button " << ids[i] << " was painted over";
  }
  Shot(w, L"analyser_buttons_after_moves.bmp");
  CloseAndWait(w);
}

TEST_F(AnalyserWindow, ScopeDisplayDrawsTheMarkerLines) {
  tessel::AnalysisSettings s = tessel::StartupSettings();
  s.startMode = 1;
  s.displayType = tessel::kDisplayScope;
  s.scopeMarker1Hz = 2000;
  WriteSettings(s);
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr);
  HWND d = Dialog(L"Scan File");
  ASSERT_NE(d, nullptr);
  Click(FindChildById(d, IDC_OK));
  ASSERT_TRUE(WaitFor([&] { return Greyed(w, kScanFile); }, 10000)) << "Scan File did not start";
  Pause(1500);
  // The marker: a vertical line of palette entry 194 (scheme CB at attenuation 0) 256 high.
  const tessel::Rgb c = tessel::AnalysisPalette(tessel::ColourTableFor(tessel::kPaletteCB),
                                                tessel::kScopePaletteOffset)[tessel::kIndexMarker];
  const COLORREF marker = RGB(c.red, c.green, c.blue);
  const ClientPicture picture = CaptureClient(w);
  int longest = 0;
  for (int x = 0; x < picture.width; ++x) {
    int run = 0;
    for (int y = 0; y < 300; ++y) run += picture.At(x, y) == marker;
    longest = std::max(longest, run);
  }
  Shot(w, L"analyser_scope_marker.bmp");
  EXPECT_GE(longest, 200) << "no marker line in the Scope display";
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kScanFile); }, 30000)) << "Scan File did not end";
  CloseAndWait(w);
}

TEST_F(AnalyserWindow, WaveFilesItCannotReadAreRefused) {
  struct Case {
    const char* name;
    int channels, bits;
  } cases[] = {{"deep.wav", 1, 24}, {"three.wav", 3, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWave(work_ + "\\" + c.name, c.channels, 22050, 2.0, c.bits);
    HWND w = Start(c.name);
    ASSERT_NE(w, nullptr);
    const MessageBoxInfo box = WaitForMessageBox(app_.id, 10000);
    EXPECT_EQ(Narrow(box.text), "Improper Entry");
    if (box.window) AnswerMessageBox(box, IDOK);
    EXPECT_EQ(Dialog(L"Analyze File", 1500), nullptr) << "the file was taken as another format";
    Pause(300);
    ExpectReadyWithoutData(w, c.name);
    CloseAndWait(w);
  }
}

TEST_F(AnalyserWindow, FixedLengthRecordingBecomesTheAnalysisWithoutADialog) {
  HWND w = Start("");
  ASSERT_NE(w, nullptr);
  const std::string recording = work_ + "\\recorded.wav";
  DeleteFileA(recording.c_str());
  PressKey(w, VK_F2);
  AnswerFileDialog(L"Record Wave File", recording);
  if (!ConfirmInput(L"Analyze Input", IDC_LEN10)) GTEST_SKIP() << "no wave input";
  // Ten seconds of recording, then the analysis of it.
  const bool analysed = WaitFor([&] { return !Greyed(w, kChange); }, 30000);
  EXPECT_EQ(Dialog(L"Analyze File", 100), nullptr) << "a dialog after the recording";
  EXPECT_EQ(Dialog(L"Modify Analysis Parameters", 100), nullptr);
  ASSERT_TRUE(analysed) << "the recording did not become the analysis";
  ExpectReadyWithData(w, "after the recording");
  tessel::WaveFileInfo info = tessel::Probe(recording, tessel::ProbeMode::AnalyzeFile).info;
  EXPECT_EQ(info.dataBytes, 10u * info.sampleRateHz * info.BlockAlign());
  Shot(w, L"analyser_analyze_input_10s.bmp");
  CloseAndWait(w);
}

TEST_F(AnalyserWindow, ScanningCompleteNoticeShowsItsWholeText) {
  HWND w = Start("");
  ASSERT_NE(w, nullptr);
  PressKey(w, VK_F4);
  if (!ConfirmInput(L"Scan Input", IDC_SCROLL)) GTEST_SKIP() << "no wave input";
  Pause(1000);
  PressKey(w, VK_ESCAPE);
  HWND notice = nullptr;
  WaitFor(
      [&] {
        for (HWND top : TopLevelWindows(app_.id))
          if (GetClass(top) == L"#32770" && GetText(top) == L"Sonaris") notice = top;
        return notice != nullptr;
      },
      3000);
  ASSERT_NE(notice, nullptr) << "no notice after the scan";
  HWND text = FindChildById(notice, IDC_NOTICE_TEXT);
  const std::wstring said = GetText(text);
  EXPECT_EQ(Narrow(said), "Audio Scanning Complete.  No wave data has been saved.");
  // The text in the notice's font (Arial, the system font's height) fits its control.
  HDC dc = GetDC(text);
  TEXTMETRICW system{};
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  GetTextMetricsW(dc, &system);
  HFONT arial =
      CreateFontW(system.tmHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Arial");
  SelectObject(dc, arial);
  SIZE size{};
  GetTextExtentPoint32W(dc, said.c_str(), int(said.size()), &size);
  ReleaseDC(text, dc);
  DeleteObject(arial);
  RECT client;
  GetClientRect(text, &client);
  std::printf("[ INFO ] notice text %ld x %ld pixels in a control of %ld x %ld\n", size.cx, size.cy,
              client.right, client.bottom);
  EXPECT_LE(size.cx, client.right) << "the notice's text is clipped";
  EXPECT_LE(size.cy, client.bottom);
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kScanInput); }, 15000));
  Pause(1200);
  CloseAndWait(w);
}

TEST_F(AnalyserWindow, AllSpectrumLogTellsTheAnalysisThatFilledIt) {
  HWND w = Start("tone.wav");
  ASSERT_NE(w, nullptr);
  ConfirmAnalysis(w, L"Analyze File", {IDC_FFT512});
  const std::string all = work_ + "\\all_from_1s.txt";
  DeleteFileA(all.c_str());
  SendCommand(w, kLogAll);
  AnswerFileDialog(L"Save Data Log", all);
  HWND d = Dialog(L"Modify Analysis Parameters");
  ASSERT_NE(d, nullptr);
  SetText(FindChildById(d, IDC_BEGIN), L"1000");
  ConfirmAnalysis(w, L"Modify Analysis Parameters");
  const std::string text = ReadText(all);
  const std::string header = "Sonaris 4.2 Data\r\n" + mono_ +
                             "\r\n22050 Hz Sampling Rate\r\n43 Hz Frequency Resolution\r\n"
                             "1000 msec Sample Start\r\n10 msec Time Step\r\n\r\n"
                             "Point   Freq    Amp     Phase\r\n";
  ASSERT_GE(text.size(), header.size());
  EXPECT_EQ(text.substr(0, header.size()), header);
  CloseAndWait(w);
}

}  // namespace
