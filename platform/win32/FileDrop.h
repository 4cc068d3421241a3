// Files dropped on a window with the mouse, by OLE drag and drop as the Explorer and
// other programs offer them (a list of paths, CF_HDROP). The window registers itself as
// a drop target; a drop is only taken while `accepting` says so (the pointer shows that
// nothing can be dropped otherwise). Taken paths are kept and announced to the window by
// posting `message`, so that the dragging program is not held up by what the window then
// does; the window fetches them with Take().
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

class FileDropTarget;

class FileDrop {
 public:
  FileDrop() = default;
  ~FileDrop();
  FileDrop(const FileDrop&) = delete;
  FileDrop& operator=(const FileDrop&) = delete;

  // False when the window could not be registered (no OLE); drops are then not offered.
  bool Register(HWND window, UINT message, std::function<bool()> accepting);
  // Before the window is destroyed.
  void Revoke();
  // The paths of the last drop, in the order given; empty when there are none.
  std::vector<std::wstring> Take();

 private:
  HWND window_ = nullptr;
  FileDropTarget* target_ = nullptr;
  bool oleStarted_ = false;
};

}  // namespace platform
