#include "tools/tessel/PngFile.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>

#include "platform/Files.h"

namespace tessel_tool {
namespace {

// libpng writes through these into the open file; a failed write ends the image.
void WriteBytes(png_structp png, png_bytep data, size_t length) {
  if (!static_cast<platform::File*>(png_get_io_ptr(png))->Write(data, length))
    png_error(png, "write failed");
}
void Flush(png_structp) {}

}  // namespace

bool SavePng(const std::string& path, const tessel::IndexedImage& image,
             const tessel::Palette& palette) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Create)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &f, WriteBytes, Flush);
  // The image is large and flat: fast compression keeps the tool quick.
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_NONE);
  png_set_compression_strategy(png, Z_RLE);
  png_set_IHDR(png, info, image.Width(), image.Height(), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color colours[tessel::kPaletteSize];
  for (int i = 0; i < tessel::kPaletteSize; ++i)
    colours[i] = png_color{palette[i].red, palette[i].green, palette[i].blue};
  png_set_PLTE(png, info, colours, tessel::kPaletteSize);
  png_write_info(png, info);
  for (int y = 0; y < image.Height(); ++y) png_write_row(png, const_cast<png_bytep>(image.Row(y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace tessel_tool
