#include "host/app/gis_input.h"

#include <cmath>
#include <cstdlib>
#include <mutex>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace contorra {

namespace {

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // Our messages name the file and place; GDAL's own go to the error text.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string Quote(const std::string& s) {
    return "\"" + s + "\"";
}

class LayerReader {
public:
    LayerReader(const GisSource& s, bool needHeights) : source_(s), needHeights_(needHeights) {}

    GisLayer Run() {
        RegisterDrivers();
        const std::string file = source_.file.string();
        CPLErrorReset();
        GDALDatasetUniquePtr ds(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
        if (!ds) {
            const std::string why = CPLGetLastErrorMsg();
            throw GisError(file + ": cannot read the file as GIS vector data" +
                           (why.empty() ? std::string() : " (" + why + ")"));
        }
        OGRLayer* layer = source_.layer.empty()
                              ? (ds->GetLayerCount() > 0 ? ds->GetLayer(0) : nullptr)
                              : ds->GetLayerByName(source_.layer.c_str());
        if (!layer) {
            std::string names;
            for (int i = 0; i < ds->GetLayerCount(); ++i)
                names += (i ? ", " : "") + Quote(ds->GetLayer(i)->GetName());
            throw GisError(file + ": " +
                           (source_.layer.empty()
                                ? std::string("the file has no layer")
                                : "no layer " + Quote(source_.layer) + " (the file has " +
                                      (names.empty() ? "none" : names) + ")"));
        }
        GisLayer out;
        out.name = layer->GetName();
        where_ = file + ": layer " + Quote(out.name);
        if (const OGRSpatialReference* srs = layer->GetSpatialRef()) {
            char* wkt = nullptr;
            if (srs->exportToWkt(&wkt) == OGRERR_NONE && wkt) out.crsWkt = wkt;
            CPLFree(wkt);
        }
        OGRFeatureDefn* defn = layer->GetLayerDefn();
        field_ = -1;
        if (!source_.elevation.empty()) {
            field_ = defn->GetFieldIndex(source_.elevation.c_str());
            if (field_ < 0) {
                std::string names;
                for (int i = 0; i < defn->GetFieldCount(); ++i)
                    names += (i ? ", " : "") + Quote(defn->GetFieldDefn(i)->GetNameRef());
                throw GisError(where_ + ": no attribute " + Quote(source_.elevation) +
                               " (the layer has " + (names.empty() ? "none" : names) + ")");
            }
            const OGRFieldType type = defn->GetFieldDefn(field_)->GetType();
            if (type != OFTInteger && type != OFTInteger64 && type != OFTReal && type != OFTString)
                throw GisError(where_ + ": attribute " + Quote(source_.elevation) +
                               " is not numeric (it holds " + OGRFieldDefn::GetFieldTypeName(type) +
                               " values)");
        }
        layer->ResetReading();
        for (auto& feature : *layer) Feature(*feature, out);
        return out;
    }

private:
    [[noreturn]] void Fail(GIntBig fid, const std::string& problem) const {
        throw GisError(where_ + ": feature " + std::to_string(static_cast<long long>(fid)) + ": " +
                       problem);
    }

    double Height(OGRFeature& f) const {
        const GIntBig fid = f.GetFID();
        if (!f.IsFieldSetAndNotNull(field_))
            Fail(fid, "attribute " + Quote(source_.elevation) + " has no value");
        const OGRFieldType type = f.GetFieldDefnRef(field_)->GetType();
        double z = 0.0;
        if (type == OFTString) {
            const char* text = f.GetFieldAsString(field_);
            char* end = nullptr;
            z = std::strtod(text, &end);
            if (end == text || *end != '\0')
                Fail(fid, "attribute " + Quote(source_.elevation) + " is not a number (" +
                              Quote(text) + ")");
        } else {
            z = f.GetFieldAsDouble(field_);
        }
        if (!std::isfinite(z))
            Fail(fid, "attribute " + Quote(source_.elevation) + " is not finite");
        return z;
    }

    void Feature(OGRFeature& f, GisLayer& out) {
        const OGRGeometry* g = f.GetGeometryRef();
        if (!g) return;
        const bool fromAttribute = field_ >= 0;
        if (!fromAttribute && needHeights_ && !g->Is3D())
            Fail(f.GetFID(), "the geometry is 2D and no elevation attribute is named");
        height_ = fromAttribute ? Height(f) : 0.0;
        useHeight_ = fromAttribute;
        Geometry(f.GetFID(), g, out, false);
    }

    void Geometry(GIntBig fid, const OGRGeometry* g, GisLayer& out, bool hole) {
        switch (wkbFlatten(g->getGeometryType())) {
        case wkbLineString:
        case wkbLinearRing:
            Line(fid, *g->toSimpleCurve(), out, false, false);
            return;
        case wkbPolygon: {
            const OGRPolygon* p = g->toPolygon();
            for (int i = 0; i < p->getNumInteriorRings() + 1; ++i) {
                const OGRLinearRing* ring =
                    i == 0 ? p->getExteriorRing() : p->getInteriorRing(i - 1);
                if (ring) Line(fid, *ring, out, true, hole || i > 0);
            }
            return;
        }
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection: {
            const OGRGeometryCollection* c = g->toGeometryCollection();
            for (int i = 0; i < c->getNumGeometries(); ++i)
                Geometry(fid, c->getGeometryRef(i), out, hole);
            return;
        }
        default:
            if (g->hasCurveGeometry()) {
                std::unique_ptr<OGRGeometry> linear(g->getLinearGeometry());
                if (linear) Geometry(fid, linear.get(), out, hole);
                return;
            }
            Fail(fid,
                 std::string("a ") + g->getGeometryName() + " is neither a line nor a polygon");
        }
    }

    void Line(GIntBig fid, const OGRSimpleCurve& c, GisLayer& out, bool ring, bool hole) {
        GisLine line;
        line.closed = ring;
        line.hole = hole;
        for (int i = 0; i < c.getNumPoints(); ++i) {
            const double x = c.getX(i), y = c.getY(i), z = useHeight_ ? height_ : c.getZ(i);
            if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
                Fail(fid, "point " + std::to_string(i) + " is not finite");
            line.points.push_back({x, y, z});
        }
        // Rings repeat their first point at the end; the spline closes itself.
        if (ring && line.points.size() > 1 && line.points.front() == line.points.back())
            line.points.pop_back();
        if (line.points.size() >= 2) out.lines.push_back(std::move(line));
    }

    const GisSource& source_;
    bool needHeights_;
    std::string where_;
    int field_ = -1;
    double height_ = 0.0;
    bool useHeight_ = false;
};

Point3 Local(const std::array<double, 3>& p, const SceneOrigin& o) {
    return Point3(static_cast<float>(p[0] - o.x), static_cast<float>(p[1] - o.y),
                  static_cast<float>(p[2] - o.z));
}

double Cross(const Point3& a, const Point3& b, const Point3& c) {
    return (double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x);
}

bool Inside(const Point3& p, const Point3& a, const Point3& b, const Point3& c) {
    return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

// Ear clipping of one simple ring, counter-clockwise; false when it finds no ear.
bool Triangulate(std::vector<int> ring, const std::vector<Point3>& v,
                 std::vector<std::array<int, 3>>& out) {
    double area = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Point3& a = v[ring[i]];
        const Point3& b = v[ring[(i + 1) % ring.size()]];
        area += double(a.x) * b.y - double(b.x) * a.y;
    }
    if (area < 0) std::reverse(ring.begin(), ring.end());
    while (ring.size() > 3) {
        bool clipped = false;
        for (std::size_t i = 0; i < ring.size() && !clipped; ++i) {
            const std::size_t n = ring.size();
            const int ia = ring[(i + n - 1) % n], ib = ring[i], ic = ring[(i + 1) % n];
            if (Cross(v[ia], v[ib], v[ic]) <= 0) continue;
            bool empty = true;
            for (int k : ring)
                if (k != ia && k != ib && k != ic && Inside(v[k], v[ia], v[ib], v[ic])) {
                    empty = false;
                    break;
                }
            if (!empty) continue;
            out.push_back({ia, ib, ic});
            ring.erase(ring.begin() + static_cast<long>(i));
            clipped = true;
        }
        if (!clipped) return false;
    }
    if (ring.size() == 3) out.push_back({ring[0], ring[1], ring[2]});
    return true;
}

fs::path Resolve(const fs::path& rel, const fs::path& sceneFile) {
    return rel.is_absolute() ? rel : sceneFile.parent_path() / rel;
}

struct GisKeys {
    std::string type;
    GisSource source;
    bool fill = false;
};

// The object's keys, checked; throws SceneFileError.
GisKeys ReadKeys(const json& j, const std::string& path, const fs::path& sceneFile) {
    auto fail = [&](const std::string& at, const std::string& problem) {
        throw SceneFileError(sceneFile, at, problem);
    };
    GisKeys k;
    k.type = j.at("type").get<std::string>();
    const std::string allowed = k.type == "shape"
                                    ? "\"type\", \"file\", \"layer\", \"elevation\" or \"fill\""
                                    : "\"type\", \"file\", \"layer\" or \"elevation\"";
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string at = path + "/" + it.key();
        if (it.key() == "type") continue;
        if (it.key() == "fill" && k.type == "shape") {
            if (!it->is_boolean()) fail(at, "expected true or false");
            k.fill = it->get<bool>();
        } else if (it.key() == "file" || it.key() == "layer" || it.key() == "elevation") {
            if (!it->is_string()) fail(at, "expected a string");
            const std::string v = it->get<std::string>();
            if (it.key() == "file") k.source.file = Resolve(v, sceneFile);
            if (it.key() == "layer") k.source.layer = v;
            if (it.key() == "elevation") k.source.elevation = v;
        } else {
            fail(at, "unknown key \"" + it.key() + "\" (expected " + allowed + ")");
        }
    }
    if (k.source.file.empty()) fail(path, "missing \"file\"");
    return k;
}

} // namespace

GisLayer ReadGisLayer(const GisSource& source, bool needHeights) {
    return LayerReader(source, needHeights).Run();
}

std::optional<WorldBox> GisExtent(const GisSource& source) {
    RegisterDrivers();
    GDALDatasetUniquePtr ds(
        GDALDataset::Open(source.file.string().c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds) return std::nullopt;
    OGRLayer* layer = source.layer.empty() ? (ds->GetLayerCount() > 0 ? ds->GetLayer(0) : nullptr)
                                           : ds->GetLayerByName(source.layer.c_str());
    OGREnvelope env;
    if (!layer || layer->GetExtent(&env, TRUE) != OGRERR_NONE) return std::nullopt;
    WorldBox box;
    box.Add(env.MinX, env.MinY);
    box.Add(env.MaxX, env.MaxY);
    return box;
}

JsonSpline GisSpline(const GisLayer& layer, const SceneOrigin& origin) {
    JsonSpline s;
    for (const GisLine& l : layer.lines) {
        JsonSplineLine line;
        line.closed = l.closed;
        for (const auto& p : l.points) line.points.push_back(Local(p, origin));
        s.lines.push_back(std::move(line));
    }
    return s;
}

JsonMesh GisFaces(const GisLayer& layer, const SceneOrigin& origin, const std::string& where) {
    std::vector<Point3> verts;
    std::vector<std::array<int, 3>> tris;
    for (const GisLine& l : layer.lines) {
        if (!l.closed) continue;
        if (l.hole) throw GisError(where + ": a polygon with holes cannot be filled");
        std::vector<int> ring;
        for (const auto& p : l.points) {
            ring.push_back(static_cast<int>(verts.size()));
            verts.push_back(Local(p, origin));
        }
        if (ring.size() < 3 || !Triangulate(ring, verts, tris))
            throw GisError(where + ": a polygon ring does not make faces (too few points or "
                                   "crossing sides)");
    }
    if (tris.empty()) throw GisError(where + ": no polygon to fill");
    JsonMesh m;
    m.mesh.setNumVerts(static_cast<int>(verts.size()));
    for (std::size_t i = 0; i < verts.size(); ++i) m.mesh.setVert(static_cast<int>(i), verts[i]);
    m.mesh.setNumFaces(static_cast<int>(tris.size()));
    for (std::size_t f = 0; f < tris.size(); ++f) {
        Face& face = m.mesh.faces[f];
        face.setVerts(tris[f][0], tris[f][1], tris[f][2]);
        face.setSmGroup(1);
        face.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
    }
    m.mesh.buildBoundingBox();
    return m;
}

JsonObject ReadGisObject(const json& j, const std::string& path, const fs::path& sceneFile,
                         const SceneOrigin& origin, std::string& crsWkt) {
    const GisKeys k = ReadKeys(j, path, sceneFile);
    try {
        const bool contours = k.type == "contours";
        GisLayer layer = ReadGisLayer(k.source, contours || k.fill);
        if (layer.lines.empty())
            throw GisError(k.source.file.string() + ": layer \"" + layer.name +
                           "\" holds no line or polygon");
        if (crsWkt.empty()) crsWkt = layer.crsWkt;
        if (k.fill) {
            JsonMesh m =
                GisFaces(layer, origin, k.source.file.string() + ": layer \"" + layer.name + "\"");
            m.file = k.source.file;
            return m;
        }
        return GisSpline(layer, origin);
    } catch (const GisError& e) {
        throw SceneFileError(sceneFile, path, e.what());
    }
}

std::optional<WorldBox> GisObjectExtent(const json& j, const fs::path& sceneFile) {
    GisSource s;
    if (j.contains("file") && j["file"].is_string())
        s.file = Resolve(j["file"].get<std::string>(), sceneFile);
    if (j.contains("layer") && j["layer"].is_string()) s.layer = j["layer"].get<std::string>();
    if (s.file.empty()) return std::nullopt;
    return GisExtent(s);
}

} // namespace contorra

namespace contorra {

JsonScene ContourScene(const GisSource& source) {
    json object = {{"type", "contours"}, {"file", fs::absolute(source.file).string()}};
    if (!source.layer.empty()) object["layer"] = source.layer;
    if (!source.elevation.empty()) object["elevation"] = source.elevation;
    const json doc = {
        {"nodes",
         {{{"name", "Contours"}, {"object", object}},
          {{"name", "Terrain"}, {"object", {{"type", "terrain"}, {"splines", {"Contours"}}}}}}}};
    return ParseJsonScene(doc.dump(), source.file);
}

} // namespace contorra
