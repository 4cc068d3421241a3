// Solid archives reopened, executable code in front of new archives, single-entry
// extraction, the message language and temporary names.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ArchiveBuilder.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "archive/Archiver.h"
#include "archive/Paths.h"
#include "archive/SFXGenerator.h"

namespace {

using namespace archive;
using testutil::ReadAll;
using testutil::TestFolder;
using testutil::WriteAll;

const std::string kDelim(1, platform::kPathDelim);

void Configure(TArchiverRoot& a) {
  a.SetLanguage(lgEnglish);
  a.SetErrorAction(eaAbort);
}

TEST(SolidArchive, ReopenedAddsAndRebuildsAsOneEntry) {
  TestFolder dir;
  WriteAll(dir / "one.txt", testutil::MixedData(30000, 1));
  WriteAll(dir / "two.txt", testutil::MixedData(20000, 2));
  {
    TArchiver a;
    Configure(a);
    TOptions o = a.Options();
    a.SetOptions(o.Include(oCreateSolidArchives));
    a.SetFileName(dir / "s.arc");
    a.AddFile(dir / "one.txt");
  }
  {
    // Reopened with the default options: the solid flag of the file decides.
    TArchiver a;
    Configure(a);
    std::vector<std::string> messages;
    a.OnDisplayMessage = [&](const std::string& m) { messages.push_back(m); };
    a.SetFileName(dir / "s.arc");
    a.Open();
    EXPECT_FALSE(a.Header().ArchiveFlag & afSolid);  // working on the unpacked inner archive
    EXPECT_NE(a.FileName(), dir / "s.arc");
    const std::string inner = a.FileName();
    EXPECT_EQ(ExtractFileName(inner).compare(0, 8, "~Archiv-"), 0);
    EXPECT_EQ(ExtractFileExt(inner), ".tmp");
    a.AddFile(dir / "two.txt");
    a.Close();
    EXPECT_EQ(a.FileName(), dir / "s.arc");
    EXPECT_FALSE(platform::FileExists(inner));
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Compressing solid archive"),
              messages.end());
  }
  // The outer archive holds one entry: the inner archive.
  std::vector<uint8_t> bytes = ReadAll(dir / "s.arc");
  ASSERT_GT(bytes.size(), 300u);
  EXPECT_EQ(bytes[24] & afSolid, afSolid);
  EXPECT_EQ(bytes[25], 1);  // Totals.FileCount
  TExtractor x;
  Configure(x);
  x.SetFileName(dir / "s.arc");
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "one.txt"), testutil::MixedData(30000, 1));
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "two.txt"), testutil::MixedData(20000, 2));
  x.Close();
}

TEST(SfxGenerator, VersionBlockValuesGiveTheStartOffset) {
  // A String structure of a version block: wLength, wValueLength, wType, key, padding, value.
  auto versionString = [](const std::string& key, const std::string& value) {
    std::vector<uint8_t> s(6, 0);
    for (char c : key) s.insert(s.end(), {uint8_t(c), 0});
    s.insert(s.end(), {0, 0});
    while (s.size() % 4) s.push_back(0);
    for (char c : value) s.insert(s.end(), {uint8_t(c), 0});
    s.insert(s.end(), {0, 0});
    s[0] = uint8_t(s.size());
    s[1] = uint8_t(s.size() >> 8);
    s[2] = uint8_t(value.size() + 1);
    s[4] = 1;
    return s;
  };
  std::vector<uint8_t> exe(1000, 0x4D);
  for (auto part : {versionString("FileVersion", "1.5"), versionString("SFXCodeSize", "423424"),
                    versionString("TagInfoSize", "128")})
    exe.insert(exe.end(), part.begin(), part.end());
  exe.resize(2000, 0);
  EXPECT_EQ(VersionBlockNumber(exe, "SFXCodeSize"), 423424);
  EXPECT_EQ(VersionBlockNumber(exe, "TagInfoSize"), 128);
  EXPECT_EQ(VersionBlockNumber(exe, "Missing"), 0);
  std::vector<uint8_t> bad = versionString("SFXCodeSize", "12x");
  EXPECT_EQ(VersionBlockNumber(bad, "SFXCodeSize"), 0);
  TCustomSFXGenerator g;
  g.SetCode(exe);
  EXPECT_EQ(g.ExecutableCodeSize(), 423552);
}

TEST(SfxGenerator, NewExeArchiveGetsTheCodeInFront) {
  TestFolder dir;
  WriteAll(dir / "song.mp3", testutil::MixedData(5000, 3));
  const std::vector<uint8_t> code(4096, 0xE8);
  {
    TArchiver a;
    Configure(a);
    a.SetExecutableCodeSize(4096);
    a.OnWriteSFXCode = [&](platform::File& f) {
      return f.Seek(0) && f.Write(code.data(), code.size());
    };
    a.SetFileName(dir / "Out.EXE");
    a.AddFile(dir / "song.mp3");
  }
  const std::vector<uint8_t> bytes = ReadAll(dir / "Out.EXE");
  ASSERT_GT(bytes.size(), 4096u + 273u);
  EXPECT_TRUE(std::equal(code.begin(), code.end(), bytes.begin()));
  EXPECT_EQ(bytes[4096] | bytes[4097] << 8, 4664);
  TExtractor x;
  Configure(x);
  x.SetSegment1Offset(4096);
  x.SetFileName(dir / "Out.EXE");
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "song.mp3"), testutil::MixedData(5000, 3));
}

TEST(ArchiveReader, ExtractsOneListedEntryToAGivenPath) {
  TestFolder dir;
  WriteAll(dir / "a.bin", testutil::MixedData(7000, 4));
  WriteAll(dir / "b.bin", testutil::MixedData(9000, 5));
  {
    TArchiver a;
    Configure(a);
    a.SetFileName(dir / "l.arc");
    a.AddFile(dir / "a.bin");
    a.AddFile(dir / "b.bin");
  }
  TExtractor x;
  Configure(x);
  x.SetFileName(dir / "l.arc");
  x.List();
  ASSERT_EQ(x.FileList().size(), 2u);
  const TFileEntry b = x.FileList()[1];
  x.ExtractFile(b.Segment, b.Offset, dir / "copy" + kDelim + "b-copy.bin");
  EXPECT_EQ(ReadAll(dir / "copy" + kDelim + "b-copy.bin"), testutil::MixedData(9000, 5));
  EXPECT_FALSE(platform::FileExists(dir / "copy" + kDelim + "a.bin"));
  // An offset that is not an entry's is refused with the component's message.
  EXPECT_THROW(x.ExtractFile(1, 5, dir / "x.bin"), EArchiver);
  EXPECT_THROW(x.ExtractFile(1, b.Offset + 3, dir / "y.bin"), EArchiver);
}

TEST(ArchiveReader, TimingAndProgressOfAnExtraction) {
  TestFolder dir;
  WriteAll(dir / "a.bin", testutil::MixedData(300000, 6));
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(8192);
    a.SetFileName(dir / "t.arc");
    a.AddFile(dir / "a.bin");
  }
  TExtractor x;
  Configure(x);
  int timings = 0;
  double lastElapsed = -1;
  bool ordered = true;
  x.OnShowTiming = [&](double elapsed, double remaining) {
    ++timings;
    ordered = ordered && elapsed >= lastElapsed && remaining >= 0;
    lastElapsed = elapsed;
  };
  std::vector<int> percents;
  x.OnFileProgress = [&](int p) { percents.push_back(p); };
  std::vector<std::string> messages;
  x.OnDisplayMessage = [&](const std::string& m) { messages.push_back(m); };
  x.SetFileName(dir / "t.arc");
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_GT(timings, 30);
  EXPECT_TRUE(ordered);
  ASSERT_GT(percents.size(), 30u);
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(messages, std::vector<std::string>{"Extracting a.bin (300000)"});
}

#ifndef _WIN32
TEST(Messages, AutomaticLanguageFollowsTheUser) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  TExtractor german;
  setenv("LC_ALL", "C", 1);
  TExtractor english;
  if (saved)
    setenv("LC_ALL", keep.c_str(), 1);
  else
    unsetenv("LC_ALL");
  EXPECT_EQ(english.Messages().BadCRC, "Bad CRC: data stored in the archive is corrupted");
  EXPECT_FALSE(german.Messages().BadCRC.empty());
  EXPECT_NE(german.Messages().BadCRC, english.Messages().BadCRC);
  german.SetLanguage(lgEnglish);
  EXPECT_EQ(german.Messages().BadCRC, english.Messages().BadCRC);
}
#endif

}  // namespace

namespace {

TEST(ArchiveReader, AnEntryNamedLikeTheArchiveLeavesTheArchiveAlone) {
  TestFolder dir;
  const std::vector<uint8_t> archiveBytes =
      testutil::BuildArchive({{"self.arc", {'x', 'y'}}, {"other.txt", {'o', 'k'}}});
  WriteAll(dir / "self.arc", archiveBytes);
  TExtractor x;
  x.SetLanguage(archive::lgEnglish);
  x.SetErrorAction(archive::eaContinue);
  x.SetRestoreAction(archive::raOverwrite);
  std::vector<std::string> errors;
  x.OnError = [&](const std::exception& e, const TFileEntry&, TErrorAction&) {
    errors.push_back(e.what());
  };
  x.SetFileName(dir / "self.arc");
  x.SetExtractPath(dir.Path());
  x.ExtractFiles();
  x.Close();
  EXPECT_EQ(ReadAll(dir / "self.arc"), archiveBytes);
  EXPECT_EQ(ReadAll(dir / "other.txt"), (std::vector<uint8_t>{'o', 'k'}));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Cannot create file \"" + (dir / "self.arc") + "\"");
}

}  // namespace

#ifndef _WIN32
#include <unistd.h>

namespace {

TEST(ArchiveWriter, FolderLinksAreNotWalkedInto) {
  TestFolder dir;
  const std::string root = dir / "tree";
  platform::CreateFolders(root + kDelim + "sub");
  WriteAll(root + kDelim + "sub" + kDelim + "f.txt", {'f'});
  ASSERT_EQ(symlink(root.c_str(), (root + kDelim + "sub" + kDelim + "loop").c_str()), 0);
  TArchiver a;
  a.SetLanguage(archive::lgEnglish);
  a.SetFileName(dir / "loop.arc");
  EXPECT_EQ(a.AddFolder(root), 1);
}

}  // namespace
#endif
