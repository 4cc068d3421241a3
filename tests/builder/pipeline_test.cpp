#include "builder/core/Pipeline.h"

#include <gtest/gtest.h>

#include "BuildFixture.h"
#include "archive/Format.h"
#include "builder/core/PlayerSettings.h"

namespace {

using builder::BuildQuestion;
using builder::BuildResult;
using testutil::ReadAll;
using testutil::TestFolder;

class Pipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    player = testutil::FakePlayerImage();
    decoder = testutil::MakeDecoderArchive(work);
    resources.files["VARDEX/VARDEX_1"] = player;
    resources.files["MP3DLLARCH/MP3DLLARCH_1"] = decoder;
    builder::ConfigureArchiver(archiver);
    request.source = work / "song.mp3";
    request.target = work / "Song.exe";
    request.tempFolder = temp.Path() + platform::kPathDelim;
    request.record = builder::DefaultPlayerSettings();
  }

  void WriteSong(size_t size, uint32_t seed = 3) {
    song = testutil::MixedData(size, seed);
    testutil::WriteAll(request.source, song);
  }

  BuildResult Build() {
    return builder::WriteVardexCodeToStream(archiver, request, resources, host);
  }

  bool SettingsFileLeft() const { return platform::FileExists(temp / "34Init12.dat"); }

  // The archive behind the player image, listed and extracted.
  std::vector<archive::TFileEntry> Extract(const std::string& into) {
    archive::TExtractor x;
    x.SetLanguage(archive::lgEnglish);
    x.SetExecutableCodeSize(builder::kStartOffset);
    x.SetFileName(request.target);
    x.SetExtractPath(into);
    x.SetRestoreAction(archive::raOverwrite);
    x.Open();
    x.List();
    auto list = x.FileList();
    EXPECT_EQ(x.Header().BlockSize, 262144);
    x.ExtractFiles();
    x.Close();
    return list;
  }

  TestFolder work, temp, out;
  std::vector<uint8_t> player, decoder, song;
  testutil::MemoryResources resources;
  testutil::RecordingHost host;
  archive::TArchiver archiver;
  builder::BuildRequest request;
};

// The source bytes of each block of an entry, read from the stored block headers.
std::vector<int32_t> BlockLengths(const std::vector<uint8_t>& file, int64_t archiveStart,
                                  const archive::TFileEntry& e) {
  std::vector<int32_t> lengths;
  int64_t pos = archiveStart + e.Offset + archive::kEntryFixedSize + int64_t(e.Name.size());
  int64_t left = e.PartCompressedSize;
  while (left > 0) {
    int32_t length;
    uint32_t check;
    archive::DecodeBlockHeader(file.data() + pos, length, check);
    const int32_t stored = length < 0 ? -length : length;
    lengths.push_back(stored);
    pos += 8 + stored;
    left -= 8 + stored;
  }
  return lengths;
}

TEST_F(Pipeline, BuildsPlayerDecoderSongAndRecord) {
  WriteSong(700000);
  host.answers[BuildQuestion::Execute] = true;
  ASSERT_EQ(Build(), BuildResult::Built);
  const auto output = ReadAll(request.target);
  ASSERT_GT(output.size(), player.size() + decoder.size());
  EXPECT_TRUE(std::equal(player.begin(), player.end(), output.begin()));
  // The decoder archive's entry and blocks stay where they were copied; only its
  // header (the totals) is rewritten.
  const size_t header = archive::kHeaderFixedSize;
  EXPECT_TRUE(
      std::equal(decoder.begin() + header, decoder.end(), output.begin() + player.size() + header));
  const auto list = Extract(out.Path());
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Name, "kelvaro.dll");
  EXPECT_EQ(list[1].Name, "song.mp3");
  EXPECT_EQ(list[2].Name, "34Init12.dat");
  EXPECT_EQ(ReadAll(out / "song.mp3"), song);
  const auto record = ReadAll(out / "34Init12.dat");
  const auto expected = builder::WritePlayerSettings(builder::DefaultPlayerSettings());
  EXPECT_EQ(record, std::vector<uint8_t>(expected.begin(), expected.end()));
  // Blocks of 262144 source bytes, the opened archive's block size.
  EXPECT_EQ(BlockLengths(output, builder::kStartOffset, list[1]).size(), 3u);
  EXPECT_EQ(list[1].PartSize, 700000);

  EXPECT_FALSE(SettingsFileLeft());
  EXPECT_TRUE(host.createEnabled);
  EXPECT_FALSE(host.progressVisible);
  EXPECT_EQ(host.executed, request.target);
  EXPECT_EQ(host.questions.back(), "Execute the newly created file ?");
  EXPECT_EQ(host.statuses.front(), "Creating the .EXE File...");
  EXPECT_EQ(host.statuses[1], "Storing the MP3 Song in the .EXE File...");
  EXPECT_EQ(host.statuses.back(), "");
  EXPECT_FALSE(host.progress.empty());
  EXPECT_EQ(host.progress.back(), 100);
}

TEST_F(Pipeline, MissingSongShowsTheMessageAndWritesNothing) {
  ASSERT_EQ(Build(), BuildResult::SongMissing);
  EXPECT_EQ(host.messages, std::vector<std::string>{"Your choosen MP3 File doesn't exist!"});
  EXPECT_FALSE(platform::FileExists(request.target));
  EXPECT_TRUE(host.createEnabled);
  EXPECT_FALSE(SettingsFileLeft());
}

TEST_F(Pipeline, RefusedOverwriteLeavesTheTarget) {
  WriteSong(1000);
  testutil::WriteAll(request.target, {1, 2, 3});
  ASSERT_EQ(Build(), BuildResult::OverwriteRefused);
  EXPECT_EQ(host.questions,
            std::vector<std::string>{"Overwrite the file " + request.target + " ?"});
  EXPECT_EQ(ReadAll(request.target), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(host.createEnabled);

  host.answers[BuildQuestion::Overwrite] = true;
  ASSERT_EQ(Build(), BuildResult::Built);
  EXPECT_GT(ReadAll(request.target).size(), player.size());
  EXPECT_TRUE(host.executed.empty());  // "Execute" was answered No
}

TEST_F(Pipeline, UnsavedTagIsSavedOnlyOnYes) {
  WriteSong(1000);
  request.unsavedTagChanges = true;
  Build();
  EXPECT_EQ(host.tagSaves, 0);
  EXPECT_EQ(host.questions.front().substr(0, 38), "You have not saved you changes to the ");
  host.answers[BuildQuestion::SaveTag] = true;
  host.answers[BuildQuestion::Overwrite] = true;
  Build();
  EXPECT_EQ(host.tagSaves, 1);
}

TEST_F(Pipeline, TargetWithoutExeExtensionIsRefusedAndCleanedUp) {
  WriteSong(1000);
  request.target = work / "Song";
  EXPECT_THROW(Build(), archive::EArchiver);
  // The file keeps the player image and the decoder archive.
  EXPECT_EQ(ReadAll(request.target).size(), player.size() + decoder.size());
  EXPECT_FALSE(SettingsFileLeft());
  EXPECT_TRUE(host.createEnabled);
  EXPECT_TRUE(host.executed.empty());
  EXPECT_FALSE(archiver.IsOpen());
}

TEST_F(Pipeline, MissingResourceIsAnErrorAndLeavesNoSettingsFile) {
  WriteSong(1000);
  resources.files.erase("MP3DLLARCH/MP3DLLARCH_1");
  EXPECT_THROW(Build(), builder::EBuildError);
  EXPECT_EQ(ReadAll(request.target), player);
  EXPECT_FALSE(SettingsFileLeft());
  EXPECT_TRUE(host.createEnabled);
}

TEST_F(Pipeline, UncreatableTargetIsAnError) {
  WriteSong(1000);
  request.target = work / "no such folder" + platform::kPathDelim + "x.exe";
  EXPECT_THROW(Build(), builder::EBuildError);
  EXPECT_FALSE(SettingsFileLeft());
}

TEST_F(Pipeline, SplitAt720KbGivesSegmentFiles) {
  WriteSong(5 * 1024 * 1024, 9);
  archiver.SetMaxSegmentSize(737280);
  ASSERT_EQ(Build(), BuildResult::Built);
  EXPECT_LE(platform::FileSize(request.target), 737280);
  EXPECT_TRUE(platform::FileExists(work / "Song-002.mmm"));
  EXPECT_TRUE(platform::FileExists(work / "Song-003.mmm"));
  EXPECT_LE(platform::FileSize(work / "Song-002.mmm"), 737280);
  const auto list = Extract(out.Path());
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(ReadAll(out / "song.mp3"), song);
  EXPECT_FALSE(SettingsFileLeft());
}

TEST(SplitSize, TooSmallSegmentIsRefusedAndKeepsThePrevious) {
  archive::TArchiver a;
  builder::ConfigureArchiver(a);
  a.SetMaxSegmentSize(737280);
  try {
    a.SetMaxSegmentSize(191 * 1024);
    FAIL() << "191 Kb was accepted";
  } catch (const archive::EArchiver& e) {
    EXPECT_STREQ(e.what(), "Maximum size of a Segment is too small (property MaxSegmentSize)");
  }
  EXPECT_EQ(a.MaxSegmentSize(), 737280);
  a.SetMaxSegmentSize(192 * 1024);
  EXPECT_EQ(a.MaxSegmentSize(), 196608);
}

}  // namespace
