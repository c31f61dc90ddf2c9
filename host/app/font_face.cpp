#include "host/app/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace contorra {
namespace {

const char* const kRegularFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                     "/usr/share/fonts/TTF/DejaVuSans.ttf"};
const char* const kBoldFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                  "/usr/share/fonts/TTF/DejaVuSans-Bold.ttf"};

// FreeType faces are not safe to share between threads; every use of one
// holds this lock. Drawing copies out of the glyph cache under it.
std::mutex& FontLock() {
    static std::mutex m;
    return m;
}

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return lib;
}

} // namespace

struct FontFace::Glyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<std::uint8_t> coverage;
};

FontFace::FontFace(int pixelSize, bool bold, void* ftFace)
    : pixelSize_(pixelSize), bold_(bold), face_(ftFace) {
    auto face = static_cast<FT_Face>(face_);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    metrics_.ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    metrics_.descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    metrics_.height = metrics_.ascent + metrics_.descent;
    // As Windows computes a dialog font's base width: the alphabet's mean,
    // rounded.
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    int total = 0;
    for (const char* c = alphabet; *c; ++c)
        if (FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_DEFAULT) == 0)
            total += static_cast<int>(face->glyph->advance.x >> 6);
    metrics_.averageCharWidth = (total / 26 + 1) / 2;
}

const FontFace* FontFace::Get(int pixelSize, bool bold) {
    pixelSize = std::clamp(pixelSize, 4, 200);
    std::lock_guard g(FontLock());
    static std::map<std::pair<int, bool>, std::unique_ptr<FontFace>> faces;
    auto key = std::make_pair(pixelSize, bold);
    if (auto it = faces.find(key); it != faces.end()) return it->second.get();
    FT_Library lib = Library();
    if (!lib) return nullptr;
    FT_Face face = nullptr;
    for (const char* file : bold ? kBoldFiles : kRegularFiles)
        if (FT_New_Face(lib, file, 0, &face) == 0) break;
    if (!face) return nullptr;
    auto made = std::make_unique<FontFace>(pixelSize, bold, face);
    return (faces[key] = std::move(made)).get();
}

const FontFace::Glyph& FontFace::GlyphOf(unsigned char ch) const {
    // Called with FontLock held.
    static std::map<std::pair<const FontFace*, unsigned char>, Glyph> cache;
    auto key = std::make_pair(this, ch);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    Glyph g;
    auto face = static_cast<FT_Face>(face_);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize_));
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot s = face->glyph;
        g.left = s->bitmap_left;
        g.top = s->bitmap_top;
        g.width = static_cast<int>(s->bitmap.width);
        g.rows = static_cast<int>(s->bitmap.rows);
        g.advance = static_cast<int>(s->advance.x >> 6);
        g.coverage.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows));
        for (int r = 0; r < g.rows; ++r)
            std::copy_n(s->bitmap.buffer + r * s->bitmap.pitch, g.width,
                        g.coverage.begin() + static_cast<std::ptrdiff_t>(r) * g.width);
    }
    return cache.emplace(key, std::move(g)).first->second;
}

int FontFace::Advance(std::string_view text) const {
    std::lock_guard g(FontLock());
    int w = 0;
    for (unsigned char ch : text) w += GlyphOf(ch).advance;
    return w;
}

void FontFace::Draw(RasterImage& image, int x, int baseline, std::string_view text, Rgba8 colour,
                    const PixelRect& clip) const {
    const PixelRect area = clip.Intersect(image.Bounds());
    std::lock_guard g(FontLock());
    int penX = x;
    for (unsigned char ch : text) {
        const Glyph& gl = GlyphOf(ch);
        for (int row = 0; row < gl.rows; ++row)
            for (int col = 0; col < gl.width; ++col) {
                const int px = penX + gl.left + col;
                const int py = baseline - gl.top + row;
                if (px < area.x0 || py < area.y0 || px >= area.x1 || py >= area.y1) continue;
                const float a = gl.coverage[static_cast<std::size_t>(row * gl.width + col)] / 255.0f;
                if (a <= 0.0f) continue;
                const Rgba8 under = image.Pixel(px, py);
                auto mix = [a](std::uint8_t top, std::uint8_t below) {
                    return static_cast<std::uint8_t>(top * a + below * (1.0f - a) + 0.5f);
                };
                image.SetPixel(px, py, {mix(colour.r, under.r), mix(colour.g, under.g),
                                        mix(colour.b, under.b), 255});
            }
        penX += gl.advance;
    }
}

} // namespace contorra
