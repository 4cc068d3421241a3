#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "builder/core/InOutError.h"
#include "builder/core/MainForm.h"
#include "builder/core/PlayerWindowTexts.h"
#include "builder/core/SplitOption.h"
#include "platform/Paths.h"
#include "tests/builder/ScratchFile.h"

namespace {

using builder::HintTarget;
using builder::TagField;
using builder::TMainForm;
using builder::TStyleTab;
using buildertest::Audio;
using buildertest::Bytes;
using Song = buildertest::ScratchFile;

Bytes Tagged(size_t audio, const builder::ID3v1Fields& f) {
  Bytes b = Audio(audio);
  const auto tag = builder::MakeID3v1Block(f);
  b.insert(b.end(), tag.begin(), tag.end());
  return b;
}

struct Form {
  TStyleTab style;
  TMainForm form{style, ","};
};

TEST(SizeEstimate, ThreeMillionBytesGive326) {
  EXPECT_EQ(builder::SizeEstimateText(3000000, "."),
            "The Targetfile will have a filesize of 3.26 MB.");
  EXPECT_EQ(builder::SizeEstimateText(3000000, ","),
            "The Targetfile will have a filesize of 3,26 MB.");
  EXPECT_EQ(builder::SizeEstimateText(0, "."), "The Targetfile will have a filesize of 0.40 MB.");
}

TEST(Paths, ExeExtensionIsForced) {
  EXPECT_EQ(builder::ForceExeExtension("C:\\out\\song"), "C:\\out\\song.exe");
  EXPECT_EQ(builder::ForceExeExtension("C:\\out\\song.mp3"), "C:\\out\\song.exe");
  EXPECT_EQ(builder::ForceExeExtension("C:\\my.dir\\song"), "C:\\my.dir\\song.exe");
  EXPECT_EQ(builder::ForceExeExtension("a.b.EXE"), "a.b.exe");
  EXPECT_EQ(builder::ForceExeExtension(""), "");
  EXPECT_EQ(platform::ExtractFileName("C:\\x\\y.mp3"), "y.mp3");
  EXPECT_EQ(platform::ExtractFileName("/x/y.mp3"), "y.mp3");
  EXPECT_EQ(platform::ExtractFileName("y.mp3"), "y.mp3");
}

TEST(Paths, PreviewCaption) {
  EXPECT_EQ(builder::CaptionFor("Song", "Band"), "Playing Song from Band...");
  EXPECT_EQ(builder::CaptionFor("Song", ""), "Playing Song...");
}

TEST(MainForm, CreateButtonNeedsBothFields) {
  Form f;
  EXPECT_FALSE(f.form.CreateEnabled());
  f.form.Edit7Change("no such file.mp3");
  EXPECT_FALSE(f.form.CreateEnabled());
  EXPECT_FALSE(f.form.ChangeEnabled());  // typing names no file: nothing else happens
  EXPECT_TRUE(f.form.SizeEstimate().empty());
  f.form.Edit8Change("out");
  EXPECT_TRUE(f.form.CreateEnabled());
  f.form.Edit8Exit();
  EXPECT_EQ(f.form.Target(), "out.exe");
  f.form.Edit7Change("");
  EXPECT_FALSE(f.form.CreateEnabled());
}

TEST(MainForm, TaggedSongFillsTheFieldsAndTheEstimate) {
  Song song("");
  song.Write(Tagged(3000000 - 128, {"Song", "Band", "Album", "1999", "Note", 17}));
  Form f;
  f.form.Edit7Change(song.path());
  EXPECT_FALSE(f.form.NoTag());
  EXPECT_EQ(f.form.Tag().filename, song.path());
  EXPECT_EQ(f.form.Tag().title, "Song");
  EXPECT_EQ(f.form.Tag().artist, "Band");
  EXPECT_EQ(f.form.Tag().year, "1999");
  EXPECT_EQ(f.form.Tag().genre, 17);
  EXPECT_TRUE(f.form.ChangeEnabled());
  EXPECT_FALSE(f.form.TagControlsEnabled());
  EXPECT_EQ(f.form.SizeEstimate(), "The Targetfile will have a filesize of 3,26 MB.");
  EXPECT_EQ(f.style.Preview().caption, "Playing Song from Band...");
}

TEST(MainForm, UntaggedSongAppendsOnceThenOverwrites) {
  Song song("");
  song.Write(Audio(5000));
  Form f;
  f.form.Edit7Change(song.path());
  EXPECT_TRUE(f.form.NoTag());
  EXPECT_EQ(f.form.Tag().filename, song.path());
  EXPECT_TRUE(f.form.Tag().title.empty());
  f.form.ChangeBtnClick();
  EXPECT_TRUE(f.form.TagControlsEnabled());
  EXPECT_FALSE(f.form.ChangeEnabled());
  EXPECT_FALSE(f.form.SaveEnabled());
  f.form.TagFieldChanged(TagField::Title, "A title that is longer than thirty characters");
  EXPECT_TRUE(f.form.SaveEnabled());
  EXPECT_EQ(f.style.Preview().caption, "Playing A title that is longer than th...");
  f.form.TagFieldChanged(TagField::Year, "2024");
  f.form.SaveChangesBtnClick();
  EXPECT_FALSE(f.form.TagControlsEnabled());
  EXPECT_FALSE(f.form.SaveEnabled());
  EXPECT_TRUE(f.form.ChangeEnabled());
  Bytes after = song.Read();
  ASSERT_EQ(after.size(), 5000u + 128u);
  EXPECT_EQ(std::string(after.begin() + 5000, after.begin() + 5003), "TAG");
  EXPECT_EQ(after.back(), 255);  // no genre chosen
  EXPECT_EQ(after[5000 + 93], '2');
  EXPECT_FALSE(f.form.NoTag());

  f.form.ChangeBtnClick();
  f.form.TagFieldChanged(TagField::Artist, "Band");
  f.form.GenreChanged(114);
  f.form.SaveChangesBtnClick();
  after = song.Read();
  ASSERT_EQ(after.size(), 5000u + 128u);  // overwritten, not appended again
  EXPECT_EQ(std::string(after.begin() + 5033, after.begin() + 5037), "Band");
  EXPECT_EQ(after.back(), 114);
}

TEST(MainForm, TaggedSongAfterUntaggedOneIsOverwritten) {
  Song bare("a");
  bare.Write(Audio(1000));
  Song tagged("b");
  tagged.Write(Tagged(1000, {"Old", "", "", "", "", 3}));
  Form f;
  f.form.Edit7Change(bare.path());
  EXPECT_TRUE(f.form.NoTag());
  f.form.Edit7Change(tagged.path());
  EXPECT_FALSE(f.form.NoTag());
  f.form.ChangeBtnClick();
  f.form.TagFieldChanged(TagField::Title, "New");
  f.form.SaveChangesBtnClick();
  const Bytes after = tagged.Read();
  ASSERT_EQ(after.size(), 1128u);
  EXPECT_EQ(std::string(after.begin() + 1003, after.begin() + 1006), "New");
  EXPECT_EQ(after.back(), 3);
  EXPECT_EQ(bare.Read().size(), 1000u);
}

TEST(MainForm, LoadingASongEndsTheEditingOfThePrevious) {
  Song a("a");
  a.Write(Tagged(1000, {"One", "", "", "", "", 1}));
  Form f;
  f.form.Edit7Change(a.path());
  f.form.ChangeBtnClick();
  f.form.TagFieldChanged(TagField::Title, "Changed");
  f.form.Edit7Change(a.path());
  EXPECT_FALSE(f.form.TagControlsEnabled());
  EXPECT_FALSE(f.form.SaveEnabled());
  EXPECT_TRUE(f.form.ChangeEnabled());
  EXPECT_EQ(f.form.Tag().title, "One");
}

TEST(MainForm, RefusedSaveIsReportedAndKeepsEditing) {
  Song a("a");
  a.Write(Tagged(1000, {"One", "", "", "", "", 1}));
  Form f;
  f.form.Edit7Change(a.path());
  f.form.ChangeBtnClick();
  f.form.TagFieldChanged(TagField::Title, "Two");
  // The tag vanished behind the builder's back: nothing may be written over audio.
  a.Write(Audio(2000));
  EXPECT_THROW(f.form.SaveChangesBtnClick(), builder::EInOutError);
  EXPECT_TRUE(f.form.TagControlsEnabled());
  EXPECT_EQ(a.Read(), Audio(2000));
}

TEST(MainForm, EditsOutsideEditingDoNothing) {
  Form f;
  f.form.TagFieldChanged(TagField::Title, "x");
  EXPECT_FALSE(f.form.SaveEnabled());
  EXPECT_EQ(f.style.Preview().caption, "Vardex");
}

TEST(MainForm, DroppedFilesGiveTheFirstMp3UnlessBusy) {
  Form f;
  using Paths = std::vector<std::string>;
  EXPECT_EQ(f.form.DroppedSong({"C:\\a\\notes.txt", "C:\\a.b\\Song.MP3", "d.mp3"}),
            "C:\\a.b\\Song.MP3");
  EXPECT_EQ(f.form.DroppedSong(Paths{"C:\\mp3", "x.mp3.wav", "C:\\mp3.d\\readme"}), std::nullopt);
  f.form.SetBuildInProgress(true);
  EXPECT_FALSE(f.form.DropAccepted());
  EXPECT_EQ(f.form.DroppedSong({"d.mp3"}), std::nullopt);
  f.form.SetBuildInProgress(false);
  // During the test animation (its wait is where other handlers run).
  bool acceptedDuringTest = true;
  f.style.RunTest(nullptr, [&](int64_t) {
    acceptedDuringTest = f.form.DropAccepted();
    return false;
  });
  EXPECT_FALSE(acceptedDuringTest);
  EXPECT_TRUE(f.form.DropAccepted());
}

TEST(MainForm, StatusBarHints) {
  Song song("");
  song.Write(Audio(500));
  Form f;
  EXPECT_EQ(f.form.Hint(HintTarget::Window), "");
  EXPECT_EQ(f.form.Hint(HintTarget::CreateButton), "Please select an MP3 Song first.");
  EXPECT_EQ(f.form.Hint(HintTarget::EditTag), "Please select an MP3 Song first.");
  EXPECT_EQ(f.form.Hint(HintTarget::SaveTag), "Please select an MP3 Song first.");
  EXPECT_EQ(f.form.Hint(HintTarget::AboutButton), "Information about Vardex");
  EXPECT_EQ(f.form.Hint(HintTarget::SelectSong),
            "Please select an MP3 Song from which the EXE file should be created");
  EXPECT_EQ(f.form.Hint(HintTarget::ChooseTarget),
            "Choose the name and the Location of the file that will be created");
  f.form.Edit7Change(song.path());
  EXPECT_EQ(f.form.Hint(HintTarget::CreateButton), "Please select an Targetfile first");
  EXPECT_EQ(f.form.Hint(HintTarget::EditTag),
            "Click to change the Information stored in the MP3-Tags.");
  EXPECT_EQ(f.form.Hint(HintTarget::SaveTag),
            "You have to change Information for the MP3-Tags first");
  f.form.Edit8Change("x.exe");
  EXPECT_EQ(f.form.Hint(HintTarget::CreateButton), "With this Button you can create the .EXE File");
  f.form.ChangeBtnClick();
  f.form.TagFieldChanged(TagField::Comment, "c");
  EXPECT_EQ(f.form.Hint(HintTarget::SaveTag), "Save the Information in the MP3-Tags of the file");
  f.form.SetBuildInProgress(true);
  EXPECT_FALSE(f.form.Hint(HintTarget::Window).has_value());
  EXPECT_FALSE(f.form.Hint(HintTarget::CreateButton).has_value());
}

TEST(SplitOption, ItemsGiveTheirSizes) {
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siKb720, ""), 737280);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siMb144, "5"), 1474560);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, "192"), 196608);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, "191"), 195584);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, " 200 "), 204800);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, "12a"), 0);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, ""), 0);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, "-5"), 0);
  EXPECT_EQ(builder::MaxSegmentSizeFor(builder::siOther, "99999999999"), 2147483647);
  EXPECT_EQ(builder::MaxSegmentSizeFor(-1, "100"), 0);
}

TEST(SplitOption, CheckBoxEnablesTheGroupAndDecidesSplitting) {
  builder::TSplitOption s;
  EXPECT_FALSE(s.GroupEnabled());
  EXPECT_EQ(s.EditColor(), builder::kClBtnFace);
  EXPECT_EQ(s.ItemIndex(), -1);
  s.CheckBox1Click(true);
  EXPECT_TRUE(s.GroupEnabled());
  EXPECT_EQ(s.EditColor(), builder::kClWindow);
  EXPECT_EQ(s.EffectiveSize(), 0);  // no item yet
  s.SetItemIndex(builder::siOther);
  s.SetText("300");
  EXPECT_EQ(s.EffectiveSize(), 307200);
  s.CheckBox1Click(false);
  EXPECT_EQ(s.EffectiveSize(), 0);
}

}  // namespace
