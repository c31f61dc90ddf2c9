#pragma once
// Bitmaps of the host: 16-bit-per-channel pixels, the bitmap manager that makes
// them, and the device-independent bitmaps that viewport textures are made of.
#include <string>
#include <vector>

#include "host/sdk/base_types.h"

struct BMM_Color_64 {
    WORD r = 0, g = 0, b = 0, a = 0;
};

// Storage types a bitmap can be created with.
constexpr int BMM_NO_TYPE = 0;
constexpr int BMM_TRUE_32 = 6;
constexpr int BMM_TRUE_64 = 7;

constexpr int BMM_SUCCESS = 0;
constexpr int BMM_ERROR = 1;

class BitmapInfo {
public:
    void SetName(const char* n) { name_ = n ? n : ""; }
    const char* Name() const { return name_.c_str(); }
    void SetWidth(WORD w) { width_ = w; }
    void SetHeight(WORD h) { height_ = h; }
    void SetType(int t) { type_ = t; }
    WORD Width() const { return width_; }
    WORD Height() const { return height_; }
    int Type() const { return type_; }

private:
    std::string name_;
    WORD width_ = 0, height_ = 0;
    int type_ = BMM_NO_TYPE;
};

// Every storage type keeps 64-bit pixels here; rows run top to bottom.
class Bitmap {
public:
    Bitmap(const BitmapInfo& bi);
    int Width() const { return width_; }
    int Height() const { return height_; }
    const char* Name() const { return name_.c_str(); }
    // Writes or reads len pixels of row y from column x on; answers the count moved.
    int PutPixels(int x, int y, int len, const BMM_Color_64* pixels);
    int GetPixels(int x, int y, int len, BMM_Color_64* pixels) const;
    void DeleteThis() { delete this; }

private:
    std::string name_;
    int width_, height_;
    std::vector<BMM_Color_64> pixels_;
};

class BitmapManager {
public:
    // Null when the size is zero or the type is not one this host stores.
    Bitmap* Create(BitmapInfo* bi);
};

extern BitmapManager* TheManager;

// A device-independent bitmap: 32-bit BGRA pixels, rows bottom to top.
struct BITMAPINFOHEADER {
    DWORD biSize = sizeof(BITMAPINFOHEADER);
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 32;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    std::vector<BYTE> bits;
};

using PBITMAPINFO = BITMAPINFO*;
