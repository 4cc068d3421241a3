#include "decoder/core/Library.h"

#include "decoder/core/Player.h"

namespace kelvaro::library {
namespace {

NoWaveDevices noDevice;
WaveDevices* devices = &noDevice;
std::unique_ptr<Player> player;
int lastError = 0;

// Clears the error and returns the player object, or sets "incorrect mode" without one.
Player* Enter() {
  lastError = kNoError;
  if (!player) lastError = kIncorrectMode;
  return player.get();
}

void Fail(Error e) {
  if (e != kNoError) lastError = e;
}

}  // namespace

void SetWaveDevices(WaveDevices* d) { devices = d ? d : &noDevice; }

bool Init() {
  lastError = kNoError;
  if (player) {
    lastError = kIncorrectMode;
    return false;
  }
  player = std::make_unique<Player>(*devices);
  return true;
}

bool Deinit() {
  lastError = kNoError;
  player.reset();  // closes an open stream
  return true;
}

bool Open(const char* fileName, bool fromStream, std::unique_ptr<StreamCallbacks> callbacks) {
  Player* p = Enter();
  if (!p) return false;
  if (p->Mode() != kNoStream && p->Mode() != kOpened) {
    Fail(kIncorrectMode);
    return false;
  }
  std::unique_ptr<InputStream> stream;
  if (fromStream)
    stream = CallbackStream::Open(std::move(callbacks));
  else if (fileName && *fileName)
    stream = FileStream::Open(fileName);
  Error e = stream ? p->Open(std::move(stream)) : kInputStream;
  Fail(e);
  return e == kNoError;
}

int Play(int startMs, int endMs, volatile uint8_t* endFlag) {
  Player* p = Enter();
  if (!p) return 1;
  Error e = kNoError;
  int result = p->Play(startMs, endMs, endFlag, e);
  Fail(e);
  return result;
}

bool Pause(int resume) {
  Player* p = Enter();
  if (!p) return false;
  Fail(p->Pause(resume));
  return true;
}

void Restart() {
  if (Player* p = Enter()) Fail(p->Restart());
}

void Stop() {
  if (Player* p = Enter()) Fail(p->Stop());
}

void Close() {
  if (Player* p = Enter()) Fail(p->Close());
}

void SetPriority(int priority) {
  if (Player* p = Enter()) p->SetPriority(priority);
}

void SetOutputDevice(int device, const char* fileName) {
  if (Player* p = Enter()) p->SetOutputDevice(device, fileName);
}

int GetPlayerMode() {
  Player* p = Enter();
  return p ? p->Mode() : 0;
}

int GetCurrentPos() {
  Player* p = Enter();
  return p ? p->CurrentPos() : 0;
}

int GetLength() {
  Player* p = Enter();
  return p ? p->Length() : -1;
}

bool Seek(int ms) {
  Player* p = Enter();
  if (!p) return false;
  Error e = kNoError;
  bool done = p->Seek(ms, e);
  Fail(e);
  return done;
}

bool Seekable() {
  Player* p = Enter();
  return p && p->Seekable();
}

int GetLayer() {
  Player* p = Enter();
  return p ? p->Layer() : 0;
}

int GetBitrate() {
  Player* p = Enter();
  return p ? p->Bitrate() : 0;
}

int GetFrequency() {
  Player* p = Enter();
  return p ? p->Frequency() : 0;
}

void ResetPlayerMode() {
  if (Player* p = Enter()) p->ResetPlayerMode();
}

void UseScaleFactor(bool on, float factor) {
  if (Player* p = Enter()) p->UseScaleFactor(on, factor);
}

// The error of the call before, else the one with which the play thread ended playback: that
// one stays pending through every other export, as each clears only the call's own error, so
// that a caller polling the position is told of it.
int LastError() {
  int e = lastError;
  lastError = kNoError;
  if (e == kNoError && player) e = player->TakeThreadError();
  return e;
}

}  // namespace kelvaro::library
