#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "decoder/core/Library.h"

namespace lib = kelvaro::library;

namespace {

const char* ErrorText(int code) {
  switch (code) {
    case 2:
      return "Incorrect mode";
    case 3:
      return "Input stream error";
    case 4:
      return "Input stream is non-seekable";
    case 5:
      return "Output device failure";
    default:
      return "Internal decoder error";
  }
}

int Fail(const char* what, int code) {
  std::fprintf(stderr, "kelvaro: %s: %s\n", what, ErrorText(code));
  lib::Deinit();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kelvaro IN.mp3 OUT.wav\n");
    return 2;
  }
  lib::Init();
  if (!lib::Open(argv[1], false, nullptr)) return Fail(argv[1], lib::LastError());
  lib::SetOutputDevice(2, argv[2]);
  volatile uint8_t ended = 0;
  const int started = lib::Play(0, 0, &ended);
  // Read once: it may already be the play thread's error (below), which LastError hands out
  // only once.
  int code = lib::LastError();
  if (started != 0) return Fail(argv[2], code);
  while (!ended && lib::GetPlayerMode() == 3)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  // The play thread may have ended before the end of the stream (a change of sampling rate
  // that one wave file cannot hold).
  if (code == 0) code = lib::LastError();
  if (code != 0) {
    std::fprintf(stderr, "kelvaro: %s: %s; decoding stopped early (%s holds the part before)\n",
                 argv[1], ErrorText(code), argv[2]);
    lib::Close();
    lib::Deinit();
    return 1;
  }
  std::printf("%s: layer %d, %d Hz, %d ms\n", argv[1], lib::GetLayer(), lib::GetFrequency(),
              lib::GetLength());
  lib::Close();
  lib::Deinit();
  return 0;
}
