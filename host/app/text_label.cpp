#include "host/app/text_label.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <mutex>

namespace contorra {
namespace {

const char* const kFontFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                  "/usr/share/fonts/TTF/DejaVuSans.ttf"};

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    Font() {
        if (FT_Init_FreeType(&library) != 0) return;
        for (const char* file : kFontFiles)
            if (FT_New_Face(library, file, 0, &face) == 0) return;
        face = nullptr;
    }
    ~Font() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

std::mutex fontMutex;

} // namespace

bool DrawTextLabel(RasterImage& image, int x, int y, const std::string& text, Rgba8 colour,
                   int pixelSize) {
    std::lock_guard<std::mutex> lock(fontMutex);
    static Font font;
    if (!font.face) return false;
    FT_Set_Pixel_Sizes(font.face, 0, static_cast<FT_UInt>(std::max(pixelSize, 4)));
    int penX = x;
    for (unsigned char ch : text) {
        if (FT_Load_Char(font.face, ch, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = font.face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const int px = penX + g->bitmap_left + static_cast<int>(col);
                const int py = y - g->bitmap_top + static_cast<int>(row);
                if (px < 0 || py < 0 || px >= image.Width() || py >= image.Height()) continue;
                const float a = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col] / 255.0f;
                if (a <= 0.0f) continue;
                const Rgba8 under = image.Pixel(px, py);
                auto mix = [a](std::uint8_t top, std::uint8_t below) {
                    return static_cast<std::uint8_t>(top * a + below * (1.0f - a) + 0.5f);
                };
                image.SetPixel(px, py, {mix(colour.r, under.r), mix(colour.g, under.g),
                                        mix(colour.b, under.b), 255});
            }
        penX += static_cast<int>(g->advance.x >> 6);
    }
    return true;
}

} // namespace contorra
