#pragma once
// Viewport textures: the maker the viewport hands to a map, and the handles it makes.
#include <cstdint>
#include <memory>

#include "host/sdk/base_types.h"
#include "host/sdk/bitmap.h"

// Texture-coordinate symmetry flags.
constexpr int U_WRAP = 1 << 0;
constexpr int V_WRAP = 1 << 1;
constexpr int U_MIRROR = 1 << 2;
constexpr int V_MIRROR = 1 << 3;

class TexHandle {
public:
    virtual ~TexHandle() = default;
    virtual std::uintptr_t GetHandle() = 0;
    virtual void DeleteThis() { delete this; }
};

// A handle that simply keeps the image it was made from.
class DIBTexHandle : public TexHandle {
public:
    DIBTexHandle(BITMAPINFO* dib, int symflags) : dib_(dib), symflags_(symflags) {}
    std::uintptr_t GetHandle() override { return reinterpret_cast<std::uintptr_t>(dib_.get()); }
    const BITMAPINFO* Image() const { return dib_.get(); }
    int SymFlags() const { return symflags_; }

private:
    std::unique_ptr<BITMAPINFO> dib_;
    int symflags_;
};

class TexHandleMaker {
public:
    virtual ~TexHandleMaker() = default;
    // Side of the square textures the viewport wants.
    virtual int Size() = 0;
    // Takes ownership of the image.
    virtual TexHandle* CreateHandle(BITMAPINFO* dib, int symflags = U_WRAP | V_WRAP,
                                    int extraFlags = 0) {
        (void)extraFlags;
        return new DIBTexHandle(dib, symflags);
    }
    // Resamples the bitmap (nearest pixel) to Size() squared, or to its own
    // width and height where forceW or forceH is set; the caller owns the result.
    virtual BITMAPINFO* BitmapToDIB(Bitmap* bm, int symflags, int extraFlags, BOOL forceW = FALSE,
                                    BOOL forceH = FALSE);
};
