#include "host/sdk/bitmap.h"

#include <algorithm>

namespace {
BitmapManager manager;
}

BitmapManager* TheManager = &manager;

Bitmap::Bitmap(const BitmapInfo& bi)
    : name_(bi.Name()), width_(bi.Width()), height_(bi.Height()),
      pixels_(static_cast<std::size_t>(width_) * height_) {}

int Bitmap::PutPixels(int x, int y, int len, const BMM_Color_64* pixels) {
    if (y < 0 || y >= height_ || x < 0 || x >= width_ || len <= 0) return 0;
    int n = std::min(len, width_ - x);
    std::copy(pixels, pixels + n, pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + x);
    return n;
}

int Bitmap::GetPixels(int x, int y, int len, BMM_Color_64* pixels) const {
    if (y < 0 || y >= height_ || x < 0 || x >= width_ || len <= 0) return 0;
    int n = std::min(len, width_ - x);
    auto from = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + x;
    std::copy(from, from + n, pixels);
    return n;
}

Bitmap* BitmapManager::Create(BitmapInfo* bi) {
    if (!bi || bi->Width() == 0 || bi->Height() == 0) return nullptr;
    if (bi->Type() != BMM_TRUE_64 && bi->Type() != BMM_TRUE_32) return nullptr;
    return new Bitmap(*bi);
}
