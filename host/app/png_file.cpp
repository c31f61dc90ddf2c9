#include "host/app/png_file.h"

#include <png.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace contorra {

namespace {

std::runtime_error PngError(const std::filesystem::path& path, const char* what,
                            const png_image& img) {
    std::string msg = path.string() + ": " + what;
    if (img.message[0] != '\0') msg += std::string(": ") + img.message;
    return std::runtime_error(msg);
}

} // namespace

void WritePng(const std::filesystem::path& path, const RasterImage& image) {
    if (image.Width() <= 0 || image.Height() <= 0)
        throw std::runtime_error(path.string() + ": cannot write an empty image");
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = static_cast<png_uint_32>(image.Width());
    img.height = static_cast<png_uint_32>(image.Height());
    img.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&img, path.c_str(), 0, image.Bytes(), 0, nullptr))
        throw PngError(path, "cannot write PNG", img);
}

RasterImage ReadPng(const std::filesystem::path& path) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
        throw PngError(path, "cannot read PNG", img);
    img.format = PNG_FORMAT_RGBA;
    const int w = static_cast<int>(img.width), h = static_cast<int>(img.height);
    std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, bytes.data(), 0, nullptr)) {
        png_image_free(&img);
        throw PngError(path, "cannot read PNG", img);
    }
    RasterImage out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * w + x) * 4];
            out.SetPixel(x, y, {p[0], p[1], p[2], p[3]});
        }
    return out;
}

} // namespace contorra
