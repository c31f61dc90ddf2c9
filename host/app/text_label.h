#pragma once
// Text drawn into a raster image with FreeType and the DejaVu font Debian
// ships; nothing is drawn when the font cannot be opened.
#include <string>

#include "host/app/software_raster.h"

namespace contorra {

// x, y: the left end of the baseline; pixelSize: the font's height.
// Returns whether the font was there to draw with.
bool DrawTextLabel(RasterImage& image, int x, int y, const std::string& text, Rgba8 colour,
                   int pixelSize = 13);

} // namespace contorra
