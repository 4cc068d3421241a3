// Measures the archive's own overhead: adding a 20 MB file to an archive and
// extracting it again, against the same work done with plain zlib (read the file,
// compress2 / uncompress each block at the same level, write the result), in the
// same run. Prints the time ratios; exits 1 when an overhead reaches 10 %.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "archive/Archiver.h"
#include "platform/Files.h"

namespace {

constexpr int32_t kBlockSize = 262144;
constexpr size_t kFileSize = 20 * 1024 * 1024;
constexpr int kRuns = 7;

// Text-like, random and silent stretches, as a song's neighbours in an archive.
std::vector<uint8_t> MixedData() {
  std::vector<uint8_t> data(kFileSize);
  std::mt19937 rng(1234);
  const char* words[] = {"archive ", "block ", "segment ", "player ", "the ", "song ", "\n"};
  for (size_t i = 0; i < data.size();) {
    const size_t run = std::min<size_t>(data.size() - i, 4096 + rng() % 65536);
    const unsigned kind = rng() % 4;
    for (size_t k = 0; k < run; ++i, ++k) {
      if (kind == 0)
        data[i] = uint8_t(rng());
      else if (kind == 1)
        data[i] = 0;
      else
        data[i] = uint8_t(words[(i / 8 + rng() % 2) % 7][i % 8]);
    }
  }
  return data;
}

double Seconds(const std::function<void()>& work) {
  const auto t0 = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
  return d.count();
}

// Best times of the two, run in turns, so that both see the same state of a shared
// machine. Each run's output file is removed beforehand (untimed), so that neither pays
// for truncating the other's or its own earlier output.
std::pair<double, double> BestInTurns(const std::function<void()>& ours,
                                      const std::function<void()>& peer,
                                      const std::string& oursOutput,
                                      const std::string& peerOutput) {
  double bestOurs = 1e9, bestPeer = 1e9;
  for (int r = 0; r < kRuns; ++r) {
    platform::DeleteFile(peerOutput);
    bestPeer = std::min(bestPeer, Seconds(peer));
    platform::DeleteFile(oursOutput);
    bestOurs = std::min(bestOurs, Seconds(ours));
  }
  return {bestOurs, bestPeer};
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  platform::File f;
  f.Open(path, platform::OpenMode::Read);
  std::vector<uint8_t> data(size_t(std::max<int64_t>(f.Size(), 0)));
  f.Read(data.data(), data.size());
  return data;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Create) || !f.Write(data, size))
    throw std::runtime_error("cannot write " + path);
}

// The peer: the same blocks through plain zlib, with the same file reads and writes.
struct ZlibPeer {
  std::string source, packed, unpacked;
  int level;
  std::vector<uint32_t> packedSizes;

  void Compress() {
    const std::vector<uint8_t> data = ReadAll(source);
    std::vector<uint8_t> out;
    std::vector<uint8_t> block(compressBound(kBlockSize));
    packedSizes.clear();
    for (size_t at = 0; at < data.size(); at += kBlockSize) {
      uLongf size = uLongf(block.size());
      const uLong n = uLong(std::min<size_t>(kBlockSize, data.size() - at));
      compress2(block.data(), &size, data.data() + at, n, level);
      out.insert(out.end(), block.begin(), block.begin() + long(size));
      packedSizes.push_back(uint32_t(size));
    }
    WriteAll(packed, out.data(), out.size());
  }

  void Uncompress() {
    const std::vector<uint8_t> in = ReadAll(packed);
    std::vector<uint8_t> out(kFileSize);
    size_t from = 0, to = 0;
    for (uint32_t size : packedSizes) {
      uLongf n = uLongf(out.size() - to);
      uncompress(out.data() + to, &n, in.data() + from, size);
      from += size;
      to += n;
    }
    WriteAll(unpacked, out.data(), to);
  }
};

void AddToArchive(const std::string& archivePath, const std::string& source) {
  platform::DeleteFile(archivePath);
  archive::TArchiver arc;
  arc.SetLanguage(archive::lgEnglish);
  arc.SetBlockSize(kBlockSize);
  arc.SetCompressionLevel(archive::clMaximum);
  arc.SetPathStorage(archive::psNone);
  arc.SetFileName(archivePath);
  arc.Open();
  arc.AddFile(source);
  arc.Close();
}

void ExtractArchive(const std::string& archivePath, const std::string& folder) {
  archive::TExtractor arc;
  arc.SetLanguage(archive::lgEnglish);
  arc.SetFileName(archivePath);
  arc.SetExtractPath(folder);
  arc.SetRestoreAction(archive::raOverwrite);
  arc.Open();
  arc.ExtractFiles();
  arc.Close();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const std::string source = dir + "/mixed.bin", archivePath = dir + "/mixed.arc";
  const std::string outFolder = dir + "/out";
  const std::vector<uint8_t> data = MixedData();
  WriteAll(source, data.data(), data.size());
  platform::CreateFolders(outFolder);

  ZlibPeer peer{source, dir + "/mixed.z", dir + "/mixed.unz", 9, {}};
  const auto [arcAdd, zlibAdd] = BestInTurns([&] { AddToArchive(archivePath, source); },
                                             [&] { peer.Compress(); }, archivePath, peer.packed);
  const auto [arcExtract, zlibExtract] =
      BestInTurns([&] { ExtractArchive(archivePath, outFolder); }, [&] { peer.Uncompress(); },
                  outFolder + "/mixed.bin", peer.unpacked);

  if (ReadAll(outFolder + "/mixed.bin") != data) {
    std::puts("archive bench: the extracted file differs");
    return 1;
  }
  const double addRatio = arcAdd / zlibAdd, extractRatio = arcExtract / zlibExtract;
  std::printf("archive bench: 20 MB, blocks of %d bytes, level 9, best of %d in turns\n",
              kBlockSize, kRuns);
  std::printf("  add:     archive %.3f s, zlib %.3f s, ratio %.3f\n", arcAdd, zlibAdd, addRatio);
  std::printf("  extract: archive %.3f s, zlib %.3f s, ratio %.3f\n", arcExtract, zlibExtract,
              extractRatio);
  const bool ok = addRatio < 1.10 && extractRatio < 1.10;
  std::printf("  overhead %s 10 %%\n", ok ? "below" : "NOT below");
  return ok ? 0 : 1;
}
