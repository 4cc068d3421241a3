#include "decoder/core/InputStream.h"

#include <algorithm>
#include <cstring>

namespace kelvaro {

std::unique_ptr<FileStream> FileStream::Open(const char* name) {
  if (!name || !*name) return nullptr;
  std::FILE* f = std::fopen(name, "rb");
  if (!f) return nullptr;
  int64_t size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long end = std::ftell(f);
    if (end >= 0) size = end;
  }
  std::fseek(f, 0, SEEK_SET);
  return std::unique_ptr<FileStream>(new FileStream(f, size));
}

FileStream::~FileStream() { std::fclose(file_); }

int FileStream::Read(uint8_t* buffer, int bytes) {
  if (bytes <= 0) return 0;
  return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(bytes), file_));
}

bool FileStream::Seek(int64_t offset) {
  if (offset < 0 || offset > 0x7FFFFFFF) return false;
  return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

int MemoryStream::Read(uint8_t* buffer, int bytes) {
  if (bytes <= 0 || pos_ >= size_) return 0;
  size_t n = std::min(size_ - pos_, static_cast<size_t>(bytes));
  std::memcpy(buffer, data_ + pos_, n);
  pos_ += n;
  return static_cast<int>(n);
}

bool MemoryStream::Seek(int64_t offset) {
  if (offset < 0 || static_cast<uint64_t>(offset) > size_) return false;
  pos_ = static_cast<size_t>(offset);
  return true;
}

std::unique_ptr<CallbackStream> CallbackStream::Open(std::unique_ptr<StreamCallbacks> callbacks) {
  if (!callbacks || !callbacks->OpenStream()) return nullptr;
  return std::unique_ptr<CallbackStream>(new CallbackStream(std::move(callbacks)));
}

CallbackStream::CallbackStream(std::unique_ptr<StreamCallbacks> callbacks)
    : callbacks_(std::move(callbacks)) {
  // A stream that can go back to its start is taken as seekable.
  seekable_ = callbacks_->SeekStream(0);
}

int CallbackStream::Read(uint8_t* buffer, int bytes) {
  int n = callbacks_->ReadStream(buffer, bytes);
  return n < 0 ? 0 : std::min(n, bytes);
}

}  // namespace kelvaro
