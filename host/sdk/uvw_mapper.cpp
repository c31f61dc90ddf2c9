#include "host/sdk/uvw_mapper.h"

UVWMapper::UVWMapper(int type_, const Matrix3& tm_, int cap_, float utile_, float vtile_,
                     float wtile_, int uflip_, int vflip_, int wflip_)
    : type(type_), cap(cap_), utile(utile_), vtile(vtile_), wtile(wtile_), uflip(uflip_),
      vflip(vflip_), wflip(wflip_), tm(tm_) {}

static float TileFlip(float c, float tile, int flip) {
    return (flip ? 1.0f - c : c) * tile;
}

UVVert UVWMapper::MapPoint(const Point3& p, const Point3& /*norm*/) const {
    Point3 q = p * tm;
    // Only planar mapping exists in this host; any other type maps as planar.
    UVVert uvw(q.x + 0.5f, q.y + 0.5f, 0.0f);
    return {TileFlip(uvw.x, utile, uflip), TileFlip(uvw.y, vtile, vflip),
            TileFlip(uvw.z, wtile, wflip)};
}
