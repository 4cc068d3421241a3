#include "analyser/core/BitmapFile.h"

#include <algorithm>

#include "analyser/core/Bytes.h"
#include "analyser/core/FileIo.h"
#include "analyser/core/Messages.h"

namespace tessel {

std::vector<uint8_t> EncodeBitmap8(const IndexedImage& image, const Palette& palette) {
  const uint32_t width = image.Width(), height = image.Height();
  const uint32_t stride = (width + 3) / 4 * 4;
  const uint32_t imageBytes = stride * height;
  std::vector<uint8_t> out(kBitmapHeaderBytes + size_t(imageBytes), 0);
  uint8_t* p = out.data();
  p[0] = 'B', p[1] = 'M';
  Put32(p + 2, kBitmapHeaderBytes + imageBytes);
  Put32(p + 10, kBitmapHeaderBytes);
  Put32(p + 14, 40);
  Put32(p + 18, width);
  Put32(p + 22, height);
  Put16(p + 26, 1);
  Put16(p + 28, 8);
  Put32(p + 30, 0);
  Put32(p + 34, imageBytes);
  Put32(p + 46, 256);
  Put32(p + 50, 256);
  for (size_t i = 0; i < palette.size(); ++i) {
    uint8_t* e = p + 54 + 4 * i;
    e[0] = palette[i].blue, e[1] = palette[i].green, e[2] = palette[i].red, e[3] = 0;
  }
  for (uint32_t y = 0; y < height; ++y)
    std::copy_n(image.Row(static_cast<int>(height - 1 - y)), width,
                p + kBitmapHeaderBytes + size_t(y) * stride);
  return out;
}

void SaveBitmap8(const std::filesystem::path& path, const IndexedImage& image,
                 const Palette& palette) {
  std::vector<uint8_t> bytes = EncodeBitmap8(image, palette);
  FileHandle f = OpenFile(path, FileMode::CreateAlways);
  if (!f) FailExclamation("Cannot Open File");
  size_t written = WriteFile(f.get(), bytes.data(), bytes.size());
  if (std::fclose(f.release()) != 0 || written != bytes.size()) FailStop("Error Writing File");
}

}  // namespace tessel
