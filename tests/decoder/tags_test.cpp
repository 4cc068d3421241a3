// LAME's Info/Xing tag frame. With a check word (lame -p) LAME 3.100
// writes the tag where it would be without one, 2 bytes before the place behind the side
// information; both places are read. The tag frame is not audio: it is skipped, with or
// without a frame count in it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "TestSupport.h"
#include "decoder/core/FrameReader.h"
#include "decoder/core/Library.h"

namespace kelvaro::test {
namespace {

struct Opened {
  bool ok = false;
  bool vbr = false;
  int64_t declared = 0;  // FrameCount
  int64_t walked = 0;    // frames Next reaches
  int64_t firstOffset = -1;
};

Opened Open(const std::vector<uint8_t>& data) {
  Opened o;
  MemoryStream stream(data.data(), data.size());
  auto reader = std::make_unique<FrameReader>(stream);
  if (!(o.ok = reader->Open())) return o;
  o.vbr = reader->HasVbrHeader();
  o.declared = reader->FrameCount();
  o.firstOffset = reader->Offset();
  do ++o.walked;
  while (reader->Next());
  return o;
}

// A mono 44.1 kHz Layer III frame of 417 bytes whose first frame carries a tag at `at` bytes
// from its start; `crc` makes every frame carry a check word.
std::vector<uint8_t> TaggedStream(int frames, int at, bool crc, const char* id, bool count) {
  std::vector<uint8_t> song = SilentStream(frames);
  if (crc)
    for (int f = 0; f < frames; ++f) song[f * 417 + 1] = 0xFA;  // protection bit 0
  uint8_t* x = song.data() + at;
  std::memcpy(x, id, 4);
  if (count) {
    x[7] = 1;  // flags: frames
    x[11] = uint8_t(frames - 1);
  }
  return song;
}

TEST(Tags, TheTagFrameIsSkippedWithOrWithoutACount) {
  const int side = 4 + 17;
  for (const char* id : {"Info", "Xing"}) {
    for (bool count : {true, false}) {
      SCOPED_TRACE(std::string(id) + (count ? " with a frame count" : " without a count"));
      const Opened o = Open(TaggedStream(101, side, false, id, count));
      ASSERT_TRUE(o.ok);
      EXPECT_EQ(o.firstOffset, 417);
      EXPECT_EQ(o.walked, 100);
      EXPECT_EQ(o.declared, 100);
      EXPECT_EQ(o.vbr, count);
    }
  }
}

TEST(Tags, AtBothPlacesInFramesWithACheckWord) {
  const int side = 4 + 17;
  for (int at : {side, side + 2}) {
    SCOPED_TRACE(at);
    const Opened o = Open(TaggedStream(101, at, true, "Xing", true));
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(o.vbr);
    EXPECT_EQ(o.firstOffset, 417);
    EXPECT_EQ(o.walked, 100);
    EXPECT_EQ(o.declared, 100);
  }
}

// lame -p: the length comes from the tag (a VBR stream's first frame is no measure of the
// others), and the sound is what mpg123 makes of the stream, no frame more.
TEST(Tags, LameWithCheckWords) {
  for (const char* options : {"-b 128 -p", "-V 2 -p", "-V 5 -p -m m"}) {
    SCOPED_TRACE(options);
    const auto mp3 =
        LameEncode(44100, 2, "synth 3 sine 200-5000 sine 440 vol 0.6", options);
    if (mp3.empty()) GTEST_SKIP() << "sox and lame are needed";
    const Opened o = Open(mp3);
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(o.vbr);
    EXPECT_EQ(o.declared, o.walked);
    EXPECT_GT(o.firstOffset, 0);

    const std::string song = TempPath(".mp3");
    ASSERT_TRUE(WriteFile(song, mp3));
    namespace lib = library;
    ASSERT_TRUE(lib::Init());
    ASSERT_TRUE(lib::Open(song.c_str(), false, nullptr));
    EXPECT_EQ(lib::GetLength(), int(o.walked * 26.12245));
    lib::Close();
    lib::Deinit();

    const Wave wave = DecodeWithLibrary(mp3);
    const size_t channels = size_t(wave.channels);
    EXPECT_EQ(wave.pcm.size(), size_t(o.walked) * 1152 * channels);
    if (HaveTool("mpg123")) {
      const std::string raw = TempPath(".raw");
      ASSERT_EQ(std::system(("mpg123 -q --no-gapless -s " + song + " >" + raw + " 2>/dev/null").c_str()), 0);
      const std::vector<int16_t> reference = ReadPcm(raw);
      EXPECT_EQ(wave.pcm.size(), reference.size());
      const Comparison c = Compare(reference, wave.pcm, 0);
      EXPECT_LE(c.maxDiff, 1);
      std::remove(raw.c_str());
    }
    std::remove(song.c_str());
  }
}

}  // namespace
}  // namespace kelvaro::test
