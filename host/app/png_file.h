#pragma once
// PNG files of raster images (8-bit RGBA).
#include <filesystem>

#include "host/app/software_raster.h"

namespace contorra {

// Writes the image's colours (not its depth). Throws std::runtime_error naming
// the file on failure. Write through WriteAtomically to keep old files intact.
void WritePng(const std::filesystem::path& path, const RasterImage& image);

// Reads any PNG, converted to 8-bit RGBA; depth is cleared to far.
RasterImage ReadPng(const std::filesystem::path& path);

} // namespace contorra
