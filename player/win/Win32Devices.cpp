#include "player/win/Win32Devices.h"

// after windows.h
#include <mmdeviceapi.h>

#include "platform/System.h"
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Wide.h"
#include "player/core/PlayerTexts.h"

namespace tunlet {

void* WinLibraryLoader::Load(const std::string& path) {
  // The decoder library plays through WINMM: that comes from the system folder first,
  // whatever lies beside the library.
  platform::LoadSystemLibrary("winmm.dll");
  return reinterpret_cast<void*>(platform::LoadLibraryBeside(path));
}

void* WinLibraryLoader::Symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void WinLibraryLoader::Free(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string WinLibraryLoader::LibraryFileName(const std::string& path) {
  const std::wstring wide = platform::Widen(path);
  std::string ansi;
  if (platform::WideToAnsiExactly(wide, ansi)) return ansi;
  wchar_t shortPath[MAX_PATH];
  const DWORD n = GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ansi;
  platform::WideToAnsiExactly(shortPath, ansi);
  return ansi;
}

void WinPollTimer::SetInterval(uint32_t ms) {
  interval_ = ms;
  Apply();
}

void WinPollTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

void WinPollTimer::Apply() {
  if (!window_) return;
  if (enabled_ && interval_ > 0) {
    SetTimer(window_, id_, interval_, nullptr);  // also resets a running timer
    running_ = true;
  } else if (running_) {
    KillTimer(window_, id_);
    running_ = false;
  }
}

// The wave-output source line of an open mixer (with `destination`, the line it plays
// into) and that line's one control of `type`; false when either is missing.
static bool FindLineControl(HMIXER mixer, DWORD type, bool destination, MIXERLINEA& line,
                            DWORD& controlId) {
  const HMIXEROBJ obj = reinterpret_cast<HMIXEROBJ>(mixer);
  line = MIXERLINEA{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
  if (mixerGetLineInfoA(obj, &line, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR ||
      (destination &&
       mixerGetLineInfoA(obj, &line, MIXER_GETLINEINFOF_DESTINATION) != MMSYSERR_NOERROR))
    return false;
  MIXERCONTROLA control{};
  MIXERLINECONTROLSA controls{};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = type;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof control;
  controls.pamxctrl = &control;
  if (mixerGetLineControlsA(obj, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
    return false;
  controlId = control.dwControlID;
  return true;
}

// Device 0 is addressed by its number in place of a handle.
static HWAVEOUT WaveDevice0() { return reinterpret_cast<HWAVEOUT>(UINT_PTR(0)); }

int WinWaveVolume::NumDevs() { return int(waveOutGetNumDevs()); }

WinWaveVolume::~WinWaveVolume() {
  if (mixer_) mixerClose(mixer_);
}

bool WinWaveVolume::GetVolume(uint32_t& volume) {
  DWORD v = 0;
  if (waveOutGetVolume(WaveDevice0(), &v) == MMSYSERR_NOERROR) {
    volume = v;
    return true;
  }
  if (!MixerValue(v, false)) return false;
  volume = master_.Get(v);
  return true;
}

void WinWaveVolume::SetVolume(uint32_t volume) {
  if (waveOutSetVolume(WaveDevice0(), volume) == MMSYSERR_NOERROR) return;
  DWORD v = master_.Set(volume);
  MixerValue(v, true);
}

// The volume control of the destination line that device 0's wave-output source line
// plays into (the source line's own control changes nothing under Wine).
bool WinWaveVolume::OpenMixerVolume() {
  if (mixerTried_) return mixer_ != nullptr;
  mixerTried_ = true;
  if (mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_WAVEOUT) != MMSYSERR_NOERROR) {
    mixer_ = nullptr;
    return false;
  }
  MIXERLINEA line{};
  if (FindLineControl(mixer_, MIXERCONTROL_CONTROLTYPE_VOLUME, true, line, controlId_)) return true;
  mixerClose(mixer_);
  mixer_ = nullptr;
  return false;
}

bool WinWaveVolume::MixerValue(DWORD& value, bool set) {
  if (!OpenMixerVolume()) return false;
  MIXERCONTROLDETAILS_UNSIGNED detail{value};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = controlId_;
  details.cChannels = 1;  // uniform: one value for every channel
  details.cbDetails = sizeof detail;
  details.paDetails = &detail;
  const HMIXEROBJ obj = reinterpret_cast<HMIXEROBJ>(mixer_);
  if ((set ? mixerSetControlDetails(obj, &details, MIXER_SETCONTROLDETAILSF_VALUE)
           : mixerGetControlDetailsW(obj, &details, MIXER_GETCONTROLDETAILSF_VALUE)) !=
      MMSYSERR_NOERROR)
    return false;
  value = detail.dwValue;
  return true;
}

int WinMixerPeakMeter::WaveOutDevices() { return int(waveOutGetNumDevs()); }

bool WinMixerPeakMeter::GetMixerId() {
  return mixerGetID(reinterpret_cast<HMIXEROBJ>(UINT_PTR(0)), &mixerId_, MIXER_OBJECTF_WAVEOUT) ==
         MMSYSERR_NOERROR;
}

bool WinMixerPeakMeter::OpenPeakMeter() {
  Close();
  if (mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_WAVEOUT) != MMSYSERR_NOERROR) {
    mixer_ = nullptr;
    return false;
  }
  MIXERLINEA line{};
  if (!FindLineControl(mixer_, MIXERCONTROL_CONTROLTYPE_PEAKMETER, false, line, controlId_)) {
    Close();
    return false;
  }
  // The value buffer holds two channels; a line with more reports its first two.
  channels_ = line.cChannels < 1 ? 1 : (line.cChannels > 2 ? 2 : line.cChannels);
  return true;
}

bool WinMixerPeakMeter::ReadPeaks(int32_t values[2], int& channels) {
  if (!mixer_) return false;
  MIXERCONTROLDETAILS_SIGNED buffer[2] = {};
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = controlId_;
  details.cChannels = channels_;
  details.cbDetails = sizeof(MIXERCONTROLDETAILS_SIGNED);
  details.paDetails = buffer;
  if (mixerGetControlDetailsA(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                              MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
    return false;
  values[0] = buffer[0].lValue;
  values[1] = buffer[1].lValue;
  channels = int(channels_);
  return true;
}

void WinMixerPeakMeter::Close() {
  if (mixer_) mixerClose(mixer_);
  mixer_ = nullptr;
}

// The methods of IAudioMeterInformation in the order of the Windows SDK's declaration.
struct IEndpointPeakMeter : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPeakValue(float* peak) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMeteringChannelCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChannelsPeakValues(UINT32 count, float* peaks) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* mask) = 0;
};

namespace {

// The published identifiers of the Core Audio API's classes and interfaces.
constexpr GUID kMMDeviceEnumerator = {
    0xbcde0395, 0xe52f, 0x467c, {0x8e, 0x3d, 0xc4, 0x57, 0x92, 0x91, 0x69, 0x2e}};
constexpr GUID kIMMDeviceEnumerator = {
    0xa95664d2, 0x9614, 0x4f35, {0xa7, 0x46, 0xde, 0x8d, 0xb6, 0x36, 0x17, 0xe6}};
constexpr GUID kIAudioMeterInformation = {
    0xc02216f6, 0x8c67, 0x4b5b, {0x9d, 0x00, 0xd0, 0x08, 0xe7, 0x3e, 0x00, 0x64}};

template <typename T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

bool WinEndpointPeakMeter::Open() {
  Close();
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  IMMDeviceEnumerator* devices = nullptr;
  IMMDevice* device = nullptr;
  // Before Windows Vista the class is not registered, and this fails.
  if (SUCCEEDED(CoCreateInstance(kMMDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER,
                                 kIMMDeviceEnumerator, reinterpret_cast<void**>(&devices))) &&
      SUCCEEDED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device)) &&
      SUCCEEDED(device->Activate(kIAudioMeterInformation, CLSCTX_INPROC_SERVER, nullptr,
                                 reinterpret_cast<void**>(&meter_))) &&
      FAILED(meter_->GetMeteringChannelCount(&channels_)))
    Release(meter_);
  Release(device);
  Release(devices);
  if (!meter_) Close();
  return meter_ != nullptr;
}

bool WinEndpointPeakMeter::ReadPeaks(float values[2], int& channels) {
  if (!meter_) return false;
  // The first two channels (the front pair) of a device with more.
  const UINT n = channels_ < 1 ? 1 : (channels_ > 2 ? 2 : channels_);
  float peaks[2] = {0.0f, 0.0f};
  if (channels_ < 1 ? FAILED(meter_->GetPeakValue(&peaks[0]))
                    : FAILED(meter_->GetChannelsPeakValues(n, peaks)))
    return false;
  values[0] = peaks[0];
  values[1] = peaks[1];
  channels = int(n);
  return true;
}

void WinEndpointPeakMeter::Close() {
  Release(meter_);
  if (comStarted_) CoUninitialize();
  comStarted_ = false;
}

void WinDialogs::ShowMessage(const std::string& text) { ShowMessageBox(title_, text); }

void WinDialogs::ShowMessageBox(const std::string& title, const std::string& text) {
  ::MessageBoxW(owner_, platform::Widen(text).c_str(), platform::Widen(title).c_str(), MB_OK);
}

void WinDialogs::ShowError(const std::string& message) {
  ::MessageBoxW(owner_, platform::Widen(player::ExceptionBoxText(message)).c_str(),
                platform::Widen(title_).c_str(), MB_OK | MB_ICONSTOP);
}

std::string WinPlayerSystem::ExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return platform::Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string WinPlayerSystem::TempFolder() { return platform::TempFolder(); }

bool WinPlayerSystem::CreateNewFolder(const std::string& path) {
  return CreateDirectoryW(platform::Widen(path).c_str(), nullptr) != FALSE;
}

static const wchar_t kFolderMark[] = L"Tunlet.run";

void WinPlayerSystem::HoldFolder(const std::string& folder) {
  ReleaseFolder();
  markPath_ = platform::Widen(folder) + kFolderMark;
  mark_ = CreateFileW(markPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN, nullptr);
}

void WinPlayerSystem::ReleaseFolder() {
  if (mark_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(mark_);
  DeleteFileW(markPath_.c_str());
  mark_ = INVALID_HANDLE_VALUE;
}

bool WinPlayerSystem::FolderHeld(const std::string& folder) {
  const std::wstring path = platform::Widen(folder);
  HANDLE h = CreateFileW((path + kFolderMark).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;  // its player is gone
  }
  if (GetLastError() == ERROR_SHARING_VIOLATION) return true;
  // No mark: a player may have made the folder a moment ago and not marked it yet.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime;
  };
  return ticks(now) - ticks(data.ftCreationTime) < 60ull * 10000000;  // 60 s in 100 ns
}

}  // namespace tunlet
