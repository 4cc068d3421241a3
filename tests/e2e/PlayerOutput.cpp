#include "PlayerOutput.h"

#include <fstream>
#include <iterator>

#include "archive/Archiver.h"
#include "driver/UiDriver.h"

namespace e2e {

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const void* data, size_t size, bool append) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(static_cast<const char*>(data), std::streamsize(size));
}

std::string AssembleOutput(const std::string& work, const std::string& songPath,
                           const std::string& songName, const builder::PlayerSettingsRecord& record,
                           const std::string& exeName) {
  CreateDirectoryW(Widen(work).c_str(), nullptr);
  CopyFileW(ProgramPath(L"kelvaro.dll").c_str(), Widen(work + "\\kelvaro.dll").c_str(), FALSE);
  if (songPath != work + "\\" + songName)
    CopyFileW(Widen(songPath).c_str(), Widen(work + "\\" + songName).c_str(), FALSE);
  const auto bytes = builder::WritePlayerSettings(record);
  WriteAll(work + "\\34Init12.dat", bytes.data(), bytes.size());

  const std::string arc = work + "\\song.arc";
  DeleteFileW(Widen(arc).c_str());
  archive::TArchiver archiver;
  archiver.SetFileName(arc);
  archiver.SetOptions(archive::TOptions(archive::kDefaultOptions));
  archiver.Open();
  for (const std::string& entry :
       {std::string("kelvaro.dll"), songName, std::string("34Init12.dat")})
    archiver.AddFile(work + "\\" + entry);
  archiver.Close();

  const std::string exe = work + "\\" + exeName;
  const std::vector<char> player = ReadAll(Narrow(ProgramPath(L"Tunlet.exe")));
  WriteAll(exe, player.data(), player.size());
  const std::vector<char> tail = ReadAll(arc);
  WriteAll(exe, tail.data(), tail.size(), true);
  return exe;
}

int64_t EntryDataMiddle(const std::string& exe, const std::string& entryName) {
  archive::TExtractor reader;
  reader.SetFileName(exe);
  reader.SetSegment1Offset(int32_t(ReadAll(Narrow(ProgramPath(L"Tunlet.exe"))).size()));
  reader.Open();
  reader.List();
  reader.Close();
  for (const archive::TFileEntry& entry : reader.FileList())
    if (entry.Name == entryName)
      return reader.Segment1Offset() + entry.Offset + entry.CompressedSize / 2;
  return -1;
}

}  // namespace e2e
