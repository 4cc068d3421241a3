#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "TestFolder.h"
#include "platform/DayCount.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/System.h"
#ifdef _WIN32
#include "platform/win32/Wide.h"
#endif

namespace {

using testutil::TestFolder;
const std::string kDelim(1, platform::kPathDelim);

TEST(PlatformFiles, ReadWriteSeekTruncate) {
  TestFolder dir;
  platform::File f;
  ASSERT_TRUE(f.Open(dir / "a.bin", platform::OpenMode::Create));
  ASSERT_TRUE(f.Write("0123456789", 10));
  EXPECT_EQ(f.Size(), 10);
  ASSERT_TRUE(f.Seek(20));  // past the end: the gap reads as zeros once written
  ASSERT_TRUE(f.Write("x", 1));
  EXPECT_EQ(f.Size(), 21);
  ASSERT_TRUE(f.Seek(4));
  char buffer[8] = {};
  EXPECT_EQ(f.Read(buffer, 3), 3u);
  EXPECT_EQ(std::string(buffer, 3), "456");
  EXPECT_EQ(f.Position(), 7);
  ASSERT_TRUE(f.Truncate());
  EXPECT_EQ(f.Size(), 7);
  EXPECT_EQ(f.Read(buffer, 8), 0u);
  f.Close();
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(platform::FileSize(dir / "a.bin"), 7);
  EXPECT_FALSE(f.Open(dir / "missing.bin", platform::OpenMode::Read));
  EXPECT_FALSE(f.Open(dir.Path(), platform::OpenMode::Read));  // a folder is no file
}

// OpenOrCreate keeps what an existing file holds and makes a missing one; both can be written.
TEST(PlatformFiles, OpenOrCreateKeepsAnExistingFile) {
  TestFolder dir;
  const std::string path = dir / "kept.bin";
  ASSERT_TRUE(testutil::WriteAll(path, {1, 2, 3}));
  platform::File f;
  ASSERT_TRUE(f.Open(path, platform::OpenMode::OpenOrCreate));
  EXPECT_EQ(f.Size(), 3);
  EXPECT_EQ(f.Position(), 0);
  ASSERT_TRUE(f.Seek(f.Size()));
  ASSERT_TRUE(f.Write("\x04", 1));
  ASSERT_TRUE(f.Seek(0));
  uint8_t back[4] = {};
  EXPECT_EQ(f.Read(back, 4), 4u);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
  f.Close();

  ASSERT_TRUE(f.Open(dir / "new.bin", platform::OpenMode::OpenOrCreate));
  EXPECT_EQ(f.Size(), 0);
  ASSERT_TRUE(f.Write("ab", 2));
  f.Close();
  EXPECT_EQ(platform::FileSize(dir / "new.bin"), 2);
  EXPECT_FALSE(f.Open(dir.Path(), platform::OpenMode::OpenOrCreate));  // a folder is no file
}

TEST(PlatformFiles, FoldersExistenceAndListing) {
  TestFolder dir;
  const std::string deep = dir / "a" + kDelim + "b" + kDelim + "c";
  EXPECT_TRUE(platform::CreateFolders(deep));
  EXPECT_TRUE(platform::FolderExists(deep));
  EXPECT_FALSE(platform::FileExists(deep));
  EXPECT_TRUE(testutil::WriteAll(deep + kDelim + "f.txt", {1}));
  EXPECT_TRUE(platform::FileExists(deep + kDelim + "f.txt"));
  const auto items = platform::ListFolder(dir / "a" + kDelim + "b");
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, "c");
  EXPECT_TRUE(items[0].isFolder);
  EXPECT_TRUE(platform::DeleteFile(deep + kDelim + "f.txt"));
  EXPECT_FALSE(platform::FileExists(deep + kDelim + "f.txt"));
  EXPECT_FALSE(platform::CreateFolders(""));
}

#ifndef _WIN32
// Folders, files and a link to a folder, which is not walked into (not a folder).
TEST(PlatformFiles, ListingTellsFoldersFromFilesAndLinks) {
  TestFolder dir;
  ASSERT_TRUE(platform::CreateFolders(dir / "sub"));
  ASSERT_TRUE(testutil::WriteAll(dir / "file.txt", {1}));
  ASSERT_EQ(symlink((dir / "sub").c_str(), (dir / "link").c_str()), 0);
  auto items = platform::ListFolder(dir.Path());
  std::sort(
      items.begin(), items.end(),
      [](const platform::FolderItem& a, const platform::FolderItem& b) { return a.name < b.name; });
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].name, "file.txt");
  EXPECT_FALSE(items[0].isFolder);
  EXPECT_EQ(items[1].name, "link");
  EXPECT_FALSE(items[1].isFolder);
  EXPECT_EQ(items[2].name, "sub");
  EXPECT_TRUE(items[2].isFolder);
}
#endif

TEST(PlatformFiles, AttributesMapReadOnly) {
  TestFolder dir;
  const std::string path = dir / "r.txt";
  ASSERT_TRUE(testutil::WriteAll(path, {1, 2}));
  EXPECT_EQ(platform::GetAttributes(path) & platform::faReadOnly, 0);
  ASSERT_TRUE(platform::SetAttributes(path, platform::faReadOnly | platform::faArchive));
  EXPECT_NE(platform::GetAttributes(path) & platform::faReadOnly, 0);
  ASSERT_TRUE(platform::SetAttributes(path, platform::faReadOnly));  // already so
  EXPECT_NE(platform::GetAttributes(path) & platform::faReadOnly, 0);
  ASSERT_TRUE(platform::SetAttributes(path, 0));
  EXPECT_EQ(platform::GetAttributes(path) & platform::faReadOnly, 0);
  ASSERT_TRUE(platform::SetAttributes(path, platform::faArchive));  // already so
  EXPECT_EQ(platform::GetAttributes(path) & platform::faReadOnly, 0);
  EXPECT_FALSE(platform::SetAttributes(dir / "missing", 0));
  EXPECT_NE(platform::GetAttributes(dir.Path()) & platform::faDirectory, 0);
  EXPECT_EQ(platform::GetAttributes(dir / "missing"), -1);
}

TEST(PlatformFiles, LastWriteTimeAsDayCount) {
  TestFolder dir;
  const std::string path = dir / "d.txt";
  ASSERT_TRUE(testutil::WriteAll(path, {1}));
  const double now = platform::GetFileDate(path);
  EXPECT_GT(now, 45000.0);  // after 2023
  const double date = 35838.4270833333;
  ASSERT_TRUE(platform::SetFileDate(path, date));
  EXPECT_NEAR(platform::GetFileDate(path), date, 1.0 / 86400000.0);
  EXPECT_FALSE(platform::SetFileDate(path, std::nan("")));
  EXPECT_EQ(platform::GetFileDate(dir / "missing"), 0.0);
}

TEST(PlatformSystem, TempFolderTicksAndDisks) {
  const std::string temp = platform::TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(temp.back() == '/' || temp.back() == '\\');
  EXPECT_TRUE(platform::FolderExists(temp));
  const uint32_t a = platform::TickCount();
  const uint32_t b = platform::TickCount();
  EXPECT_LE(uint32_t(b - a), 1000u);
#ifdef _WIN32
  // The temporary folder has a drive letter on Windows.
  EXPECT_GT(platform::DriveFreeSpace(temp), 0);
  EXPECT_NE(platform::GetDriveType(temp), platform::DriveType::Unknown);
  EXPECT_EQ(platform::GetDriveType("relative\\path"), platform::DriveType::Unknown);
#else
  EXPECT_GT(platform::DriveFreeSpace(temp + "not-yet-there.bin"), 0);
  EXPECT_EQ(platform::GetDriveType(temp), platform::DriveType::Fixed);
#endif
  EXPECT_EQ(platform::AnsiToUtf8(platform::Utf8ToAnsi("Song 1.mp3")), "Song 1.mp3");
}

// Small blocks and blocks of huge-page size both hold what is written to their last byte.
TEST(PlatformMemory, LargeBlocksAreWholeAndAligned) {
  for (const size_t bytes : {size_t{100}, size_t{5} << 20}) {
    auto* block = static_cast<uint8_t*>(platform::AllocateLarge(bytes));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    block[0] = 1;
    block[bytes - 1] = 2;
    EXPECT_EQ(block[0] + block[bytes - 1], 3);
    platform::FreeLarge(block, bytes);
  }
}

#ifdef _WIN32
TEST(PlatformText, Utf8AndAnsiToAndFromUtf16) {
  const std::string utf8 = "s\xC3\xBC\xE2\x82\xAC\xF0\x9F\x8E\xB5";  // u-umlaut, euro, a note
  const std::wstring wide = platform::Widen(utf8);
  EXPECT_EQ(wide, L"s\u00FC\u20AC\U0001F3B5");
  EXPECT_EQ(platform::Narrow(wide), utf8);
  EXPECT_EQ(platform::Widen(""), L"");
  EXPECT_EQ(platform::AnsiToWide("Song 1"), L"Song 1");
  EXPECT_EQ(platform::WideToAnsi(L"Song 1"), "Song 1");
  std::string ansi;
  EXPECT_TRUE(platform::WideToAnsiExactly(L"Song 1", ansi));
  EXPECT_EQ(ansi, "Song 1");
  // No code page has a note: it has no exact form, and no best fit is made for it.
  EXPECT_FALSE(platform::WideToAnsiExactly(L"Song \U0001F3B5", ansi));
  EXPECT_EQ(ansi.substr(0, 5), "Song ");
}
#endif

#ifndef _WIN32
TEST(PlatformSystem, LanguageFromTheLocaleVariables) {
  struct Case {
    const char* value;
    int id;
  } cases[] = {{"de_DE.UTF-8", 0x07}, {"fr_FR", 0x0C}, {"zh_CN.GB2312", 0x04},
               {"pt_BR", 0x16},       {"es", 0x0A},    {"ru_RU", 0x19},
               {"it_IT@euro", 0x10},  {"C", 0},        {"POSIX", 0},
               {"en_GB", 0x09},       {"xx_YY", 0}};
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  for (const Case& c : cases) {
    setenv("LC_ALL", c.value, 1);
    EXPECT_EQ(platform::UserDefaultPrimaryLangId(), c.id) << c.value;
  }
  if (saved)
    setenv("LC_ALL", keep.c_str(), 1);
  else
    unsetenv("LC_ALL");
}
#endif

}  // namespace
