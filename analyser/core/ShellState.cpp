#include "analyser/core/ShellState.h"

namespace tessel {

uint32_t CommandOfEntry(MenuEntry entry) {
  static const uint32_t commands[kMenuEntryCount] = {kCmdAnalyzeFile,
                                                     kCmdAnalyzeInput,
                                                     kCmdScanFile,
                                                     kCmdScanInput,
                                                     0,
                                                     kCmdParamChange,
                                                     kCmdParamRestore,
                                                     0,
                                                     kCmdLogAll,
                                                     kCmdLogSingle,
                                                     kCmdLogPoints,
                                                     kCmdSaveWave,
                                                     0,
                                                     kCmdWindowBitmap,
                                                     kCmdEntireBitmap,
                                                     kCmdPrintWindow,
                                                     kCmdExit,
                                                     kCmdColorsChange,
                                                     0};
  return entry >= 0 && entry < kMenuEntryCount ? commands[entry] : 0;
}

bool EntireImageLarger(int imageWidth, int imageHeight, bool stereo, int displayWidth,
                       int displayHeight) {
  const int height = stereo ? imageHeight / 2 : imageHeight;
  return imageWidth > displayWidth || height > displayHeight;
}

namespace {

void SetLogEntries(MenuEnables& e, bool on) {
  e[kEntryLogDataMenu] = e[kEntryLogAll] = e[kEntryLogSingle] = e[kEntryLogPoints] = on;
}

void SetStartEntries(MenuEnables& e) {
  e[kEntryAnalyzeFile] = e[kEntryAnalyzeInput] = e[kEntryScanFile] = e[kEntryScanInput] = true;
  e[kEntryExit] = e[kEntrySystemClose] = true;
}

}  // namespace

MenuEnables MenuEnablesFor(MenuState state, const MenuContext& c) {
  MenuEnables e{};
  if (state == MenuState::Busy) return e;
  SetStartEntries(e);
  if (state == MenuState::ReadyWithoutData) {
    const bool scopeImage = c.scope && c.bitmapValid;
    e[kEntryPrintWindow] = e[kEntrySaveBitmapMenu] = e[kEntryWindowBitmap] = scopeImage;
    return e;
  }
  e[kEntrySaveWave] = e[kEntryColorsChange] = true;
  if (c.scope) {
    e[kEntryPrintWindow] = true;
    return e;
  }
  e[kEntryParametersMenu] = e[kEntryParamChange] = true;
  e[kEntryParamRestore] = c.restorable && !c.lowMemory;
  if (!c.stereo || c.channelView != kViewDual) {
    SetLogEntries(e, !c.logScale);
    e[kEntrySaveBitmapMenu] = e[kEntryWindowBitmap] = e[kEntryPrintWindow] = true;
    e[kEntryEntireBitmap] = c.entireLarger;
  }
  return e;
}

uint32_t KeyCommand(int key, bool fKeysEnabled) {
  switch (key) {
    case kKeyEscape:
      return kCmdStop;
    case kKeyF1 + 4:
      return kCmdAdjust;
    case kKeyF1 + 5:
      return kCmdFreeze;
    default:
      break;
  }
  static const uint32_t starts[4] = {kCmdAnalyzeFile, kCmdAnalyzeInput, kCmdScanFile,
                                     kCmdScanInput};
  if (key >= kKeyF1 && key < kKeyF1 + 4 && fKeysEnabled) return starts[key - kKeyF1];
  return 0;
}

uint32_t FftChoiceOfCommand(uint32_t command) {
  return command >= kCmdFft512 && command <= kCmdFft16384 ? 1082 + (command - kCmdFft512) : 0;
}

int PointerStyleOfCommand(uint32_t command) {
  return command >= kCmdPointerTarget && command <= kCmdPointerBlack
             ? static_cast<int>(command - kCmdPointerTarget) + 1
             : 0;
}

int CursorResourceOfStyle(int style) { return style == 2 ? 142 : style == 3 ? 143 : 104; }

}  // namespace tessel
