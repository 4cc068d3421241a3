// Deleting entries: OnDeleteFile chooses them, the rest is written anew (plain,
// encrypted, behind executable code, solid), and a failure on the way leaves the
// archive as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "archive/Archiver.h"
#include "archive/Paths.h"

namespace {

using namespace archive;
using testutil::ReadAll;
using testutil::TestFolder;
using testutil::WriteAll;

const std::string kDelim(1, platform::kPathDelim);
const std::string kKey = "0123456789abc";

struct Source {
  std::string name;
  std::vector<uint8_t> data;
};

std::vector<Source> MakeSources(const TestFolder& dir) {
  std::vector<Source> files = {{"a.txt", testutil::MixedData(30000, 1)},
                               {"b.bin", testutil::MixedData(5000, 2)},
                               {"c.txt", {}},
                               {"d.bin", testutil::MixedData(70000, 3)}};
  platform::CreateFolders(dir / "src" + kDelim + "empty");
  for (const Source& f : files) WriteAll(dir / "src" + kDelim + f.name, f.data);
  return files;
}

void Configure(TArchiverRoot& a) {
  a.SetLanguage(lgEnglish);
  a.SetErrorAction(eaAbort);
}

std::vector<std::string> Names(TCustomExtractor& x) {
  x.List();
  std::vector<std::string> names;
  for (const TFileEntry& e : x.FileList()) names.push_back(e.Name);
  return names;
}

// "s.arc": a solid archive of the sources.
void WriteSolidArchive(const TestFolder& dir, const std::vector<Source>& files) {
  TArchiver a;
  Configure(a);
  a.SetOptions(a.Options().Include(oCreateSolidArchives));
  a.SetFileName(dir / "s.arc");
  for (const Source& f : files) a.AddFile(dir / "src" + kDelim + f.name);
}

// The files of a folder whose names begin with "~Archiv-": temporary archives.
int TempArchives(const std::string& folder) {
  int count = 0;
  for (const auto& item : platform::ListFolder(folder))
    if (item.name.compare(0, 8, "~Archiv-") == 0) ++count;
  return count;
}

struct DeleteCase {
  bool encrypt;
  bool compress;
  int32_t codeInFront;
};

class DeleteFiles : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteFiles, TheChosenEntriesGoAndTheRestStaysAsStored) {
  const DeleteCase c = GetParam();
  TestFolder dir;
  const std::vector<Source> files = MakeSources(dir);
  const std::vector<uint8_t> code(size_t(c.codeInFront), 0xCC);
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(4096);
    TOptions o = a.Options();
    if (c.encrypt) o.Include(oCrypt);
    if (!c.compress) o.Exclude(oCompress);
    a.SetOptions(o);
    a.OnEnterCryptKey = [](std::string& k) { k = kKey; };
    a.SetExecutableCodeSize(c.codeInFront);
    a.OnWriteSFXCode = [&](platform::File& f) {
      return f.Seek(0) && f.Write(code.data(), code.size());
    };
    a.SetFileName(dir / "x.exe");
    EXPECT_EQ(a.AddFolder(dir / "src"), 4);  // and the entry of the empty folder
  }
  std::vector<std::string> messages;
  {
    TArchiver a;
    Configure(a);
    a.SetExecutableCodeSize(c.codeInFront);
    a.OnDisplayMessage = [&](const std::string& m) { messages.push_back(m); };
    std::vector<std::string> offered;
    a.OnDeleteFile = [&](const TFileEntry& e, bool& accept) {
      offered.push_back(e.Name);
      EXPECT_FALSE(accept);
      accept = e.Name == "b.bin" || e.Name == "d.bin";
    };
    a.SetFileName(dir / "x.exe");
    EXPECT_EQ(a.DeleteFiles(), 2);  // no key asked: there are no prompts and no key event
    EXPECT_EQ(offered, (std::vector<std::string>{"a.txt", "b.bin", "c.txt", "d.bin", "empty\\."}));
    a.Close();
  }
  EXPECT_EQ(messages[0], "Deleting files...");
  EXPECT_NE(std::find(messages.begin(), messages.end(), "Delete file b.bin"), messages.end());
  EXPECT_NE(std::find(messages.begin(), messages.end(), "Delete file d.bin"), messages.end());
  EXPECT_EQ(TempArchives(dir.Path()), 0);

  const std::vector<uint8_t> bytes = ReadAll(dir / "x.exe");
  ASSERT_GT(bytes.size(), code.size());
  EXPECT_TRUE(std::equal(code.begin(), code.end(), bytes.begin()));
  TExtractor x;
  Configure(x);
  x.SetOptions(x.Options().Include(oShowEmptyFolders));
  x.SetExecutableCodeSize(c.codeInFront);
  x.OnRequestCryptKey = [](std::string& k) { k = kKey; };
  x.SetFileName(dir / "x.exe");
  EXPECT_EQ(Names(x), (std::vector<std::string>{"a.txt", "c.txt", "empty\\."}));
  const TArchiveHeader& h = x.Header();
  EXPECT_EQ(h.DataEnd, int32_t(bytes.size()) - c.codeInFront);
  EXPECT_EQ(h.Totals.FileCount, 3);
  EXPECT_EQ(h.SegmentTotals.FileCount, 3);
  EXPECT_EQ(h.Totals.Size, 30000.0);
  EXPECT_EQ(h.Totals.CompressedSize, double(x.FileList()[0].CompressedSize));
  EXPECT_EQ(x.FileList()[1].Offset,
            x.FileList()[0].Offset + 45 + 5 + x.FileList()[0].CompressedSize);
  EXPECT_EQ(x.TestFiles(), 0);
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "a.txt"), files[0].data);
  EXPECT_TRUE(platform::FileExists(dir / "out" + kDelim + "c.txt"));
  EXPECT_FALSE(platform::FileExists(dir / "out" + kDelim + "b.bin"));
  EXPECT_TRUE(platform::FolderExists(dir / "out" + kDelim + "empty"));
  x.Close();

  // The archive takes new files behind what is left.
  TArchiver a;
  Configure(a);
  a.SetExecutableCodeSize(c.codeInFront);
  a.OnRequestCryptKey = [](std::string& k) { k = kKey; };
  a.SetFileName(dir / "x.exe");
  EXPECT_TRUE(a.AddFile(dir / "src" + kDelim + "d.bin"));
  EXPECT_EQ(Names(a), (std::vector<std::string>{"a.txt", "c.txt", "d.bin"}));
  EXPECT_EQ(a.TestFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Archives, DeleteFiles,
                         ::testing::Values(DeleteCase{false, true, 0}, DeleteCase{true, true, 0},
                                           DeleteCase{false, false, 0},
                                           DeleteCase{true, true, 5000}));

TEST(DeleteFilesRules, NeedTheEventAndRefuseSegmentedArchives) {
  TestFolder dir;
  const std::vector<Source> files = MakeSources(dir);
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(1024);
    a.SetMaxSegmentSize(3 * 1024);
    a.SetFileName(dir / "Song.exe");
    for (const Source& f : files) a.AddFile(dir / "src" + kDelim + f.name);
  }
  const std::vector<uint8_t> before = ReadAll(dir / "Song.exe");
  TArchiver a;
  Configure(a);
  a.SetFileName(dir / "Song.exe");
  try {
    a.DeleteFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(),
                 "You must define the event OnDeleteFile in order to filter the files that must be "
                 "deleted.");
  }
  int offered = 0;
  a.OnDeleteFile = [&](const TFileEntry&, bool& accept) { accept = ++offered > 0; };
  try {
    a.DeleteFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "Unable to delete files from a segmented archive");
  }
  EXPECT_EQ(offered, 0);
  // Opened on one segment alone, it is still a segmented archive.
  a.Close();
  a.SetOptions(a.Options().Include(oOpenSingleSegment));
  EXPECT_THROW(a.DeleteFiles(), EArchiver);
  a.Close();
  EXPECT_EQ(ReadAll(dir / "Song.exe"), before);
}

TEST(DeleteFilesRules, NothingChosenChangesNothingAndEverythingLeavesAnEmptyArchive) {
  TestFolder dir;
  const std::vector<Source> files = MakeSources(dir);
  {
    TArchiver a;
    Configure(a);
    a.SetFileName(dir / "x.arc");
    for (const Source& f : files) a.AddFile(dir / "src" + kDelim + f.name);
  }
  const std::vector<uint8_t> before = ReadAll(dir / "x.arc");
  TArchiver a;
  Configure(a);
  a.SetFileName(dir / "x.arc");
  a.OnDeleteFile = [](const TFileEntry&, bool&) {};
  EXPECT_EQ(a.DeleteFiles(), 0);
  a.Close();
  EXPECT_EQ(ReadAll(dir / "x.arc"), before);
  a.OnDeleteFile = [](const TFileEntry&, bool& accept) { accept = true; };
  EXPECT_EQ(a.DeleteFiles(), 4);
  EXPECT_EQ(a.Header().DataEnd, 273);
  EXPECT_EQ(a.Header().Totals.FileCount, 0);
  EXPECT_EQ(a.Header().Totals.CompressedSize, 0.0);
  EXPECT_EQ(Names(a), std::vector<std::string>());
  a.Close();
  EXPECT_EQ(platform::FileSize(dir / "x.arc"), 273);
  // A read-only archive is refused before anything is asked.
  platform::SetAttributes(dir / "x.arc", platform::faReadOnly);
  try {
    a.DeleteFiles();
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "Archive is ReadOnly");
  }
  a.Close();
  platform::SetAttributes(dir / "x.arc", platform::faArchive);
}

TEST(DeleteFilesRules, AFailureOnTheWayLeavesTheArchiveAsItWas) {
  TestFolder dir;
  const std::vector<Source> files = MakeSources(dir);
  {
    TArchiver a;
    Configure(a);
    a.SetBlockSize(1024);
    a.SetFileName(dir / "x.arc");
    for (const Source& f : files) a.AddFile(dir / "src" + kDelim + f.name);
  }
  const std::vector<uint8_t> before = ReadAll(dir / "x.arc");
  TArchiver a;
  Configure(a);
  a.SetFileName(dir / "x.arc");
  a.OnDeleteFile = [](const TFileEntry& e, bool& accept) { accept = e.Name == "a.txt"; };
  // The copy stops halfway (a full disk, a failing event: alike).
  bool copying = false;
  int blocks = 0;
  a.OnDisplayMessage = [&](const std::string& m) {
    copying = copying || m == "Copying archive...";
  };
  a.OnFileProgress = [&](int) {
    if (copying && ++blocks == 20) throw EArchiver("disk full");
  };
  EXPECT_THROW(a.DeleteFiles(), EArchiver);
  EXPECT_EQ(blocks, 20);
  EXPECT_EQ(ReadAll(dir / "x.arc"), before);
  EXPECT_EQ(TempArchives(dir.Path()), 0);
  // The component goes on with the archive it had.
  a.OnFileProgress = nullptr;
  EXPECT_EQ(Names(a), (std::vector<std::string>{"a.txt", "b.bin", "c.txt", "d.bin"}));
  EXPECT_EQ(a.DeleteFiles(), 1);
  EXPECT_EQ(Names(a), (std::vector<std::string>{"b.bin", "c.txt", "d.bin"}));
}

TEST(DeleteFilesSolid, TheSolidArchiveIsRebuiltWithoutTheEntries) {
  TestFolder dir;
  const std::vector<Source> files = MakeSources(dir);
  WriteSolidArchive(dir, files);
  {
    TArchiver a;
    Configure(a);
    a.OnDeleteFile = [](const TFileEntry& e, bool& accept) { accept = e.Name != "d.bin"; };
    a.SetFileName(dir / "s.arc");
    EXPECT_EQ(a.DeleteFiles(), 3);
    a.Close();
  }
  EXPECT_EQ(TempArchives(dir.Path()), 0);
  const std::vector<uint8_t> bytes = ReadAll(dir / "s.arc");
  ASSERT_GT(bytes.size(), 300u);
  EXPECT_EQ(bytes[24] & afSolid, afSolid);
  EXPECT_EQ(bytes[25], 1);  // one entry outside: the inner archive
  TExtractor x;
  Configure(x);
  x.SetFileName(dir / "s.arc");
  EXPECT_EQ(Names(x), std::vector<std::string>{"d.bin"});
  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(ReadAll(dir / "out" + kDelim + "d.bin"), files[3].data);
  EXPECT_EQ(platform::ListFolder(dir / "out").size(), 1u);
}

TEST(DeleteFilesSolid, AFailedRebuildLeavesTheSolidArchiveAsItWas) {
  TestFolder dir;
  const std::vector<Source> files = MakeSources(dir);
  WriteSolidArchive(dir, files);
  const std::vector<uint8_t> before = ReadAll(dir / "s.arc");
  {
    TArchiver a;
    Configure(a);
    a.OnDeleteFile = [](const TFileEntry& e, bool& accept) { accept = e.Name == "a.txt"; };
    a.SetFileName(dir / "s.arc");
    EXPECT_EQ(a.DeleteFiles(), 1);
    // Compressing the rebuilt solid archive fails halfway.
    int blocks = 0;
    a.OnCompressBlock = [&](uint8_t*, int32_t&, const uint8_t*, int32_t, int) {
      return ++blocks < 2;
    };
    try {
      a.Close();
      FAIL();
    } catch (const EArchiverCompress& e) {
      EXPECT_STREQ(e.what(), "Could not compress Block");
    }
    EXPECT_EQ(blocks, 2);
  }
  EXPECT_EQ(ReadAll(dir / "s.arc"), before);
  EXPECT_EQ(TempArchives(dir.Path()), 0);
  TExtractor x;
  Configure(x);
  x.SetFileName(dir / "s.arc");
  EXPECT_EQ(Names(x), (std::vector<std::string>{"a.txt", "b.bin", "c.txt", "d.bin"}));
}

}  // namespace
