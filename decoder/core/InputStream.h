#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>

namespace kelvaro {

// A source of MPEG audio bytes: a file, memory, or the caller's stream callbacks.
class InputStream {
 public:
  virtual ~InputStream() = default;
  // Reads up to `bytes`; returns the count read, 0 at the end or on failure.
  virtual int Read(uint8_t* buffer, int bytes) = 0;
  // Positions at `offset` from the start; false when impossible.
  virtual bool Seek(int64_t offset) = 0;
  // Total size in bytes, -1 when unknown.
  virtual int64_t Size() = 0;
  virtual bool Seekable() const = 0;
  // Goes back to the first byte (a non-seekable stream may still be restartable).
  virtual bool Rewind() { return Seek(0); }
};

class FileStream : public InputStream {
 public:
  // Null when the file cannot be opened.
  static std::unique_ptr<FileStream> Open(const char* name);
  ~FileStream() override;
  int Read(uint8_t* buffer, int bytes) override;
  bool Seek(int64_t offset) override;
  int64_t Size() override { return size_; }
  bool Seekable() const override { return true; }

 private:
  explicit FileStream(std::FILE* file, int64_t size) : file_(file), size_(size) {}
  std::FILE* file_;
  int64_t size_;
};

class MemoryStream : public InputStream {
 public:
  MemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int Read(uint8_t* buffer, int bytes) override;
  bool Seek(int64_t offset) override;
  int64_t Size() override { return static_cast<int64_t>(size_); }
  bool Seekable() const override { return true; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// The caller's stream, reached through six callbacks (the library's `Open` with FromStream).
class StreamCallbacks {
 public:
  virtual ~StreamCallbacks() = default;
  virtual bool OpenStream() = 0;
  virtual void CloseStream() = 0;
  virtual bool RestartStream() = 0;
  virtual int64_t StreamSize() = 0;      // -1 unknown
  virtual bool SeekStream(int64_t) = 0;  // false: not seekable or failed
  virtual int ReadStream(uint8_t* buffer, int bytes) = 0;
};

class CallbackStream : public InputStream {
 public:
  // Takes the callbacks; null when the stream's open callback fails.
  static std::unique_ptr<CallbackStream> Open(std::unique_ptr<StreamCallbacks> callbacks);
  ~CallbackStream() override { callbacks_->CloseStream(); }
  int Read(uint8_t* buffer, int bytes) override;
  bool Seek(int64_t offset) override { return seekable_ && callbacks_->SeekStream(offset); }
  int64_t Size() override { return callbacks_->StreamSize(); }
  bool Seekable() const override { return seekable_; }
  bool Rewind() override { return callbacks_->RestartStream(); }

 private:
  explicit CallbackStream(std::unique_ptr<StreamCallbacks> callbacks);
  std::unique_ptr<StreamCallbacks> callbacks_;
  bool seekable_;
};

}  // namespace kelvaro
