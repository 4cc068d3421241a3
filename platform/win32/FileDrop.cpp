#include "platform/win32/FileDrop.h"

#include <ole2.h>
#include <shellapi.h>

namespace platform {

class FileDropTarget final : public IDropTarget {
 public:
  FileDropTarget(HWND window, UINT message, std::function<bool()> accepting)
      : window_(window), message_(message), accepting_(std::move(accepting)) {}

  std::vector<std::wstring> Take() { return std::move(dropped_); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = FileList();
    hasFiles_ = data && data->QueryGetData(&format) == S_OK;
    *effect = Effect(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = Effect(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    hasFiles_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    *effect = Effect(*effect);
    hasFiles_ = false;
    if (*effect == DROPEFFECT_NONE || !data) return S_OK;
    FORMATETC format = FileList();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return S_OK;
    dropped_ = Paths(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    if (!dropped_.empty()) PostMessageW(window_, message_, 0, 0);
    return S_OK;
  }

 private:
  static FORMATETC FileList() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

  static std::vector<std::wstring> Paths(HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, path.data(), UINT(path.size())));
      paths.push_back(path);
    }
    return paths;
  }

  DWORD Effect(DWORD allowed) const {
    if (!hasFiles_ || !accepting_()) return DROPEFFECT_NONE;
    return allowed & DROPEFFECT_COPY ? DROPEFFECT_COPY : allowed & DROPEFFECT_LINK;
  }

  HWND window_;
  UINT message_;
  std::function<bool()> accepting_;
  std::vector<std::wstring> dropped_;
  bool hasFiles_ = false;
  ULONG refs_ = 1;
};

FileDrop::~FileDrop() { Revoke(); }

bool FileDrop::Register(HWND window, UINT message, std::function<bool()> accepting) {
  oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
  target_ = new FileDropTarget(window, message, std::move(accepting));
  if (RegisterDragDrop(window, target_) != S_OK) {
    Revoke();
    return false;
  }
  window_ = window;
  return true;
}

void FileDrop::Revoke() {
  if (window_) RevokeDragDrop(window_);
  window_ = nullptr;
  if (target_) target_->Release();
  target_ = nullptr;
  if (oleStarted_) OleUninitialize();
  oleStarted_ = false;
}

std::vector<std::wstring> FileDrop::Take() {
  return target_ ? target_->Take() : std::vector<std::wstring>();
}

}  // namespace platform
