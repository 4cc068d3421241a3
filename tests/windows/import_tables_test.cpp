// The eight shipped Windows executables (Vardex, Tunlet, Tessel and kelvaro.dll, for i686
// and x86_64) import at load time only libraries on the system's known-library list
// (KnownDLLs), which the loader always takes from the system folder. Any other library
// is imported on first use, through the hook that loads it from the system folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows 10 and 11.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",    "difxapi.dll",
    "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",
    "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",  "shlwapi.dll",
    "user32.dll",   "wldap32.dll",  "ws2_32.dll"};
// Imported on first use and loaded from the system folder by the programs' hook.
const std::set<std::string> kOnFirstUse = {"winmm.dll", "comctl32.dll"};

uint32_t U32(const Bytes& b, size_t at) {
  if (at + 4 > b.size()) throw std::out_of_range("past the end of the file");
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const Bytes& b, size_t at) {
  if (at + 2 > b.size()) throw std::out_of_range("past the end of the file");
  return uint16_t(b[at] | b[at + 1] << 8);
}

struct PeImage {
  Bytes bytes;
  size_t sections = 0;
  int sectionCount = 0;
  size_t dataDirectories = 0;
  bool is64 = false;

  explicit PeImage(Bytes b) : bytes(std::move(b)) {
    const size_t pe = U32(bytes, 0x3c);
    if (U32(bytes, pe) != 0x00004550) throw std::runtime_error("not a PE file");
    sectionCount = U16(bytes, pe + 6);
    const size_t optional = pe + 24;
    is64 = U16(bytes, optional) == 0x20b;
    dataDirectories = optional + (is64 ? 112 : 96);
    sections = optional + U16(bytes, pe + 20);
  }
  // The file offset of a relative virtual address.
  size_t At(uint32_t rva) const {
    for (int i = 0; i < sectionCount; ++i) {
      const size_t s = sections + size_t(i) * 40;
      const uint32_t va = U32(bytes, s + 12),
                     size = std::max(U32(bytes, s + 8), U32(bytes, s + 16));
      if (rva >= va && rva < va + size) return rva - va + U32(bytes, s + 20);
    }
    throw std::out_of_range("address outside every section");
  }
  std::string Text(uint32_t rva) const {
    std::string s;
    for (size_t at = At(rva); at < bytes.size() && bytes[at]; ++at)
      s += char(std::tolower(bytes[at]));
    return s;
  }
  // Names of the libraries of data directory `index` (1: imports, 13: delayed imports),
  // whose descriptors are `size` bytes long with the name's address at `nameField`.
  std::vector<std::string> Libraries(int index, size_t size, size_t nameField) const {
    std::vector<std::string> names;
    const uint32_t rva = U32(bytes, dataDirectories + size_t(index) * 8);
    if (rva == 0) return names;
    for (size_t d = At(rva);; d += size) {
      const uint32_t name = U32(bytes, d + nameField);
      if (name == 0) break;
      names.push_back(Text(name));
    }
    return names;
  }
  std::vector<std::string> LoadTimeImports() const { return Libraries(1, 20, 12); }
  std::vector<std::string> FirstUseImports() const { return Libraries(13, 32, 4); }
};

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Shipped {
  const char* preset;
  const char* file;
};
const Shipped kShipped[] = {{"win32", "Vardex.exe"}, {"win32", "Tunlet.exe"},
                            {"win32", "Tessel.exe"}, {"win32", "kelvaro.dll"},
                            {"win64", "Vardex.exe"}, {"win64", "Tunlet.exe"},
                            {"win64", "Tessel.exe"}, {"win64", "kelvaro.dll"}};

TEST(ImportTables, EveryShippedExecutableImportsOnlyKnownLibrariesAtLoadTime) {
  for (const Shipped& s : kShipped) {
    const std::string path = std::string(VARDEX_SOURCE_DIR "/build/") + s.preset + "/bin/" + s.file;
    SCOPED_TRACE(path);
    const Bytes bytes = ReadFile(path);
    ASSERT_FALSE(bytes.empty()) << "missing: build the win32 and win64 presets first";
    const PeImage image(bytes);
    EXPECT_EQ(image.is64, std::string(s.preset) == "win64");
    const auto loadTime = image.LoadTimeImports();
    EXPECT_FALSE(loadTime.empty());
    for (const std::string& name : loadTime)
      EXPECT_TRUE(kKnownDlls.count(name)) << name << " is not a known library";
    for (const std::string& name : image.FirstUseImports())
      EXPECT_TRUE(kOnFirstUse.count(name)) << name << " is imported on first use without the hook";
  }
}

// The reader itself: an image that imports a library outside the list is caught. The
// check above would pass on an empty or unreadable table; this one proves it reads.
TEST(ImportTables, TheReaderFindsTheLibrariesOfAKnownImage) {
  const Bytes bytes =
      ReadFile(std::string(VARDEX_SOURCE_DIR "/build/win64/tests-bin/e2e_player_tests.exe"));
  ASSERT_FALSE(bytes.empty()) << "missing: build the win64 preset first";
  const auto names = PeImage(bytes).LoadTimeImports();
  // The test program records sound through WINMM, imported the ordinary way.
  EXPECT_NE(std::find(names.begin(), names.end(), "winmm.dll"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "kernel32.dll"), names.end());
}

}  // namespace
