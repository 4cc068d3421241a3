#include <gtest/gtest.h>

#include "BuildFixture.h"
#include "builder/core/BatchBuild.h"

namespace {

using builder::BatchRequest;
using testutil::TestFolder;

TEST(BatchArguments, SongTargetAndSplit) {
  BatchRequest r;
  EXPECT_FALSE(builder::ParseBatchArguments({"a.mp3", "b.exe", "/split", "720"}, "/", r));
  EXPECT_EQ(r.song, "a.mp3");
  EXPECT_EQ(r.target, "b.exe");
  EXPECT_EQ(r.splitKb, 720);
  BatchRequest n;
  EXPECT_FALSE(builder::ParseBatchArguments({"--split", "1440", "a.mp3", "b.exe"}, "--", n));
  EXPECT_EQ(n.splitKb, 1440);
  EXPECT_EQ(n.target, "b.exe");
}

TEST(BatchArguments, MalformedLinesAreRefused) {
  BatchRequest r;
  EXPECT_TRUE(builder::ParseBatchArguments({"a.mp3"}, "/", r));
  EXPECT_TRUE(builder::ParseBatchArguments({"a.mp3", "b.exe", "c"}, "/", r));
  EXPECT_TRUE(builder::ParseBatchArguments({"a.mp3", "b.exe", "/split"}, "/", r));
  EXPECT_TRUE(builder::ParseBatchArguments({"a.mp3", "b.exe", "/split", "x"}, "/", r));
  EXPECT_TRUE(builder::ParseBatchArguments({"a.mp3", "b.exe", "/split", "0"}, "/", r));
  EXPECT_TRUE(builder::ParseBatchArguments({"a.mp3", "b.exe", "/quiet"}, "/", r));
}

class Batch : public ::testing::Test {
 protected:
  void SetUp() override {
    resources.files["VARDEX/VARDEX_1"] = testutil::FakePlayerImage();
    resources.files["MP3DLLARCH/MP3DLLARCH_1"] = testutil::MakeDecoderArchive(work);
    request.song = work / "s.mp3";
    request.target = work / "Out";
    request.tempFolder = work.Path() + platform::kPathDelim;
  }
  TestFolder work;
  testutil::MemoryResources resources;
  BatchRequest request;
};

TEST_F(Batch, BuildsOverwritesAndForcesTheExtension) {
  testutil::WriteAll(request.song, testutil::MixedData(100000, 1));
  EXPECT_EQ(builder::RunBatchBuild(request, resources), "");
  const std::string exe = work / "Out.exe";
  const auto first = platform::FileSize(exe);
  EXPECT_GT(first, builder::kStartOffset);
  // A second build overwrites without asking.
  EXPECT_EQ(builder::RunBatchBuild(request, resources), "");
  EXPECT_EQ(platform::FileSize(exe), first);
  EXPECT_FALSE(platform::FileExists(work / "34Init12.dat"));
}

TEST_F(Batch, FailuresComeBackAsMessages) {
  EXPECT_EQ(builder::RunBatchBuild(request, resources), "Your choosen MP3 File doesn't exist!");
  testutil::WriteAll(request.song, testutil::MixedData(1000, 1));
  request.splitKb = 191;
  EXPECT_EQ(builder::RunBatchBuild(request, resources),
            "Maximum size of a Segment is too small (property MaxSegmentSize)");
  request.splitKb = 0;
  resources.files.clear();
  EXPECT_NE(builder::RunBatchBuild(request, resources), "");
}

}  // namespace
