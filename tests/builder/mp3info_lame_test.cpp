// Tags that lame wrote: lame pads ID3v1 fields with zero bytes and keeps a track number
// in the comment's last byte. Every field is read, and a save keeps what it did not
// change. The songs are made before the test (lame_tags.sh); without them it skips.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "builder/core/MP3Info.h"
#include "tests/builder/ScratchFile.h"

namespace {

using builder::TMP3Info;
using buildertest::Bytes;
using buildertest::ScratchFile;

Bytes ReadAll(const std::string& path) {
  Bytes bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

// A copy of one of lame's songs in a scratch file, or empty when it was not made.
Bytes LameSong(const char* name) { return ReadAll(std::string("lame_tags/") + name); }

struct Expected {
  std::string title, artist, album, year, comment;
  int genre, track;
};

void ExpectFields(const TMP3Info& info, const Expected& e) {
  EXPECT_TRUE(info.Valid());
  EXPECT_EQ(info.Title(), e.title);
  EXPECT_EQ(info.Artist(), e.artist);
  EXPECT_EQ(info.Album(), e.album);
  EXPECT_EQ(info.Year(), e.year);
  EXPECT_EQ(info.Comment(), e.comment);
  EXPECT_EQ(info.GenreID(), e.genre);
  EXPECT_EQ(info.Track(), e.track);
}

// Reads the song, saves it unchanged and reads it again; then changes one field.
void CheckSong(const char* name, const Expected& e) {
  const Bytes song = LameSong(name);
  if (song.size() < 128) GTEST_SKIP() << "lame_tags/" << name << " was not made (lame_tags.sh)";
  ScratchFile file;
  file.Write(song);
  TMP3Info info;
  info.SetFilename(file.path());
  ExpectFields(info, e);

  info.Save();
  const Bytes saved = file.Read();
  ASSERT_EQ(saved.size(), song.size());
  EXPECT_TRUE(std::equal(song.begin(), song.end() - 128, saved.begin()));  // the audio
  TMP3Info again;
  again.SetFilename(file.path());
  ExpectFields(again, e);

  again.SetArtist("Changed");
  again.Save();
  TMP3Info third;
  third.SetFilename(file.path());
  Expected changed = e;
  changed.artist = "Changed";
  ExpectFields(third, changed);
}

TEST(MP3InfoLameTags, EveryFieldAndTheTrackNumberSurviveSaves) {
  CheckSong("track.mp3",
            {"Lame Title", "Lame Artist", "Lame Album", "2003", "Lame comment", 17, 7});
  // The premise: lame wrote the track number where ID3v1.1 keeps it.
  const Bytes song = LameSong("track.mp3");
  if (song.size() >= 128) {
    EXPECT_EQ(song[song.size() - 3], 0);
    EXPECT_EQ(song[song.size() - 2], 7);
  }
}

TEST(MP3InfoLameTags, AFullCommentWithoutTrackSurvivesSaves) {
  CheckSong("notrack.mp3",
            {"Second", "Artist Two", "Album Two", "1998", "abcdefghijklmnopqrstuvwxyz0123", 8, 0});
}

}  // namespace
