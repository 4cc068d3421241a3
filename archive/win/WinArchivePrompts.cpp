#include "archive/win/WinArchivePrompts.h"

#include <commdlg.h>
#include <shlobj.h>

#include "platform/win32/Wide.h"
#include "resources/archive/prompts.h"

namespace archive {
namespace {

struct AskState {
  std::wstring caption, text;
  unsigned buttons;
};

INT_PTR CALLBACK AskProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* s = reinterpret_cast<const AskState*>(l);
      SetWindowTextW(dialog, s->caption.c_str());
      SetDlgItemTextW(dialog, IDC_ARCHIVE_ASK_TEXT, s->text.c_str());
      const struct {
        int id;
        unsigned bit;
      } buttons[] = {{IDYES, pbYes},
                     {IDC_ARCHIVE_ASK_YESTOALL, pbYesToAll},
                     {IDNO, pbNo},
                     {IDCANCEL, pbCancel}};
      for (const auto& b : buttons)
        if (!(s->buttons & b.bit)) ShowWindow(GetDlgItem(dialog, b.id), SW_HIDE);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(w);
      if (id == IDYES || id == IDNO || id == IDCANCEL || id == IDC_ARCHIVE_ASK_YESTOALL) {
        // Closing the box without a Cancel button counts as No.
        const bool hasCancel = IsWindowVisible(GetDlgItem(dialog, IDCANCEL));
        EndDialog(dialog, id == IDCANCEL && !hasCancel ? IDNO : id);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

struct QueryState {
  std::wstring caption, prompt, value;
  bool masked;
};

INT_PTR CALLBACK QueryProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* s = reinterpret_cast<QueryState*>(l);
      SetWindowLongPtrW(dialog, DWLP_USER, l);
      SetWindowTextW(dialog, s->caption.c_str());
      SetDlgItemTextW(dialog, IDC_ARCHIVE_QUERY_PROMPT, s->prompt.c_str());
      HWND edit = GetDlgItem(dialog, IDC_ARCHIVE_QUERY_EDIT);
      if (s->masked) SendMessageW(edit, EM_SETPASSWORDCHAR, L'*', 0);
      SetWindowTextW(edit, s->value.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(w) == IDOK) {
        auto* s = reinterpret_cast<QueryState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        HWND edit = GetDlgItem(dialog, IDC_ARCHIVE_QUERY_EDIT);
        s->value.assign(size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
        s->value.resize(size_t(GetWindowTextW(edit, &s->value[0], int(s->value.size()))));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(w) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

TPromptAnswer TWinArchivePrompts::Ask(const std::string& caption, const std::string& text,
                                      unsigned buttons) {
  AskState state{platform::Widen(caption), platform::Widen(text), buttons};
  switch (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ARCHIVE_ASK), owner_,
                          AskProc, reinterpret_cast<LPARAM>(&state))) {
    case IDYES:
      return TPromptAnswer::Yes;
    case IDC_ARCHIVE_ASK_YESTOALL:
      return TPromptAnswer::YesToAll;
    case IDNO:
      return TPromptAnswer::No;
    default:
      return TPromptAnswer::Cancel;
  }
}

bool TWinArchivePrompts::InputQuery(const std::string& caption, const std::string& prompt,
                                    std::string& value, bool masked) {
  QueryState state{platform::Widen(caption), platform::Widen(prompt), platform::Widen(value),
                   masked};
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ARCHIVE_QUERY), owner_,
                      QueryProc, reinterpret_cast<LPARAM>(&state)) != IDOK)
    return false;
  value = platform::Narrow(state.value);
  return true;
}

void TWinArchivePrompts::ShowMessage(const std::string& caption, const std::string& text) {
  ::MessageBoxW(owner_, platform::Widen(text).c_str(), platform::Widen(caption).c_str(), MB_OK);
}

bool TWinArchivePrompts::SelectFile(const std::string& title, std::string& path) {
  wchar_t buffer[MAX_PATH * 4] = {};
  const std::wstring initial = platform::Widen(path);
  lstrcpynW(buffer, initial.c_str(), int(sizeof buffer / sizeof buffer[0]));
  const std::wstring caption = platform::Widen(title);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = DWORD(sizeof buffer / sizeof buffer[0]);
  ofn.lpstrTitle = caption.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return false;
  path = platform::Narrow(buffer);
  return true;
}

bool TWinArchivePrompts::SelectFolder(const std::string& title, std::string& folder) {
  const std::wstring caption = platform::Widen(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner_;
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST item = SHBrowseForFolderW(&info);
  if (!item) return false;
  wchar_t buffer[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(item, buffer) != FALSE;
  CoTaskMemFree(item);
  if (ok) folder = platform::Narrow(buffer);
  return ok;
}

}  // namespace archive
