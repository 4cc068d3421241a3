// Dropping files on a window as a user would with the mouse: an OLE drag of a file list
// (CF_HDROP, as the Explorer offers it) that the pointer carries to the given point, where
// it is let go. Windows that accept files (DragAcceptFiles) get it as WM_DROPFILES.
#include <ole2.h>
#include <shlobj.h>

#include "UiDriver.h"

namespace e2e {
namespace {

// The file list in the DROPFILES layout: the header, then the wide names, each ended by a
// zero, and one more zero.
HGLOBAL MakeDropFiles(const std::vector<std::wstring>& files) {
  size_t chars = 1;
  for (const auto& f : files) chars += f.size() + 1;
  HGLOBAL h =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* names = reinterpret_cast<wchar_t*>(drop + 1);
  for (const auto& f : files) {
    std::copy(f.begin(), f.end(), names);
    names += f.size() + 1;
  }
  GlobalUnlock(h);
  return h;
}

// A data object that offers the file list and nothing else.
class FileList : public IDataObject {
 public:
  explicit FileList(std::vector<std::wstring> files) : files_(std::move(files)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = MakeDropFiles(files_);
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &f, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::vector<std::wstring> files_;
  ULONG refs_ = 1;
};

// The hand: it carries the pointer to the target over a few moves, then lets go.
class Hand : public IDropSource {
 public:
  explicit Hand(POINT target) : target_(target) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
    ++calls_;
    SetCursorPos(target_.x + (calls_ < 10 ? 10 - calls_ : 0), target_.y);
    Sleep(20);
    return calls_ < 15 ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  POINT target_;
  int calls_ = 0;
};

}  // namespace

bool DropFiles(HWND window, int x, int y, const std::vector<std::wstring>& files) {
  const HRESULT init = OleInitialize(nullptr);
  POINT p{x, y};
  ClientToScreen(window, &p);
  SetCursorPos(p.x, p.y);
  FileList data(files);
  Hand hand(p);
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(&data, &hand, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
  if (SUCCEEDED(init)) OleUninitialize();
  return hr == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE;
}

}  // namespace e2e
