#include "builder/core/MainForm.h"

#include <cctype>
#include <cstdio>

#include "builder/core/InOutError.h"
#include "builder/core/PlayerWindowTexts.h"
#include "platform/Paths.h"

namespace builder {
namespace {

constexpr char kNoSongHint[] = "Please select an MP3 Song first.";

// Runs a step when the scope ends, also when it ends by an exception.
template <typename F>
class Finally {
 public:
  explicit Finally(F f) : f_(f) {}
  ~Finally() { f_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

}  // namespace

std::string SizeEstimateText(int64_t songSize, const std::string& decimalSeparator) {
  const double mb = double(songSize + kStartOffset) / 1024.0 / 1024.0;
  char number[64];
  std::snprintf(number, sizeof number, "%.2f", mb);
  std::string text = number;
  const size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, decimalSeparator);
  return "The Targetfile will have a filesize of " + text + " MB.";
}

std::string ForceExeExtension(const std::string& path) {
  if (path.empty()) return path;
  return path.substr(0, path.size() - platform::ExtractFileExt(path).size()) + ".exe";
}

TMainForm::TMainForm(TStyleTab& style, std::string decimalSeparator)
    : style_(style), decimalSeparator_(std::move(decimalSeparator)) {
  mp3Info_.onChangeFile = [this] { MP3Info1ChangeFile(); };
  mp3Info_.onError = [this] { noTag_ = true; };  // MP3Info1Error
}

void TMainForm::UpdateCreateEnabled() { createEnabled_ = !source_.empty() && !target_.empty(); }

void TMainForm::Edit7Change(const std::string& text) {
  source_ = text;
  Finally enable([this] { UpdateCreateEnabled(); });
  if (!platform::FileExists(text)) return;
  // A new song ends the editing of the previous one's tag.
  EndEditing();
  tag_ = TagView{};
  mp3Info_.SetFilename(text);
  if (tag_.filename.empty()) tag_.filename = platform::ExtractFileName(text);
  changeEnabled_ = true;
  const int64_t songSize = OpenOrFail(text, platform::OpenMode::Read).Size();
  if (songSize < 0) FailInOut("cannot take the size of", text);
  sizeEstimate_ = SizeEstimateText(songSize, decimalSeparator_);
  if (!tag_.title.empty()) UpdatePreviewCaption(mp3Info_.Title(), tag_.artist);
}

void TMainForm::MP3Info1ChangeFile() {
  noTag_ = false;
  tag_.filename = platform::ExtractFileName(mp3Info_.Filename());
  tag_.title = mp3Info_.Title();
  tag_.artist = mp3Info_.Artist();
  tag_.album = mp3Info_.Album();
  tag_.year = mp3Info_.Year();
  tag_.comment = mp3Info_.Comment();
  tag_.genre = mp3Info_.GenreID();
}

void TMainForm::Edit8Change(const std::string& text) {
  target_ = text;
  UpdateCreateEnabled();
}

void TMainForm::Edit8Exit() { Edit8Change(ForceExeExtension(target_)); }

void TMainForm::UpdatePreviewCaption(const std::string& title, const std::string& artist) {
  style_.SetPreviewCaption(CaptionFor(title, artist));
}

void TMainForm::ChangeBtnClick() {
  editing_ = true;
  changeEnabled_ = false;
}

std::string* TMainForm::FieldText(TagField field) {
  switch (field) {
    case TagField::Title:
      return &tag_.title;
    case TagField::Artist:
      return &tag_.artist;
    case TagField::Album:
      return &tag_.album;
    case TagField::Year:
      return &tag_.year;
    case TagField::Comment:
      return &tag_.comment;
  }
  return nullptr;
}

void TMainForm::TagFieldChanged(TagField field, const std::string& text) {
  const size_t limit = field == TagField::Year ? 4 : 30;
  *FieldText(field) = text.substr(0, limit);
  if (editing_) Edit2Change();
}

void TMainForm::GenreChanged(int index) {
  tag_.genre = index >= 0 && index < kGenreCount ? index : -1;
  if (editing_) Edit2Change();
}

void TMainForm::Edit2Change() {
  saveEnabled_ = true;
  if (!tag_.title.empty()) UpdatePreviewCaption(tag_.title, tag_.artist);
}

void TMainForm::SaveChangesBtnClick() {
  const uint8_t genre = tag_.genre < 0 ? 255 : uint8_t(tag_.genre);
  if (noTag_ && platform::FileExists(mp3Info_.Filename())) {
    AppendID3v1Block(mp3Info_.Filename(), MakeID3v1Block({tag_.title, tag_.artist, tag_.album,
                                                          tag_.year, tag_.comment, genre}));
    // Read again: the song now counts as tagged and later saves overwrite.
    mp3Info_.SetFilename(mp3Info_.Filename());
  } else {
    mp3Info_.SetTitle(tag_.title);
    mp3Info_.SetArtist(tag_.artist);
    mp3Info_.SetAlbum(tag_.album);
    mp3Info_.SetYear(tag_.year);
    mp3Info_.SetComment(tag_.comment);
    mp3Info_.SetGenreID(genre);
    mp3Info_.Save();
    // A refused save must not look like a saved tag.
    if (!mp3Info_.Valid()) throw EInOutError(mp3Info_.Error());
  }
  EndEditing();
  changeEnabled_ = !mp3Info_.Filename().empty();
}

void TMainForm::EndEditing() {
  editing_ = false;
  saveEnabled_ = false;
}

std::optional<std::string> TMainForm::DroppedSong(const std::vector<std::string>& paths) const {
  if (!DropAccepted()) return std::nullopt;
  for (const std::string& path : paths) {
    std::string extension = platform::ExtractFileExt(path);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".mp3") return path;
  }
  return std::nullopt;
}

std::optional<std::string> TMainForm::Hint(HintTarget target) const {
  if (buildInProgress_) return std::nullopt;
  switch (target) {
    case HintTarget::Window:
      return std::string();
    case HintTarget::CreateButton:
      if (!source_.empty() && !target_.empty())
        return std::string("With this Button you can create the .EXE File");
      if (!source_.empty()) return std::string("Please select an Targetfile first");
      return std::string(kNoSongHint);
    case HintTarget::AboutButton:
      return std::string("Information about Vardex");
    case HintTarget::SelectSong:
      return std::string("Please select an MP3 Song from which the EXE file should be created");
    case HintTarget::ChooseTarget:
      return std::string("Choose the name and the Location of the file that will be created");
    case HintTarget::EditTag:
      if (changeEnabled_)
        return std::string("Click to change the Information stored in the MP3-Tags.");
      return std::string(kNoSongHint);
    case HintTarget::SaveTag:
      if (saveEnabled_) return std::string("Save the Information in the MP3-Tags of the file");
      if (changeEnabled_)
        return std::string("You have to change Information for the MP3-Tags first");
      return std::string(kNoSongHint);
  }
  return std::nullopt;
}

}  // namespace builder
