// The builder's main window "Vardex Converter" without its window: the source and
// target fields, the enable rules of the create button and of the tag buttons, the
// ID3v1 tag editing, saving and appending, the size estimate, the preview caption
// and the status-bar hints. The Win32 shell shows this state and forwards events.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "builder/core/MP3Info.h"
#include "builder/core/OutputLayout.h"
#include "builder/core/StyleTab.h"

namespace builder {

// "The Targetfile will have a filesize of %f MB." with (song size + start offset)
// in MB, two decimals and the given decimal separator.
std::string SizeEstimateText(int64_t songSize, const std::string& decimalSeparator);

// The text with its extension replaced by ".exe" (appended when it has none). An
// empty text stays empty.
std::string ForceExeExtension(const std::string& path);

// What the pointer is over, for the status-bar hints.
enum class HintTarget {
  Window,        // the window, the two right tabs, the song-information tab
  CreateButton,  // BitBtn1 or the label Label10 over it
  AboutButton,   // BitBtn3
  SelectSong,    // Button1
  ChooseTarget,  // Button2
  EditTag,       // ChangeBtn
  SaveTag,       // SaveChangesBtn
};

enum class TagField { Title, Artist, Album, Year, Comment };

// The texts of the "Information about the Song:" tab.
struct TagView {
  std::string filename;                             // Edit1
  std::string title, artist, album, year, comment;  // Edit2 .. Edit6
  int genre = -1;                                   // ComboBox1's item index, -1: none
};

class TMainForm {
 public:
  // The style tab receives the preview caption.
  TMainForm(TStyleTab& style, std::string decimalSeparator);

  // Source (Edit7) and target (Edit8). Edit7Change reads the song's tag and size
  // when the text names an existing file; an unreadable file throws EInOutError.
  const std::string& Source() const { return source_; }
  void Edit7Change(const std::string& text);
  const std::string& Target() const { return target_; }
  void Edit8Change(const std::string& text);
  void Edit8Exit();
  bool CreateEnabled() const { return createEnabled_; }  // BitBtn1
  void SetCreateEnabled(bool on) { createEnabled_ = on; }

  const std::string& SizeEstimate() const { return sizeEstimate_; }  // Label13

  // The tag.
  const TagView& Tag() const { return tag_; }
  bool NoTag() const { return noTag_; }
  bool ChangeEnabled() const { return changeEnabled_; }  // ChangeBtn
  bool SaveEnabled() const { return saveEnabled_; }      // SaveChangesBtn
  bool TagControlsEnabled() const { return editing_; }   // Edit2..Edit6, ComboBox1
  void ChangeBtnClick();
  // A change of a tag control: stored, and during editing Edit2Change runs.
  void TagFieldChanged(TagField field, const std::string& text);
  void GenreChanged(int index);
  // Writes the tag (appending a fresh one to a song without one) and ends editing.
  // A refused save throws EInOutError with the component's message and keeps editing.
  void SaveChangesBtnClick();
  TMP3Info& MP3Info1() { return mp3Info_; }

  // Files dropped on the window: the first MP3 among them becomes the source, as if
  // chosen with "Select MP3-Song"; nothing is taken while a build or a test animation
  // runs.
  bool DropAccepted() const { return !buildInProgress_ && !style_.TestRunning(); }
  std::optional<std::string> DroppedSong(const std::vector<std::string>& paths) const;

  // Status-bar hints; none while a build runs.
  bool BuildInProgress() const { return buildInProgress_; }
  void SetBuildInProgress(bool on) { buildInProgress_ = on; }
  std::optional<std::string> Hint(HintTarget target) const;

 private:
  void MP3Info1ChangeFile();
  void Edit2Change();
  void UpdateCreateEnabled();
  void UpdatePreviewCaption(const std::string& title, const std::string& artist);
  void EndEditing();
  std::string* FieldText(TagField field);

  TStyleTab& style_;
  std::string decimalSeparator_;
  TMP3Info mp3Info_;
  std::string source_, target_;
  std::string sizeEstimate_;
  TagView tag_;
  bool noTag_ = false;
  bool changeEnabled_ = false;
  bool saveEnabled_ = false;
  bool editing_ = false;
  bool createEnabled_ = false;
  bool buildInProgress_ = false;
};

}  // namespace builder
