// The writer from end to end: files made from the input are added with options taken
// from it, read back and compared byte for byte, then every other one is deleted and
// the rest compared again. Nothing may fail, differ, or be left behind.
//   byte 0: bit 0 oCompress, bit 1 oCrypt, bit 2 oCreateSolidArchives, bit 3 oEncryptFiles,
//           bit 4 100 bytes of code in front ("w.exe"), bit 5 delete every other file,
//           bits 6-7 the compression level (maximum, normal, fast, none)
//   byte 1: bits 0-1 the block size, 1024 << n; bits 2-7 m: segments of at most
//           3 x block size + 100 m bytes, none when m = 0
//   then the files' contents, split at kSeparator (at most eight)
#include "FuzzArchive.h"
#include "archive/Paths.h"

namespace {

const char kKey[] = "writer fuzz key 0123";
const archive::TCompressionLevel kLevels[] = {archive::clMaximum, archive::clNormal,
                                              archive::clFast, archive::clNone};

std::vector<uint8_t> ReadFile(const std::string& path) {
  platform::File f;
  std::vector<uint8_t> bytes;
  if (!f.Open(path, platform::OpenMode::Read)) return bytes;
  bytes.resize(size_t(f.Size()));
  bytes.resize(f.Read(bytes.data(), bytes.size()));
  return bytes;
}

// The reader that checks the archive: made once per input and used for the archive as
// written and again after the deletion (a component opened anew after Close must read
// the file as it is now), which spares a second key schedule.
void PrepareReader(archive::TExtractor& reader, int32_t codeSize) {
  fuzzarchive::ConfigureReader(reader);
  reader.SetErrorAction(archive::eaAbort);
  reader.SetExecutableCodeSize(codeSize);
  reader.OnRequestCryptKey = [](std::string& key) { key = kKey; };
}

// Extracts `archivePath` and compares what comes out with `files` (those with
// `present` false must not come out).
void ExpectContents(archive::TExtractor& reader, const std::string& archivePath,
                    const std::vector<std::string>& files, const std::vector<bool>& present) {
  reader.SetFileName(archivePath);
  reader.SetExtractPath(fuzzarchive::TargetFolder());
  reader.ExtractFiles();  // every block's check included
  reader.Close();
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string out = fuzzarchive::TargetFolder() + "/f" + std::to_string(i) + ".bin";
    if (!present[i]) {
      if (platform::FileExists(out)) fuzzarchive::Finding("a deleted file came back: " + out);
      continue;
    }
    const std::vector<uint8_t> back = ReadFile(out);
    if (std::string(back.begin(), back.end()) != files[i])
      fuzzarchive::Finding("file " + std::to_string(i) + " came back different");
  }
}

void RemoveOutputs(const std::string& archivePath) {
  platform::DeleteFile(archivePath);
  for (int k = 2; platform::FileExists(archive::SegmentFileName(archivePath, k)); ++k)
    platform::DeleteFile(archive::SegmentFileName(archivePath, k));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t options = data[0], layout = data[1];
  std::vector<std::string> files = fuzzarchive::SplitInput(data + 2, size - 2);
  if (files.size() > 8) files.resize(8);
  std::vector<std::string> sources;
  for (size_t i = 0; i < files.size(); ++i)
    sources.push_back(fuzzarchive::WriteInput("f" + std::to_string(i) + ".bin",
                                              reinterpret_cast<const uint8_t*>(files[i].data()),
                                              files[i].size()));
  const int32_t blockSize = 1024 << (layout & 3);
  const int32_t segmentSize = (layout >> 2) ? 3 * blockSize + 100 * (layout >> 2) : 0;
  const bool code = options & 16;
  const int32_t codeSize = code ? 100 : 0;
  const std::string archivePath = fuzzarchive::WorkFolder() + (code ? "/w.exe" : "/w.arc");
  const std::vector<uint8_t> codeBytes(100, 0xCC);
  try {
    fuzzarchive::Guard guard(true);
    {
      archive::TArchiver writer;
      writer.SetLanguage(archive::lgEnglish);
      writer.SetErrorAction(archive::eaAbort);
      archive::TOptions o = writer.Options();
      if (!(options & 1)) o.Exclude(archive::oCompress);
      if (options & 2) o.Include(archive::oCrypt);
      if (options & 4) o.Include(archive::oCreateSolidArchives);
      if (options & 8) o.Include(archive::oEncryptFiles);
      writer.SetOptions(o);
      writer.SetCompressionLevel(kLevels[options >> 6]);
      writer.SetBlockSize(blockSize);
      writer.SetMaxSegmentSize(segmentSize);
      writer.SetExecutableCodeSize(codeSize);
      writer.OnWriteSFXCode = [&](platform::File& f) {
        return f.Seek(0) && f.Write(codeBytes.data(), codeBytes.size());
      };
      writer.OnEnterCryptKey = [](std::string& key) { key = kKey; };
      writer.OnRequestCryptKey = [](std::string& key) { key = kKey; };
      writer.SetFileName(archivePath);
      for (const std::string& source : sources)
        if (!writer.AddFile(source)) fuzzarchive::Finding("a file was not added: " + source);
      writer.Close();
    }
    archive::TExtractor reader;
    PrepareReader(reader, codeSize);
    std::vector<bool> present(files.size(), true);
    ExpectContents(reader, archivePath, files, present);
    fuzzarchive::EmptyTarget();
    const bool segmented = platform::FileExists(archive::SegmentFileName(archivePath, 2));
    if ((options & 32) && !segmented) {
      archive::TArchiver writer;
      writer.SetLanguage(archive::lgEnglish);
      writer.SetErrorAction(archive::eaAbort);
      writer.SetExecutableCodeSize(codeSize);
      writer.OnRequestCryptKey = [](std::string& key) { key = kKey; };
      writer.OnDeleteFile = [](const archive::TFileEntry& entry, bool& accept) {
        accept = (entry.Name[1] - '0') % 2 == 1;
      };
      writer.SetFileName(archivePath);
      writer.DeleteFiles();
      writer.Close();
      for (size_t i = 1; i < present.size(); i += 2) present[i] = false;
      ExpectContents(reader, archivePath, files, present);
    }
  } catch (const std::exception& e) {
    fuzzarchive::Finding(std::string("the writer failed: ") + e.what());
  }
  RemoveOutputs(archivePath);
  for (const std::string& source : sources) platform::DeleteFile(source);
  fuzzarchive::CleanUp();
  return 0;
}
