#pragma once
#include <cstdint>
#include <memory>

#include "decoder/core/InputStream.h"
#include "decoder/core/WaveDevices.h"

// The behaviour behind each export of the decoder library. Every function except
// LastError clears the last error on entry; a call without a player object (before
// init or after deinit) sets the error "incorrect mode". An error with which the play thread
// ended playback (a change of sampling rate that a wave file cannot follow: "input stream
// error"; an output that cannot be reopened at the new rate: "output device failure") is
// not cleared that way: LastError returns it once the call's own error is read, and starting
// playback again (Play, Restart) discards it.
namespace kelvaro::library {

// The wave output devices of the player object; set once before Init (default: none).
void SetWaveDevices(WaveDevices* devices);

bool Init();
bool Deinit();
bool Open(const char* fileName, bool fromStream, std::unique_ptr<StreamCallbacks> callbacks);
int Play(int startMs, int endMs, volatile uint8_t* endFlag);
bool Pause(int resume);
void Restart();
void Stop();
void Close();
void SetPriority(int priority);
void SetOutputDevice(int device, const char* fileName);
int GetPlayerMode();
int GetCurrentPos();
int GetLength();
bool Seek(int ms);
bool Seekable();
int GetLayer();
int GetBitrate();
int GetFrequency();
void ResetPlayerMode();
void UseScaleFactor(bool on, float factor);
int LastError();

}  // namespace kelvaro::library
