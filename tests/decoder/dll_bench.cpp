// dll_bench IN.mp3 OUT.wav [RUNS]: decodes a file to a wave file through kelvaro.dll beside
// the build's programs, bound export by export by name like the player binds them (stdcall),
// and prints the best time of RUNS decodes. Built for i686 it is also the check that the
// exports work from a 32-bit caller: exit 0 only when every decode ended normally (77: the
// input is missing).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DllExportTypes.h"

namespace {

using namespace kelvaro_dll;

struct Exports {
  BoolFn init, deinit;
  OpenFn open;
  PlayFn play;
  VoidFn close;
  DeviceFn device;
  IntFn mode, error, length;
};

template <typename F>
bool Bind(HMODULE m, const char* name, F& f) {
  f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
  if (!f) std::fprintf(stderr, "dll_bench: kelvaro.dll has no export %s\n", name);
  return f != nullptr;
}

bool BindAll(HMODULE m, Exports& e) {
  return Bind(m, "init", e.init) && Bind(m, "deinit", e.deinit) && Bind(m, "Open", e.open) &&
         Bind(m, "Play", e.play) && Bind(m, "Close", e.close) &&
         Bind(m, "SetOutputDevice", e.device) && Bind(m, "GetPlayerMode", e.mode) &&
         Bind(m, "LastError", e.error) && Bind(m, "GetLength", e.length);
}

// kelvaro.dll of this build: in bin/ beside tests-bin/.
HMODULE LoadLibraryOfBuild() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder = folder.substr(0, folder.find_last_of("\\/"));
  folder = folder.substr(0, folder.find_last_of("\\/")) + "\\bin";
  return LoadLibraryA((folder + "\\kelvaro.dll").c_str());
}

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

// One decode to the wave file (output device 2); its time in seconds, or a negative value.
double Decode(const Exports& e, const char* in, const char* out) {
  const double start = Seconds();
  if (!(e.open(in, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) & 0xFF))
    return -1;
  e.device(2, out);
  volatile uint8_t ended = 0;
  if (e.play(0, 0, const_cast<uint8_t*>(&ended)) != 0) {
    e.close();
    return -1;
  }
  while (!ended) Sleep(1);
  const double took = Seconds() - start;
  // Stopped at the end (mode 2) with no error pending.
  const bool ok = e.mode() == 2 && e.error() == 0 && e.length() > 0;
  e.close();
  return ok ? took : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: dll_bench IN.mp3 OUT.wav [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::atoi(argv[3]) : 1;
  if (GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "dll_bench: %s not found\n", argv[1]);
    return 77;  // skipped
  }
  HMODULE module = LoadLibraryOfBuild();
  Exports e;
  if (!module || !BindAll(module, e)) {
    std::fprintf(stderr, "dll_bench: kelvaro.dll of this build did not load\n");
    return 1;
  }
  if (!(e.init() & 0xFF)) return 1;
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const double took = Decode(e, argv[1], argv[2]);
    if (took < 0) {
      std::fprintf(stderr, "dll_bench: decoding %s failed (error %d)\n", argv[1], int(e.error()));
      return 1;
    }
    if (took < best) best = took;
  }
  e.deinit();
  FreeLibrary(module);
  std::printf("%d-bit kelvaro.dll: %.4f s (best of %d)\n", int(sizeof(void*) * 8), best, runs);
  return 0;
}
