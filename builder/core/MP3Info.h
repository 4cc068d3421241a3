// TMP3Info: reads and writes the ID3v1 tag of an MP3 file, the 128-byte block at the
// very end of the file:
//
//   offset length content
//     0      3    "TAG"
//     3     30    title        (padded with spaces)
//    33     30    artist
//    63     30    album
//    93      4    year
//    97     30    comment
//   127      1    genre number (an index into the component's own genre table)
//
// Each text field ends at its own first zero byte (taggers such as lame pad with zeros)
// and loses its trailing spaces. ID3v1.1 keeps a track number in the comment's last
// byte, 126, when byte 125 is zero; a save keeps it.
//
// Texts are 8-bit strings as they stand in the file. The component knows nothing
// of the audio stream itself.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace builder {

inline constexpr size_t kID3v1Size = 128;
using ID3v1Block = std::array<uint8_t, kID3v1Size>;

// The component's genre table: 115 names, numbered from 0.
inline constexpr int kGenreCount = 115;
inline constexpr uint8_t kGenreOther = 12;
const std::array<const char*, kGenreCount>& GenreNames();

struct ID3v1Fields {
  std::string Title, Artist, Album, Year, Comment;
  uint8_t GenreID = 255;
  uint8_t Track = 0;  // ID3v1.1 track number, 0: none
};

// A fresh tag block: spaces, "TAG", each text copied without a terminator (cut to
// its field's width), the genre byte at 127. A track number goes to byte 126 behind
// a zero byte at 125 when the comment leaves room for it (28 characters or fewer); a
// longer comment takes the whole field.
ID3v1Block MakeID3v1Block(const ID3v1Fields& fields);

// Appends a block to the end of a file that has no tag yet (the builder's save of a
// song without a tag). Throws EInOutError when the file cannot be written.
void AppendID3v1Block(const std::string& path, const ID3v1Block& block);

class TMP3Info {
 public:
  TMP3Info() = default;

  // Setting the path reads the tag at once, every time. A missing file or a missing
  // "TAG" marker is reported through Valid, Error and onError; a file that cannot be
  // read (unopenable, shorter than 128 bytes) throws EInOutError.
  const std::string& Filename() const { return filename_; }
  void SetFilename(const std::string& path);

  // Texts keep their first 30 characters (Year: 4) and fire onChange.
  const std::string& Artist() const { return artist_; }
  void SetArtist(const std::string& v) { SetText(artist_, v, kTextWidth); }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { SetText(title_, v, kTextWidth); }
  const std::string& Album() const { return album_; }
  void SetAlbum(const std::string& v) { SetText(album_, v, kTextWidth); }
  const std::string& Year() const { return year_; }
  void SetYear(const std::string& v) { SetText(year_, v, kYearWidth); }
  const std::string& Comment() const { return comment_; }
  void SetComment(const std::string& v) { SetText(comment_, v, kTextWidth); }

  // The name of the genre that was read; setting GenreID does not change it.
  const std::string& Genre() const { return genre_; }
  // Stored unchanged (no range check); fires onChange.
  uint8_t GenreID() const { return genreId_; }
  void SetGenreID(uint8_t v);

  // The ID3v1.1 track number that was read (0: none); Save writes it back.
  uint8_t Track() const { return track_; }

  bool Valid() const { return valid_; }
  const std::string& Error() const { return error_; }

  // Overwrites the file's existing tag block with the current fields; the file
  // length does not change. Refused (Valid false, Error, onError) when the file is
  // missing, no tag was read from it, or its last 128 bytes no longer start with
  // "TAG". Throws EInOutError when the file cannot be written.
  void Save();

  std::function<void()> onChangeFile;  // a tag has been read
  std::function<void()> onChange;      // a field has been set through its setter
  std::function<void()> onError;       // a read failed or a save was refused

 private:
  static constexpr size_t kTextWidth = 30;
  static constexpr size_t kYearWidth = 4;

  void SetText(std::string& field, const std::string& value, size_t width);
  void ReadTag();
  void TakeFields(const ID3v1Block& block);
  void Refuse(const char* message);
  static void Fire(const std::function<void()>& event);

  std::string filename_;
  std::string marker_;
  std::string artist_, title_, album_, comment_, year_;
  std::string genre_;
  std::string error_;
  uint8_t genreId_ = kGenreOther;
  uint8_t track_ = 0;
  bool valid_ = false;
};

}  // namespace builder
