#include "builder/win/MainWindow.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>

#include "builder/win/AboutWindows.h"
#include "builder/win/ControlIds.h"
#include "builder/win/PreviewWindow.h"
#include "platform/System.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Wide.h"
#include "resources/builder/resource.h"

namespace vardexwin {
namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr int kClientWidth = 526;
constexpr int kClientHeight = 254;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Posted when files have been dropped on the window.
constexpr UINT kFilesDropped = WM_APP + 1;

const wchar_t* const kTagLabels[] = {L"Filename:", L"Title:", L"Artist:", L"Album:",
                                     L"Year:",     L"Genre:", L"Comment:"};

// Runs a step when the scope ends, also when it ends by an exception.
template <typename F>
struct Finally {
  F f;
  ~Finally() { f(); }
};
template <typename F>
Finally(F) -> Finally<F>;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, builder::TStyleTab& style, RegistryStore& store,
                       PreviewWindow& preview)
    : instance_(instance),
      style_(style),
      store_(store),
      preview_(preview),
      form_(style, DecimalSeparator()) {}

template <typename F>
void MainWindow::Guarded(F handler) {
  try {
    handler();
  } catch (const archive::EAbort&) {
    // A cancelled prompt ends the operation without a message.
  } catch (const std::exception& e) {
    ShowError(window_, e.what());
  }
}

bool MainWindow::Create() {
  if (!platform::RegisterWindowClass(instance_, kClassName, platform::ObjectWindowProc<MainWindow>,
                                     LoadIconW(nullptr, IDI_APPLICATION),
                                     reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
    return false;
  window_ = platform::CreateObjectWindow(instance_, kClassName, kAppTitle, kStyle, kClientWidth,
                                         kClientHeight, nullptr, this);
  if (!window_) return false;
  prompts_.SetOwner(window_);
  builder::ConfigureArchiver(archiver1_);
  archiver1_.SetPrompts(&prompts_);
  font_ = platform::DialogFont();
  CreateFrame();
  leftPage_.SetTabs(leftTabs_);
  rightPage_.SetTabs(rightTabs_);
  CreateSongPage();
  CreateFilePages();
  CreateStylePage();
  ShowPage(leftTabs_, {&songPage_, &stylePage_});
  ShowPage(rightTabs_, {&filePage_, &sizePage_});
  openDirectory_ = platform::Widen(store_.ReadString("OpenDirectory").value_or(""));
  saveDirectory_ = platform::Widen(store_.ReadString("SaveDirectory").value_or(""));
  ShowSongState();
  ShowSplitState();
  ShowStyleState();
  // No drops while a modal dialog or question is up either.
  drop_.Register(window_, kFilesDropped,
                 [this] { return IsWindowEnabled(window_) && form_.DropAccepted(); });
  return true;
}

void MainWindow::Show(int show) {
  ShowWindow(window_, show);
  UpdateWindow(window_);
}

HWND MainWindow::Control(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                         int h, int id, std::vector<HWND>* page) {
  // Places are given in the 96-dpi design.
  const RECT r = platform::Scale(RECT{x, y, x + w, y + h});
  HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left,
                           r.top, r.right - r.left, r.bottom - r.top, window_,
                           reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (page) page->push_back(c);
  return c;
}

void MainWindow::CreateFrame() {
  leftTabs_ = Control(WC_TABCONTROLW, L"", 0, 0, 0, 340, 234, IDC_LEFTTABS);
  rightTabs_ = Control(WC_TABCONTROLW, L"", 0, 341, 0, 185, 137, IDC_RIGHTTABS);
  const wchar_t* left[] = {L"Information about the Song:", L"EXE-Style:"};
  const wchar_t* right[] = {L"Source-/Targetfile", L"Targetfilesize"};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(left[i]);
    SendMessageW(leftTabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    item.pszText = const_cast<wchar_t*>(right[i]);
    SendMessageW(rightTabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  bitBtn1_ = Control(L"BUTTON", L"&Create the .EXE-File",
                     BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 349, 145, 170, 42, IDC_BITBTN1);
  bitBtn3_ =
      Control(L"BUTTON", L"&About", BS_PUSHBUTTON | WS_TABSTOP, 349, 196, 170, 30, IDC_BITBTN3);
  // Label10: a transparent area slightly larger than the create button, which takes
  // the pointer while the button is disabled.
  label10_ = platform::Scale(RECT{345, 141, 523, 191});
  statusBar_ = Control(STATUSCLASSNAMEW, L"", 0, 0, 0, 0, 0, IDC_STATUSBAR1);
  int parts[] = {-1};
  SendMessageW(statusBar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
  SetStatus("Please select an Sourcefile");
  RECT sr;
  GetClientRect(statusBar_, &sr);
  const int sh = sr.bottom - sr.top;
  progressBar_ =
      CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_CLIPSIBLINGS, platform::Scale(376),
                      platform::Scale(kClientHeight) - sh + platform::Scale(3),
                      platform::Scale(146), sh - platform::Scale(5), window_,
                      reinterpret_cast<HMENU>(INT_PTR(IDC_PROGRESSBAR1)), instance_, nullptr);
  SendMessageW(progressBar_, PBM_SETRANGE32, 0, 100);
  SetWindowPos(progressBar_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void MainWindow::CreateSongPage() {
  for (int i = 0; i < 7; ++i)
    Control(L"STATIC", kTagLabels[i], SS_LEFT, 10, 33 + 24 * i, 62, 16, -1, &songPage_);
  edit1_ = Control(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | ES_READONLY | WS_DISABLED, 75, 30,
                   255, 21, IDC_EDIT1, &songPage_);
  // Title, artist, album, year and comment; the genre list sits between year and comment.
  const int rows[] = {1, 2, 3, 4, 6};
  const int limits[] = {30, 30, 30, 4, 30};
  for (int i = 0; i < 5; ++i) {
    tagEdits_[i] = Control(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP | WS_DISABLED, 75,
                           30 + 24 * rows[i], 255, 21, IDC_EDIT2 + i, &songPage_);
    SendMessageW(tagEdits_[i], EM_LIMITTEXT, limits[i], 0);
  }
  comboBox1_ = Control(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_DISABLED,
                       75, 150, 255, 300, IDC_COMBOBOX1, &songPage_);
  for (const char* genre : builder::GenreNames())
    SendMessageW(comboBox1_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(platform::AnsiToWide(genre).c_str()));
  changeBtn_ = Control(L"BUTTON", L"&Edit", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 75, 202, 90,
                       24, IDC_CHANGEBTN, &songPage_);
  saveChangesBtn_ = Control(L"BUTTON", L"&Save changes", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                            175, 202, 110, 24, IDC_SAVECHANGESBTN, &songPage_);
}

void MainWindow::CreateFilePages() {
  Control(L"STATIC", L"Sourcefile:", SS_LEFT, 349, 31, 58, 16, -1, &filePage_);
  button1_ = Control(L"BUTTON", L"&Select MP3-Song", BS_PUSHBUTTON | WS_TABSTOP, 408, 27, 112, 22,
                     IDC_BUTTON1, &filePage_);
  edit7_ = Control(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 349, 52, 171, 21,
                   IDC_EDIT7, &filePage_);
  Control(L"STATIC", L"Targetfile:", SS_LEFT, 349, 84, 58, 16, -1, &filePage_);
  button2_ = Control(L"BUTTON", L"Choose the &Target", BS_PUSHBUTTON | WS_TABSTOP, 408, 80, 112, 22,
                     IDC_BUTTON2, &filePage_);
  edit8_ = Control(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 349, 105, 171, 21,
                   IDC_EDIT8, &filePage_);

  label13_ = Control(L"STATIC", L"", SS_LEFT, 349, 27, 171, 28, IDC_LABEL13, &sizePage_);
  checkBox1_ = Control(L"BUTTON", L"Split into several files", BS_AUTOCHECKBOX | WS_TABSTOP, 349,
                       56, 171, 16, IDC_CHECKBOX1, &sizePage_);
  Control(L"BUTTON", L"Maximum filesize:", BS_GROUPBOX, 347, 73, 175, 58, IDC_RGMAXSIZE,
          &sizePage_);
  // Two columns: "720 Kb" and "Other (Kb):" in the first, "1,44 Mb" in the second;
  // edMaxSize sits in the Other cell.
  rgItems_[0] = Control(L"BUTTON", L"720 Kb", BS_RADIOBUTTON | WS_DISABLED, 353, 89, 80, 16,
                        IDC_RGMAXSIZE_720, &sizePage_);
  rgItems_[1] = Control(L"BUTTON", L"Other (Kb):", BS_RADIOBUTTON | WS_DISABLED, 353, 108, 80, 16,
                        IDC_RGMAXSIZE_OTHER, &sizePage_);
  rgItems_[2] = Control(L"BUTTON", L"1,44 Mb", BS_RADIOBUTTON | WS_DISABLED, 437, 89, 80, 16,
                        IDC_RGMAXSIZE_144, &sizePage_);
  edMaxSize_ = Control(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL | WS_DISABLED, 437, 106, 78, 20,
                       IDC_EDMAXSIZE, &sizePage_);
  SendGroupsToBack(sizePage_);
}

void MainWindow::SendGroupsToBack(const std::vector<HWND>& page) {
  // Group frames lie beneath the controls drawn over them.
  for (HWND c : page) {
    wchar_t cls[16] = {};
    GetClassNameW(c, cls, 16);
    if (lstrcmpiW(cls, L"BUTTON") == 0 && (GetWindowLongW(c, GWL_STYLE) & 0xF) == BS_GROUPBOX)
      SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MainWindow::ShowPage(HWND tabs, const std::vector<std::vector<HWND>*>& pages) {
  const int selected = int(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
  for (size_t i = 0; i < pages.size(); ++i)
    for (HWND c : *pages[i]) ShowWindow(c, int(i) == selected ? SW_SHOW : SW_HIDE);
  // The tab sets lie beneath their pages.
  SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (!updating_) OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
      return 0;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(l));
      return 0;
    case WM_VSCROLL:
      if (l) OnSlider(reinterpret_cast<HWND>(l));
      return 0;
    case WM_DRAWITEM:
      OnDrawSpin(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_SETCURSOR:
      OnSetCursor(reinterpret_cast<HWND>(w));
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(short(LOWORD(l)), short(HIWORD(l)));
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(l) == edMaxSize_ && edMaxSizeBrush_) {
        SetBkColor(reinterpret_cast<HDC>(w), Resolve(split_.EditColor()));
        return reinterpret_cast<LRESULT>(edMaxSizeBrush_);
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnCtlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), message, w, l);
    case WM_PRINTCLIENT: {
      const HDC dc = reinterpret_cast<HDC>(w);
      RECT all;
      GetClientRect(window_, &all);
      FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
      leftPage_.PaintOn(window_, dc);
      rightPage_.PaintOn(window_, dc);
      return 0;
    }
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      leftPage_.Forget();
      rightPage_.Forget();
      InvalidateRect(window_, nullptr, TRUE);
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case kFilesDropped:
      OnFilesDropped();
      return 0;
    case WM_DESTROY:
      drop_.Revoke();
      if (edMaxSizeBrush_) DeleteObject(edMaxSizeBrush_);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, w, l);
}

LRESULT MainWindow::OnCtlColor(HDC dc, HWND control, UINT message, WPARAM w, LPARAM l) {
  auto on = [control](const std::vector<HWND>& page) {
    return std::find(page.begin(), page.end(), control) != page.end();
  };
  // Edit fields keep their own face, also when disabled or read-only.
  wchar_t cls[8] = {};
  GetClassNameW(control, cls, 8);
  HBRUSH brush = nullptr;
  if (lstrcmpiW(cls, L"EDIT") != 0) {
    if (on(songPage_) || on(stylePage_)) brush = leftPage_.Prepare(control, dc);
    if (on(filePage_) || on(sizePage_)) brush = rightPage_.Prepare(control, dc);
  }
  if (brush) return reinterpret_cast<LRESULT>(brush);
  return DefWindowProcW(window_, message, w, l);
}

void MainWindow::OnNotify(const NMHDR& header) {
  if (header.code != TCN_SELCHANGE) return;
  if (header.hwndFrom == leftTabs_) ShowPage(leftTabs_, {&songPage_, &stylePage_});
  if (header.hwndFrom == rightTabs_) ShowPage(rightTabs_, {&filePage_, &sizePage_});
  ShowHint(builder::HintTarget::Window);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_BUTTON1:
      return Guarded([this] { Button1Click(); });
    case IDC_BUTTON2:
      return Guarded([this] { Button2Click(); });
    case IDC_EDIT7:
      if (code == EN_CHANGE) Guarded([this] { Edit7Change(); });
      return;
    case IDC_EDIT8:
      if (code == EN_CHANGE) Edit8Change();
      if (code == EN_KILLFOCUS) Edit8Exit();
      return;
    case IDC_EDIT2:
    case IDC_EDIT3:
    case IDC_EDIT4:
    case IDC_EDIT5:
    case IDC_EDIT6:
      if (code == EN_CHANGE) TagControlChanged(id);
      return;
    case IDC_COMBOBOX1:
      if (code == CBN_SELCHANGE) TagControlChanged(id);
      return;
    case IDC_CHANGEBTN:
      return ChangeBtnClick();
    case IDC_SAVECHANGESBTN:
      return Guarded([this] { SaveChangesBtnClick(); });
    case IDC_BITBTN1:
      return BitBtn1Click();
    case IDC_BITBTN3:
      return BitBtn3Click();
    case IDC_CHECKBOX1:
      return CheckBox1Click();
    case IDC_RGMAXSIZE_720:
    case IDC_RGMAXSIZE_OTHER:
    case IDC_RGMAXSIZE_144:
      return rgMaxSizeClick(id - IDC_RGMAXSIZE_720);
    case IDC_EDMAXSIZE:
      if (code == EN_CHANGE) split_.SetText(platform::Narrow(WindowText(control)));
      return;
    default:
      OnStyleCommand(id);
  }
}

void MainWindow::SetEditText(HWND edit, const std::wstring& text) {
  if (WindowText(edit) == text) return;
  const bool was = updating_;
  updating_ = true;
  SetWindowTextW(edit, text.c_str());
  updating_ = was;
}

void MainWindow::Button1Click() {
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_;
  ofn.lpstrFilter = L"MP3-Songs\0*.mp3\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = openDirectory_.empty() ? nullptr : openDirectory_.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return;
  SetEditText(edit7_, file);
  Edit7Change();  // re-reads the tag also for an unchanged name
}

void MainWindow::OnFilesDropped() {
  std::vector<std::string> paths;
  for (const std::wstring& path : drop_.Take()) paths.push_back(platform::Narrow(path));
  const auto song = form_.DroppedSong(paths);
  if (!song) return;
  SetEditText(edit7_, platform::Widen(*song));
  Guarded([this] { Edit7Change(); });  // as after "Select MP3-Song"
}

void MainWindow::Button2Click() {
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_;
  ofn.lpstrFilter = L"Executeable Files\0*.EXE\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = saveDirectory_.empty() ? nullptr : saveDirectory_.c_str();
  ofn.Flags = OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return;
  SetEditText(edit8_, file);
  Edit8Change();
}

void MainWindow::Edit7Change() {
  Finally show{[this] { ShowSongState(); }};
  form_.Edit7Change(platform::Narrow(WindowText(edit7_)));
}

void MainWindow::Edit8Change() {
  form_.Edit8Change(platform::Narrow(WindowText(edit8_)));
  ShowSongState();
}

void MainWindow::Edit8Exit() {
  form_.Edit8Exit();
  SetEditText(edit8_, platform::Widen(form_.Target()));
  ShowSongState();
}

void MainWindow::TagControlChanged(int id) {
  if (id == IDC_COMBOBOX1) {
    form_.GenreChanged(int(SendMessageW(comboBox1_, CB_GETCURSEL, 0, 0)));
  } else {
    const auto field = builder::TagField(id - IDC_EDIT2);
    form_.TagFieldChanged(field, platform::WideToAnsi(WindowText(tagEdits_[id - IDC_EDIT2])));
  }
  ShowSongState();
}

void MainWindow::ChangeBtnClick() {
  form_.ChangeBtnClick();
  ShowSongState();
}

void MainWindow::SaveChangesBtnClick() {
  Finally show{[this] { ShowSongState(); }};
  form_.SaveChangesBtnClick();
}

void MainWindow::ShowTagFields() {
  const builder::TagView& t = form_.Tag();
  SetEditText(edit1_, platform::Widen(t.filename));
  const std::string* texts[] = {&t.title, &t.artist, &t.album, &t.year, &t.comment};
  for (int i = 0; i < 5; ++i) SetEditText(tagEdits_[i], platform::AnsiToWide(*texts[i]));
  const bool was = updating_;
  updating_ = true;
  SendMessageW(comboBox1_, CB_SETCURSEL, t.genre, 0);
  updating_ = was;
}

void MainWindow::ShowSongState() {
  ShowTagFields();
  const bool editing = form_.TagControlsEnabled();
  for (HWND e : tagEdits_) EnableWindow(e, editing);
  EnableWindow(comboBox1_, editing);
  EnableWindow(changeBtn_, form_.ChangeEnabled());
  EnableWindow(saveChangesBtn_, form_.SaveEnabled());
  EnableWindow(bitBtn1_, form_.CreateEnabled());
  SetWindowTextW(label13_, platform::Widen(form_.SizeEstimate()).c_str());
  preview_.Refresh();
}

void MainWindow::ShowSplitState() {
  SendMessageW(checkBox1_, BM_SETCHECK, split_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  for (int i = 0; i < 3; ++i) {
    EnableWindow(rgItems_[i], split_.GroupEnabled());
    SendMessageW(rgItems_[i], BM_SETCHECK, split_.ItemIndex() == i ? BST_CHECKED : BST_UNCHECKED,
                 0);
  }
  EnableWindow(edMaxSize_, split_.GroupEnabled());
  if (edMaxSizeBrush_) DeleteObject(edMaxSizeBrush_);
  edMaxSizeBrush_ = CreateSolidBrush(Resolve(split_.EditColor()));
  InvalidateRect(edMaxSize_, nullptr, TRUE);
}

void MainWindow::CheckBox1Click() {
  split_.CheckBox1Click(SendMessageW(checkBox1_, BM_GETCHECK, 0, 0) == BST_CHECKED);
  ShowSplitState();
}

void MainWindow::rgMaxSizeClick(int item) {
  split_.SetItemIndex(item);
  ShowSplitState();
  Guarded([&] { archiver1_.SetMaxSegmentSize(builder::MaxSegmentSizeFor(item, split_.Text())); });
}

void MainWindow::BitBtn1Click() {
  form_.SetBuildInProgress(true);
  Finally done{[this] { form_.SetBuildInProgress(false); }};
  Guarded([this] {
    // The segment size follows the split controls as they are now.
    archiver1_.SetMaxSegmentSize(split_.EffectiveSize());
    builder::BuildRequest request;
    request.source = form_.Source();
    request.target = form_.Target();
    request.tempFolder = platform::TempFolder();
    request.unsavedTagChanges = form_.SaveEnabled();
    request.record = style_.Record();
    ExeResources resources;
    builder::WriteVardexCodeToStream(archiver1_, request, resources, *this);
  });
  ShowSongState();
}

void MainWindow::BitBtn3Click() { ShowInformation(instance_, window_); }

void MainWindow::ShowMessage(const std::string& text) { Confirm(window_, text, MB_OK); }

bool MainWindow::Ask(builder::BuildQuestion, const std::string& text) {
  return Confirm(window_, text, MB_YESNO) == IDYES;
}

void MainWindow::SetStatus(const std::string& text) {
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(platform::Widen(text).c_str()));
}

void MainWindow::ShowProgress(bool visible) {
  SendMessageW(progressBar_, PBM_SETPOS, 0, 0);
  ShowWindow(progressBar_, visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::SetProgress(int percent) { SendMessageW(progressBar_, PBM_SETPOS, percent, 0); }

void MainWindow::SetCreateEnabled(bool enabled) {
  form_.SetCreateEnabled(enabled);
  EnableWindow(bitBtn1_, enabled);
}

void MainWindow::Execute(const std::string& path) {
  std::wstring command = L"\"" + platform::Widen(path) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                     &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

void MainWindow::ShowHint(builder::HintTarget target) {
  if (const auto hint = form_.Hint(target)) SetStatus(*hint);
}

namespace {

// The hint target of a control of the window, if it has one of its own.
std::optional<builder::HintTarget> HintTargetOf(int id) {
  using builder::HintTarget;
  switch (id) {
    case IDC_BITBTN1:
      return HintTarget::CreateButton;
    case IDC_BITBTN3:
      return HintTarget::AboutButton;
    case IDC_BUTTON1:
      return HintTarget::SelectSong;
    case IDC_BUTTON2:
      return HintTarget::ChooseTarget;
    case IDC_CHANGEBTN:
      return HintTarget::EditTag;
    case IDC_SAVECHANGESBTN:
      return HintTarget::SaveTag;
    case IDC_LEFTTABS:
    case IDC_RIGHTTABS:
      return HintTarget::Window;
    default:
      return std::nullopt;
  }
}

}  // namespace

void MainWindow::OnSetCursor(HWND over) {
  if (over == window_) return;  // the mouse move that follows tells what lies there
  if (const auto target = HintTargetOf(GetDlgCtrlID(over))) ShowHint(*target);
}

void MainWindow::OnMouseMove(int x, int y) {
  // The window's own mouse moves also come from over its disabled controls, which get
  // no pointer messages themselves: the window's hit test finds them.
  const POINT p{x, y};
  HWND child = ChildWindowFromPointEx(window_, p, CWP_SKIPINVISIBLE);
  if (child && child != window_) {
    if (const auto target = HintTargetOf(GetDlgCtrlID(child))) {
      if (*target != builder::HintTarget::Window) return ShowHint(*target);
    }
  }
  ShowHint(PtInRect(&label10_, p) ? builder::HintTarget::CreateButton
                                  : builder::HintTarget::Window);
}

void MainWindow::OnClose() {
  store_.WriteString("SaveDirectory", platform::Narrow(saveDirectory_));
  store_.WriteString("OpenDirectory", platform::Narrow(openDirectory_));
  style_.SaveTo(store_);
  DestroyWindow(window_);
}

}  // namespace vardexwin
