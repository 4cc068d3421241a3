// The analyser's one state: the parameters, the activity flags, the analysis shown and the
// one before it, the live run of a scan, the read-outs and the open data logs. The window
// program holds one of these beside its handles; the functions of the core read and change
// it, so that every rule about it can be tested without a window.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analyser/core/Colours.h"
#include "analyser/core/DataLog.h"
#include "analyser/core/DisplayBitmap.h"
#include "analyser/core/LiveScan.h"
#include "analyser/core/Playback.h"
#include "analyser/core/Scope.h"
#include "analyser/core/Settings.h"
#include "analyser/core/ShellState.h"
#include "analyser/core/WaveFile.h"

namespace tessel {

enum class Mode { None, ScanInput, AnalyzeInput, ScanFile, AnalyzeFile };

// What one analysis left behind: enough to show it again ("&Restore").
struct Analysed {
  DisplayBitmap bitmap;
  SampleBuffer sample;
  WaveFileInfo info;
  int32_t attenuationStep = 0;
  uint32_t paletteChoice = kPaletteCB;
  double startMs = 0, timeScaleMs = 10, decadesPerRow = 0;
  int fftSize = 1024, bandLowHz = 0, bandHighHz = 0;
  bool logScale = false;
  uint32_t channelView = kViewDual;
};

// The texts of the status block under the pointer.
struct Readout {
  std::string frequency, time, now, level;
};

// One run of a scan, a recording or a playback.
struct LiveRun {
  WaveFormat format;
  InputBuffers buffers;
  std::vector<uint8_t> ring;  // input: buffers A and B; output: the two halves played in turn
  LiveAnalyser analyser;
  std::unique_ptr<LiveScrollDisplay> scroll;
  ScopePlot scope;
  bool scanInput = false;
  // Recording (Analyze Input) and Quick Save (Scan Input).
  RecordingFile file;
  bool recording = false;
  std::string recordingPath;
  uint64_t total = 0;
  uint64_t recordLimit = 0;  // bytes of a fixed-length recording, 0 for "Any"
  bool quickBegun = false, startPending = false, stopPending = false;
  double saveMs = 0, stopMs = 0, bufferStartMs = 0;
  // Playback.
  PlaybackBuffer playback;
  uint64_t selectionBegin = 0, selectionBytes = 0;  // within the source
  HalfSchedule halves;
  platform::File source;  // Scan File reads the wave file
  uint64_t fileBytesLeft = 0;
  bool scanFile = false;
};

// "Modify Colors": the values in force when it opened (Cancel puts them back) and the edited.
struct ColoursEdit {
  int32_t originalAttenuation = 0, attenuation = 0;
  uint32_t originalPalette = kPaletteCB, palette = kPaletteCB;
};

// The points dialog's two marks.
struct PointMarks {
  bool picked = false, eventChosen = false;
};

struct AnalyserState {
  AnalysisSettings s;

  // Geometry: the system font's cell, the screen, the window at creation, the display area.
  int cw = 8, ch = 16, captionHeight = 20, screenW = 800, screenH = 600;
  int createWidth = 0, createHeight = 0;
  int displayW = 0, displayH = 300;

  // Activity flags.
  bool stopRequested = true;
  bool playingAll = false, playingWindow = false;
  bool inputOpen = false;
  bool gridShown = false;
  bool displayBitmapValid = false;
  bool lowMemory = false;
  bool fKeys = false;
  bool quickSaving = false;
  bool frozen = false;
  bool leftDrag = false, rightDrag = false;
  bool closePending = false;
  bool pointsMode = false;
  MenuState menuState = MenuState::ReadyWithoutData;
  Mode mode = Mode::None;
  bool scopeShown = false;  // the display shows a Scope image

  // The current analysis (valid with displayBitmapValid) and the previous one.
  Analysed current;
  std::unique_ptr<Analysed> previous;
  int scrollX = 0, scrollY = 0;
  // The image of an analysis pass while it grows, and the view the window shows of it.
  const DisplayBitmap* growing = nullptr;
  WindowView growingView;
  int scopeRaise = 0;         // how far the Scope graph shown is raised (pixels)
  uint64_t scannedBytes = 0;  // what the panel tells as the length during a scan

  // The window image of the Scan modes (live scroll or scope), palette indices.
  IndexedImage live;
  ScopeOrigin scopeOrigin;
  int pointerX = -1, pointerY = -1;  // the Scope display's cross-shaped pointer
  LiveRun run;
  int64_t livePasses = 0;  // live images shown; the panel follows every fourth

  // The colours in force: the scheme's table and the palette loaded from it.
  const ColourTable* colourTable = &ColourTableFor(kPaletteCB);
  Palette colours{};

  // Read-outs.
  Readout readout;
  double timeNowSec = 0;
  int dragStartX = 0, dragStartY = 0;
  int selectFromX = -1, selectToX = -1;  // window x of a left drag's ends, shown while it runs
  int lastClickColumn = -1;
  double lastTimeMs = 0, lastFreqHz = 0, lastLevelDb = -90;

  // Data logs: "All Spectrum" is filled by the next analysis pass.
  TextLog allLog, pointsLog, spectrumLog;
  std::string spectrumPath;
  PointMarks points;
  ColoursEdit coloursEdit;
  int magnifyWidth = 0, magnifyHeight = 0;  // the image "Bitmap Magnification" sizes
  std::vector<long> amplitudes;             // the single spectrum dialog's graph
  double segmentEndMs = 0;
};

// The analysis of a pass over `sample` (read from `info`'s file at startMs) with the settings
// in force. Its band is the one its rows show.
Analysed AnalysedOf(const AnalysisSettings& s, SampleBuffer sample, DisplayBitmap bitmap,
                    const WaveFileInfo& info, double startMs, double timeScaleMs);
// The new analysis becomes the one shown; the one shown before is kept for "&Restore", except
// on a low-memory machine.
void CommitAnalysis(AnalyserState& st, Analysed next);
// "&Restore": the analysis shown before comes back (true), or, without one, everything is
// released (false).
bool RestorePrevious(AnalyserState& st);
// Drops the display bitmap, the sample and the restorable copy.
void ReleaseAnalysis(AnalyserState& st);
// What the ready states of the menus look at.
MenuContext MenuContextOf(const AnalyserState& st);

// A left drag from column `from` to column `to` (both of the visible part): the segment of
// the data it selects, in ms; a drag to the right takes both ends half a column further.
// False when the button came up on its start column.
bool DragSegment(const AnalyserState& st, int from, int to, double& beginMs, double& endMs);

// The frame's size limits: 82 (Scroll) or 90 (Scope, fixed) character widths wide, at most
// the screen less two; the creation height, or in the Scroll display up to the rows beyond
// 256 more (within the screen less 8).
struct FrameLimits {
  int minWidth, maxWidth, minHeight, maxHeight;
};
FrameLimits FrameLimitsOf(const AnalyserState& st);

// A scroll bar's new position for a scroll action: line and page steps, the thumb taken as it
// is, the ends; held within low..high. The display's bars step 4 and 100 pixels.
enum class ScrollCode { LineBack, LineOn, PageBack, PageOn, Thumb, First, Last, Other };
struct ScrollSteps {
  int low, high, line, page;
};
int ScrolledPosition(int position, ScrollCode code, int thumb, const ScrollSteps& steps);

}  // namespace tessel
