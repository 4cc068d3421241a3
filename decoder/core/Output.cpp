#include "decoder/core/Output.h"

#include <algorithm>
#include <cstring>

#include "platform/LittleEndian.h"

namespace kelvaro {

using platform::PutLe16;
using platform::PutLe32;

std::unique_ptr<WaveFileOutput> WaveFileOutput::Create(const char* name, int channels, int rate) {
  if (!name || !*name) return nullptr;
  std::FILE* f = std::fopen(name, "wb");
  if (!f) return nullptr;
  return std::unique_ptr<WaveFileOutput>(new WaveFileOutput(f, channels, rate));
}

WaveFileOutput::WaveFileOutput(std::FILE* file, int channels, int rate)
    : file_(file), channels_(channels), rate_(rate) {
  WriteHeader();
}

WaveFileOutput::~WaveFileOutput() { Close(); }

// The 44-byte header; the sizes are written again when the file is closed.
void WaveFileOutput::WriteHeader() {
  uint8_t h[44];
  std::memcpy(h, "RIFF", 4);
  PutLe32(h + 4, 36 + dataBytes_);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe32(h + 16, 16);
  PutLe16(h + 20, 1);  // PCM
  PutLe16(h + 22, uint16_t(channels_));
  PutLe32(h + 24, uint32_t(rate_));
  PutLe32(h + 28, uint32_t(rate_ * channels_ * 2));
  PutLe16(h + 32, uint16_t(channels_ * 2));
  PutLe16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  PutLe32(h + 40, dataBytes_);
  std::fwrite(h, 1, sizeof h, file_);
}

void WaveFileOutput::Write(const int16_t* pcm, int samplesPerChannel) {
  if (!file_ || samplesPerChannel <= 0) return;
  uint8_t bytes[4608];
  int total = samplesPerChannel * channels_;
  for (int done = 0; done < total;) {
    int n = std::min(total - done, int(sizeof bytes / 2));
    for (int i = 0; i < n; ++i) PutLe16(bytes + 2 * i, uint16_t(pcm[done + i]));
    dataBytes_ += uint32_t(std::fwrite(bytes, 1, size_t(n) * 2, file_));
    done += n;
  }
}

void WaveFileOutput::Close() {
  if (!file_) return;
  if (std::fseek(file_, 0, SEEK_SET) == 0) WriteHeader();
  std::fclose(file_);
  file_ = nullptr;
}

std::unique_ptr<BufferedWaveOutput> BufferedWaveOutput::Create(std::unique_ptr<WaveDevice> device,
                                                               int channels, int rate,
                                                               int samplesPerFrame,
                                                               const std::atomic<bool>* interrupt) {
  if (!device || !device->Open(channels, rate)) return nullptr;
  // channels x 73728 bytes for 1152-sample frames; half or a third for shorter frames.
  uint32_t bytes = uint32_t(kFramesPerBuffer * samplesPerFrame * channels * 2);
  std::unique_ptr<BufferedWaveOutput> out(
      new BufferedWaveOutput(std::move(device), channels, bytes));
  out->interrupt_ = interrupt;
  return out;
}

BufferedWaveOutput::BufferedWaveOutput(std::unique_ptr<WaveDevice> device, int channels,
                                       uint32_t bufferBytes)
    : device_(std::move(device)), channels_(channels), bufferBytes_(bufferBytes) {
  for (auto& b : buffers_) b.reset(new uint8_t[bufferBytes_]());
}

BufferedWaveOutput::~BufferedWaveOutput() { Abort(); }

void BufferedWaveOutput::Write(const int16_t* pcm, int samples) {
  if (closed_ || samples <= 0) return;
  const int total = samples * channels_;
  for (int i = 0; i < total; ++i) {
    PutLe16(buffers_[current_].get() + fill_, uint16_t(pcm[i]));
    fill_ += 2;
    if (fill_ == bufferBytes_) BufferFull();
  }
}

void BufferedWaveOutput::Queue(int index, uint32_t bytes) {
  queued_[index] = device_->Write(index, buffers_[index].get(), bytes);
}

void BufferedWaveOutput::WaitAndRelease(int index) {
  if (!queued_[index]) return;
  bool reset = false;
  while (!device_->Done(index)) {
    if (!reset && interrupt_ && interrupt_->load()) {
      ResetDevice();  // hands every queued buffer back at once
      reset = true;
    }
    device_->Sleep(20);
  }
  device_->Release(index);
  queued_[index] = false;
}

// The oldest queued buffer has played before the newly filled one is queued: at most two
// buffers (64 frames) are ever queued, which is all that a pause lets play out.
void BufferedWaveOutput::BufferFull() {
  ++fullBuffers_;
  if (fullBuffers_ == 2) {
    Queue(0, bufferBytes_);
    Queue(1, bufferBytes_);
  } else if (fullBuffers_ > 2) {
    WaitAndRelease((current_ + 1) % 3);
    Queue(current_, bufferBytes_);
  }
  current_ = (current_ + 1) % 3;
  fill_ = 0;
}

bool BufferedWaveOutput::Ready() {
  if (closed_ || fullBuffers_ < 2) return true;
  const uint32_t frameBytes = bufferBytes_ / kFramesPerBuffer;
  if (fill_ + frameBytes < bufferBytes_) return true;
  const int oldest = (current_ + 1) % 3;
  return !queued_[oldest] || device_->Done(oldest);
}

// Frames are counted by their samples (Write): the 32nd frame of the buffer's frame size
// fills it.
void BufferedWaveOutput::FrameDone() {}

void BufferedWaveOutput::ReleaseAll() {
  for (int i = 0; i < 3; ++i) {
    if (queued_[i]) device_->Release(i);
    queued_[i] = false;
  }
}

void BufferedWaveOutput::ResetDevice() {
  platform::MutexLock lock(deviceMutex_);
  device_->Reset();
}

void BufferedWaveOutput::CloseDevice() {
  for (;;) {
    {
      platform::MutexLock lock(deviceMutex_);
      if (device_->Close()) {
        closed_ = true;
        return;
      }
    }
    device_->Sleep(20);
  }
}

void BufferedWaveOutput::Clear() {
  if (closed_) return;
  ResetDevice();
  ReleaseAll();
  for (auto& b : buffers_) std::memset(b.get(), 0, bufferBytes_);
  current_ = 0;
  fill_ = 0;
  fullBuffers_ = 0;
}

void BufferedWaveOutput::End(bool pad) {
  if (closed_) return;
  // A full buffer that was never queued, then the partial one (padded with zeros to its full
  // size at the end of the song).
  if (fullBuffers_ == 1) Queue(0, bufferBytes_);
  if (fill_ > 0) {
    if (pad) std::memset(buffers_[current_].get() + fill_, 0, bufferBytes_ - fill_);
    WaitAndRelease((current_ + 1) % 3);  // two queued at most, also at the end
    Queue(current_, pad ? bufferBytes_ : fill_);
  }
  for (int i = 0; i < 3; ++i) WaitAndRelease(i);
  CloseDevice();
  device_->Sleep(20);
}

void BufferedWaveOutput::Finish() { End(true); }

void BufferedWaveOutput::Drain() { End(false); }

void BufferedWaveOutput::Abort() {
  if (closed_) return;
  ResetDevice();
  ReleaseAll();
  CloseDevice();
}

int64_t BufferedWaveOutput::Played() {
  platform::MutexLock lock(deviceMutex_);
  if (closed_) return -1;
  return device_->PlayedSamples();
}

}  // namespace kelvaro
