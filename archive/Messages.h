// The archive components' message tables: every text they show or raise, in eight languages.
// Texts are UTF-8; the Windows shell widens them for display. Patterns are for FormatText.
//
// Note for Windows code: <windows.h> defines DeleteFile as a macro. Include it only in files
// that do not touch TMessages::DeleteFile, or #undef DeleteFile after it.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace archive {

enum TLanguage {
  lgAutomatic,
  lgEnglish,
  lgFrench,
  lgChinese,
  lgPortuguese,
  lgGerman,
  lgItalian,
  lgRussian,
  lgSpanish
};

// The texts common to reading and writing.
struct TMessages {
  std::string BadSignature;
  std::string FileNameNeeded;
  std::string SystemMessage;
  std::string AcceptArchiveFailed;
  std::string EnterCryptKey;
  std::string EnterDecryptKey;
  std::string KeyTooShort;
  std::string ConfirmCryptKey;
  std::string KeyNotConfirmed;
  std::string ArchiveIsReadOnly;
  std::string CanNotCreateArchive;
  std::string CannotCreateDir;
  std::string SelectADirectory;
  std::string Ok;
  std::string Cancel;
  std::string Information;
  std::string Warning;
  std::string Confirmation;
  std::string Error;
  std::string CanNotBuildTempFileName;
  std::string Yes;
  std::string YesToAll;
  std::string No;
  std::string AFile;
  std::string CanContinue;
  std::string UnknownVersion;
  std::string CouldNotCompressBlock;
  std::string DeleteFileEventNeeded;
  std::string CouldNotRenameArchive;
  std::string InsertNewDisk;
  std::string SelectNewPlace;
  std::string NotEnoughFreeSpaceOn;
  std::string UnableToDeleteFiles;
  std::string ConfirmFileDeletion;
  std::string MaxSegmentSizeTooSmall;
  std::string CantPerformThisOp;
  std::string AddingFile;
  std::string DeletingFiles;
  std::string DeleteFile;
  std::string MakingSFXArchive;
  std::string CompressingSolidArchive;
  std::string CopyingArchive;
  std::string CouldNotCopyArchive;
  std::string UpdatingFile;
  std::string ReplacingFile;
};

// The reader's texts.
struct TExtrMessages : TMessages {
  std::string CouldNotUncompressBlock;
  std::string AskOverwrite;  // kept empty: the overwrite question is built from the texts below
  std::string NeedExtractPath;
  std::string InsertDisk;
  std::string LocateSegment;
  std::string WrongSegment;
  std::string InsertLastSegment;
  std::string LocateLastSegment;
  std::string WrongLastSegment;
  std::string WrongNextSegment;
  std::string BadCRC;
  std::string BadKey;
  std::string ReplaceFile;
  std::string WithFile;
  std::string ConfirmFileOverwrite;
  std::string ExtractingFile;
  std::string LoadingArchiveContnent;
  std::string UncompressingSolidArchive;
  std::string CheckingFile;
  // Ours, beyond the component's table: structural faults, with the file's name.
  std::string TruncatedArchive;
  std::string DamagedArchive;
};

// The writer's table: it shows no texts of its own beyond the reader's.
struct TArchMessages : TExtrMessages {};

// The table language for a Windows primary language identifier (the low 10 bits of a LANGID);
// any language without a table of its own gets English.
TLanguage LanguageForPrimaryLangId(int primaryLangId);

// Fills every text of `m` in `language` (already resolved; lgAutomatic counts as English).
void FillMessages(TLanguage language, TExtrMessages& m);

// Every text of a table by its property name, in table order (writer's texts first).
struct TMessageField {
  const char* Name;
  std::string TExtrMessages::*Member;
};
const std::vector<TMessageField>& MessageFields();

}  // namespace archive
