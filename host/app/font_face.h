#pragma once
// DejaVu faces of Debian's fonts-dejavu-core through FreeType, one per pixel
// size and weight, with their glyphs kept once rendered. Viewport labels and
// the window system's text both draw through here.
#include <string_view>

#include "host/app/software_raster.h"

namespace contorra {

struct FontMetrics {
    int ascent = 0;  // pixels above the baseline
    int descent = 0; // pixels below it
    int height = 0;  // ascent + descent
    int averageCharWidth = 0;
};

class FontFace {
public:
    // The face at pixelSize (the em, in pixels); null when the font file is
    // missing. Faces live as long as the process.
    static const FontFace* Get(int pixelSize, bool bold = false);

    const FontMetrics& Metrics() const { return metrics_; }
    int PixelSize() const { return pixelSize_; }
    bool Bold() const { return bold_; }
    // Width of text in pixels, advances summed.
    int Advance(std::string_view text) const;
    // Blends text in colour with its baseline's left end at (x, baseline),
    // touching only pixels inside clip.
    void Draw(RasterImage& image, int x, int baseline, std::string_view text, Rgba8 colour,
              const PixelRect& clip) const;

    FontFace(int pixelSize, bool bold, void* ftFace);

private:
    struct Glyph;
    const Glyph& GlyphOf(unsigned char ch) const;

    int pixelSize_;
    bool bold_;
    void* face_; // FT_Face
    FontMetrics metrics_;
};

} // namespace contorra
