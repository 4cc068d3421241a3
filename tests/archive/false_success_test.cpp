// Archives that must not pass for intact: a file whose last part ends before its Size,
// a folder entry that holds data, a damaged archive that would be appended to, and links
// in the target folder that extraction would write through.
#include <gtest/gtest.h>

#include "ArchiveBuilder.h"
#include "TestFolder.h"
#include "archive/Archiver.h"

namespace {

using namespace archive;
using testutil::HandEntry;
using testutil::ReadAll;
using testutil::TestFolder;
using testutil::WriteAll;

const std::string kDelim(1, platform::kPathDelim);

const std::vector<uint8_t> kIntact = {'i', 'n', 't', 'a', 'c', 't'};

// Tests, then extracts `archivePath` into `target` with eaContinue; returns the
// messages of the files that failed, as "name: message", from both runs.
std::vector<std::string> TestAndExtract(const std::string& archivePath, const std::string& target) {
  std::vector<std::string> failures;
  TExtractor x;
  x.SetLanguage(lgEnglish);
  x.SetErrorAction(eaContinue);
  x.SetRestoreAction(raOverwrite);
  x.OnError = [&](const std::exception& e, const TFileEntry& entry, TErrorAction&) {
    failures.push_back(entry.Name + ": " + e.what());
  };
  x.SetFileName(archivePath);
  EXPECT_EQ(x.TestFiles(), 1);
  x.SetExtractPath(target);
  x.ExtractFiles();
  return failures;
}

TEST(FalseSuccess, ALastPartEndingBeforeTheSizeIsDamage) {
  TestFolder dir;
  HandEntry shortFile{"short.bin", testutil::MixedData(3000, 1)};
  shortFile.size = 3100;  // last part flag set, 100 bytes never stored
  WriteAll(dir / "s.arc", testutil::BuildArchive({shortFile, {"intact.txt", kIntact}}));
  const std::string damaged =
      "short.bin: Archive \"" + (dir / "s.arc") + "\" is damaged: impossible lengths or offsets";
  EXPECT_EQ(TestAndExtract(dir / "s.arc", dir / "out"),
            (std::vector<std::string>{damaged, damaged}));
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "intact.txt"), kIntact);
}

TEST(FalseSuccess, AFolderEntryHoldingDataIsDamage) {
  TestFolder dir;
  HandEntry folder{"sub\\.", testutil::MixedData(2000, 2)};
  folder.flags = efEmptyFolder | efLastPart;
  WriteAll(dir / "f.arc", testutil::BuildArchive({folder, {"intact.txt", kIntact}}));
  const std::string damaged =
      "sub\\.: Archive \"" + (dir / "f.arc") + "\" is damaged: impossible lengths or offsets";
  EXPECT_EQ(TestAndExtract(dir / "f.arc", dir / "out"),
            (std::vector<std::string>{damaged, damaged}));
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "intact.txt"), kIntact);
  // A true folder entry (no data) is still an empty folder.
  HandEntry empty{"empty\\.", {}};
  empty.flags = efEmptyFolder | efLastPart;
  WriteAll(dir / "e.arc", testutil::BuildArchive({empty}));
  TExtractor x;
  x.SetLanguage(lgEnglish);
  x.SetErrorAction(eaAbort);
  x.SetFileName(dir / "e.arc");
  EXPECT_EQ(x.TestFiles(), 0);
  x.SetExtractPath(dir / "out2");
  x.ExtractFiles();
  EXPECT_TRUE(platform::FolderExists(dir / "out2" + kDelim + "empty"));
}

void PutInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(uint32_t(value) >> (8 * i));
}

TEST(FalseSuccess, NothingIsAppendedToADamagedArchive) {
  TestFolder dir;
  WriteAll(dir / "song.mp3", testutil::MixedData(5000, 3));
  const std::vector<uint8_t> good =
      testutil::BuildArchive({{"kelvaro.dll", testutil::MixedData(9000, 4)}, {"b.txt", kIntact}});
  const size_t tail = 273 + 4 + 11;  // behind the first entry's name
  const int32_t blockLength = int32_t(good[tail + 45 - 4] | good[tail + 45 - 3] << 8);
  struct Damage {
    const char* what;
    size_t at;
    int32_t value;
  };
  // 1000 bytes of code in front, as in a player's output.
  auto behindCode = [&good] {
    std::vector<uint8_t> bytes(1000 + good.size(), 0x90);
    std::copy(good.begin(), good.end(), bytes.begin() + 1000);
    return bytes;
  };
  const Damage damages[] = {
      {"DataEnd inside the second entry", 16, int32_t(good.size() - 3)},
      {"a part shorter than its block", tail + 37, 20},
      {"a block longer than its part", tail + 41, blockLength + 9},
      {"a name length past DataEnd", 273, 70000},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> bytes = behindCode();
    PutInt32(bytes, 1000 + d.at, d.value);
    WriteAll(dir / "out.exe", bytes);
    TArchiver a;
    a.SetLanguage(lgEnglish);
    a.SetErrorAction(eaContinue);
    a.SetSegment1Offset(1000);
    a.SetFileName(dir / "out.exe");
    try {
      a.AddFile(dir / "song.mp3");
      ADD_FAILURE() << d.what << ": appended";
    } catch (const EArchiverDamaged& e) {
      EXPECT_EQ(e.Message(),
                "Archive \"" + (dir / "out.exe") + "\" is damaged: impossible lengths or offsets")
          << d.what;
    }
    a.Close();
    EXPECT_EQ(ReadAll(dir / "out.exe"), bytes) << d.what;
  }
  // The intact archive takes the song.
  WriteAll(dir / "out.exe", behindCode());
  TArchiver a;
  a.SetLanguage(lgEnglish);
  a.SetErrorAction(eaAbort);
  a.SetSegment1Offset(1000);
  a.SetFileName(dir / "out.exe");
  EXPECT_TRUE(a.AddFile(dir / "song.mp3"));
  a.List();
  EXPECT_EQ(a.FileList().size(), 3u);
}

}  // namespace

#ifndef _WIN32
#include <unistd.h>

namespace {

TEST(FalseSuccess, ExtractionNeverWritesThroughALink) {
  TestFolder dir;
  const std::string target = dir / "target", outside = dir / "outside";
  platform::CreateFolders(target);
  platform::CreateFolders(outside);
  const std::vector<uint8_t> precious = {'k', 'e', 'e', 'p'};
  WriteAll(outside + kDelim + "precious.txt", precious);
  // A link to a file, a dangling link, and a link to a folder, all under the target.
  ASSERT_EQ(
      symlink((outside + kDelim + "precious.txt").c_str(), (target + kDelim + "a.txt").c_str()), 0);
  ASSERT_EQ(symlink((outside + kDelim + "new.txt").c_str(), (target + kDelim + "b.txt").c_str()),
            0);
  ASSERT_EQ(symlink(outside.c_str(), (target + kDelim + "sub").c_str()), 0);
  WriteAll(dir / "l.arc", testutil::BuildArchive({{"a.txt", {'A'}},
                                                  {"b.txt", {'B'}},
                                                  {"sub\\c.txt", {'C'}},
                                                  {"sub\\deeper\\d.txt", {'D'}},
                                                  {"e.txt", {'E'}}}));
  TExtractor x;
  x.SetLanguage(lgEnglish);
  x.SetErrorAction(eaContinue);
  x.SetRestoreAction(raOverwrite);
  std::vector<std::string> failures;
  x.OnError = [&](const std::exception& e, const TFileEntry& entry, TErrorAction&) {
    failures.push_back(entry.Name + ": " + e.what());
  };
  x.SetFileName(dir / "l.arc");
  x.SetExtractPath(target);
  x.ExtractFiles();
  // Nothing changed outside; the links in the files' places became the files.
  EXPECT_EQ(ReadAll(outside + kDelim + "precious.txt"), precious);
  EXPECT_EQ(platform::ListFolder(outside).size(), 1u);
  EXPECT_FALSE(platform::IsLink(target + kDelim + "a.txt"));
  EXPECT_EQ(ReadAll(target + kDelim + "a.txt"), std::vector<uint8_t>{'A'});
  EXPECT_FALSE(platform::IsLink(target + kDelim + "b.txt"));
  EXPECT_EQ(ReadAll(target + kDelim + "b.txt"), std::vector<uint8_t>{'B'});
  EXPECT_EQ(ReadAll(target + kDelim + "e.txt"), std::vector<uint8_t>{'E'});
  // The folder link is not used: its files fail with the component's message.
  EXPECT_EQ(failures, (std::vector<std::string>{"sub\\c.txt: Can not create directory",
                                                "sub\\deeper\\d.txt: Can not create directory"}));
  EXPECT_TRUE(platform::IsLink(target + kDelim + "sub"));
}

}  // namespace
#endif
