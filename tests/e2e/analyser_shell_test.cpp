// Tessel.exe under Wine: a wave file dropped on the window is taken like one named on the
// command line (analysed, or scanned with start mode 1), and not while a scan runs; Help
// opens the HTML help beside the program with the prefix's handler for .htm files, and
// says "Cannot Access Help" when nothing opens it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "AnalyserSession.h"
#include "analyser/core/Settings.h"
#include "driver/UiDriver.h"

namespace {

using namespace e2e;
using namespace e2e_analyser;

constexpr UINT kHelpTopics = 40036;

void WriteStartMode(const std::string& ini, uint32_t startMode) {
  tessel::AnalysisSettings s = tessel::StartupSettings();
  s.startMode = startMode;
  const auto record = tessel::EncodeSettings(s);
  std::ofstream(ini, std::ios::binary)
      .write(reinterpret_cast<const char*>(record.data()), std::streamsize(record.size()));
}

TEST_F(AnalyserE2E, DroppedWaveIsTakenAsOnTheCommandLine) {
  HWND w = Start("");
  ASSERT_NE(w, nullptr);
  Pause(500);
  // Start mode 0: the first dropped file goes straight to "Analyze File".
  ASSERT_TRUE(DropFiles(w, 200, 150, {Widen(mono_), Widen(stereo_)}));
  ConfirmAnalysis(w, L"Analyze File", {1082});
  ExpectReadyWithData(w, "after the dropped file's analysis");
  Shot(w, L"analyser_dropped_file.bmp");
  CloseAndWait(w);

  // Start mode 1: scanned; while the scan runs, a drop is not taken.
  WriteStartMode(Ini(), 1);
  w = Start("");
  ASSERT_NE(w, nullptr);
  Pause(500);
  ASSERT_TRUE(DropFiles(w, 200, 150, {Widen(stereo_)}));
  HWND d = Dialog(L"Scan File");
  ASSERT_NE(d, nullptr) << "start mode 1 goes straight to Scan File";
  Click(FindChildById(d, 1025));
  ASSERT_TRUE(WaitFor([&] { return Greyed(w, kScanFile); }, 10000)) << "Scan File did not start";
  EXPECT_FALSE(DropFiles(w, 200, 150, {Widen(mono_)}));
  EXPECT_EQ(Dialog(L"Analyze File", 500), nullptr);
  EXPECT_EQ(Dialog(L"Scan File", 500), nullptr);
  EXPECT_TRUE(WaitFor([&] { return !Greyed(w, kScanFile); }, 30000)) << "Scan File did not end";
  CloseAndWait(w);
}

// The prefix's handler of .htm files for the length of a test: a class of its own, whose
// open command is the given one (none: a class that opens nothing). The old one comes back.
class HtmHandler {
 public:
  explicit HtmHandler(const std::wstring& command) {
    wchar_t value[256] = {};
    LONG size = sizeof value;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, L".htm", value, &size) == ERROR_SUCCESS) old_ = value;
    SetDefault(L".htm", kClass);
    if (!command.empty()) SetDefault(std::wstring(kClass) + L"\\shell\\open\\command", command);
  }
  ~HtmHandler() {
    SetDefault(L".htm", old_);
    for (const wchar_t* sub : {L"\\shell\\open\\command", L"\\shell\\open", L"\\shell", L""})
      RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(kClass) + sub).c_str());
  }

 private:
  static constexpr wchar_t kClass[] = L"VardexTestHtmFile";
  static void SetDefault(const std::wstring& key, const std::wstring& value) {
    RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                 DWORD(value.size() * sizeof(wchar_t)));
  }
  std::wstring old_;
};

std::string ReadText(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(AnalyserE2E, HelpOpensTheHtmlHelpBesideTheProgram) {
  const std::wstring help = Widen(work_) + L"\\Tessel.htm";
  ASSERT_TRUE(CopyFileW(ProgramPath(L"Tessel.htm").c_str(), help.c_str(), FALSE));
  DeleteFileW((Widen(work_) + L"\\Tessel.hlp").c_str());
  const std::wstring recorder = BuildDir() + L"\\tests-bin\\e2e_open_recorder.exe";
  const std::wstring opened = BuildDir() + L"\\tests-bin\\opened.txt";
  DeleteFileW(opened.c_str());
  {
    HtmHandler handler(L"\"" + recorder + L"\" \"%1\"");
    HWND w = Start("");
    ASSERT_NE(w, nullptr);
    SendCommand(w, kHelpTopics);
    ASSERT_TRUE(WaitFor([&] { return !ReadText(opened).empty(); }, 15000))
        << "the .htm handler was not started";
    const std::string line = ReadText(opened);
    std::printf("[ INFO ] the .htm handler was given: %s\n", line.c_str());
    // The handler was given the help file beside the program.
    EXPECT_NE(line.find("\"" + Narrow(help) + "\""), std::string::npos) << line;
    EXPECT_EQ(WaitForMessageBox(app_.id, 1000).window, nullptr) << "a message instead of help";
    CloseAndWait(w);
  }
  {
    HtmHandler nothing(L"");
    HWND w = Start("");
    ASSERT_NE(w, nullptr);
    SendCommand(w, kHelpTopics);
    const MessageBoxInfo box = WaitForMessageBox(app_.id, 15000);
    ASSERT_NE(box.window, nullptr) << "no message when nothing opens the help";
    EXPECT_EQ(box.caption, L"Sonaris");
    EXPECT_EQ(box.text, L"Cannot Access Help");
    AnswerMessageBox(box, IDOK);
    CloseAndWait(w);
  }
}

}  // namespace
