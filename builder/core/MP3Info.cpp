#include "builder/core/MP3Info.h"

#include <algorithm>
#include <cstring>

#include "builder/core/InOutError.h"

namespace builder {
namespace {

constexpr char kMissingFile[] = "File doesn`t exist !";
constexpr char kWrongFormat[] = "Wrong file format !";
constexpr char kCannotSave[] = "File doesn`t exist or is not valid !";

constexpr size_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93, kCommentAt = 97;
constexpr size_t kTrackAt = 126, kGenreAt = 127;
constexpr size_t kTextWidth = 30, kYearWidth = 4;
// The comment's width when a track number follows it.
constexpr size_t kCommentWidthWithTrack = kTrackAt - 1 - kCommentAt;

void CopyField(ID3v1Block& block, size_t at, size_t width, const std::string& value) {
  std::memcpy(block.data() + at, value.data(), std::min(width, value.size()));
}

// The position of the last 128 bytes; a file shorter than a tag fails as an I/O error.
int64_t LastBlockStart(const platform::File& file, const std::string& path) {
  const int64_t size = file.Size();
  if (size < 0) FailInOut("cannot take the size of", path);
  if (size < int64_t(kID3v1Size)) FailInOut("cannot seek before the start of", path);
  return size - int64_t(kID3v1Size);
}

ID3v1Block ReadLastBlock(platform::File& file, const std::string& path) {
  ID3v1Block block{};
  if (!file.Seek(LastBlockStart(file, path))) FailInOut("cannot seek in", path);
  if (file.Read(block.data(), block.size()) != block.size()) FailInOut("cannot read", path);
  return block;
}

// A text field ends at its own first zero byte; trailing spaces go.
std::string TextField(const ID3v1Block& block, size_t at, size_t width) {
  const auto* first = reinterpret_cast<const char*>(block.data()) + at;
  std::string s(first, size_t(std::find(first, first + width, '\0') - first));
  const size_t end = s.find_last_not_of(' ');
  s.erase(end == std::string::npos ? 0 : end + 1);
  return s;
}

// ID3v1.1: a zero byte at 125 and a non-zero track number at 126.
uint8_t TrackOf(const ID3v1Block& block) { return block[kTrackAt - 1] == 0 ? block[kTrackAt] : 0; }

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
  if (f.Track != 0 && f.Comment.size() <= kCommentWidthWithTrack) {
    block[kTrackAt - 1] = 0;
    block[kTrackAt] = f.Track;
  }
  block[kGenreAt] = f.GenreID;
  return block;
}

void AppendID3v1Block(const std::string& path, const ID3v1Block& block) {
  platform::File file = OpenOrFail(path, platform::OpenMode::OpenOrCreate);
  if (!file.Seek(file.Size()) || !file.Write(block.data(), block.size()))
    FailInOut("cannot write", path);
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
  if (!platform::FileExists(filename_)) return Refuse(kMissingFile);
  ID3v1Block block;
  try {
    platform::File file = OpenOrFail(filename_, platform::OpenMode::Read);
    block = ReadLastBlock(file, filename_);
  } catch (const EInOutError& e) {
    // Nothing was read, so nothing may later be saved over this file's last bytes.
    valid_ = false;
    error_ = e.what();
    throw;
  }
  marker_ = TextField(block, 0, 3);
  if (marker_ != "TAG") return Refuse(kWrongFormat);
  TakeFields(block);
  Fire(onChangeFile);
}

void TMP3Info::TakeFields(const ID3v1Block& block) {
  title_ = TextField(block, kTitleAt, kTextWidth);
  artist_ = TextField(block, kArtistAt, kTextWidth);
  album_ = TextField(block, kAlbumAt, kTextWidth);
  comment_ = TextField(block, kCommentAt, kTextWidth);
  year_ = TextField(block, kYearAt, kYearWidth);
  track_ = TrackOf(block);
  // The genre byte comes from the block itself, not from the text.
  genreId_ = block[kGenreAt] < kGenreCount ? block[kGenreAt] : kGenreOther;
  genre_ = GenreNames()[genreId_];
}

void TMP3Info::Save() {
  if (!platform::FileExists(filename_) || !valid_) return Refuse(kCannotSave);
  platform::File file = OpenOrFail(filename_, platform::OpenMode::ReadWrite);
  // The file may have changed since its tag was read: never write over audio data.
  if (!StartsWithMarker(ReadLastBlock(file, filename_))) return Refuse(kCannotSave);
  const ID3v1Block block =
      MakeID3v1Block({title_, artist_, album_, year_, comment_, genreId_, track_});
  if (!file.Seek(LastBlockStart(file, filename_)) || !file.Write(block.data(), block.size()))
    FailInOut("cannot write", filename_);
}

}  // namespace builder
