#include "builder/core/MP3Info.h"

#include <algorithm>
#include <cstring>

#include "builder/core/FileIO.h"

namespace builder {
namespace {

constexpr char kMissingFile[] = "File doesn`t exist !";
constexpr char kWrongFormat[] = "Wrong file format !";
constexpr char kCannotSave[] = "File doesn`t exist or is not valid !";

constexpr size_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93, kCommentAt = 97;
constexpr size_t kGenreAt = 127;
constexpr size_t kTextWidth = 30, kYearWidth = 4;

void CopyField(ID3v1Block& block, size_t at, size_t width, const std::string& value) {
  std::memcpy(block.data() + at, value.data(), std::min(width, value.size()));
}

ID3v1Block ReadLastBlock(File& file) {
  ID3v1Block block{};
  // A file shorter than a tag: the read before its start fails as an I/O error.
  file.ReadAt(file.Size() - int64_t(kID3v1Size), block.data(), block.size());
  return block;
}

// The tag counts as text that ends before its first zero byte; a field at or after
// that byte is empty, a field that it cuts ends there. Trailing spaces go.
std::string TextField(const ID3v1Block& block, size_t textLength, size_t at, size_t width) {
  if (at >= textLength) return std::string();
  const size_t n = std::min(width, textLength - at);
  std::string s(reinterpret_cast<const char*>(block.data()) + at, n);
  const size_t end = s.find_last_not_of(' ');
  s.erase(end == std::string::npos ? 0 : end + 1);
  return s;
}

size_t TextLength(const ID3v1Block& block) {
  return size_t(std::find(block.begin(), block.end(), uint8_t(0)) - block.begin());
}

bool StartsWithMarker(const ID3v1Block& block) {
  return block[0] == 'T' && block[1] == 'A' && block[2] == 'G';
}

}  // namespace

ID3v1Block MakeID3v1Block(const ID3v1Fields& f) {
  ID3v1Block block;
  block.fill(' ');
  std::memcpy(block.data(), "TAG", 3);
  CopyField(block, kTitleAt, kTextWidth, f.Title);
  CopyField(block, kArtistAt, kTextWidth, f.Artist);
  CopyField(block, kAlbumAt, kTextWidth, f.Album);
  CopyField(block, kCommentAt, kTextWidth, f.Comment);
  CopyField(block, kYearAt, kYearWidth, f.Year);
  block[kGenreAt] = f.GenreID;
  return block;
}

void AppendID3v1Block(const std::string& path, const ID3v1Block& block) {
  File file(path, File::Mode::Append);
  file.Append(block.data(), block.size());
  file.Close();
}

void TMP3Info::Fire(const std::function<void()>& event) {
  if (event) event();
}

void TMP3Info::SetText(std::string& field, const std::string& value, size_t width) {
  field = value.substr(0, width);
  Fire(onChange);
}

void TMP3Info::SetGenreID(uint8_t v) {
  genreId_ = v;
  Fire(onChange);
}

void TMP3Info::Refuse(const char* message) {
  valid_ = false;
  error_ = message;
  Fire(onError);
}

void TMP3Info::SetFilename(const std::string& path) {
  filename_ = path;
  ReadTag();
}

void TMP3Info::ReadTag() {
  valid_ = true;
  if (!FileExists(filename_)) return Refuse(kMissingFile);
  ID3v1Block block;
  try {
    File file(filename_, File::Mode::Read);
    block = ReadLastBlock(file);
  } catch (const EInOutError& e) {
    // Nothing was read, so nothing may later be saved over this file's last bytes.
    valid_ = false;
    error_ = e.what();
    throw;
  }
  const size_t textLength = TextLength(block);
  marker_.assign(reinterpret_cast<const char*>(block.data()), std::min<size_t>(3, textLength));
  if (marker_ != "TAG") return Refuse(kWrongFormat);
  TakeFields(block);
  Fire(onChangeFile);
}

void TMP3Info::TakeFields(const ID3v1Block& block) {
  const size_t n = TextLength(block);
  title_ = TextField(block, n, kTitleAt, kTextWidth);
  artist_ = TextField(block, n, kArtistAt, kTextWidth);
  album_ = TextField(block, n, kAlbumAt, kTextWidth);
  comment_ = TextField(block, n, kCommentAt, kTextWidth);
  year_ = TextField(block, n, kYearAt, kYearWidth);
  // The genre byte comes from the block itself, not from the text.
  genreId_ = block[kGenreAt] < kGenreCount ? block[kGenreAt] : kGenreOther;
  genre_ = GenreNames()[genreId_];
}

void TMP3Info::Save() {
  if (!FileExists(filename_) || !valid_) return Refuse(kCannotSave);
  File file(filename_, File::Mode::ReadWrite);
  // The file may have changed since its tag was read: never write over audio data.
  if (!StartsWithMarker(ReadLastBlock(file))) return Refuse(kCannotSave);
  const ID3v1Block block = MakeID3v1Block({title_, artist_, album_, year_, comment_, genreId_});
  file.WriteAt(file.Size() - int64_t(kID3v1Size), block.data(), block.size());
  file.Close();
}

}  // namespace builder
