#include "builder/core/MP3Info.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "builder/core/InOutError.h"
#include "platform/Files.h"
#include "tests/builder/ScratchFile.h"

namespace {

using builder::TMP3Info;
using buildertest::Audio;
using buildertest::Bytes;
using buildertest::ScratchFile;

// A tag block laid out by hand: every field placed at its offset, space padded.
Bytes TagBlock(const std::string& title, const std::string& artist, const std::string& album,
               const std::string& year, const std::string& comment, uint8_t genre) {
  Bytes b(128, ' ');
  auto put = [&](size_t at, const std::string& s) {
    std::copy(s.begin(), s.end(), b.begin() + at);
  };
  put(0, "TAG");
  put(3, title);
  put(33, artist);
  put(63, album);
  put(93, year);
  put(97, comment);
  b[127] = genre;
  return b;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct EventCounts {
  int changeFile = 0, change = 0, error = 0;
};

void Count(TMP3Info& info, EventCounts& counts) {
  info.onChangeFile = [&] { ++counts.changeFile; };
  info.onChange = [&] { ++counts.change; };
  info.onError = [&] { ++counts.error; };
}

TEST(MP3Info, NewInstance) {
  TMP3Info info;
  EXPECT_EQ(info.GenreID(), 12);
  EXPECT_FALSE(info.Valid());
}

TEST(MP3Info, ReadsSpacePaddedFields) {
  ScratchFile file;
  file.Write(Concat(Audio(1000), TagBlock("Song", "Band", " Album", "1987", "Nice  one", 17)));
  TMP3Info info;
  EventCounts counts;
  Count(info, counts);
  info.SetFilename(file.path());
  EXPECT_TRUE(info.Valid());
  EXPECT_EQ(info.Title(), "Song");
  EXPECT_EQ(info.Artist(), "Band");
  EXPECT_EQ(info.Album(), " Album");  // only trailing spaces go
  EXPECT_EQ(info.Year(), "1987");
  EXPECT_EQ(info.Comment(), "Nice  one");
  EXPECT_EQ(info.GenreID(), 17);
  EXPECT_EQ(info.Genre(), "Rock");
  EXPECT_EQ(counts.changeFile, 1);
  EXPECT_EQ(counts.change, 0);
  EXPECT_EQ(counts.error, 0);
  // Setting the same path again reads again.
  info.SetFilename(file.path());
  EXPECT_EQ(counts.changeFile, 2);
}

// Zero bytes end the field they stand in, not the tag: the fields behind it are read.
TEST(MP3Info, ZeroBytesEndTheirOwnFieldOnly) {
  ScratchFile file;
  Bytes tag = TagBlock("Song", "Band", "Album", "1999", "Comment", 114);
  std::fill(tag.begin() + 7, tag.begin() + 33, 0);  // title "Song" then zeros
  tag[35] = 0;                                      // artist "Ba", then "nd" and spaces
  tag[63] = 0;                                      // album empty
  file.Write(Concat(Audio(300), tag));
  TMP3Info info;
  info.SetFilename(file.path());
  EXPECT_TRUE(info.Valid());
  EXPECT_EQ(info.Title(), "Song");
  EXPECT_EQ(info.Artist(), "Ba");
  EXPECT_EQ(info.Album(), "");
  EXPECT_EQ(info.Year(), "1999");
  EXPECT_EQ(info.Comment(), "Comment");
  EXPECT_EQ(info.Track(), 0);
  EXPECT_EQ(info.GenreID(), 114);
  EXPECT_EQ(info.Genre(), "Folklore");
}

// ID3v1.1: a zero at 125 and a track number at 126. A save keeps the track while the
// comment leaves room for it; a longer comment takes the whole field.
TEST(MP3Info, TrackNumberIsReadAndKept) {
  ScratchFile file;
  const Bytes audio = Audio(500);
  Bytes tag = TagBlock("Song", "Band", "", "2001", "Short comment", 0);
  tag[125] = 0;
  tag[126] = 9;
  file.Write(Concat(audio, tag));
  TMP3Info info;
  info.SetFilename(file.path());
  EXPECT_EQ(info.Comment(), "Short comment");
  EXPECT_EQ(info.Track(), 9);
  info.SetComment(std::string(28, 'c'));
  info.Save();
  Bytes expected = Concat(audio, TagBlock("Song", "Band", "", "2001", std::string(28, 'c'), 0));
  expected[expected.size() - 3] = 0;
  expected[expected.size() - 2] = 9;
  EXPECT_EQ(file.Read(), expected);

  info.SetComment(std::string(29, 'd'));
  info.Save();
  EXPECT_EQ(file.Read(),
            Concat(audio, TagBlock("Song", "Band", "", "2001", std::string(29, 'd'), 0)));
  TMP3Info again;
  again.SetFilename(file.path());
  EXPECT_EQ(again.Comment(), std::string(29, 'd'));
  EXPECT_EQ(again.Track(), 0);
}

TEST(MP3Info, GenreBytesBeyondTheTableReadAsOther) {
  ScratchFile file;
  for (int byte : {115, 200, 255}) {
    file.Write(Concat(Audio(10), TagBlock("T", "", "", "", "", uint8_t(byte))));
    TMP3Info info;
    info.SetFilename(file.path());
    EXPECT_EQ(info.GenreID(), 12) << byte;
    EXPECT_EQ(info.Genre(), "Other") << byte;
  }
}

TEST(MP3Info, GenreTable) {
  const auto& g = builder::GenreNames();
  EXPECT_STREQ(g[0], "Blues");
  EXPECT_STREQ(g[80], "Folk");
  EXPECT_STREQ(g[81], "Folk/Rock");
  EXPECT_STREQ(g[84], "Bebob");
  EXPECT_STREQ(g[114], "Folklore");
}

TEST(MP3Info, SettersCutAndNotify) {
  TMP3Info info;
  EventCounts counts;
  Count(info, counts);
  info.SetYear("19999");
  EXPECT_EQ(info.Year(), "1999");
  info.SetTitle(std::string(40, 'x'));
  EXPECT_EQ(info.Title(), std::string(30, 'x'));
  info.SetArtist("a");
  info.SetAlbum("b");
  info.SetComment("c");
  info.SetGenreID(200);
  EXPECT_EQ(info.GenreID(), 200);  // no range check
  EXPECT_EQ(info.Genre(), "");     // and no genre name update
  EXPECT_EQ(counts.change, 6);
  EXPECT_EQ(counts.changeFile, 0);
}

TEST(MP3Info, MissingFile) {
  ScratchFile file;
  TMP3Info info;
  EventCounts counts;
  Count(info, counts);
  info.SetFilename(file.path());
  EXPECT_FALSE(info.Valid());
  EXPECT_EQ(info.Error(), "File doesn\x60t exist !");
  EXPECT_EQ(counts.error, 1);
  EXPECT_EQ(counts.changeFile, 0);
}

TEST(MP3Info, FileWithoutTagKeepsPreviousFields) {
  ScratchFile tagged("tagged"), plain("plain");
  tagged.Write(Concat(Audio(500), TagBlock("Old", "Artist", "", "", "", 3)));
  TMP3Info info;
  info.SetFilename(tagged.path());
  ASSERT_TRUE(info.Valid());

  plain.Write(Audio(500));
  EventCounts counts;
  Count(info, counts);
  info.SetFilename(plain.path());
  EXPECT_FALSE(info.Valid());
  EXPECT_EQ(info.Error(), "Wrong file format !");
  EXPECT_EQ(counts.error, 1);
  EXPECT_EQ(info.Title(), "Old");
  EXPECT_EQ(info.GenreID(), 3);
}

TEST(MP3Info, FileShorterThanATagThrowsAndIsNotValid) {
  ScratchFile file;
  file.Write(Bytes{'T', 'A', 'G', 'x'});
  TMP3Info info;
  EventCounts counts;
  Count(info, counts);
  EXPECT_THROW(info.SetFilename(file.path()), builder::EInOutError);
  EXPECT_FALSE(info.Valid());
  EXPECT_EQ(counts.error, 0);
  EXPECT_EQ(counts.changeFile, 0);
  // A save after the failed read must not touch the file.
  info.Save();
  EXPECT_EQ(file.Read(), (Bytes{'T', 'A', 'G', 'x'}));
}

TEST(MP3Info, SaveOnAFileWithoutTagIsRefused) {
  ScratchFile file;
  const Bytes audio = Audio(700);
  file.Write(audio);
  TMP3Info info;
  info.SetFilename(file.path());
  EventCounts counts;
  Count(info, counts);
  info.SetTitle("New");
  info.Save();
  EXPECT_FALSE(info.Valid());
  EXPECT_EQ(info.Error(), "File doesn\x60t exist or is not valid !");
  EXPECT_EQ(counts.error, 1);
  EXPECT_EQ(file.Read(), audio);
}

TEST(MP3Info, SaveOverwritesInPlaceAndRoundTrips) {
  ScratchFile file;
  const Bytes audio = Audio(2000);
  file.Write(Concat(audio, TagBlock("Old title", "Old artist", "Old album", "1970", "x", 1)));
  TMP3Info info;
  info.SetFilename(file.path());
  const std::string full30 = "abcdefghijklmnopqrstuvwxyz0123";
  info.SetTitle(full30);
  info.SetArtist("Short");
  info.SetAlbum(full30 + "cut");
  info.SetYear("2024");
  info.SetComment("");
  info.SetGenreID(114);
  EventCounts counts;
  Count(info, counts);
  info.Save();
  EXPECT_EQ(counts.error + counts.change + counts.changeFile, 0);  // no event on success

  const Bytes expected = Concat(audio, TagBlock(full30, "Short", full30, "2024", "", 114));
  EXPECT_EQ(file.Read(), expected);

  TMP3Info again;
  again.SetFilename(file.path());
  EXPECT_EQ(again.Title(), full30);
  EXPECT_EQ(again.Artist(), "Short");
  EXPECT_EQ(again.Album(), full30);
  EXPECT_EQ(again.Year(), "2024");
  EXPECT_EQ(again.Comment(), "");
  EXPECT_EQ(again.GenreID(), 114);
  EXPECT_EQ(again.Genre(), "Folklore");
}

TEST(MP3Info, SaveRefusesAFileThatLostItsTagSinceReading) {
  ScratchFile file;
  file.Write(Concat(Audio(400), TagBlock("T", "A", "", "", "", 0)));
  TMP3Info info;
  info.SetFilename(file.path());
  ASSERT_TRUE(info.Valid());
  const Bytes replaced = Audio(400);
  file.Write(replaced);
  info.Save();
  EXPECT_FALSE(info.Valid());
  EXPECT_EQ(info.Error(), "File doesn\x60t exist or is not valid !");
  EXPECT_EQ(file.Read(), replaced);
}

TEST(MP3Info, SaveOnAMissingFileIsRefused) {
  ScratchFile file;
  file.Write(Concat(Audio(10), TagBlock("T", "", "", "", "", 0)));
  TMP3Info info;
  info.SetFilename(file.path());
  std::remove(file.path().c_str());
  info.Save();
  EXPECT_FALSE(info.Valid());
  EXPECT_EQ(info.Error(), "File doesn\x60t exist or is not valid !");
  EXPECT_TRUE(file.Read().empty());
}

TEST(MP3Info, AppendedTagThenSavesInPlace) {
  ScratchFile file;
  const Bytes audio = Audio(900);
  file.Write(audio);
  builder::ID3v1Fields fields;
  fields.Title = "Appended";
  fields.Year = "19999";  // cut to its field
  builder::AppendID3v1Block(file.path(), builder::MakeID3v1Block(fields));
  Bytes expected = Concat(audio, TagBlock("Appended", "", "", "1999", "", 255));
  EXPECT_EQ(file.Read(), expected);

  TMP3Info info;
  info.SetFilename(file.path());
  ASSERT_TRUE(info.Valid());
  EXPECT_EQ(info.Title(), "Appended");
  EXPECT_EQ(info.Genre(), "Other");
  info.SetArtist("Second save");
  info.Save();
  expected = Concat(audio, TagBlock("Appended", "Second save", "", "1999", "", 12));
  EXPECT_EQ(file.Read(), expected);  // same length: overwritten, not appended again
}

TEST(MP3Info, PathsAreUtf8) {
  const std::string path = "mp3info_\xC3\xBC\xE2\x82\xAC.mp3";  // u-umlaut, euro sign
  const Bytes content = Concat(Audio(50), TagBlock("Wide", "", "", "", "", 0));
  {
    platform::File out;
    ASSERT_TRUE(out.Open(path, platform::OpenMode::Create));
    ASSERT_TRUE(out.Write(content.data(), content.size()));
  }
  EXPECT_TRUE(platform::FileExists(path));
  TMP3Info info;
  info.SetFilename(path);
  EXPECT_TRUE(info.Valid());
  EXPECT_EQ(info.Title(), "Wide");
  EXPECT_TRUE(platform::DeleteFile(path));
  EXPECT_FALSE(platform::FileExists(path));
}

TEST(MP3Info, FoldersAreNotFiles) {
  EXPECT_FALSE(platform::FileExists("."));
  EXPECT_FALSE(platform::FileExists(""));
}

}  // namespace
