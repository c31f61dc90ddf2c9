#include "host/app/text_label.h"

#include "host/app/font_face.h"

namespace contorra {

bool DrawTextLabel(RasterImage& image, int x, int y, const std::string& text, Rgba8 colour,
                   int pixelSize) {
    const FontFace* face = FontFace::Get(pixelSize);
    if (!face) return false;
    face->Draw(image, x, y, text, colour, image.Bounds());
    return true;
}

} // namespace contorra
