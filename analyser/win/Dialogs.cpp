// The resource dialogs: the four capture/analysis parameter dialogs (102, 103, 104, 136),
// "Modify Colors" (108, modeless), "Scope Markers" (146), the transient notice (140), the
// two data-log dialogs and "Bitmap Magnification".
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analyser/core/Analysis.h"
#include "analyser/core/ParameterForm.h"
#include "analyser/core/Readouts.h"
#include "analyser/core/View.h"
#include "analyser/win/App.h"
#include "platform/win32/Wide.h"
#include "resources/analyser/resource.h"

namespace tessel_win {

using namespace tessel;

namespace {

std::wstring ItemText(HWND d, int id) {
  wchar_t b[80] = L"";
  GetDlgItemTextW(d, id, b, 80);
  return b;
}

void SetNumber(HWND d, int id, long v) { SetDlgItemTextW(d, id, std::to_wstring(v).c_str()); }

void SetBar(HWND d, int id, int low, int high, int pos) {
  if (HWND bar = GetDlgItem(d, id)) SetScrollBar(bar, low, high, pos);
}

void Enable(HWND d, int id, bool on) {
  if (HWND c = GetDlgItem(d, id)) EnableWindow(c, on);
}

void CheckChoice(HWND d, int first, int last, uint32_t value) {
  if (GetDlgItem(d, first) && value >= uint32_t(first) && value <= uint32_t(last))
    CheckRadioButton(d, first, last, int(value));
}

// The new position of a dialog's scroll bar for a scroll code, within its range.
int BarPosition(HWND bar, int code, int line, int page) {
  int low = 0, high = 0;
  GetScrollRange(bar, SB_CTL, &low, &high);
  return MoveScrollBar(bar, code, GetScrollPos(bar, SB_CTL), {low, high, line, page});
}

// ---- The parameter dialogs ----

struct ParamState {
  int id = 0;
  ParameterForm form;
  FileDialogValues* file = nullptr;
};

FormKind KindOf(int id) {
  switch (id) {
    case IDD_ANALYZE_FILE:
      return FormKind::AnalyzeFile;
    case IDD_SCAN_FILE:
      return FormKind::ScanFile;
    case IDD_ANALYZE_INPUT:
      return FormKind::AnalyzeInput;
    default:
      return FormKind::ScanInput;
  }
}

// Bin width, resolution and band for the rate and FFT size in force.
void UpdateDerived(HWND d, ParamState& p) {
  const BandBar bar = UpdateBand(p.form, g.s);
  CheckChoice(d, IDC_FFT512, IDC_FFT16384, p.form.work.fftSizeChoice);
  SetDlgItemTextW(d, IDC_RESOLUTION_TEXT,
                  platform::AnsiToWide(Format("%-3.1f", double(g.s.freqResolutionHz))).c_str());
  SetNumber(d, IDC_BAND_TEXT, g.s.bandLowHz);
  SetNumber(d, IDC_BAND_HIGH, g.s.bandHighHz);
  SetBar(d, IDC_BAND_BAR, bar.low, bar.high, g.s.bandLowHz);
  Enable(d, IDC_BAND_BAR, bar.enabled);
}

void UpdateChannelButtons(HWND d, const ParamState& p) {
  const bool stereo = p.form.work.channelType == kStereo;
  for (int id = IDC_DUAL; id <= IDC_RIGHT; ++id) Enable(d, id, stereo);
  if (stereo) CheckChoice(d, IDC_DUAL, IDC_RIGHT, p.form.work.channelView);
}

void UpdateDisplayType(HWND d, ParamState& p) {
  const bool scope = ScopeChosen(p.form);
  CheckChoice(d, IDC_PAL_CB, IDC_PAL_WB, p.form.work.paletteChoice);
  for (int id = IDC_PAL_CB; id <= IDC_PAL_WB; ++id) Enable(d, id, !scope);
  Enable(d, IDC_ATTEN_BAR, !scope);
  SetNumber(d, IDC_ATTEN_TEXT, scope ? 0 : g.s.attenuationStep);
  SetBar(d, IDC_AVERAGE_BAR, 1, 128, AverageField(p.form, g.s));
  SetNumber(d, IDC_AVERAGE_TEXT, AverageField(p.form, g.s));
}

void UpdateAll(HWND d, ParamState& p) {
  UpdateChannelButtons(d, p);
  UpdateDisplayType(d, p);
  UpdateDerived(d, p);
}

void InitParamDialog(HWND d, ParamState& p) {
  if (p.id == IDD_ANALYZE_FILE)
    SetWindowTextW(d, g.displayBitmapValid ? L"Modify Analysis Parameters" : L"Analyze File");
  CentreDialog(d, 0);
  const AnalysisSettings& w = p.form.work;
  CheckChoice(d, IDC_RATE5K, IDC_RATE44K, w.rateChoice);
  CheckChoice(d, IDC_BITS8, IDC_BITS16, w.bitsChoice);
  CheckChoice(d, IDC_MONO, IDC_STEREO, w.channelType);
  CheckChoice(d, IDC_LEN10, IDC_LENANY, w.lengthChoice);
  CheckChoice(d, IDC_LINEAR, IDC_LOG, w.freqScale);
  CheckChoice(d, IDC_SCROLL, IDC_SCOPE, w.displayType);
  CheckChoice(d, IDC_QUICK_ON, IDC_QUICK_OFF, w.quickSave);
  if (p.id == IDD_SCAN_FILE) CheckChoice(d, IDC_ANALYSIS_ON, IDC_ANALYSIS_OFF, w.analysisAtStop);
  SetBar(d, IDC_RESOLUTION_BAR, 10, 100, g.s.freqResolutionTenths);
  SetBar(d, IDC_ATTEN_BAR, 0, 18, g.s.attenuationStep);
  SetBar(d, IDC_LATENCY_BAR, 75, 500, g.s.latencyMs);
  SetNumber(d, IDC_LATENCY_TEXT, g.s.latencyMs);
  if (p.file) {
    SetNumber(d, IDC_RATE_TEXT, long(p.form.rateHz));
    SetDlgItemTextW(d, IDC_BEGIN, p.file->begin.c_str());
    SetDlgItemTextW(d, IDC_END, p.file->end.c_str());
    SetDlgItemTextW(d, IDC_TIMESCALE_TEXT, p.file->timeScale.c_str());
    SetBar(d, IDC_TIMESCALE_BAR, 1, 125, std::clamp(int(_wtof(p.file->timeScale.c_str())), 1, 125));
  }
  UpdateAll(d, p);
}

void EnableAllBut(HWND d, bool on) {
  for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (id != IDC_RATE_TEXT && id != IDC_NEW_RATE && id != -1 && id != 0xFFFF) EnableWindow(c, on);
  }
}

// The second press of "New" (or OK while it reads "OK"): take the typed rate.
void EndNewRate(HWND d, ParamState& p) {
  SetDlgItemTextW(d, IDC_NEW_RATE, L"New");
  const long typed = wcstol(ItemText(d, IDC_RATE_TEXT).substr(0, 7).c_str(), nullptr, 10);
  const double scale = FinishNewRate(p.form, typed);
  SetNumber(d, IDC_RATE_TEXT, long(p.form.rateHz));
  for (int id : {IDC_BEGIN, IDC_END})
    SetNumber(d, id, std::lround(_wtof(ItemText(d, id).c_str()) * scale));
  EnableAllBut(d, true);
  UpdateAll(d, p);
}

void ParamOk(HWND d, ParamState& p) {
  if (p.form.newMode) return EndNewRate(d, p);
  AcceptForm(p.form, g.s);
  if (p.file) {
    p.file->sampleRateHz = p.form.rateHz;
    p.file->begin = ItemText(d, IDC_BEGIN);
    p.file->end = ItemText(d, IDC_END);
    p.file->timeScale = ItemText(d, IDC_TIMESCALE_TEXT);
  }
  if (!ScopeChosen(p.form)) ApplyPalette();
  EndDialog(d, 1);
}

void ParamRadio(HWND d, ParamState& p, int id) {
  if (ChooseRadio(p.form, g.s, uint32_t(id))) UpdateAll(d, p);
}

void ParamScroll(HWND d, ParamState& p, HWND bar, int code) {
  const int id = GetDlgCtrlID(bar);
  if (id == IDC_BAND_BAR) {
    g.s.bandLowHz = BarPosition(bar, code, 10, 100) / 10 * 10;
    UpdateDerived(d, p);
  } else if (id == IDC_RESOLUTION_BAR) {
    g.s.freqResolutionTenths = BarPosition(bar, code, 1, 10);
    UpdateDerived(d, p);
  } else if (id == IDC_AVERAGE_BAR) {
    AverageField(p.form, g.s) = BarPosition(bar, code, 1, 10);
    SetNumber(d, IDC_AVERAGE_TEXT, AverageField(p.form, g.s));
  } else if (id == IDC_ATTEN_BAR) {
    g.s.attenuationStep = BarPosition(bar, code, 1, 1);
    SetNumber(d, IDC_ATTEN_TEXT, g.s.attenuationStep);
  } else if (id == IDC_LATENCY_BAR) {
    g.s.latencyMs = BarPosition(bar, code, 1, 1);
    SetNumber(d, IDC_LATENCY_TEXT, g.s.latencyMs);
  } else if (p.id == IDD_ANALYZE_FILE && id == IDC_TIMESCALE_BAR) {
    SetNumber(d, IDC_TIMESCALE_TEXT, BarPosition(bar, code, 1, 10));
  }
}

INT_PTR CALLBACK ParamProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
  auto* p = reinterpret_cast<ParamState*>(GetWindowLongPtrW(d, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(d, DWLP_USER, lp);
      InitParamDialog(d, *reinterpret_cast<ParamState*>(lp));
      return TRUE;
    case WM_HSCROLL:
      ParamScroll(d, *p, HWND(lp), LOWORD(wp));
      return TRUE;
    case WM_CLOSE:
      EndDialog(d, 0);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == IDC_OK || id == IDOK)
        ParamOk(d, *p);
      else if (id == IDC_CANCEL || id == IDCANCEL)
        EndDialog(d, 0);
      else if (id == IDC_NEW_RATE && p->file) {
        if (p->form.newMode) return EndNewRate(d, *p), TRUE;
        StartNewRate(p->form);
        SetDlgItemTextW(d, IDC_NEW_RATE, L"OK");
        SetDlgItemTextW(d, IDC_RATE_TEXT, L"");
        EnableAllBut(d, false);
        SetFocus(GetDlgItem(d, IDC_RATE_TEXT));
      } else if (HIWORD(wp) == BN_CLICKED)
        ParamRadio(d, *p, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---- Modify Colors ----

void ApplyColours(int32_t attenuation, uint32_t palette) {
  g.s.attenuationStep = attenuation;
  g.s.paletteChoice = palette;
  g.current.attenuationStep = attenuation;
  g.current.paletteChoice = palette;
  ApplyPalette();
  RedrawDisplay();
}

void CloseColours(HWND d) {
  DestroyWindow(d);
  g.colorsDialog = nullptr;
}

INT_PTR CALLBACK ColoursProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      CentreDialog(d, 30);
      SetBar(d, IDC_ATTEN_BAR, 0, 18, g.coloursEdit.attenuation);
      SetNumber(d, IDC_ATTEN_TEXT, g.coloursEdit.attenuation);
      CheckChoice(d, IDC_PAL_CB, IDC_PAL_WB, g.coloursEdit.palette);
      return TRUE;
    case WM_HSCROLL:
      g.coloursEdit.attenuation = BarPosition(HWND(lp), LOWORD(wp), 1, 1);
      SetNumber(d, IDC_ATTEN_TEXT, g.coloursEdit.attenuation);
      return TRUE;
    case WM_CLOSE:
      ApplyColours(g.coloursEdit.originalAttenuation, g.coloursEdit.originalPalette);
      CloseColours(d);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id >= IDC_PAL_CB && id <= IDC_PAL_WB) g.coloursEdit.palette = uint32_t(id);
      if (id == IDC_TRYIT) ApplyColours(g.coloursEdit.attenuation, g.coloursEdit.palette);
      if (id == IDC_OK || id == IDOK) {
        ApplyColours(g.coloursEdit.attenuation, g.coloursEdit.palette);
        CloseColours(d);
      }
      if (id == IDC_CANCEL || id == IDCANCEL) {
        ApplyColours(g.coloursEdit.originalAttenuation, g.coloursEdit.originalPalette);
        CloseColours(d);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---- Scope Markers ----

INT_PTR CALLBACK MarkersProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) {
    CentreDialog(d, 30);
    SetNumber(d, IDC_MARKER1, g.s.scopeMarker1Hz);
    SetNumber(d, IDC_MARKER2, g.s.scopeMarker2Hz);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    for (auto [id, field] : {std::pair{IDC_MARKER1, &g.s.scopeMarker1Hz},
                             std::pair{IDC_MARKER2, &g.s.scopeMarker2Hz}}) {
      const long v = wcstol(ItemText(d, id).substr(0, 7).c_str(), nullptr, 10);
      *field = int32_t(std::clamp(v, 0L, 22100L));
    }
    EndDialog(d, 1);
    return TRUE;
  }
  if ((msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) || msg == WM_CLOSE) {
    EndDialog(d, 0);
    return TRUE;
  }
  return FALSE;
}

// ---- Notice ----

// The notice grows to its line of text in the large font, the OK button staying centred.
void FitNotice(HWND d, const wchar_t* text) {
  HWND label = GetDlgItem(d, IDC_NOTICE_TEXT);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, g.font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, int(wcslen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  RECT r, frame;
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
  const int grow = std::max(0, int(size.cx) + 2 * g.cw - int(r.right - r.left));
  const int height = std::max(int(r.bottom - r.top), int(size.cy) + 2);
  MoveWindow(label, r.left, r.top, r.right - r.left + grow, height, FALSE);
  HWND ok = GetDlgItem(d, IDOK);
  RECT b;
  GetWindowRect(ok, &b);
  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&b), 2);
  MoveWindow(ok, b.left + grow / 2, b.top + height - (r.bottom - r.top), b.right - b.left,
             b.bottom - b.top, FALSE);
  GetWindowRect(d, &frame);
  SetWindowPos(d, nullptr, 0, 0, frame.right - frame.left + grow,
               frame.bottom - frame.top + height - (r.bottom - r.top), SWP_NOMOVE | SWP_NOZORDER);
  CentreDialog(d, 0);
}

INT_PTR CALLBACK NoticeProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) {
    CentreDialog(d, 0);
    SendDlgItemMessageW(d, IDC_NOTICE_TEXT, WM_SETFONT, WPARAM(g.font), FALSE);
    return TRUE;
  }
  if ((msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) || msg == WM_CLOSE) {
    DestroyWindow(d);
    return TRUE;
  }
  return FALSE;
}

// ---- Bitmap Magnification ----

void UpdateMagnify(HWND d) {
  const MagnificationTexts t =
      MagnificationTextsFor(g.s.bitmapFactor, g.s.bitmapDpi, g.magnifyWidth, g.magnifyHeight);
  SetDlgItemTextW(d, IDC_FACTOR_TEXT, platform::AnsiToWide(t.factor).c_str());
  SetNumber(d, IDC_DPI_TEXT, g.s.bitmapDpi);
  SetDlgItemTextW(d, IDC_PRINT_WIDTH, platform::AnsiToWide(t.width).c_str());
  SetDlgItemTextW(d, IDC_PRINT_HEIGHT, platform::AnsiToWide(t.height).c_str());
}

INT_PTR CALLBACK MagnifyProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      CentreDialog(d, 30);
      g.s.bitmapFactor = std::clamp(g.s.bitmapFactor, 100, 500);
      g.s.bitmapDpi = std::clamp(g.s.bitmapDpi, 100, 1000);
      SetBar(d, IDC_FACTOR_BAR, 100, 500, g.s.bitmapFactor);
      SetBar(d, IDC_DPI_BAR, 100, 1000, g.s.bitmapDpi);
      UpdateMagnify(d);
      return TRUE;
    case WM_HSCROLL:
      if (GetDlgCtrlID(HWND(lp)) == IDC_FACTOR_BAR)
        g.s.bitmapFactor = BarPosition(HWND(lp), LOWORD(wp), 10, 100);
      else
        g.s.bitmapDpi = BarPosition(HWND(lp), LOWORD(wp), 10, 100);
      UpdateMagnify(d);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(d, LOWORD(wp) == IDOK);
      return TRUE;
    case WM_CLOSE:
      EndDialog(d, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- Points log ----

INT_PTR CALLBACK PointsProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      CentreDialog(d, 30);
      g.points = PointMarks{};
      SendDlgItemMessageW(d, IDC_EVENT_ID, EM_LIMITTEXT, 64, 0);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(d);
      ClosePointsLog();
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id >= IDC_EVENT_A && id < IDC_EVENT_A + 8) {
        const wchar_t letter[2] = {wchar_t(L'a' + (id - IDC_EVENT_A)), 0};
        SetDlgItemTextW(d, IDC_EVENT_ID, letter);
        g.points.eventChosen = true;
        SetFocus(g.window);
      } else if (id == IDC_ENTER_POINT) {
        std::string fields[4];
        const int ids[4] = {IDC_EVENT_ID, IDC_POINT_TIME, IDC_POINT_FREQ, IDC_POINT_LEVEL};
        for (int i = 0; i < 4; ++i) {
          const std::wstring w = ItemText(d, ids[i]);
          fields[i] = std::string(w.begin(), w.end());
        }
        if (fields[0].empty() || !g.points.picked) {
          MessageBeep(MB_OK);
          return TRUE;
        }
        WritePoint(fields[0], fields[1], fields[2], fields[3]);
        for (int i : ids) SetDlgItemTextW(d, i, L"");
        g.points = PointMarks{};
        SetFocus(g.window);
      } else if (id == IDOK || id == IDCANCEL) {
        DestroyWindow(d);
        ClosePointsLog();
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---- Single spectrum log ----

void PaintSpectrum(HWND d) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(d, &ps);
  RECT r;
  GetWindowRect(GetDlgItem(d, IDC_SPECTRUM_PICTURE), &r);
  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
  InflateRect(&r, -2, -2);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!g.amplitudes.empty()) {
    const long top = std::max(1L, *std::max_element(g.amplitudes.begin(), g.amplitudes.end()));
    const int n = int(g.amplitudes.size());
    for (int i = 0; i < n; ++i) {
      const int x = r.left + (r.right - r.left - 1) * i / std::max(1, n - 1);
      const int y = r.bottom - 1 - int((r.bottom - r.top - 1) * g.amplitudes[i] / top);
      if (i == 0)
        MoveToEx(dc, x, y, nullptr);
      else
        LineTo(dc, x, y);
    }
  }
  EndPaint(d, &ps);
}

INT_PTR CALLBACK SpectrumProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      CentreDialog(d, 30);
      g.amplitudes.clear();
      return TRUE;
    case WM_PAINT:
      PaintSpectrum(d);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(d);
      CloseSpectrumLog(false);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        DestroyWindow(d);
        CloseSpectrumLog(LOWORD(wp) == IDOK);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void CentreDialog(HWND d, int above) {
  RECT r;
  GetWindowRect(d, &r);
  const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - int(r.right - r.left)) / 2);
  const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - int(r.bottom - r.top)) / 2 - above);
  SetWindowPos(d, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool ParameterDialog(int id, FileDialogValues* file) {
  ParamState p;
  p.id = id;
  p.form = OpenForm(KindOf(id), g.s, file ? file->sampleRateHz : 0);
  p.file = file;
  return DialogBoxParamW(g.instance, MAKEINTRESOURCEW(id), g.window, ParamProc, LPARAM(&p)) == 1;
}

void OpenColorsDialog() {
  if (g.colorsDialog) return void(SetForegroundWindow(g.colorsDialog));
  g.coloursEdit.originalAttenuation = g.coloursEdit.attenuation = g.s.attenuationStep;
  g.coloursEdit.originalPalette = g.coloursEdit.palette = g.s.paletteChoice;
  g.colorsDialog = CreateDialogW(g.instance, MAKEINTRESOURCEW(IDD_COLORS), g.window, ColoursProc);
  ShowWindow(g.colorsDialog, SW_SHOW);
}

void MarkersDialog() {
  DialogBoxW(g.instance, MAKEINTRESOURCEW(IDD_MARKERS), g.window, MarkersProc);
}

void ShowNotice(const std::string& line) {
  const std::wstring text = platform::AnsiToWide(line);
  HWND d = CreateDialogW(g.instance, MAKEINTRESOURCEW(IDD_NOTICE), g.window, NoticeProc);
  if (!d) return;
  SetDlgItemTextW(d, IDC_NOTICE_TEXT, text.c_str());
  FitNotice(d, text.c_str());
  ShowWindow(d, SW_SHOW);
  const DWORD start = GetTickCount();
  while (IsWindow(d) && GetTickCount() - start < 800) {
    PumpMessages();
    Sleep(10);
  }
  if (IsWindow(d)) DestroyWindow(d);
}

bool MagnificationDialog(int width, int height) {
  g.magnifyWidth = width;
  g.magnifyHeight = height;
  return DialogBoxW(g.instance, MAKEINTRESOURCEW(IDD_MAGNIFY), g.window, MagnifyProc) == 1;
}

HWND OpenPointsDialog() {
  HWND d = CreateDialogW(g.instance, MAKEINTRESOURCEW(IDD_LOG_POINTS), g.window, PointsProc);
  ShowWindow(d, SW_SHOW);
  return d;
}

HWND OpenSpectrumDialog() {
  HWND d = CreateDialogW(g.instance, MAKEINTRESOURCEW(IDD_LOG_SPECTRUM), g.window, SpectrumProc);
  ShowWindow(d, SW_SHOW);
  return d;
}

void PointsLogClick(double timeMs, double freqHz, double levelDb) {
  if (!g.pointsDialog) return;
  SetNumber(g.pointsDialog, IDC_POINT_TIME, std::lround(timeMs));
  SetNumber(g.pointsDialog, IDC_POINT_FREQ, std::lround(freqHz));
  SetNumber(g.pointsDialog, IDC_POINT_LEVEL, PointLevel(levelDb));
  g.points.picked = true;
}

void SpectrumLogClick(int column) {
  if (!g.spectrumDialog) return;
  try {
    g.amplitudes.clear();
    for (const BinReadout& b : ColumnBins(g, column)) g.amplitudes.push_back(b.amplitude);
    g.lastClickColumn = column;
  } catch (const TesselError& e) {
    ShowError(e);
  }
  InvalidateRect(g.spectrumDialog, nullptr, TRUE);
}

}  // namespace tessel_win
