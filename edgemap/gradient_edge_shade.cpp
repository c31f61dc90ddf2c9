// Shading of the edge-gradient map: the per-node edge cache, colour, mono and
// bump of a shaded sample, and the viewport image of the ramp.
#include <algorithm>
#include <cmath>

#include "edgemap/gradient_edge.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/tri_object.h"

namespace {

constexpr float MIN_DISTANCE = 0.00001f;
const AColor NO_COLOR(0.0f, 0.0f, 0.0f, 0.0f);

void ChooseEdgesOf(Object* obj, EdgeDistanceData& data) {
    if (obj->IsSubClassOf(polyObjectClassID)) {
        if (auto* poly = dynamic_cast<PolyObject*>(obj)) data.ChooseEdges(poly->GetMesh());
    } else if (obj->IsSubClassOf(triObjectClassID)) {
        if (auto* tri = dynamic_cast<TriObject*>(obj)) data.ChooseEdges(tri->GetMesh());
    } else if (obj->CanConvertToType(polyObjectClassID)) {
        // Converted at time 0, whatever the shading time.
        Object* converted = obj->ConvertToType(0, polyObjectClassID);
        if (auto* poly = dynamic_cast<PolyObject*>(converted)) data.ChooseEdges(poly->GetMesh());
        if (converted && converted != obj) converted->DeleteThis();
    }
}

WORD Channel16(float v) {
    return static_cast<WORD>(std::clamp(std::trunc(v * 65535.0f), 0.0f, 65535.0f));
}

} // namespace

EdgeDistanceData* GradientEdge::GetEdgeData(ULONG nodeHandle, TimeValue t) {
    std::lock_guard<std::mutex> lock(cacheLock);
    for (const auto& entry : distanceCache)
        if (entry->nodeHandle == nodeHandle) return entry.get();

    Interface* ip = GetCOREInterface();
    INode* node = ip ? ip->GetINodeByHandle(nodeHandle) : nullptr;
    if (!node) return nullptr;
    Object* obj = node->EvalWorldState(t, TRUE).obj;
    if (!obj) return nullptr;

    auto data = std::make_unique<EdgeDistanceData>();
    data->nodeHandle = nodeHandle;
    data->object = obj;
    data->criteria = CachedCriteria();
    data->cellMultiplier = cellMultiplier;
    ChooseEdgesOf(obj, *data);
    data->BuildGrid();
    distanceCache.push_back(std::move(data));
    return distanceCache.back().get();
}

void GradientEdge::InvalidateEdgeData() {
    std::lock_guard<std::mutex> lock(cacheLock);
    distanceCache.clear();
}

AColor GradientEdge::EvalColor(ShadeContext& sc) {
    AColor c;
    if (sc.GetCache(this, c)) return c;
    if (GetGBufID() != 0) sc.SetGBufferID(GetGBufID());
    if (distance < MIN_DISTANCE) return NO_COLOR;
    INode* node = sc.Node();
    if (!node || sc.InMtlEditor()) return NO_COLOR;
    EdgeDistanceData* data = GetEdgeData(node->GetHandle(), sc.CurTime());
    if (!data || !data->object) return NO_COLOR;

    Point3 p = sc.PointTo(sc.P(), REF_OBJECT);
    Point3 nearest = p;
    float x = data->NearestEdgeDistance(p, nearest) / distance;
    if (x > 1.0f) x = 1.0f;
    if (x < MARKER_MIN_GAP) x = 0.0f;
    c = ramp.EvalRamp(x, sc);
    if (texout) c = texout->Filter(c);
    sc.PutCache(this, c);
    return c;
}

float GradientEdge::EvalMono(ShadeContext& sc) {
    AColor c = EvalColor(sc);
    return (c.r + c.g + c.b) / 3.0f;
}

Point3 GradientEdge::EvalNormalPerturb(ShadeContext& sc) {
    const Point3 none(0.0f, 0.0f, 0.0f);
    if (!sc.doMaps) return none;
    if (GetGBufID() != 0) sc.SetGBufferID(GetGBufID());
    if (distance < MIN_DISTANCE) return none;
    INode* node = sc.Node();
    if (!node || sc.InMtlEditor()) return none;
    EdgeDistanceData* data = GetEdgeData(node->GetHandle(), sc.CurTime());
    if (!data || !data->object) return none;

    Point3 p = sc.PointTo(sc.P(), REF_OBJECT);
    Point3 nearest = p; // stays p when no edge is listed: no direction
    float x = data->NearestEdgeDistance(p, nearest) / distance;
    return ramp.EvalRampPerturb(x, sc, Normalize(p - nearest));
}

BITMAPINFO* GradientEdge::GetVPDisplayDIB(TimeValue t, TexHandleMaker& maker, Interval& valid,
                                          BOOL /*mono*/, int forceW, int forceH) {
    Interval scratch = FOREVER;
    Update(t, scratch);
    int n = maker.Size();
    BitmapInfo bi;
    bi.SetName("GradientEdgeTemp");
    bi.SetWidth(static_cast<WORD>(n));
    bi.SetHeight(static_cast<WORD>(n));
    bi.SetType(BMM_TRUE_64);
    Bitmap* bm = n > 0 ? TheManager->Create(&bi) : nullptr;
    if (!bm) return nullptr;

    // The ramp itself laid across U; every row alike.
    std::vector<BMM_Color_64> row(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        AColor c = ramp.EvalRampPlain(static_cast<float>(i) / static_cast<float>(n));
        row[i] = {Channel16(c.r), Channel16(c.g), Channel16(c.b), 65535};
    }
    for (int y = 0; y < n; ++y) bm->PutPixels(0, y, n, row.data());

    BITMAPINFO* dib =
        maker.BitmapToDIB(bm, uvGen ? uvGen->SymFlags() : U_WRAP | V_WRAP, 0, forceW, forceH);
    bm->DeleteThis();
    valid.SetInfinite();
    return dib;
}

std::uintptr_t GradientEdge::GetActiveTexHandle(TimeValue t, TexHandleMaker& maker) {
    if (texHandle && texHandleValid.InInterval(t)) return texHandle->GetHandle();
    DiscardTexHandle();
    BITMAPINFO* dib = GetVPDisplayDIB(t, maker, texHandleValid, FALSE, 0, 0);
    if (!dib) return 0;
    texHandle = maker.CreateHandle(dib, uvGen ? uvGen->SymFlags() : U_WRAP | V_WRAP);
    return texHandle ? texHandle->GetHandle() : 0;
}
