// archive: creates, lists, tests and extracts archives of the Vardex suite.
//
//   archive create ARCHIVE FILE... [--block-size N] [--level LEVEL] [--split BYTES] [--offset N]
//   archive list ARCHIVE [--offset N]
//   archive test ARCHIVE [--offset N]
//   archive extract ARCHIVE DIR [--offset N]
//
// With --offset N the archive begins N bytes into ARCHIVE (behind executable code):
// create then adds to the archive found there, or starts a new one when the file
// is exactly N bytes long. Without it, create replaces an existing file.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "platform/DayCount.h"
#include "platform/Files.h"

namespace {

using namespace archive;

const char kUsage[] =
    "usage: archive create ARCHIVE FILE... [--block-size N] [--level "
    "max|normal|fast|superfast|none]\n"
    "                      [--split BYTES] [--offset N]\n"
    "       archive list ARCHIVE [--offset N]\n"
    "       archive test ARCHIVE [--offset N]\n"
    "       archive extract ARCHIVE DIR [--offset N]\n";

struct Arguments {
  std::string command;
  std::vector<std::string> paths;  // the archive first
  int32_t blockSize = 65536;
  TCompressionLevel level = clNormal;
  int32_t split = 0;
  int32_t offset = 0;
};

struct UsageError {
  std::string text;
};

int32_t NumberArg(const std::string& option, const char* value) {
  char* end = nullptr;
  const long long n = value ? std::strtoll(value, &end, 10) : -1;
  if (!value || *end || n < 0 || n > 0x7FFFFFFF)
    throw UsageError{option + " needs a number from 0 to 2147483647"};
  return int32_t(n);
}

TCompressionLevel LevelArg(const char* value) {
  const std::string v = value ? value : "";
  const char* names[] = {"max", "normal", "fast", "superfast", "none"};
  for (int i = 0; i < 5; ++i)
    if (v == names[i]) return TCompressionLevel(i);
  throw UsageError{"--level takes max, normal, fast, superfast or none"};
}

Arguments Parse(int argc, char** argv) {
  if (argc < 2) throw UsageError{""};
  Arguments a;
  a.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--block-size")
      a.blockSize = NumberArg(arg, value), ++i;
    else if (arg == "--level")
      a.level = LevelArg(value), ++i;
    else if (arg == "--split")
      a.split = NumberArg(arg, value), ++i;
    else if (arg == "--offset")
      a.offset = NumberArg(arg, value), ++i;
    else if (arg.rfind("--", 0) == 0)
      throw UsageError{"unknown option " + arg};
    else
      a.paths.push_back(arg);
  }
  const bool create = a.command == "create", extract = a.command == "extract";
  const size_t wanted = create ? 2 : extract ? 2 : 1;
  if ((create && a.paths.size() < wanted) || (!create && a.paths.size() != wanted))
    throw UsageError{""};
  if (!create && a.command != "list" && a.command != "test" && !extract)
    throw UsageError{"unknown command " + a.command};
  return a;
}

// Names and messages come from the archive: control characters, and bytes that are not
// UTF-8 (an 8-bit terminal may take them for controls), are shown as \xNN, so that no
// name can move the cursor, change colours or hide other lines.
std::string Printable(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = c < 0x80             ? 1
                     : (c & 0xE0) == 0xC0 ? 2
                     : (c & 0xF0) == 0xE0 ? 3
                     : (c & 0xF8) == 0xF0 ? 4
                                          : 0;
    bool shown = n > 0 && i + n <= text.size();
    for (size_t k = 1; shown && k < n; ++k) shown = (text[i + k] & 0xC0) == 0x80;
    if (n == 1 && (c < 0x20 || c == 0x7F)) shown = false;  // C0 controls and DEL
    if (shown && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)
      shown = false;  // C1 controls, U+0080 to U+009F
    if (shown) {
      out.append(text, i, n);
      i += n;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(c));
      out += hex;
      ++i;
    }
  }
  return out;
}

std::string DateText(double dayCount) {
  platform::CivilTime t;
  if (dayCount == 0 || !platform::DecodeDayCount(dayCount, t)) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

// Reading and writing share these settings; errors of single files are printed
// and counted, and the operation goes on with the next file.
void Configure(TCustomExtractor& c, const Arguments& a, int& failures) {
  c.SetLanguage(lgAutomatic);
  c.SetSegment1Offset(a.offset);
  c.SetFileName(a.paths[0]);
  c.SetErrorAction(eaContinue);
  c.OnError = [&failures](const std::exception& e, const TFileEntry& entry, TErrorAction&) {
    std::fprintf(stderr, "%s: %s\n", Printable(entry.Name).c_str(), Printable(e.what()).c_str());
    ++failures;
  };
}

// The first `offset` bytes of the archive file, when a new archive starts behind them.
std::vector<uint8_t> CodeInFront(const Arguments& a) {
  platform::File f;
  if (a.offset == 0 || !f.Open(a.paths[0], platform::OpenMode::Read)) return {};
  if (f.Size() != a.offset) return {};
  std::vector<uint8_t> code(size_t(a.offset));
  if (f.Read(code.data(), code.size()) != code.size()) return {};
  return code;
}

int Create(const Arguments& a) {
  const std::string& name = a.paths[0];
  const std::vector<uint8_t> code = CodeInFront(a);
  if (a.offset == 0)
    platform::DeleteFile(name);
  else if (!platform::FileExists(name))
    throw EArchiver("no file \"" + name + "\" with executable code in front of the archive");
  const bool newBehindCode = !code.empty();
  if (newBehindCode) platform::DeleteFile(name);

  int failures = 0;
  TArchiver arc;
  Configure(arc, a, failures);
  arc.SetBlockSize(a.blockSize);
  arc.SetCompressionLevel(a.level);
  arc.SetPathStorage(psNone);
  arc.SetMaxSegmentSize(a.split);
  if (newBehindCode) {
    arc.SetOptions(arc.Options().Include(oWriteSFXCode));
    arc.OnWriteSFXCode = [&code](platform::File& f) {
      return f.Seek(0) && f.Write(code.data(), code.size());
    };
  }
  arc.Open();
  for (size_t i = 1; i < a.paths.size(); ++i)
    if (!arc.AddFile(a.paths[i])) {
      std::fprintf(stderr, "%s: no such file\n", a.paths[i].c_str());
      ++failures;
    }
  arc.Close();
  return failures ? 1 : 0;
}

int List(const Arguments& a) {
  int failures = 0;
  TExtractor arc;
  Configure(arc, a, failures);
  arc.Open();
  arc.List();
  const TArchiveHeader& h = arc.Header();
  std::printf("archive %s: block size %d, id %08X, flags 0x%02X\n", a.paths[0].c_str(), h.BlockSize,
              unsigned(h.ArchiveID), unsigned(h.ArchiveFlag));
  std::printf("%12s %12s  %-19s  %-4s %3s  %s\n", "size", "stored", "date", "attr", "seg", "name");
  for (const TFileEntry& e : arc.FileList())
    std::printf("%12d %12d  %-19s  %04X %3d  %s\n", e.Size, e.CompressedSize,
                DateText(e.Date).c_str(), unsigned(e.Attributes), e.Segment,
                Printable(e.Name).c_str());
  std::printf("%d file(s)\n", int(arc.FileList().size()));
  arc.Close();
  return failures ? 1 : 0;
}

int Test(const Arguments& a) {
  int failures = 0;
  TExtractor arc;
  Configure(arc, a, failures);
  arc.Open();
  const int damaged = arc.TestFiles();
  arc.Close();
  if (damaged == 0 && failures == 0) std::printf("%s: every block is intact\n", a.paths[0].c_str());
  return damaged || failures ? 1 : 0;
}

int Extract(const Arguments& a) {
  int failures = 0;
  TExtractor arc;
  Configure(arc, a, failures);
  arc.SetExtractPath(a.paths[1]);
  arc.SetRestoreAction(raOverwrite);
  arc.OnFileExtracted = [](const TFileEntry&, const std::string& dest) {
    std::printf("%s\n", Printable(dest).c_str());
  };
  arc.Open();
  arc.ExtractFiles();
  arc.Close();
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Arguments a = Parse(argc, argv);
    if (a.command == "create") return Create(a);
    if (a.command == "list") return List(a);
    if (a.command == "test") return Test(a);
    return Extract(a);
  } catch (const UsageError& e) {
    if (!e.text.empty()) std::fprintf(stderr, "archive: %s\n", e.text.c_str());
    std::fputs(kUsage, stderr);
    return 2;
  } catch (const archive::EAbort&) {
    std::fprintf(stderr, "archive: aborted\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "archive: %s\n", Printable(e.what()).c_str());
    return 1;
  }
}
