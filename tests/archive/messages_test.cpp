#include "archive/Messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using archive::TExtrMessages;
using M = archive::TExtrMessages;

const archive::TLanguage kAllLanguages[] = {
    archive::lgEnglish, archive::lgFrench,  archive::lgChinese, archive::lgPortuguese,
    archive::lgGerman,  archive::lgItalian, archive::lgRussian, archive::lgSpanish};

TExtrMessages Filled(archive::TLanguage language) {
  TExtrMessages m;
  archive::FillMessages(language, m);
  return m;
}

// The format specifiers of a text in order ("%s", "%.0n", ...); "%%" is not one.
std::vector<std::string> Specifiers(const std::string& text) {
  std::vector<std::string> found;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '%') continue;
    if (k + 1 < text.size() && text[k + 1] == '%') {
      ++k;
      continue;
    }
    size_t end = k + 1;
    while (end < text.size() && std::string("0123456789:.*-").find(text[end]) != std::string::npos)
      ++end;
    found.push_back(text.substr(k, end + 1 - k));
    k = end;
  }
  return found;
}

bool IsValidUtf8(const std::string& s) {
  for (size_t k = 0; k < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[k]);
    size_t extra = 0;
    if (c >= 0x80) {
      if ((c & 0xE0) == 0xC0)
        extra = 1;
      else if ((c & 0xF0) == 0xE0)
        extra = 2;
      else if ((c & 0xF8) == 0xF0)
        extra = 3;
      else
        return false;
    }
    if (k + extra >= s.size()) return false;
    for (size_t j = 1; j <= extra; ++j)
      if ((static_cast<unsigned char>(s[k + j]) & 0xC0) != 0x80) return false;
    k += extra + 1;
  }
  return true;
}

TEST(Messages, EnglishTextsAreTheComponentsOwn) {
  struct Expected {
    std::string M::*member;
    const char* text;
  };
  const Expected expected[] = {
      {&M::BadSignature, "Bad signature: file \"%s\" is not a valid archive"},
      {&M::FileNameNeeded, "\"Archiver\" needs property \"FileName\""},
      {&M::SystemMessage, "System Message"},
      {&M::AcceptArchiveFailed, "This archive can not be used"},
      {&M::EnterCryptKey, "Enter the encrypt key:"},
      {&M::EnterDecryptKey, "Enter the decrypt key:"},
      {&M::KeyTooShort, "The key is too short. It must contain %d chars at least."},
      {&M::ConfirmCryptKey, "Confirm the encrypt key:"},
      {&M::KeyNotConfirmed, "The key could not be confirmed. Enter it again."},
      {&M::ArchiveIsReadOnly, "Archive is ReadOnly"},
      {&M::CanNotCreateArchive, "This component can not create an archive"},
      {&M::CannotCreateDir, "Can not create directory"},
      {&M::SelectADirectory, "Select a directory:"},
      {&M::Ok, "OK"},
      {&M::Cancel, "Cancel"},
      {&M::Information, "Information"},
      {&M::Warning, "Warning"},
      {&M::Confirmation, "Confirmation"},
      {&M::Error, "Error"},
      {&M::CanNotBuildTempFileName, "Can not build a temporary FileName"},
      {&M::Yes, "&Yes"},
      {&M::YesToAll, "Yes to &All"},
      {&M::No, "&No"},
      {&M::AFile, "File"},
      {&M::CanContinue, "Do you want to continue ?"},
      {&M::UnknownVersion, "Unknown version"},
      {&M::CouldNotCompressBlock, "Could not compress Block"},
      {&M::DeleteFileEventNeeded,
       "You must define the event OnDeleteFile in order to filter the files that must be deleted."},
      {&M::CouldNotRenameArchive, "Could not rename archive from \"%s\" to \"%s\""},
      {&M::InsertNewDisk, "Insert new disk for segment #%d in drive %s"},
      {&M::SelectNewPlace, "Select a new place for storing the segment #%d of Archive %s"},
      {&M::NotEnoughFreeSpaceOn, "There's not enough free space on drive %s"},
      {&M::UnableToDeleteFiles, "Unable to delete files from a segmented archive"},
      {&M::ConfirmFileDeletion, "Drive %s contains files. Do you want to delete them ?"},
      {&M::MaxSegmentSizeTooSmall,
       "Maximum size of a Segment is too small (property MaxSegmentSize)"},
      {&M::CantPerformThisOp, "Can't perform this operation on a segmented archive"},
      {&M::AddingFile, "Adding %s (%.0n)"},
      {&M::DeletingFiles, "Deleting files..."},
      {&M::DeleteFile, "Delete file %s"},
      {&M::MakingSFXArchive, "Making a SFX archive..."},
      {&M::CompressingSolidArchive, "Compressing solid archive"},
      {&M::CopyingArchive, "Copying archive..."},
      {&M::CouldNotCopyArchive, "Could not copy archive"},
      {&M::UpdatingFile, "Updating %s (%.0n)"},
      {&M::ReplacingFile, "Replacing %s (%.0n)"},
      {&M::CouldNotUncompressBlock, "Could not uncompress Block"},
      {&M::AskOverwrite, ""},
      {&M::NeedExtractPath, "I need a path for the extraction (property ExtractPath)"},
      {&M::InsertDisk, "Insert disk for segment #%d in drive %s"},
      {&M::LocateSegment, "Locate segment #%d of Archive %s"},
      {&M::WrongSegment, "This was not the segment #%d of Archive %s !"},
      {&M::InsertLastSegment, "Insert disk containing the last segment in drive %s"},
      {&M::LocateLastSegment, "Locate last segment of Archive %s"},
      {&M::WrongLastSegment, "This is not the last segment !"},
      {&M::WrongNextSegment, "This segment is not the next in the sequence"},
      {&M::BadCRC, "Bad CRC: data stored in the archive is corrupted"},
      {&M::BadKey, "The file could not be decrypted. You entered a bad key"},
      {&M::ReplaceFile, "Replace File :"},
      {&M::WithFile, "With File :"},
      {&M::ConfirmFileOverwrite, "Confirm File Overwrite"},
      {&M::ExtractingFile, "Extracting %s (%d)"},
      {&M::LoadingArchiveContnent, "Loading archive content..."},
      {&M::UncompressingSolidArchive, "Uncompressing solid archive..."},
      {&M::CheckingFile, "Checking %s (%d)"},
      // Ours: the structural faults.
      {&M::TruncatedArchive, "Archive \"%s\" is incomplete: the file ends too early"},
      {&M::DamagedArchive, "Archive \"%s\" is damaged: impossible lengths or offsets"},
  };
  const TExtrMessages m = Filled(archive::lgEnglish);
  for (const Expected& e : expected) EXPECT_EQ(m.*e.member, e.text);
  EXPECT_EQ(std::size(expected), archive::MessageFields().size());
}

TEST(Messages, AutomaticCountsAsEnglish) {
  const TExtrMessages automatic = Filled(archive::lgAutomatic);
  const TExtrMessages english = Filled(archive::lgEnglish);
  for (const auto& field : archive::MessageFields())
    EXPECT_EQ(automatic.*field.Member, english.*field.Member) << field.Name;
}

TEST(Messages, FieldListCoversEveryTextOnce) {
  const auto& fields = archive::MessageFields();
  std::set<std::string> names;
  for (const auto& field : fields) names.insert(field.Name);
  EXPECT_EQ(names.size(), fields.size());
  EXPECT_EQ(fields.size(), 66u);  // the component's 64 and our two
  EXPECT_EQ(sizeof(TExtrMessages), fields.size() * sizeof(std::string));
  EXPECT_STREQ(fields.front().Name, "BadSignature");
  EXPECT_STREQ(fields[63].Name, "CheckingFile");
  EXPECT_STREQ(fields.back().Name, "DamagedArchive");
  // Distinct members: writing through each field shows up in exactly that field.
  TExtrMessages m;
  for (size_t k = 0; k < fields.size(); ++k) m.*fields[k].Member = std::to_string(k);
  for (size_t k = 0; k < fields.size(); ++k) EXPECT_EQ(m.*fields[k].Member, std::to_string(k));
}

TEST(Messages, EveryLanguageFillsEveryTextButAskOverwrite) {
  for (archive::TLanguage language : kAllLanguages) {
    const TExtrMessages m = Filled(language);
    for (const auto& field : archive::MessageFields()) {
      if (field.Member == &M::AskOverwrite) {
        EXPECT_TRUE((m.*field.Member).empty()) << "language " << language;
      } else {
        EXPECT_FALSE((m.*field.Member).empty()) << field.Name << ", language " << language;
        EXPECT_TRUE(IsValidUtf8(m.*field.Member)) << field.Name << ", language " << language;
      }
    }
  }
}

TEST(Messages, TranslationsKeepTheFormatSpecifiers) {
  const TExtrMessages english = Filled(archive::lgEnglish);
  for (archive::TLanguage language : kAllLanguages) {
    const TExtrMessages m = Filled(language);
    for (const auto& field : archive::MessageFields())
      EXPECT_EQ(Specifiers(m.*field.Member), Specifiers(english.*field.Member))
          << field.Name << ", language " << language << ": " << m.*field.Member;
  }
  EXPECT_EQ(Specifiers(english.AddingFile), (std::vector<std::string>{"%s", "%.0n"}));
  EXPECT_EQ(Specifiers(english.LocateSegment), (std::vector<std::string>{"%d", "%s"}));
}

TEST(Messages, ButtonCaptionsKeepOneAccelerator) {
  for (archive::TLanguage language : kAllLanguages) {
    const TExtrMessages m = Filled(language);
    for (const std::string* caption : {&m.Yes, &m.YesToAll, &m.No}) {
      const size_t amp = caption->find('&');
      ASSERT_NE(amp, std::string::npos) << *caption;
      EXPECT_EQ(caption->find('&', amp + 1), std::string::npos) << *caption;
      ASSERT_LT(amp + 1, caption->size()) << *caption;
      EXPECT_NE((*caption)[amp + 1], ' ') << *caption;
    }
  }
}

TEST(Messages, EachLanguageHasItsOwnTable) {
  std::set<std::string> badSignatures, continueQuestions;
  for (archive::TLanguage language : kAllLanguages) {
    const TExtrMessages m = Filled(language);
    badSignatures.insert(m.BadSignature);
    continueQuestions.insert(m.CanContinue);
  }
  EXPECT_EQ(badSignatures.size(), std::size(kAllLanguages));
  EXPECT_EQ(continueQuestions.size(), std::size(kAllLanguages));
  EXPECT_EQ(Filled(archive::lgGerman).Cancel, "Abbrechen");
  EXPECT_EQ(Filled(archive::lgFrench).Cancel, "Annuler");
}

TEST(Messages, RefillingReplacesEveryText) {
  archive::TArchMessages m;  // the writer's table fills the same way
  archive::FillMessages(archive::lgRussian, m);
  m.AskOverwrite = "left over";
  archive::FillMessages(archive::lgEnglish, m);
  const TExtrMessages english = Filled(archive::lgEnglish);
  for (const auto& field : archive::MessageFields())
    EXPECT_EQ(m.*field.Member, english.*field.Member) << field.Name;
}

TEST(Messages, LanguageFollowsThePrimaryLanguage) {
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x04), archive::lgChinese);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x07), archive::lgGerman);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x0A), archive::lgSpanish);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x0C), archive::lgFrench);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x10), archive::lgItalian);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x16), archive::lgPortuguese);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x19), archive::lgRussian);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x09), archive::lgEnglish);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x11), archive::lgEnglish);  // Japanese
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x13), archive::lgEnglish);  // Dutch
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x00), archive::lgEnglish);
  // Whole language identifiers: German (Austria), Chinese (PRC), Portuguese (Brazil).
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x0C07), archive::lgGerman);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x0804), archive::lgChinese);
  EXPECT_EQ(archive::LanguageForPrimaryLangId(0x0416), archive::lgPortuguese);
}

}  // namespace
