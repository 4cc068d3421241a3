// What the reader says about archives it cannot use: an incomplete file, impossible
// lengths, a damaged segment and an empty key each get the message table's text for
// what happened, never the bad-CRC text of a block whose data changed.
#include <gtest/gtest.h>

#include "ArchiveBuilder.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "archive/Archiver.h"
#include "archive/FormatText.h"
#include "archive/Paths.h"

namespace {

using namespace archive;
using testutil::ReadAll;
using testutil::TestFolder;
using testutil::WriteAll;

const std::string kBadCRC = "Bad CRC: data stored in the archive is corrupted";

void PutInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(uint32_t(value) >> (8 * i));
}

// The message of what TestFiles() raises for the archive `bytes` (empty: nothing raised).
std::string TestMessage(const std::string& path, const std::vector<uint8_t>& bytes,
                        TLanguage language = lgEnglish) {
  WriteAll(path, bytes);
  TExtractor x;
  x.SetLanguage(language);
  x.SetErrorAction(eaAbort);
  x.SetFileName(path);
  try {
    x.TestFiles();
  } catch (const EArchiverDamaged& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return std::string("other: ") + e.what();
  }
  return std::string();
}

// Two entries of 3000 and 5 bytes, each one block; the first entry at 273.
std::vector<uint8_t> SmallArchive() {
  return testutil::BuildArchive(
      {{"first.bin", testutil::MixedData(3000, 1)}, {"second.txt", {'o', 'k', '!', '!', '\n'}}});
}

TEST(DamagedArchive, AnIncompleteFileIsReportedAsIncomplete) {
  TestFolder dir;
  const std::string path = dir / "cut.arc";
  const std::string incomplete = "Archive \"" + path + "\" is incomplete: the file ends too early";
  const std::vector<uint8_t> good = SmallArchive();
  // Cut anywhere behind the signature: inside the header, an entry or a block.
  for (size_t cut : {size_t(4), size_t(100), size_t(272), size_t(273), size_t(300), good.size() / 2,
                     good.size() - 1}) {
    const std::vector<uint8_t> bytes(good.begin(), good.begin() + long(cut));
    EXPECT_EQ(TestMessage(path, bytes), incomplete) << cut;
  }
  // DataEnd past the end of the file.
  std::vector<uint8_t> bytes = good;
  PutInt32(bytes, 16, int32_t(good.size() + 1));
  EXPECT_EQ(TestMessage(path, bytes), incomplete);
  // Fewer bytes than a signature: no archive at all.
  EXPECT_EQ(TestMessage(path, {0x38, 0x12}),
            "other: Bad signature: file \"" + path + "\" is not a valid archive");
}

TEST(DamagedArchive, ImpossibleLengthsAreReportedAsDamage) {
  TestFolder dir;
  const std::string path = dir / "bad.arc";
  const std::string damaged = "Archive \"" + path + "\" is damaged: impossible lengths or offsets";
  const std::vector<uint8_t> good = SmallArchive();
  const size_t entry = 273, nameLength = 9;  // "first.bin"
  const size_t tail = entry + 4 + nameLength;
  const size_t block = entry + 45 + nameLength;
  struct Change {
    const char* what;
    size_t at;
    int32_t value;
  };
  const Change changes[] = {
      {"block size 0", 12, 0},
      {"block size above 16 MiB", 12, 16 * 1024 * 1024 + 1},
      {"segment 0", 20, 0},
      {"DataEnd inside the header", 16, 200},
      {"DataEnd inside an entry", 16, int32_t(entry + 20)},
      {"negative comment length", 269, -5},
      {"negative name length", entry, -1},
      {"name longer than the data", entry, 100000},
      {"PartCompressedSize past DataEnd", tail + 37, int32_t(good.size())},
      {"PartSize above Size", tail + 33, 3001},
      {"negative Size", tail + 25, -3000},
      {"block longer than its part", block, 5000},
  };
  for (const Change& c : changes) {
    std::vector<uint8_t> bytes = good;
    PutInt32(bytes, c.at, c.value);
    EXPECT_EQ(TestMessage(path, bytes), damaged) << c.what;
  }
  // A stored block longer than the buffer of BlockSize + 1 %, its part and the file
  // long enough to hold it.
  std::vector<uint8_t> big = testutil::BuildArchive({{"first.bin", testutil::MixedData(3000, 1)}});
  const int32_t stored = 262144 + 262144 / 100 + 1;
  big.resize(block + 8 + size_t(stored), 0);
  PutInt32(big, block, -stored);
  PutInt32(big, tail + 37, 8 + stored);
  PutInt32(big, 16, int32_t(big.size()));
  EXPECT_EQ(TestMessage(path, big), damaged);
  // A changed byte of block data is what the bad-CRC text is for.
  std::vector<uint8_t> bytes = good;
  bytes[block + 8 + 10] ^= 0x40;
  EXPECT_EQ(TestMessage(path, bytes), "other: " + kBadCRC);
}

TEST(DamagedArchive, TheTextFollowsTheChosenLanguage) {
  TestFolder dir;
  const std::string path = dir / "cut.arc";
  const std::vector<uint8_t> good = SmallArchive();
  const std::vector<uint8_t> cut(good.begin(), good.begin() + 400);
  for (TLanguage language : {lgGerman, lgRussian, lgChinese}) {
    TExtrMessages m;
    FillMessages(language, m);
    EXPECT_EQ(TestMessage(path, cut, language), FormatText(m.TruncatedArchive, {path}));
    std::vector<uint8_t> bytes = good;
    PutInt32(bytes, 273, -1);
    EXPECT_EQ(TestMessage(path, bytes, language), FormatText(m.DamagedArchive, {path}));
  }
}

// A segmented archive "Song.exe" of several segments in `dir`.
int MakeSegmented(const TestFolder& dir) {
  WriteAll(dir / "song.mp3", testutil::MixedData(40000, 9));
  TArchiver a;
  a.SetLanguage(lgEnglish);
  a.SetErrorAction(eaAbort);
  a.SetBlockSize(1024);
  a.SetMaxSegmentSize(3 * 1024);
  a.SetCompressionLevel(clNone);
  a.SetFileName(dir / "Song.exe");
  a.AddFile(dir / "song.mp3");
  a.Close();
  int segments = 1;
  while (platform::FileExists(SegmentFileName(dir / "Song.exe", segments + 1))) ++segments;
  return segments;
}

TEST(DamagedArchive, AnIncompleteSegmentIsNamedAndNotAskedFor) {
  TestFolder dir;
  ASSERT_GT(MakeSegmented(dir), 4);
  const std::string third = dir / "Song-003.mmm";
  const std::vector<uint8_t> whole = ReadAll(third);
  for (size_t cut : {size_t(100), size_t(273), whole.size() - 10}) {
    WriteAll(third, std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)));
    testutil::ScriptedPrompts prompts;
    int locates = 0;
    TExtractor x;
    x.SetLanguage(lgEnglish);
    x.SetErrorAction(eaAbort);
    x.SetRestoreAction(raOverwrite);
    x.SetPrompts(&prompts);
    x.OnLocateSegment = [&](int, std::string&) { return ++locates < 3; };
    x.SetFileName(dir / "Song.exe");
    x.SetExtractPath(dir / "out");
    try {
      x.ExtractFiles();
      FAIL() << cut;
    } catch (const EArchiverDamaged& e) {
      EXPECT_EQ(e.Message(), "Archive \"" + third + "\" is incomplete: the file ends too early");
    }
    EXPECT_EQ(locates, 0) << cut;
    EXPECT_EQ(prompts.asked, std::vector<std::string>()) << cut;
  }
}

TEST(DamagedArchive, ALocatedSegmentThatIsDamagedIsSaidToBe) {
  TestFolder dir;
  const int segments = MakeSegmented(dir);
  ASSERT_GT(segments, 4);
  // Segment 3 and those behind it were moved to another folder; a cut copy of
  // segment 3 lies in a third one.
  const std::string delim(1, platform::kPathDelim);
  const std::string moved = dir / "moved", broken = dir / "broken";
  platform::CreateFolders(moved);
  platform::CreateFolders(broken);
  const std::vector<uint8_t> third = ReadAll(dir / "Song-003.mmm");
  WriteAll(broken + delim + "Song-003.mmm", std::vector<uint8_t>(third.begin(), third.end() - 10));
  for (int k = 3; k <= segments; ++k) {
    const std::string name = ExtractFileName(SegmentFileName("Song.exe", k));
    WriteAll(moved + delim + name, ReadAll(dir / name));
    ASSERT_TRUE(platform::DeleteFile(dir / name));
  }
  testutil::ScriptedPrompts prompts;
  std::vector<std::string> replies = {broken + delim + "Song-003.mmm",
                                      moved + delim + "Song-003.mmm"};
  TExtractor x;
  x.SetLanguage(lgEnglish);
  x.SetErrorAction(eaAbort);
  x.SetRestoreAction(raOverwrite);
  x.SetPrompts(&prompts);
  x.OnLocateSegment = [&](int segment, std::string& path) {
    EXPECT_EQ(segment, 3);
    if (replies.empty()) return false;
    path = replies.front();
    replies.erase(replies.begin());
    return true;
  };
  x.SetFileName(dir / "Song.exe");
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dir / "out" + delim + "song.mp3"), testutil::MixedData(40000, 9));
  EXPECT_EQ(prompts.asked,
            std::vector<std::string>{"Archive \"" + broken + delim +
                                     "Song-003.mmm\" is incomplete: the file ends too early"});
}

TEST(DamagedArchive, AnEmptyDecryptKeyIsABadKey) {
  TestFolder dir;
  WriteAll(dir / "secret.txt", testutil::MixedData(5000, 3));
  {
    TArchiver a;
    a.SetLanguage(lgEnglish);
    a.SetErrorAction(eaAbort);
    a.SetOptions(a.Options().Include(oCrypt));
    a.OnEnterCryptKey = [](std::string& k) { k = "0123456789"; };
    a.SetFileName(dir / "k.arc");
    a.AddFile(dir / "secret.txt");
  }
  const std::string badKey = "The file could not be decrypted. You entered a bad key";
  // From the event and from the question box alike.
  for (bool byEvent : {true, false}) {
    testutil::ScriptedPrompts prompts;
    prompts.inputs = {""};
    TExtractor x;
    x.SetLanguage(lgEnglish);
    x.SetErrorAction(eaAbort);
    x.SetPrompts(&prompts);
    if (byEvent) x.OnRequestCryptKey = [](std::string& k) { k.clear(); };
    x.SetFileName(dir / "k.arc");
    try {
      x.TestFiles();
      FAIL() << byEvent;
    } catch (const EArchiverBadKey& e) {
      EXPECT_EQ(e.Message(), badKey) << byEvent;
    }
  }
}

}  // namespace
