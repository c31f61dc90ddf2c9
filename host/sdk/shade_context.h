#pragma once
// What a texture map sees of one shaded sample. The renderer fills one context
// per sample; maps read it and keep per-sample results in its small cache.
#include <vector>

#include "host/sdk/base_types.h"
#include "host/sdk/color.h"
#include "host/sdk/point.h"

class INode;
class Texmap;

enum RefFrame { REF_CAMERA = 0, REF_WORLD = 1, REF_OBJECT = 2 };

class ShadeContext {
public:
    virtual ~ShadeContext() = default;

    // Maps are evaluated only when this is set (bump included).
    BOOL doMaps = TRUE;
    BOOL filterMaps = TRUE;
    int mtlNum = 0;

    virtual INode* Node() { return nullptr; }
    virtual BOOL InMtlEditor() { return FALSE; }
    virtual TimeValue CurTime() { return 0; }
    virtual int NodeID() { return -1; }

    // The shading point and the surface normal, in camera space.
    virtual Point3 P() { return {}; }
    virtual Point3 Normal() { return {0.0f, 0.0f, 1.0f}; }
    virtual Point3 V() { return {0.0f, 0.0f, -1.0f}; }
    virtual Point3 UVW(int /*channel*/ = 1) { return {}; }

    // Camera space into the given frame and back.
    virtual Point3 PointTo(const Point3& p, RefFrame /*to*/) { return p; }
    virtual Point3 PointFrom(const Point3& p, RefFrame /*from*/) { return p; }
    virtual Point3 VectorTo(const Point3& v, RefFrame /*to*/) { return v; }
    virtual Point3 VectorFrom(const Point3& v, RefFrame /*from*/) { return v; }

    virtual void SetGBufferID(int id) { gbufferId_ = id; }
    int GBufferID() const { return gbufferId_; }

    // The per-sample colour cache: a map asks before computing and stores after.
    BOOL GetCache(Texmap* map, AColor& c);
    void PutCache(Texmap* map, const AColor& c);
    void ClearCache() { cache_.clear(); }

private:
    struct CacheEntry {
        Texmap* map;
        AColor color;
    };
    std::vector<CacheEntry> cache_;
    int gbufferId_ = 0;
};

inline BOOL ShadeContext::GetCache(Texmap* map, AColor& c) {
    for (const CacheEntry& e : cache_) {
        if (e.map == map) {
            c = e.color;
            return TRUE;
        }
    }
    return FALSE;
}

inline void ShadeContext::PutCache(Texmap* map, const AColor& c) {
    for (CacheEntry& e : cache_) {
        if (e.map == map) {
            e.color = c;
            return;
        }
    }
    cache_.push_back({map, c});
}
