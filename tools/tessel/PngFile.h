// An 8-bit palette image as a PNG file (libpng).
#pragma once
#include <string>

#include "analyser/core/Colours.h"
#include "analyser/core/IndexedImage.h"

namespace tessel_tool {

// Returns false when the file cannot be written.
bool SavePng(const std::string& path, const tessel::IndexedImage& image,
             const tessel::Palette& palette);

}  // namespace tessel_tool
