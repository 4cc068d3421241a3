#include "analyser/core/BitmapFile.h"

#include <algorithm>

#include "analyser/core/Messages.h"
#include "platform/Files.h"
#include "platform/LittleEndian.h"

namespace tessel {

using platform::PutLe16;
using platform::PutLe32;

namespace {

uint32_t Stride(const IndexedImage& image) { return (uint32_t(image.Width()) + 3) / 4 * 4; }

// The two headers and the colour table: the first kBitmapHeaderBytes of the file.
void PutHeaders(uint8_t* p, const IndexedImage& image, const Palette& palette) {
  const uint32_t imageBytes = Stride(image) * uint32_t(image.Height());
  p[0] = 'B', p[1] = 'M';
  PutLe32(p + 2, kBitmapHeaderBytes + imageBytes);
  PutLe32(p + 10, kBitmapHeaderBytes);
  PutLe32(p + 14, 40);
  PutLe32(p + 18, image.Width());
  PutLe32(p + 22, image.Height());
  PutLe16(p + 26, 1);
  PutLe16(p + 28, 8);
  PutLe32(p + 30, 0);
  PutLe32(p + 34, imageBytes);
  PutLe32(p + 46, 256);
  PutLe32(p + 50, 256);
  for (size_t i = 0; i < palette.size(); ++i) {
    uint8_t* e = p + 54 + 4 * i;
    e[0] = palette[i].blue, e[1] = palette[i].green, e[2] = palette[i].red, e[3] = 0;
  }
}

// Row y of the file (bottom-up), padded with zeros to the stride.
void PutRow(uint8_t* p, const IndexedImage& image, uint32_t y) {
  std::copy_n(image.Row(image.Height() - 1 - static_cast<int>(y)), image.Width(), p);
}

}  // namespace

std::vector<uint8_t> EncodeBitmap8(const IndexedImage& image, const Palette& palette) {
  const uint32_t stride = Stride(image);
  std::vector<uint8_t> out(kBitmapHeaderBytes + size_t(stride) * image.Height(), 0);
  PutHeaders(out.data(), image, palette);
  for (uint32_t y = 0; y < uint32_t(image.Height()); ++y)
    PutRow(out.data() + kBitmapHeaderBytes + size_t(y) * stride, image, y);
  return out;
}

void SaveBitmap8(const std::string& path, const IndexedImage& image, const Palette& palette) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Create)) FailExclamation("Cannot Open File");
  // Written a block of rows at a time: a whole copy of a long analysis's image would double
  // the memory it needs.
  const uint32_t stride = Stride(image);
  const uint32_t rowsPerBlock = std::max<uint32_t>(1, (1u << 20) / std::max<uint32_t>(1, stride));
  std::vector<uint8_t> block(std::max<size_t>(kBitmapHeaderBytes, size_t(stride) * rowsPerBlock));
  PutHeaders(block.data(), image, palette);
  bool ok = f.Write(block.data(), kBitmapHeaderBytes);
  std::fill(block.begin(), block.end(), 0);
  for (uint32_t y = 0; ok && y < uint32_t(image.Height()); y += rowsPerBlock) {
    const uint32_t rows = std::min<uint32_t>(rowsPerBlock, uint32_t(image.Height()) - y);
    for (uint32_t r = 0; r < rows; ++r) PutRow(block.data() + size_t(r) * stride, image, y + r);
    const size_t bytes = size_t(rows) * stride;
    ok = f.Write(block.data(), bytes);
  }
  if (!ok) FailStop("Error Writing File");
}

}  // namespace tessel
