#include "host/app/terrain_review.h"

#include <cmath>
#include <sstream>

#include "host/sdk/object.h"
#include "host/sdk/param_block.h"
#include "host/sdk/poly_shape.h"
#include "host/sdk/tri_object.h"

namespace contorra {

namespace {

const ParamDef* FindParam(IParamBlock2* pb, const std::string& name) {
    for (const ParamDef& d : pb->GetDesc()->paramdefs)
        if (d.int_name == name) return &d;
    return nullptr;
}

// The node's object as the build evaluates it, converted to lines; false when
// it is not a shape.
bool NodeLines(INode* node, PolyShape& shape) {
    shape.NewShape();
    Object* ref = node->GetObjectRef();
    Object* obj = ref ? ref->Eval(0).obj : nullptr;
    if (!obj || !obj->CanConvertToType(genericShapeClassID)) return false;
    Object* converted = obj->ConvertToType(0, splineShapeClassID);
    if (auto* s = dynamic_cast<ShapeObject*>(converted))
        s->MakePolyShape(0, shape, PSHAPE_BUILTIN_STEPS, FALSE);
    if (converted && converted != obj) converted->DeleteThis();
    return true;
}

std::string Kind(INode* node) {
    Object* ref = node->GetObjectRef();
    Object* obj = ref ? ref->Eval(0).obj : nullptr;
    if (!obj) return "has no object";
    if (obj->CanConvertToType(genericShapeClassID)) return "is a shape";
    if (obj->CanConvertToType(triObjectClassID)) return "is a mesh";
    return "is neither a shape nor a mesh";
}

std::string Format(const Point3& p) {
    std::ostringstream s;
    s.precision(6);
    s << "(" << p.x << ", " << p.y << ", " << p.z << ")";
    return s.str();
}

} // namespace

std::vector<std::vector<Point3>> TerrainContourLines(INode* terrain) {
    std::vector<std::vector<Point3>> out;
    Object* obj = terrain ? terrain->GetObjectRef() : nullptr;
    IParamBlock2* pb = obj ? obj->GetParamBlock(0) : nullptr;
    const ParamDef* d = pb ? FindParam(pb, TerrainListNodeParam(kSplines)) : nullptr;
    if (!d) return out;
    for (int slot = 0; slot < pb->Count(d->ID); ++slot) {
        INode* node = pb->GetINode(d->ID, 0, slot);
        PolyShape shape;
        if (!node || !NodeLines(node, shape)) continue;
        const Matrix3 tm = node->GetObjectTM(0);
        for (const PolyLine& line : shape.lines) {
            std::vector<Point3>& pts = out.emplace_back();
            for (const PolyPt& p : line.pts) pts.push_back(p.p * tm);
            if (line.IsClosed() && !pts.empty()) pts.push_back(pts.front());
        }
    }
    return out;
}

TerrainReview ReviewTerrain(INode* terrain) {
    TerrainReview r;
    r.minX = r.minY = HUGE_VAL;
    r.maxX = r.maxY = -HUGE_VAL;
    Object* obj = terrain->GetObjectRef();
    IParamBlock2* pb = obj ? obj->GetParamBlock(0) : nullptr;
    if (!pb) return r;
    if (const ParamDef* d = FindParam(pb, "Interations")) r.levels = pb->GetInt(d->ID, 0);
    const Matrix3 own = terrain->GetObjectTM(0);
    for (int axis = 0; axis < 3 && r.transformError.empty(); ++axis) {
        const Point3 a = own.GetRow(axis);
        const double scale = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
        if (!(scale >= kMinScale && scale <= kMaxScale)) {
            std::ostringstream msg;
            msg << "its "
                << "xyz"[axis] << " axis is scaled by " << scale
                << ", outside 1e-6 .. 1e6: the terrain is built in its node's own space, "
                   "which such a scale collapses or blows up";
            r.transformError = msg.str();
        }
    }
    for (int l = 0; l < kListCount; ++l) {
        const auto list = static_cast<TerrainList>(l);
        const ParamDef* d = FindParam(pb, TerrainListNodeParam(list));
        if (!d) continue;
        const int slots = pb->Count(d->ID);
        for (int slot = 0; slot < slots; ++slot) {
            INode* node = pb->GetINode(d->ID, 0, slot);
            if (!node) continue;
            auto note = [&](std::vector<ReviewNote>& to, const std::string& problem) {
                to.push_back({list, slot, node->GetName() ? node->GetName() : "", problem});
            };
            if (node == terrain) {
                note(r.warnings, "is the terrain itself: the build skips it");
                continue;
            }
            if (list == kPlatforms) {
                Object* o = node->EvalWorldState(0).obj;
                if (!o || !o->CanConvertToType(triObjectClassID))
                    note(r.warnings, Kind(node) + ", not a mesh: the build skips it");
                continue;
            }
            PolyShape shape;
            if (!NodeLines(node, shape)) {
                note(r.warnings, Kind(node) + ", not a shape: the build skips it");
                continue;
            }
            if (shape.numLines == 0) {
                note(r.warnings, "has no lines: it adds nothing to the build");
                continue;
            }
            if (list != kSplines) continue;
            const Matrix3 tm = node->GetObjectTM(0);
            bool bad = false;
            for (int li = 0; li < shape.numLines && !bad; ++li) {
                const PolyLine& line = shape.lines[static_cast<std::size_t>(li)];
                for (int k = 0; k < line.numPts && !bad; ++k) {
                    const Point3 p = line[k].p * tm;
                    const bool finite =
                        std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
                    if (!finite || std::fabs(p.x) > kCoordinateBound ||
                        std::fabs(p.y) > kCoordinateBound || std::fabs(p.z) > kCoordinateBound) {
                        std::ostringstream msg;
                        msg << "point " << k << " of line " << li << " lies at " << Format(p)
                            << " in world space, "
                            << (finite ? "beyond the bound of 1e9 on every coordinate"
                                       : "which is not finite")
                            << ": no terrain can be built from it";
                        note(r.errors, msg.str());
                        bad = true;
                        break;
                    }
                    r.minX = std::min(r.minX, double(p.x));
                    r.maxX = std::max(r.maxX, double(p.x));
                    r.minY = std::min(r.minY, double(p.y));
                    r.maxY = std::max(r.maxY, double(p.y));
                    if (k > 0) {
                        const Point3 q = line[k - 1].p * tm;
                        r.length += std::hypot(double(p.x) - q.x, double(p.y) - q.y);
                    }
                    ++r.contourPoints;
                }
            }
        }
    }
    if (r.contourPoints == 0) r.minX = r.minY = r.maxX = r.maxY = 0.0;
    return r;
}

std::vector<ReviewNote> ReviewInserts(INode* terrain, const TerrainReview& review) {
    std::vector<ReviewNote> out;
    Object* obj = terrain->GetObjectRef();
    IParamBlock2* pb = obj ? obj->GetParamBlock(0) : nullptr;
    const ParamDef* d = pb ? FindParam(pb, TerrainListNodeParam(kInserts)) : nullptr;
    if (!d || review.contourPoints == 0) return out;
    const double half = 0.55 * std::max(review.maxX - review.minX, review.maxY - review.minY);
    const double cx = 0.5 * (review.minX + review.maxX), cy = 0.5 * (review.minY + review.maxY);
    const double lo[2] = {cx - half, cy - half}, hi[2] = {cx + half, cy + half};
    for (int slot = 0; slot < pb->Count(d->ID); ++slot) {
        INode* node = pb->GetINode(d->ID, 0, slot);
        PolyShape shape;
        if (!node || node == terrain || !NodeLines(node, shape)) continue;
        const Matrix3 tm = node->GetObjectTM(0);
        int outside = 0, total = 0;
        Point3 first;
        for (const PolyLine& line : shape.lines)
            for (int k = 0; k < line.numPts; ++k, ++total) {
                const Point3 p = line[k].p * tm;
                if (!(p.x >= lo[0] && p.x <= hi[0] && p.y >= lo[1] && p.y <= hi[1]) &&
                    outside++ == 0)
                    first = p;
            }
        if (outside == 0) continue;
        std::ostringstream msg;
        msg << outside << " of its " << total << " outline points lie outside the height grid (x "
            << lo[0] << " .. " << hi[0] << ", y " << lo[1] << " .. " << hi[1] << "), the first at ("
            << first.x << ", " << first.y
            << "): their heights are extrapolated from the edge of the grid";
        out.push_back({kInserts, slot, node->GetName() ? node->GetName() : "", msg.str()});
    }
    return out;
}

std::string NotePlace(const ReviewNote& note, const JsonScene* json,
                      const std::string& terrainName) {
    const std::string named = " (\"" + note.node + "\")";
    if (json)
        for (const JsonNode& n : json->nodes)
            if (n.name == terrainName)
                if (const auto* t = std::get_if<JsonTerrain>(&n.object))
                    if (note.slot < static_cast<int>(t->lists[note.list].size()))
                        return t->lists[note.list][static_cast<std::size_t>(note.slot)].nodePath +
                               named;
    return std::string(TerrainListNodeParam(note.list)) + " slot " + std::to_string(note.slot) +
           named;
}

} // namespace contorra
