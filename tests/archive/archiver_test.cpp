#include "archive/Archiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ArchiveBuilder.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "archive/Paths.h"

namespace {

using namespace archive;
using testutil::ReadAll;
using testutil::TestFolder;
using testutil::WriteAll;

const std::string kDelim(1, platform::kPathDelim);

// `count` bytes of executable-like code followed by `tail`.
std::vector<uint8_t> Prefixed(size_t count, uint8_t fill, const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> out(count + tail.size(), fill);
  std::copy(tail.begin(), tail.end(), out.begin() + long(count));
  return out;
}

struct SourceFile {
  std::string name;
  std::vector<uint8_t> data;
  double date = 0;
  bool readOnly = false;
};

// Writes the files into `folder` with distinct dates; returns their descriptions.
std::vector<SourceFile> MakeFiles(const std::string& folder, const std::vector<size_t>& sizes,
                                  uint32_t seed) {
  std::vector<SourceFile> files;
  platform::CreateFolders(folder);
  for (size_t i = 0; i < sizes.size(); ++i) {
    SourceFile f;
    f.name = "file" + std::to_string(i) + ".bin";
    f.data = testutil::MixedData(sizes[i], seed + uint32_t(i));
    f.date = 43000.5 + double(i) + 0.125;  // 2017, exact to the millisecond
    f.readOnly = i % 3 == 1;
    const std::string path = folder + kDelim + f.name;
    EXPECT_TRUE(WriteAll(path, f.data));
    EXPECT_TRUE(platform::SetFileDate(path, f.date));
    if (f.readOnly) platform::SetAttributes(path, platform::faReadOnly | platform::faArchive);
    files.push_back(std::move(f));
  }
  return files;
}

void ExpectRestored(const std::vector<SourceFile>& files, const std::string& folder) {
  for (const SourceFile& f : files) {
    const std::string path = folder + kDelim + f.name;
    const std::vector<uint8_t> back = ReadAll(path);
    EXPECT_EQ(back.size(), f.data.size()) << f.name;
    EXPECT_TRUE(back == f.data) << f.name;
    EXPECT_NEAR(platform::GetFileDate(path), f.date, 0.5 / 86400000.0) << f.name;
    EXPECT_EQ((platform::GetAttributes(path) & platform::faReadOnly) != 0, f.readOnly) << f.name;
  }
}

void Configure(TArchiverRoot& a) {
  a.SetLanguage(lgEnglish);
  a.SetErrorAction(eaAbort);
}

struct RoundTripCase {
  bool compress;
  bool encrypt;
  bool solid;
};

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, RestoresEveryByteDateAndAttribute) {
  const RoundTripCase c = GetParam();
  TestFolder dir;
  const int32_t bs = 4096;
  const std::vector<SourceFile> files =
      MakeFiles(dir / "src", {0, 1, bs - 1, bs, 2 * bs, 2 * bs + 1, 3 * 1024 * 1024 + 17}, 7);
  const std::string key = "correct horse battery";
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(bs);
    TOptions o = a.Options();
    if (!c.compress) o.Exclude(oCompress);
    if (c.encrypt) o.Include(oCrypt);
    if (c.solid) o.Include(oCreateSolidArchives);
    a.SetOptions(o);
    a.SetCompressionLevel(clMaximum);
    a.OnEnterCryptKey = [&](std::string& k) { k = key; };
    a.SetFileName(dir / "test.arc");
    for (const SourceFile& f : files) EXPECT_TRUE(a.AddFile(dir / "src" + kDelim + f.name));
    a.Close();
  }
  TExtractor x;
  Configure(x);
  x.OnRequestCryptKey = [&](std::string& k) { k = key; };
  x.SetFileName(dir / "test.arc");
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  ExpectRestored(files, dir / "out");
  x.List();
  ASSERT_EQ(x.FileList().size(), files.size());
  EXPECT_EQ(x.Header().Totals.FileCount, int32_t(files.size()));
  EXPECT_EQ((x.Header().ArchiveFlag & afCrypted) != 0, c.encrypt && !c.solid);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(x.FileList()[i].Name, files[i].name);
    EXPECT_EQ(x.FileList()[i].Size, int32_t(files[i].data.size()));
  }
  EXPECT_EQ(x.TestFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Archives, RoundTrip,
    ::testing::Values(RoundTripCase{true, false, false}, RoundTripCase{false, false, false},
                      RoundTripCase{true, true, false}, RoundTripCase{false, true, false},
                      RoundTripCase{true, false, true}, RoundTripCase{true, true, true}));

// One reader, two archives with different keys: the second key takes effect (the
// cipher is keyed again only when the key changes).
TEST(ArchiveReader, AReaderTakesEachArchivesOwnKey) {
  TestFolder dir;
  const std::vector<SourceFile> files = MakeFiles(dir / "src", {5000}, 3);
  for (const std::string key : {"first key 1", "second key 2"}) {
    TArchiver a;
    Configure(a);
    TOptions o = a.Options();
    o.Include(oCrypt);
    a.SetOptions(o);
    a.OnEnterCryptKey = [&](std::string& k) { k = key; };
    a.SetFileName(dir / (key + ".arc"));
    EXPECT_TRUE(a.AddFile(dir / "src" + kDelim + files[0].name));
    a.Close();
  }
  TExtractor x;
  Configure(x);
  for (const std::string key : {"first key 1", "second key 2", "first key 1"}) {
    x.OnRequestCryptKey = [&](std::string& k) { k = key; };
    x.SetFileName(dir / (key + ".arc"));
    x.SetExtractPath(dir / "out");
    EXPECT_EQ(x.TestFiles(), 0) << key;
    x.Close();
  }
}

// Walks the blocks of the first entry of a single-segment archive file.
std::vector<int32_t> BlockLengths(const std::vector<uint8_t>& a, size_t entryAt) {
  auto u32 = [&](size_t at) {
    return int32_t(uint32_t(a[at]) | uint32_t(a[at + 1]) << 8 | uint32_t(a[at + 2]) << 16 |
                   uint32_t(a[at + 3]) << 24);
  };
  const size_t n = size_t(u32(entryAt));
  const int32_t partCompressed = u32(entryAt + 41 + n);
  std::vector<int32_t> lengths;
  size_t at = entryAt + 45 + n;
  for (int32_t used = 0; used < partCompressed;) {
    const int32_t l = u32(at);
    lengths.push_back(l);
    const int32_t stored = l < 0 ? -l : l;
    used += 8 + stored;
    at += 8 + size_t(stored);
  }
  return lengths;
}

TEST(ArchiveWriter, BlocksFollowBlockSizeAndStoreRules) {
  TestFolder dir;
  const int32_t bs = 1024;
  WriteAll(dir / "text.txt", std::vector<uint8_t>(2 * bs + 1, 'a'));
  const std::vector<uint8_t> noise = testutil::MixedData(1, 1);
  std::vector<uint8_t> random(2 * bs);
  for (size_t i = 0; i < random.size(); ++i) random[i] = uint8_t((i * 2654435761u) >> 13);
  WriteAll(dir / "random.bin", random);
  WriteAll(dir / "empty.bin", {});
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(bs);
    a.SetFileName(dir / "c.arc");
    a.AddFile(dir / "text.txt");
    a.AddFile(dir / "empty.bin");
    a.Close();
  }
  std::vector<uint8_t> bytes = ReadAll(dir / "c.arc");
  const std::vector<int32_t> lengths = BlockLengths(bytes, 273);
  ASSERT_EQ(lengths.size(), 3u);  // 2 x BlockSize + 1 gives a third block
  EXPECT_GT(lengths[0], 0);
  // The third block holds one source byte: a zlib stream of it is longer, so it is stored.
  EXPECT_EQ(lengths[2] < 0 ? -lengths[2] : 1000, 1);

  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(bs);
    TOptions o = a.Options();
    a.SetOptions(o.Exclude(oCompress));
    a.SetFileName(dir / "s.arc");
    a.AddFile(dir / "text.txt");
    a.Close();
  }
  bytes = ReadAll(dir / "s.arc");
  EXPECT_EQ(BlockLengths(bytes, 273), (std::vector<int32_t>{-bs, -bs, -1}));
}

TEST(ArchiveWriter, EmptyFileIsAnEntryWithoutBlocks) {
  TestFolder dir;
  WriteAll(dir / "empty.bin", {});
  TArchiver a;
  Configure(a);
  a.SetFileName(dir / "e.arc");
  ASSERT_TRUE(a.AddFile(dir / "empty.bin"));
  EXPECT_FALSE(a.AddFile(dir / "missing.bin"));
  a.List();
  ASSERT_EQ(a.FileList().size(), 1u);
  EXPECT_EQ(a.FileList()[0].FileFlag, efFile | efLastPart);
  EXPECT_EQ(a.FileList()[0].Size, 0);
  EXPECT_EQ(a.FileList()[0].CompressedSize, 0);
  EXPECT_EQ(a.Header().DataEnd, 273 + 45 + 9);
}

TEST(ArchiveWriter, MaxSegmentSizeMustHoldThreeBlocks) {
  TArchiver a;
  Configure(a);
  a.SetBlockSize(65536);
  EXPECT_EQ(a.BlockSize(), 65536);
  a.SetBlockSize(1000);  // ignored
  EXPECT_EQ(a.BlockSize(), 65536);
  try {
    a.SetMaxSegmentSize(191 * 1024);
    FAIL() << "no exception";
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "Maximum size of a Segment is too small (property MaxSegmentSize)");
  }
  EXPECT_EQ(a.MaxSegmentSize(), 0);
  a.SetMaxSegmentSize(3 * 65536);
  EXPECT_EQ(a.MaxSegmentSize(), 3 * 65536);
  a.SetMaxSegmentSize(0);
  EXPECT_EQ(a.MaxSegmentSize(), 0);
}

TEST(ArchiveWriter, DefaultsAreThoseOfTheComponent) {
  TArchiver a;
  EXPECT_EQ(a.Options().Bits(), 27025u);
  EXPECT_TRUE(a.Options().Has(oCompress));
  EXPECT_TRUE(a.Options().Has(oRestorePath));
  EXPECT_FALSE(a.Options().Has(oCrypt));
  EXPECT_EQ(a.BlockSize(), 65536);
  EXPECT_EQ(a.ErrorAction(), eaAsk);
  EXPECT_EQ(a.RestoreAction(), raAsk);
  EXPECT_EQ(a.CompressionLevel(), clNormal);
  EXPECT_EQ(a.PathStorage(), psRelative);
  EXPECT_EQ(a.MinFreeSpace(), 1048576);
  EXPECT_EQ(a.Filter(), "*.*");
}

class Segmented : public ::testing::TestWithParam<std::string> {};

TEST_P(Segmented, SplitsAndRestores) {
  TestFolder dir;
  const int32_t bs = 1024;
  const std::vector<SourceFile> files = MakeFiles(dir / "src", {50000, 3, 0, 30000, 9000}, 3);
  const std::string name = GetParam();
  int segmentChanges = 0;
  testutil::ScriptedPrompts prompts;  // nothing may be asked
  {
    TArchiver a;
    Configure(a);
    a.SetPrompts(&prompts);
    a.SetBlockSize(bs);
    a.SetMaxSegmentSize(3 * bs);
    a.OnSegmentChanged = [&] { ++segmentChanges; };
    a.SetFileName(dir / name);
    for (const SourceFile& f : files) a.AddFile(dir / "src" + kDelim + f.name);
    a.Close();
  }
  EXPECT_EQ(prompts.asked, std::vector<std::string>());
  const std::string base = SegmentBaseName(name);
  int segments = 1;
  while (platform::FileExists(SegmentFileName(dir / name, segments + 1))) ++segments;
  EXPECT_GT(segments, 10);
  EXPECT_GE(segmentChanges, segments - 1);
  EXPECT_TRUE(platform::FileExists(dir / (base + "-002.mmm")));
  EXPECT_TRUE(platform::FileExists(dir / (base + "-010.mmm")));
  for (int k = 1; k <= segments; ++k)
    EXPECT_LE(platform::FileSize(SegmentFileName(dir / name, k)), 3 * bs + 273 + 60) << k;

  // Segment 1 ends up with the totals of the whole archive.
  TExtractor x;
  Configure(x);
  x.SetPrompts(&prompts);
  x.SetFileName(dir / name);
  x.Open();
  EXPECT_EQ(prompts.asked, std::vector<std::string>());
  EXPECT_EQ(x.CurrentSegment(), 1);
  EXPECT_EQ(x.Header().Totals.FileCount, int32_t(files.size()));
  EXPECT_EQ(x.Header().Totals.Size, 50000.0 + 3 + 30000 + 9000);
  EXPECT_GT(x.Header().Totals.CompressedSize, x.Header().SegmentTotals.CompressedSize);
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  ExpectRestored(files, dir / "out");
  x.List();
  EXPECT_EQ(x.FileList().size(), files.size());
  EXPECT_EQ(x.TestFiles(), 0);

  // Opened on a later segment, the reader finds the rest by name.
  TExtractor y;
  Configure(y);
  y.SetFileName(SegmentFileName(dir / name, 2));
  y.SetExtractPath(dir / "out2");
  y.ExtractFiles();
  ExpectRestored(files, dir / "out2");
}

INSTANTIATE_TEST_SUITE_P(Names, Segmented, ::testing::Values("Song.exe", "Mix-7.dat"));

TEST(ArchiveReader, MissingSegmentWithoutPromptsAbortsSilently) {
  TestFolder dir;
  MakeFiles(dir / "src", {40000}, 5);
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(1024);
    a.SetMaxSegmentSize(3 * 1024);
    a.SetFileName(dir / "Song.exe");
    a.AddFile(dir / "src" + kDelim + "file0.bin");
  }
  ASSERT_TRUE(platform::DeleteFile(dir / "Song-002.mmm"));
  TExtractor x;
  Configure(x);
  x.SetFileName(dir / "Song.exe");
  x.SetExtractPath(dir / "out");
  x.SetRestoreAction(raOverwrite);
  EXPECT_THROW(x.ExtractFiles(), EAbort);
  // A locating event that keeps giving a wrong file ends with the component's message.
  x.OnLocateSegment = [&](int, std::string& path) {
    path = dir / "Song-003.mmm";
    return true;
  };
  try {
    x.ExtractFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "This was not the segment #2 of Archive Song !");
  }
}

TEST(StartOffset, FoundInExeFilesOnlyInItsExecutableCodeForm) {
  TestFolder dir;
  const std::vector<SourceFile> files = MakeFiles(dir / "src", {20000, 5}, 11);
  {
    TArchiver a;
    Configure(a);
    a.SetFileName(dir / "plain.arc");
    for (const SourceFile& f : files) a.AddFile(dir / "src" + kDelim + f.name);
  }
  const std::vector<uint8_t> exe = Prefixed(423424, 0xCC, ReadAll(dir / "plain.arc"));
  for (const std::string name : {"x.EXE", "x.exe", "x.Exe", "x.dat"}) WriteAll(dir / name, exe);

  int k = 0;
  for (const std::string name : {"x.EXE", "x.exe", "x.Exe"}) {
    TExtractor x;
    Configure(x);
    x.SetExecutableCodeSize(423424);
    x.SetFileName(dir / name);
    x.SetExtractPath(dir / ("out" + std::to_string(++k)));
    x.ExtractFiles();
    ExpectRestored(files, dir / ("out" + std::to_string(k)));
  }
  {
    TExtractor x;
    Configure(x);
    x.SetExecutableCodeSize(423424);
    x.SetFileName(dir / "x.dat");
    x.SetExtractPath(dir / "outdat");
    try {
      x.ExtractFiles();
      FAIL();
    } catch (const EArchiver& e) {
      EXPECT_EQ(std::string(e.what()),
                "Bad signature: file \"" + (dir / "x.dat") + "\" is not a valid archive");
    }
    EXPECT_FALSE(x.IsOpen());
  }
  for (const std::string name : {"x.EXE", "x.exe", "x.Exe", "x.dat"}) {
    TExtractor x;
    Configure(x);
    x.SetSegment1Offset(423424);
    x.SetFileName(dir / name);
    x.List();
    EXPECT_EQ(x.FileList().size(), 2u) << name;
  }
}

TEST(StartOffset, AddingAppendsBehindTheExistingArchive) {
  TestFolder dir;
  const std::vector<SourceFile> files = MakeFiles(dir / "src", {70000, 1234}, 21);
  {
    TArchiver a;
    Configure(a);
    a.SetFileName(dir / "decoder.arc");
    a.AddFile(dir / "src" + kDelim + files[0].name);
  }
  const std::vector<uint8_t> decoder = ReadAll(dir / "decoder.arc");
  const std::vector<uint8_t> exe = Prefixed(423424, 0x90, decoder);
  WriteAll(dir / "Out.exe", exe);
  {
    TArchiver a;
    Configure(a);
    a.SetExecutableCodeSize(423424);
    a.SetFileName(dir / "Out.exe");
    EXPECT_TRUE(a.AddFile(dir / "src" + kDelim + files[1].name));
    a.Close();
  }
  const std::vector<uint8_t> out = ReadAll(dir / "Out.exe");
  // Player bytes and the first entry with its blocks are untouched.
  ASSERT_GT(out.size(), exe.size());
  EXPECT_TRUE(std::equal(exe.begin() + 423424 + 273, exe.end(), out.begin() + 423424 + 273));
  EXPECT_TRUE(std::equal(exe.begin(), exe.begin() + 423424, out.begin()));
  const size_t second = 423424 + decoder.size();
  EXPECT_EQ(out[second], files[1].name.size());
  EXPECT_EQ(std::string(out.begin() + long(second) + 4, out.begin() + long(second) + 13),
            "file1.bin");

  TExtractor x;
  Configure(x);
  x.SetExecutableCodeSize(423424);
  x.SetFileName(dir / "Out.exe");
  x.List();
  EXPECT_EQ(x.Header().Totals.FileCount, 2);
  EXPECT_EQ(x.Header().SegmentTotals.FileCount, 2);
  EXPECT_EQ(x.Header().DataEnd, int32_t(out.size() - 423424));
  ASSERT_EQ(x.FileList().size(), 2u);
  EXPECT_EQ(x.FileList()[1].Offset, int32_t(decoder.size()));
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  ExpectRestored(files, dir / "out");
}

TEST(ArchiveReader, CorruptedBlockGivesBadCrcAndEaAskYesGoesOn) {
  TestFolder dir;
  const std::vector<SourceFile> files = MakeFiles(dir / "src", {10000, 20000, 30000}, 31);
  {
    TArchiver a;
    Configure(a);
    a.SetFileName(dir / "c.arc");
    for (const SourceFile& f : files) a.AddFile(dir / "src" + kDelim + f.name);
  }
  std::vector<uint8_t> bytes = ReadAll(dir / "c.arc");
  // The first file's block data begins after its 8-byte block header.
  const size_t firstBlockData = 273 + 45 + files[0].name.size() + 8;
  bytes[firstBlockData + 100] ^= 0x01;
  WriteAll(dir / "c.arc", bytes);

  {
    TExtractor x;
    Configure(x);
    x.SetFileName(dir / "c.arc");
    x.SetExtractPath(dir / "out1");
    try {
      x.ExtractFiles();
      FAIL();
    } catch (const EArchiverBadCRC& e) {
      EXPECT_STREQ(e.what(), "Bad CRC: data stored in the archive is corrupted");
    }
  }
  TExtractor x;
  Configure(x);
  testutil::ScriptedPrompts prompts;
  prompts.answers = {TPromptAnswer::Yes};
  x.SetPrompts(&prompts);
  x.SetErrorAction(eaAsk);
  std::vector<std::string> failed;
  x.OnError = [&](const std::exception& e, const TFileEntry& entry, TErrorAction&) {
    failed.push_back(entry.Name + ": " + e.what());
  };
  x.SetFileName(dir / "c.arc");
  x.SetExtractPath(dir / "out2");
  x.ExtractFiles();
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0], "file0.bin: Bad CRC: data stored in the archive is corrupted");
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_NE(prompts.asked[0].find("Do you want to continue ?"), std::string::npos);
  ExpectRestored({files[1], files[2]}, dir / "out2");
  // Without the question's answer (no prompts) the error travels on.
  TExtractor y;
  Configure(y);
  y.SetErrorAction(eaAsk);
  y.SetFileName(dir / "c.arc");
  EXPECT_THROW(y.TestFiles(), EArchiverBadCRC);
  // eaContinue: the test operation counts the damaged file.
  y.SetErrorAction(eaContinue);
  EXPECT_EQ(y.TestFiles(), 1);
}

TEST(ArchiveReader, WrongPasswordGivesBadKey) {
  TestFolder dir;
  MakeFiles(dir / "src", {5000}, 41);
  {
    TArchiver a;
    Configure(a);
    TOptions o = a.Options();
    a.SetOptions(o.Include(oCrypt));
    a.OnEnterCryptKey = [](std::string& k) { k = "0123456789"; };
    a.SetFileName(dir / "k.arc");
    a.AddFile(dir / "src" + kDelim + "file0.bin");
  }
  TExtractor x;
  Configure(x);
  x.OnRequestCryptKey = [](std::string& k) { k = "9876543210"; };
  x.SetFileName(dir / "k.arc");
  try {
    x.TestFiles();
    FAIL();
  } catch (const EArchiverBadKey& e) {
    EXPECT_STREQ(e.what(), "The file could not be decrypted. You entered a bad key");
  }
  TArchiver a;
  Configure(a);
  TOptions o = a.Options();
  a.SetOptions(o.Include(oCrypt));
  a.OnEnterCryptKey = [](std::string& k) { k = "short"; };
  a.SetFileName(dir / "short.arc");
  try {
    a.Open();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "The key is too short. It must contain 10 chars at least.");
  }
}

TEST(ArchiveReader, OverwriteRulesAndRefusedFiles) {
  TestFolder dir;
  const std::vector<SourceFile> files = MakeFiles(dir / "src", {3000, 4000}, 51);
  {
    TArchiver a;
    Configure(a);
    a.SetFileName(dir / "o.arc");
    for (const SourceFile& f : files) a.AddFile(dir / "src" + kDelim + f.name);
  }
  const std::string dest0 = dir / "out" + kDelim + "file0.bin";
  platform::CreateFolders(dir / "out");
  WriteAll(dest0, {1, 2, 3});
  platform::SetAttributes(dest0, platform::faReadOnly);

  TExtractor x;
  Configure(x);
  x.SetFileName(dir / "o.arc");
  x.SetExtractPath(dir / "out");
  x.SetRestoreAction(raSkip);
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dest0), (std::vector<uint8_t>{1, 2, 3}));

  // raAsk without prompts: Cancel, a silent abort.
  x.SetRestoreAction(raAsk);
  EXPECT_THROW(x.ExtractFiles(), EAbort);
  testutil::ScriptedPrompts prompts;
  prompts.answers = {TPromptAnswer::No, TPromptAnswer::No};
  x.SetPrompts(&prompts);
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dest0).size(), 3u);
  ASSERT_EQ(prompts.asked.size(), 2u);  // file0 and (now existing) file1
  EXPECT_NE(prompts.asked[0].find("Replace File :"), std::string::npos);
  EXPECT_NE(prompts.asked[0].find("With File :"), std::string::npos);

  // raOverwrite replaces a read-only destination.
  x.SetRestoreAction(raOverwrite);
  x.ExtractFiles();
  ExpectRestored(files, dir / "out");

  // A refused entry is skipped without reading its blocks.
  testutil::DeleteTree(dir / "out");
  x.OnExtractFile = [](const TFileEntry& e, std::string&, bool& accept) {
    accept = e.Name != "file0.bin";
  };
  int extracted = 0;
  x.OnFileExtracted = [&](const TFileEntry&, const std::string&) { ++extracted; };
  int uncompressCalls = 0;
  x.OnUncompressBlock = [&](uint8_t*, int32_t&, const uint8_t*, int32_t) {
    ++uncompressCalls;
    return false;
  };
  x.SetErrorAction(eaContinue);
  x.ExtractFiles();
  EXPECT_FALSE(platform::FileExists(dest0));
  EXPECT_EQ(uncompressCalls, 1);  // only file1's block was read
  EXPECT_EQ(extracted, 0);
}

TEST(ArchiveReader, StoredNamesNeverLeaveExtractPath) {
  TestFolder dir;
  const std::vector<uint8_t> data = {'e', 'v', 'i', 'l'};
  const std::vector<std::string> names = {"..\\..\\evil1.txt",
                                          "C:\\evil2.txt",
                                          "/tmp/evil3.txt",
                                          "a/../../evil4.txt",
                                          "\\\\srv\\share\\evil5.txt",
                                          "..",
                                          "sub\\..\\..\\x\\evil6.txt",
                                          "c:..\\evil7.txt"};
  std::vector<testutil::HandEntry> entries;
  for (const std::string& n : names) entries.push_back({n, data});
  WriteAll(dir / "evil.arc", testutil::BuildArchive(entries));
  platform::CreateFolders(dir / "deep" + kDelim + "target");
  for (bool restorePath : {true, false}) {
    TExtractor x;
    Configure(x);
    TOptions o = x.Options();
    x.SetOptions(restorePath ? o.Include(oRestorePath) : o.Exclude(oRestorePath));
    x.SetRestoreAction(raOverwrite);
    x.SetFileName(dir / "evil.arc");
    const std::string target = dir / "deep" + kDelim + "target";
    x.SetExtractPath(target);
    std::vector<std::string> written;
    x.OnFileExtracted = [&](const TFileEntry&, const std::string& path) {
      written.push_back(path);
    };
    x.ExtractFiles();
    EXPECT_EQ(written.size(), names.size());
    for (const std::string& path : written) {
      EXPECT_EQ(path.compare(0, target.size() + 1, target + kDelim), 0) << path;
      EXPECT_EQ(path.find(".." + kDelim), std::string::npos) << path;
      EXPECT_EQ(ReadAll(path), data) << path;
    }
  }
  EXPECT_TRUE(platform::ListFolder(dir / "deep").size() == 1);  // only "target"
  EXPECT_FALSE(platform::FileExists(dir / "evil1.txt"));
}

TEST(ArchiveReader, DeviceNamesAreExtractedAsOrdinaryFiles) {
  TestFolder dir;
  const std::vector<std::string> names = {
      "COM1",      "COM1.mp3", "sub\\com1.txt", "NUL.txt",
      "sub\\NUL",  "AUX",      "CON",           "PRN.txt",
      "LPT1",      "CONIN$",   "CONOUT$",       "com\xC2\xB9.mp3",
      "lpt3 .txt", "PRN . . ", "Aux.d\\in.txt", "COM0\\NUL.x\\lpt9.y"};
  std::vector<testutil::HandEntry> entries;
  for (size_t i = 0; i < names.size(); ++i)
    entries.push_back({names[i], {uint8_t('a' + i), uint8_t('0' + i % 10)}});
  WriteAll(dir / "dev.arc", testutil::BuildArchive(entries));
  const std::string target = dir / "target";
  TExtractor x;
  Configure(x);
  x.SetRestoreAction(raOverwrite);
  x.SetFileName(dir / "dev.arc");
  x.SetExtractPath(target);
  std::map<std::string, std::vector<uint8_t>> written;
  x.OnFileExtracted = [&](const TFileEntry&, const std::string& path) {
    written[path] = ReadAll(path);
  };
  x.ExtractFiles();
  // Every entry is a file of its own inside the target, no part of its path a device.
  ASSERT_EQ(written.size(), names.size());
  for (const auto& [path, data] : written) {
    ASSERT_EQ(path.compare(0, target.size() + 1, target + kDelim), 0) << path;
    std::string rest = path.substr(target.size() + 1);
    for (size_t at = 0; at <= rest.size();) {
      const size_t end = std::min(rest.find(platform::kPathDelim, at), rest.size());
      EXPECT_FALSE(IsReservedDeviceName(rest.substr(at, end - at))) << path;
      at = end + 1;
    }
    EXPECT_TRUE(platform::FileExists(path)) << path;
    EXPECT_EQ(data.size(), 2u) << path;
  }
  EXPECT_EQ(ReadAll(target + kDelim + "_COM1.mp3"), (std::vector<uint8_t>{'b', '1'}));
  EXPECT_EQ(ReadAll(target + kDelim + "sub" + kDelim + "_NUL"), (std::vector<uint8_t>{'e', '4'}));
  EXPECT_EQ(ReadAll(target + kDelim + "_COM0" + kDelim + "_NUL.x" + kDelim + "_lpt9.y"),
            (std::vector<uint8_t>{'p', '5'}));
}

TEST(ArchiveReader, DamagedArchivesEndInComponentMessages) {
  TestFolder dir;
  MakeFiles(dir / "src", {30000, 100, 0, 9000}, 61);
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(4096);
    a.SetFileName(dir / "good.arc");
    for (int i = 0; i < 4; ++i)
      a.AddFile(dir / "src" + kDelim + "file" + std::to_string(i) + ".bin");
  }
  const std::vector<uint8_t> good = ReadAll(dir / "good.arc");
  std::mt19937 rng(99);
  int failures = 0;
  auto attempt = [&](const std::vector<uint8_t>& bytes) {
    WriteAll(dir / "bad.arc", bytes);
    TExtractor x;
    Configure(x);
    x.SetRestoreAction(raOverwrite);
    x.SetFileName(dir / "bad.arc");
    x.SetExtractPath(dir / "out");
    try {
      x.ExtractFiles();
    } catch (const EArchiver&) {
      ++failures;
    } catch (const EAbort&) {  // asked for a segment that is not there: no prompts, cancelled
      ++failures;
    }
  };
  for (size_t cut : {size_t(0), size_t(10), size_t(272), size_t(273), size_t(300), good.size() / 2,
                     good.size() - 1})
    attempt(std::vector<uint8_t>(good.begin(), good.begin() + long(cut)));
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = good;
    const int flips = 1 + int(rng() % 4);
    for (int f = 0; f < flips; ++f) {
      const size_t at = rng() % bytes.size();
      bytes[at] = round % 2 ? uint8_t(rng()) : uint8_t(0xFF);
    }
    attempt(bytes);
  }
  EXPECT_GT(failures, 100);
  std::vector<uint8_t> garbage(5000);
  for (auto& b : garbage) b = uint8_t(rng());
  attempt(garbage);
}

TEST(ArchiveReader, ReaderNeedsPathAndCannotCreate) {
  TestFolder dir;
  TExtractor x;
  Configure(x);
  try {
    x.ExtractFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "I need a path for the extraction (property ExtractPath)");
  }
  x.SetExtractPath(dir / "out");
  try {
    x.ExtractFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "\"Archiver\" needs property \"FileName\"");
  }
  x.SetFileName(dir / "none.arc");
  try {
    x.ExtractFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "This component can not create an archive");
  }
  x.OnAcceptArchive = [](const TArchiveHeader&, bool& accept) { accept = false; };
  WriteAll(dir / "ok.arc", testutil::BuildArchive({}));
  x.SetFileName(dir / "ok.arc");
  try {
    x.Open();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "This archive can not be used");
  }
  EXPECT_FALSE(x.IsOpen());
}

TEST(ArchiveWriter, FoldersKeepRelativePathsAndEmptyFolders) {
  TestFolder dir;
  const std::string root = dir / "tree";
  platform::CreateFolders(root + kDelim + "a" + kDelim + "b");
  platform::CreateFolders(root + kDelim + "empty");
  WriteAll(root + kDelim + "top.txt", {'t'});
  WriteAll(root + kDelim + "a" + kDelim + "b" + kDelim + "deep.txt", {'d', 'e'});
  WriteAll(root + kDelim + "a" + kDelim + "skip.tmp", {'s'});
  {
    TArchiver a;
    Configure(a);
    a.SetFilter("*.txt");
    a.SetFileName(dir / "f.arc");
    EXPECT_EQ(a.AddFolder(root), 2);
  }
  TExtractor x;
  Configure(x);
  TOptions o = x.Options();
  x.SetOptions(o.Include(oShowEmptyFolders));
  x.SetFileName(dir / "f.arc");
  x.List();
  std::vector<std::string> names;
  for (const auto& e : x.FileList()) names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"a\\b\\deep.txt", "empty\\.", "top.txt"}));
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "a" + kDelim + "b" + kDelim + "deep.txt"),
            (std::vector<uint8_t>{'d', 'e'}));
  EXPECT_TRUE(platform::FolderExists(dir / "out" + kDelim + "empty"));
  EXPECT_FALSE(platform::FileExists(dir / "out" + kDelim + "a" + kDelim + "skip.tmp"));
}

TEST(ArchiveWriter, EventsProgressAndTempNames) {
  TestFolder dir;
  MakeFiles(dir / "src", {100000}, 71);
  TArchiver a;
  Configure(a);
  std::vector<int> percents;
  std::vector<std::string> messages;
  int starts = 0, finishes = 0;
  a.OnFileProgress = [&](int p) { percents.push_back(p); };
  a.OnDisplayMessage = [&](const std::string& m) { messages.push_back(m); };
  a.OnStartOperation = [&] { ++starts; };
  a.OnFinishOperation = [&] { ++finishes; };
  a.SetFileName(dir / "p.arc");
  a.AddFile(dir / "src" + kDelim + "file0.bin");
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(finishes, 1);
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Adding file0.bin (100,000)");
  bool refused = false;
  a.OnAddFile = [&](TFileEntry&, bool& accept) {
    accept = false;
    refused = true;
  };
  EXPECT_TRUE(a.AddFile(dir / "src" + kDelim + "file0.bin"));
  EXPECT_TRUE(refused);
  EXPECT_EQ(a.Header().Totals.FileCount, 1);
}

}  // namespace
