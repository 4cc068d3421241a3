#pragma once
#include <cstdint>

#include "decoder/core/BitReader.h"
#include "decoder/core/FrameHeader.h"
#include "decoder/core/SubbandLayers.h"

namespace kelvaro {

// Side information of one granule of one channel.
struct GranuleInfo {
  int part23Length = 0;
  int bigValues = 0;
  int globalGain = 0;
  int scalefacCompress = 0;
  bool windowSwitching = false;
  int blockType = 0;
  bool mixed = false;
  int tableSelect[3] = {};
  int subblockGain[3] = {};
  int region0Count = 0;
  int region1Count = 0;
  bool preflag = false;
  bool scalefacScale = false;
  int count1Table = 0;
};

// Whether a Layer III frame's side information can be real: no big_values count above 288, no
// window switching with block type 0, and part2_3 lengths that fit the main data the frame
// may use (main_data_begin bytes before its own main data, and its own).
bool LayerThreeSideInfoFits(const FrameHeader& h, const uint8_t* frame, int bytes);

// The Layer III decoder: bit reservoir, Huffman decoding, requantisation, stereo processing,
// reordering, antialiasing and the IMDCT with its overlap. Its state spans frames.
class LayerThreeDecoder {
 public:
  LayerThreeDecoder() { Reset(); }
  void Reset();
  // Drops the bit reservoir (the frames before a gap): a frame whose main data begins before
  // its own is silent until the reservoir holds its data again.
  void ForgetMainData() { reservoirBytes_ = 0; }
  // Whether the last frame decoded had its main data (false: it was silent for the lack of it,
  // or failed its check word).
  bool HadMainData() const { return hadMainData_; }
  // Decodes one frame (header included) into subband samples; returns the time slots
  // (18 per granule), or 0 when the frame's check word does not match.
  int Decode(const FrameHeader& h, const uint8_t* frame, int bytes, SubbandBlock& out);

 private:
  struct Scalefactors {
    int l[23];
    int s[13][3];
    int isMax[22];  // illegal intensity position per long band (lower sampling frequencies)
    int isMaxS[13];
  };

  bool ReadSideInfo(const FrameHeader& h, BitReader& br);
  void ReadScalefactorsMpeg1(BitReader& br, int gr, int ch);
  void ReadScalefactorsLsf(const FrameHeader& h, BitReader& br, int ch);
  void ReadSpectrum(const FrameHeader& h, BitReader& br, int ch, const GranuleInfo& g, size_t end);
  void Requantise(const GranuleInfo& g, int ch);
  void Stereo(const FrameHeader& h, int gr);
  void Reorder(const GranuleInfo& g, int ch);
  void Antialias(const GranuleInfo& g, int ch);
  void Hybrid(const GranuleInfo& g, int ch, int slot0, SubbandBlock& out);

  const int* longBands_ = nullptr;   // 23 boundaries
  const int* shortBands_ = nullptr;  // 14 boundaries

  int mainDataBegin_ = 0;
  int scfsi_[2][4] = {};
  GranuleInfo granule_[2][2];
  Scalefactors scale_[2];
  int quantised_[2][576];
  int nonzero_[2] = {};  // lines up to the last non-zero quantised value
  float xr_[2][576];
  float overlap_[2][18][32];  // the second half of each subband's last block, by time

  uint8_t reservoir_[4096 + 2048];
  int reservoirBytes_ = 0;
  bool hadMainData_ = false;
};

}  // namespace kelvaro
