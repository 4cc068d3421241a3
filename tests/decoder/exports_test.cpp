// The built libraries export exactly the 21 undecorated names, read from the PE export
// table of build/win32/bin/kelvaro.dll and build/win64/bin/kelvaro.dll.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace kelvaro {
namespace {

struct PeExports {
  bool valid = false;
  int machine = 0;
  bool pe32Plus = false;
  std::string dllName;
  std::vector<std::string> names;
};

PeExports ReadExports(const std::vector<uint8_t>& f) {
  PeExports pe;
  auto u16 = [&](size_t at) -> uint32_t {
    return at + 2 <= f.size() ? f[at] | (f[at + 1] << 8) : 0;
  };
  auto u32 = [&](size_t at) -> uint32_t {
    return at + 4 <= f.size() ? u16(at) | (u16(at + 2) << 16) : 0;
  };
  if (f.size() < 64 || f[0] != 'M' || f[1] != 'Z') return pe;
  size_t header = u32(0x3C);
  if (header + 24 > f.size() || std::memcmp(&f[header], "PE\0\0", 4) != 0) return pe;
  pe.machine = int(u16(header + 4));
  size_t sections = u16(header + 6);
  size_t optional = header + 24;
  size_t optionalSize = u16(header + 20);
  pe.pe32Plus = u16(optional) == 0x20B;
  uint32_t exportRva = u32(optional + (pe.pe32Plus ? 112 : 96));
  size_t table = optional + optionalSize;
  auto offset = [&](uint32_t rva) -> size_t {
    for (size_t s = 0; s < sections; ++s) {
      size_t at = table + s * 40;
      uint32_t va = u32(at + 12), size = u32(at + 16), raw = u32(at + 20);
      if (rva >= va && rva < va + size) return raw + (rva - va);
    }
    return 0;
  };
  auto text = [&](size_t at) {
    std::string s;
    while (at < f.size() && f[at]) s += char(f[at++]);
    return s;
  };
  size_t dir = offset(exportRva);
  if (!dir) return pe;
  pe.dllName = text(offset(u32(dir + 12)));
  uint32_t count = u32(dir + 24);
  size_t names = offset(u32(dir + 32));
  for (uint32_t i = 0; i < count && names; ++i)
    pe.names.push_back(text(offset(u32(names + 4 * i))));
  pe.valid = true;
  return pe;
}

void CheckLibrary(const char* preset, int machine, bool pe32Plus) {
  std::string path = std::string(VARDEX_SOURCE_DIR) + "/build/" + preset + "/bin/kelvaro.dll";
  std::vector<uint8_t> bytes = test::ReadFile(path);
  if (bytes.empty()) GTEST_SKIP() << path << " is not built";
  PeExports pe = ReadExports(bytes);
  ASSERT_TRUE(pe.valid);
  EXPECT_EQ(pe.machine, machine);
  EXPECT_EQ(pe.pe32Plus, pe32Plus);
  EXPECT_EQ(pe.dllName, "kelvaro.dll");
  std::vector<std::string> expected = {"Close",           "GetBitrate",  "GetCurrentPos",
                                       "GetFrequency",    "GetLayer",    "GetLength",
                                       "GetPlayerMode",   "LastError",   "Open",
                                       "Pause",           "Play",        "ResetPlayerMode",
                                       "Restart",         "Seek",        "Seekable",
                                       "SetOutputDevice", "SetPriority", "Stop",
                                       "UseScaleFactor",  "deinit",      "init"};
  std::sort(pe.names.begin(), pe.names.end());
  EXPECT_EQ(pe.names, expected);
}

TEST(LibraryExports, Win32) { CheckLibrary("win32", 0x14C, false); }
TEST(LibraryExports, Win64) { CheckLibrary("win64", 0x8664, true); }

}  // namespace
}  // namespace kelvaro
