// Makes the seed corpora of the archive fuzz targets: small archives written by the
// components themselves, in the shapes the targets take (see each target's comment).
// Usage: archive_fuzz_seeds CORPUS_FOLDER   (writes CORPUS_FOLDER/<target>/<seed>)
#include <cstdio>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "archive/Paths.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char kSeparator[] = "\x00SEG\xFF\x01\x02\x03";  // as FuzzArchive.cpp
const char kCryptKey[] = "fuzzing key 0123456789";    // as archive_crypt_fuzz.cpp

std::string work;

Bytes ReadFile(const std::string& path) {
  platform::File f;
  Bytes bytes;
  if (!f.Open(path, platform::OpenMode::Read)) return bytes;
  bytes.resize(size_t(f.Size()));
  bytes.resize(f.Read(bytes.data(), bytes.size()));
  return bytes;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Create) || !f.Write(bytes.data(), bytes.size())) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// Code-like bytes: a small, repetitive "library".
Bytes Library(size_t size) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i)
    b[i] = uint8_t(i % 64 < 40 ? "\x55\x8B\xEC\x83\xEC"[i % 5] : i * 7);
  return b;
}

// MPEG-like frames: a header and little else.
Bytes Song(size_t size) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i)
    b[i] = i % 104 == 0 ? 0xFF : i % 104 == 1 ? 0xFB : uint8_t(i * 13 >> 3);
  return b;
}

// The 61-byte settings record's shape: colours, counts, flags.
Bytes Settings() {
  Bytes b(61, 0);
  for (size_t i = 0; i < 61; ++i) b[i] = uint8_t(i < 40 ? (i * 37) : i % 2);
  return b;
}

struct Options {
  bool compress = true;
  bool crypt = false;
  bool solid = false;
  int32_t blockSize = 262144;
  int32_t segmentSize = 0;
  // Entry names as stored, replacing the files' own (empty: keep them).
  std::vector<std::string> names;
};

// An archive of `files` (name, contents) written by TArchiver; returns the first
// segment's bytes (later segments are read by the caller).
Bytes MakeArchive(const std::string& name, const std::vector<std::pair<std::string, Bytes>>& files,
                  const Options& o) {
  const std::string path = work + "/" + name;
  archive::TArchiver a;
  a.SetLanguage(archive::lgEnglish);
  a.SetErrorAction(archive::eaAbort);
  archive::TOptions options = a.Options();
  if (!o.compress) options.Exclude(archive::oCompress);
  if (o.crypt) options.Include(archive::oCrypt);
  if (o.solid) options.Include(archive::oCreateSolidArchives);
  a.SetOptions(options);
  a.SetBlockSize(o.blockSize);
  a.SetMaxSegmentSize(o.segmentSize);
  a.SetCompressionLevel(archive::clMaximum);
  a.OnEnterCryptKey = [](std::string& key) { key = kCryptKey; };
  size_t index = 0;
  a.OnAddFile = [&](archive::TFileEntry& entry, bool&) {
    if (index < o.names.size()) entry.Name = o.names[index];
    ++index;
  };
  a.SetFileName(path);
  for (const auto& [fileName, contents] : files) {
    WriteFile(work + "/" + fileName, contents);
    a.AddFile(work + "/" + fileName);
  }
  a.Close();
  return ReadFile(path);
}

void Seed(const std::string& corpus, const std::string& target, const std::string& name,
          const Bytes& bytes) {
  platform::CreateFolders(corpus + "/" + target);
  WriteFile(corpus + "/" + target + "/" + name, bytes);
}

Bytes Joined(const Bytes& control, const std::vector<Bytes>& parts) {
  Bytes out = control;
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k > 0) out.insert(out.end(), kSeparator, kSeparator + sizeof kSeparator - 1);
    out.insert(out.end(), parts[k].begin(), parts[k].end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: archive_fuzz_seeds CORPUS_FOLDER\n");
    return 2;
  }
  const std::string corpus = argv[1];
  work = platform::TempFolder() + "archive_fuzz_seeds." + std::to_string(platform::TickCount());
  platform::CreateFolders(work);

  // A player's output in small: the decoder library, the song and the settings record,
  // in blocks of 262144 bytes at the maximum level.
  const std::vector<std::pair<std::string, Bytes>> output = {
      {"kelvaro.dll", Library(3000)}, {"song.mp3", Song(1200)}, {"34Init12.dat", Settings()}};
  const Bytes outputArchive = MakeArchive("output.arc", output, {});
  Options stored;
  stored.compress = false;
  stored.blockSize = 1024;
  Options solid;
  solid.solid = true;
  Options hostile;
  hostile.names = {"..\\..\\up.txt", "sub\\COM1.mp3", "C:\\Windows\\nul .txt. ",
                   "aux\\lpt\xC2\xB9"};
  const std::vector<std::pair<std::string, Bytes>> four = {
      {"a.txt", Song(300)}, {"b.bin", Library(500)}, {"c.txt", {}}, {"d.txt", Settings()}};
  Seed(corpus, "archive_reader_fuzz", "output.arc", outputArchive);
  Seed(corpus, "archive_reader_fuzz", "stored-small-blocks.arc",
       MakeArchive("s.arc", output, stored));
  Seed(corpus, "archive_reader_fuzz", "solid.arc", MakeArchive("solid.arc", four, solid));
  Seed(corpus, "archive_reader_fuzz", "hostile-names.arc", MakeArchive("h.arc", four, hostile));

  // Behind 64 bytes of code, told in each of the three ways.
  Bytes code = {'M', 'Z'};
  code.resize(64, 0x90);
  for (uint8_t mode = 0; mode < 3; ++mode) {
    Bytes input = {mode, 64, 0};
    input.insert(input.end(), code.begin(), code.end());
    input.insert(input.end(), outputArchive.begin(), outputArchive.end());
    Seed(corpus, "archive_offset_fuzz", "output-behind-code-" + std::to_string(mode), input);
  }

  // Segments of 3 KB.
  Options segmented;
  segmented.blockSize = 1024;
  segmented.segmentSize = 3 * 1024;
  segmented.compress = false;
  std::vector<Bytes> segments = {MakeArchive("Song.exe", output, segmented)};
  for (int k = 2; platform::FileExists(archive::SegmentFileName(work + "/Song.exe", k)); ++k)
    segments.push_back(ReadFile(archive::SegmentFileName(work + "/Song.exe", k)));
  Seed(corpus, "archive_segments_fuzz", "three-segments", Joined({0x04}, segments));
  Seed(corpus, "archive_segments_fuzz", "from-segment-2", Joined({0x05}, segments));

  // Encrypted with the target's key.
  Options crypt;
  crypt.crypt = true;
  Options cryptStored = stored;
  cryptStored.crypt = true;
  Seed(corpus, "archive_crypt_fuzz", "compressed",
       Joined({0}, {MakeArchive("c1.arc", output, crypt)}));
  Seed(corpus, "archive_crypt_fuzz", "stored",
       Joined({0}, {MakeArchive("c2.arc", four, cryptStored)}));

  // Stored names.
  const char* names[] = {"sub\\COM1.mp3",  "..\\..\\x.txt",    "C:\\a/b\\c.txt",      "con .txt. ",
                         "LPT\xC2\xB9\\a", "a:b*c?d\"e<f>g|h", "\\\\server\\share\\f"};
  int n = 0;
  for (const std::string name : names)
    Seed(corpus, "archive_safe_name_fuzz", "name-" + std::to_string(++n),
         Bytes(name.begin(), name.end()));

  // The writer: options, layout, files; within the 4096 bytes that tests/fuzz/run.sh lets
  // the writer's inputs have (libFuzzer would cut a longer seed, and lose its last files).
  const std::vector<Bytes> contents = {Song(2000), Library(1800), {}, Settings()};
  Seed(corpus, "archive_writer_fuzz", "plain", Joined({0x01, 0x00}, contents));
  Seed(corpus, "archive_writer_fuzz", "crypt-solid-code-delete", Joined({0x37, 0x01}, contents));
  // Stored, so that the files fill more than one segment of 3 x 1024 + 100 bytes.
  Seed(corpus, "archive_writer_fuzz", "segments", Joined({0x20, 0x04}, contents));

  for (const auto& item : platform::ListFolder(work)) platform::DeleteFile(work + "/" + item.name);
  platform::RemoveFolder(work);
  return 0;
}
