// The real-time work of the scans, the recording and the playbacks, on the analyser's state:
// the loop that analyses one live frame per pass at its pace, what a finished input buffer
// writes, the Quick Save presses, and how the playback halves are filled. The devices and
// the clock are behind small interfaces, so that the loop runs under a scripted clock in the
// tests as it runs under the system's in the window.
#pragma once
#include <cstdint>
#include <functional>

#include "analyser/core/State.h"

namespace tessel {

// Milliseconds of the system clock, and the 1 ms sleep of a loop that has to wait.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double NowMs() = 0;
  virtual void SleepMs(int ms) = 0;
};

// After Analyze Input: a fixed-length recording in the Scroll display becomes the analysis at
// once with the parameters in force; an "Any" one, or one in the Scope display, is analysed
// like a file opened with Analyze File (its dialog first).
bool AnalyseRecordingAtOnce(const AnalysisSettings& s);

// The note after a Scan Input: whether a Quick Save file was begun.
const char* ScanCompleteNotice(bool saved);

// The parameters the live analysis and its display take from the settings (the Scope display
// has a spectrum average of its own).
AnalysisOptions LiveOptions(const AnalysisSettings& s, uint32_t sampleRateHz);
// The input format of the capture dialogs' choices.
WaveFormat CaptureFormat(const AnalysisSettings& s);
// A new run for the format: the current analysis becomes the data the scan runs over.
void BeginScan(AnalyserState& st, Mode mode, const WaveFormat& format);
// After the display was laid out: the live images of the window's size.
void ResetLiveDisplay(AnalyserState& st);

struct RealtimeHooks {
  std::function<void()> pump;               // drains the window's queue
  std::function<int64_t()> positionFrames;  // the device's position in frames, or -1
  std::function<void()> show;               // the live image changed: show it
};

// The real-time loop: until the stop request, one frame per pass, no sooner than the window
// length plus the latency after the start and 4 ms (Scroll) or 10 ms (Scope) after the
// previous frame, sleeping 1 ms while it waits. The frame ends `latencyMs` before the device
// position (or, without one, before the elapsed time); a frame not yet in the ring is
// skipped. endFrames > 0 stops the loop once the clock reaches that many frames less one FFT
// frame (the end of a scanned file). The measured milliseconds per frame become the time
// scale of the read-outs.
void RealtimeLoop(AnalyserState& st, Clock& clock, const RealtimeHooks& hooks, uint32_t ringFrames,
                  int64_t endFrames);

// Analyses the ring's frame (already gathered) into the live display: a Scope graph, or one
// column of the Scroll display. True when the window is due for a copy.
bool DrawLiveFrame(AnalyserState& st, const uint8_t* frame);

// A played position in frames: the device's bytes, but never ahead of the clock (a device
// that reports more than the time gone by plays at once, and the picture keeps pace with
// the sound); -1 without a device position.
int64_t PlayedFrames(int64_t deviceBytes, double elapsedMs, const WaveFormat& format);

// What a finished input buffer asks of the device.
struct InputDone {
  bool postStop = false;     // the recording reached its limit: post Stop
  bool requeue = false;      // add the buffer again (else close the device)
  bool saveEnabled = false;  // a Quick Save stretch ended: "Save" again, "Stop Save" off
};
// Writes what the buffer holds for the recording or Quick Save and keeps the counts.
InputDone InputBufferDone(AnalyserState& st, const uint8_t* data, uint32_t bytes, double nowMs);
// "Save" (begins the file the first time; throws "Cannot Open File") and "Stop Save".
void QuickSavePress(AnalyserState& st, bool save, double nowMs);

// The stretch of the sample that Play (whole) or Play Wdw (the columns shown) plays.
void SelectPlayback(AnalyserState& st, bool window);
// Fills one half of the playback ring with the stretch at `offset` of the selection (from the
// sample, or read on from the scanned file), silence behind it.
void FillHalf(AnalyserState& st, uint8_t* dst, uint32_t bytes, uint64_t offset);
// "Play" stays enabled after a playback when the sample is longer than the window shows.
bool PlayAllUseful(const AnalyserState& st);

}  // namespace tessel
