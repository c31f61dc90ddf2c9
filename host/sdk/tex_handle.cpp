#include "host/sdk/tex_handle.h"

#include <vector>

BITMAPINFO* TexHandleMaker::BitmapToDIB(Bitmap* bm, int /*symflags*/, int /*extraFlags*/,
                                        BOOL forceW, BOOL forceH) {
    if (!bm || bm->Width() <= 0 || bm->Height() <= 0) return nullptr;
    int w = forceW ? bm->Width() : Size();
    int h = forceH ? bm->Height() : Size();
    if (w <= 0 || h <= 0) return nullptr;

    auto* dib = new BITMAPINFO;
    dib->bmiHeader.biWidth = w;
    dib->bmiHeader.biHeight = h;
    dib->bmiHeader.biSizeImage = static_cast<DWORD>(w) * static_cast<DWORD>(h) * 4;
    dib->bits.resize(dib->bmiHeader.biSizeImage);
    std::vector<BMM_Color_64> row(bm->Width());
    for (int y = 0; y < h; ++y) {
        int sy = static_cast<int>(static_cast<long long>(y) * bm->Height() / h);
        bm->GetPixels(0, sy, bm->Width(), row.data());
        // Device-independent rows run bottom to top.
        BYTE* out = dib->bits.data() + static_cast<std::size_t>(h - 1 - y) * w * 4;
        for (int x = 0; x < w; ++x) {
            const BMM_Color_64& p = row[static_cast<long long>(x) * bm->Width() / w];
            out[4 * x + 0] = static_cast<BYTE>(p.b >> 8);
            out[4 * x + 1] = static_cast<BYTE>(p.g >> 8);
            out[4 * x + 2] = static_cast<BYTE>(p.r >> 8);
            out[4 * x + 3] = static_cast<BYTE>(p.a >> 8);
        }
    }
    return dib;
}
