// The ready-made components: TArchiver (the builder's: writes and reads) and
// TExtractor (the player's: reads only). Both plug zlib into the block
// (de)compression and Blowfish in ECB mode into the block (de)cipher hooks; an
// assigned On...Block event still takes precedence.
//
// Typical use:
//   archive::TArchiver a;                      // create or append
//   a.SetBlockSize(262144);                    // new archives only
//   a.SetCompressionLevel(archive::clMaximum);
//   a.SetMaxSegmentSize(1457664);              // 0: one file; at least 3 x BlockSize
//   a.SetExecutableCodeSize(codeSize);         // archive behind code in ".EXE" files
//   a.SetFileName("C:\\out\\Song.exe");
//   a.AddFile("C:\\music\\song.mp3");           // or AddFolder(folder)
//   a.Close();                                 // segment 1 receives the totals
//
//   archive::TExtractor x;                     // read
//   x.SetSegment1Offset(codeSize);             // or SetExecutableCodeSize
//   x.SetFileName(path);
//   x.List();       // x.FileList(): Name, Size, CompressedSize, Date, Attributes, Segment, Offset
//   x.TestFiles();  // checks every block, writes nothing
//   x.SetExtractPath(folder);
//   x.SetRestoreAction(archive::raOverwrite);
//   x.ExtractFiles();
// Failures are EArchiver exceptions with the message table's texts; EAbort ends
// an operation that a prompt cancelled. ErrorAction/OnError decide per file.
#pragma once
#include "archive/BlockCodec.h"
#include "archive/Blowfish.h"
#include "archive/CustomArchiver.h"
#include "archive/CustomExtractor.h"

namespace archive {

// The cipher, keyed again only when the key changes: every part of every file asks for
// the key, and a Blowfish key schedule costs 521 block encryptions.
class TKeyedCipher {
 public:
  ~TKeyedCipher() {
    volatile char* wipe = &key_[0];
    for (size_t i = 0; i < key_.size(); ++i) wipe[i] = 0;
  }
  void Use(const std::string& key) {
    if (keyed_ && key == key_) return;
    cipher_.SetPassword(key);
    key_ = key;
    keyed_ = true;
  }
  const TBlowfish& Cipher() const { return cipher_; }

 private:
  TBlowfish cipher_;
  std::string key_;
  bool keyed_ = false;
};

class TArchiver : public TCustomArchiver {
 public:
  ~TArchiver() override;

 protected:
  bool CompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                     int32_t& dstSize, int level) override;
  int32_t CryptBlock(uint8_t* data, int32_t size, int32_t capacity) override;
  bool UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                       int32_t& dstSize) override;
  bool DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) override;
  void UseKey(const std::string& key) override { cipher_.Use(key); }
  void ReleaseWorkingMemory() override;

 private:
  TKeyedCipher cipher_;
  TBlockDeflater deflater_;
  TBlockInflater inflater_;
};

class TExtractor : public TCustomExtractor {
 protected:
  bool UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                       int32_t& dstSize) override;
  bool DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) override;
  void UseKey(const std::string& key) override { cipher_.Use(key); }
  void ReleaseWorkingMemory() override;

 private:
  TKeyedCipher cipher_;
  TBlockInflater inflater_;
};

// The encrypted block layout: m bytes padded to a multiple of 8, enciphered,
// then one byte holding the padding count. Returns the stored length.
int32_t EncipherBlock(const TBlowfish& cipher, uint8_t* data, int32_t size);
// Deciphers a stored encrypted block in place; false when its layout is not one.
bool DecipherBlock(const TBlowfish& cipher, uint8_t* data, int32_t size, int32_t& plainSize);

}  // namespace archive
