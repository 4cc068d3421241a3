// The rules of the analyser's window that need no window: the three menu states, which
// keys start which commands, and the command identifiers of the menus and buttons.
#pragma once
#include <array>
#include <cstdint>

#include "analyser/core/Settings.h"

namespace tessel {

// Menu and button commands.
enum Command : uint32_t {
  kCmdPlay = 101,
  kCmdPlayWindow = 102,
  kCmdStop = 103,
  kCmdToggleGrid = 104,
  kCmdExit = 40003,
  kCmdParamChange = 40005,
  kCmdScanFile = 40007,
  kCmdScanInput = 40011,
  kCmdAnalyzeFile = 40020,
  kCmdAnalyzeInput = 40021,
  kCmdParamRestore = 40023,
  kCmdAbout = 40024,
  kCmdColorsChange = 40027,
  kCmdLogPoints = 40028,
  kCmdSaveWave = 40030,
  kCmdWindowBitmap = 40033,
  kCmdEntireBitmap = 40034,
  kCmdHelpTopics = 40036,
  kCmdLogSingle = 40038,
  kCmdLogAll = 40039,
  kCmdFft512 = 40040,  // .. 40045 for 16384 points
  kCmdFft16384 = 40045,
  kCmdPointerTarget = 40046,
  kCmdPointerWhite = 40047,
  kCmdPointerBlack = 40048,
  kCmdFreqMark = 40049,
  kCmdPrintWindow = 40050,
  kCmdVolumeControl = 40054,
  kCmdAdjust = 40055,
  kCmdFreeze = 40056,
};

enum class MenuState { Busy, ReadyWithoutData, ReadyWithData };

// The entries the menu states switch; the three submenus have no command of their own.
enum MenuEntry : int {
  kEntryAnalyzeFile,
  kEntryAnalyzeInput,
  kEntryScanFile,
  kEntryScanInput,
  kEntryParametersMenu,
  kEntryParamChange,
  kEntryParamRestore,
  kEntryLogDataMenu,
  kEntryLogAll,
  kEntryLogSingle,
  kEntryLogPoints,
  kEntrySaveWave,
  kEntrySaveBitmapMenu,
  kEntryWindowBitmap,
  kEntryEntireBitmap,
  kEntryPrintWindow,
  kEntryExit,
  kEntryColorsChange,
  kEntrySystemClose,
  kMenuEntryCount
};

// The command of an entry; 0 for the submenus and the system menu's "Close".
uint32_t CommandOfEntry(MenuEntry entry);

// What the ready states look at.
struct MenuContext {
  bool scope = false;        // Scope display
  bool bitmapValid = false;  // a display bitmap exists
  bool restorable = false;   // a copy of the previous analysis is held
  bool lowMemory = false;
  bool stereo = false;
  uint32_t channelView = kViewDual;
  bool logScale = false;
  bool entireLarger = false;  // the whole image is wider or taller than the display area
};

// Whether the whole spectral image is larger than the display area (stereo: half its height).
bool EntireImageLarger(int imageWidth, int imageHeight, bool stereo, int displayWidth,
                       int displayHeight);

using MenuEnables = std::array<bool, kMenuEntryCount>;
MenuEnables MenuEnablesFor(MenuState state, const MenuContext& context);
// F1..F4 act only in the two ready states.
inline bool FKeysEnabled(MenuState state) { return state != MenuState::Busy; }

// Virtual-key codes of the keys the window handles.
enum : int { kKeyEscape = 0x1B, kKeyF1 = 0x70, kKeyF6 = 0x75 };
// The command a key-down gives, or 0: Escape stops, F1..F4 start (only with F-keys on),
// F5/F6 switch the variables mode always.
uint32_t KeyCommand(int virtualKey, bool fKeysEnabled);

// The command of FFT size 512 << k (40040..40045) as fftSizeChoice 1082..1087, else 0.
uint32_t FftChoiceOfCommand(uint32_t command);

// The pointer style (1..3) of a "&Pointers" command, else 0; and its cursor resource.
int PointerStyleOfCommand(uint32_t command);
int CursorResourceOfStyle(int pointerStyle);  // 104, 142, 143

}  // namespace tessel
