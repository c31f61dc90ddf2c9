#include "host/app/height_grid_export.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "host/app/ascii_lower.h"
#include "host/app/atomic_file.h"
#include "host/app/gdal_module.h"
#include "host/sdk/modifier.h"
#include "host/sdk/tri_object.h"

namespace fs = std::filesystem;

namespace contorra {

namespace {

// The plug-in's conform modifier and its terrain parameter, known by number.
const Class_ID kConformClassID(0x14292e5e, 0x16395a25);
constexpr ParamID kConformLandObject = 0;

// Which faces cover which bucket of a square grid over the mesh, for the
// point-in-triangle test that decides NoData.
class Coverage {
public:
    explicit Coverage(const Mesh& m) : mesh_(m) {
        for (const Point3& v : m.verts) {
            minX_ = std::min(minX_, double(v.x));
            minY_ = std::min(minY_, double(v.y));
            maxX_ = std::max(maxX_, double(v.x));
            maxY_ = std::max(maxY_, double(v.y));
        }
        const int faces = m.getNumFaces();
        n_ = std::max(1, static_cast<int>(std::sqrt(double(faces)) / 2));
        size_ = std::max((maxX_ - minX_), (maxY_ - minY_)) / n_;
        if (!(size_ > 0)) size_ = 1.0;
        buckets_.resize(static_cast<std::size_t>(n_) * n_);
        for (int f = 0; f < faces; ++f) {
            double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
            for (int k = 0; k < 3; ++k) {
                const Point3& v = m.verts[m.faces[f].v[k]];
                x0 = std::min(x0, double(v.x));
                y0 = std::min(y0, double(v.y));
                x1 = std::max(x1, double(v.x));
                y1 = std::max(y1, double(v.y));
            }
            for (int j = Cell(y0, minY_); j <= Cell(y1, minY_); ++j)
                for (int i = Cell(x0, minX_); i <= Cell(x1, minX_); ++i)
                    buckets_[static_cast<std::size_t>(j) * n_ + i].push_back(f);
        }
    }
    double MinX() const { return minX_; }
    double MinY() const { return minY_; }
    double MaxX() const { return maxX_; }
    double MaxY() const { return maxY_; }

    // The face under (x, y) and its flat height there; false when none.
    bool Covers(double x, double y, double& flat) const {
        if (x < minX_ || x > maxX_ || y < minY_ || y > maxY_) return false;
        for (int f : buckets_[static_cast<std::size_t>(Cell(y, minY_)) * n_ + Cell(x, minX_)]) {
            const Point3& a = mesh_.verts[mesh_.faces[f].v[0]];
            const Point3& b = mesh_.verts[mesh_.faces[f].v[1]];
            const Point3& c = mesh_.verts[mesh_.faces[f].v[2]];
            const double d1 = Side(a, b, x, y), d2 = Side(b, c, x, y), d3 = Side(c, a, x, y);
            const bool neg = d1 < 0 || d2 < 0 || d3<0, pos = d1> 0 || d2 > 0 || d3 > 0;
            const double area = d1 + d2 + d3;
            if (neg && pos) continue;
            flat = area != 0 ? (d2 * a.z + d3 * b.z + d1 * c.z) / area : a.z;
            return true;
        }
        return false;
    }

private:
    static double Side(const Point3& a, const Point3& b, double x, double y) {
        return (double(b.x) - a.x) * (y - a.y) - (double(b.y) - a.y) * (x - a.x);
    }
    int Cell(double v, double lo) const {
        return std::clamp(static_cast<int>((v - lo) / size_), 0, n_ - 1);
    }
    const Mesh& mesh_;
    double minX_ = 1e300, minY_ = 1e300, maxX_ = -1e300, maxY_ = -1e300, size_ = 1.0;
    int n_ = 1;
    std::vector<std::vector<int>> buckets_;
};

} // namespace

std::string RasterDriverFor(const fs::path& path) {
    const std::string ext = AsciiLower(path.extension().string());
    if (ext.size() < 2) return {};
    if (ext == ".tif" || ext == ".tiff") return "GTiff";
    if (ext == ".asc") return "AAIGrid";
    if (ext == ".xyz") return "XYZ";
    return Gdal().rasterDriverFor(ext.substr(1));
}

HeightSampler ConformSampler(Scene& scene, const ClassRegistry& registry, INode* terrain) {
    ClassDesc* cd = registry.Find(WSM_CLASS_ID, kConformClassID);
    if (!cd) throw std::runtime_error("the plug-in offers no conform modifier to sample heights");
    return [&scene, cd, terrain](std::vector<Point3>& points) {
        auto* conform = dynamic_cast<WSModifier*>(static_cast<Animatable*>(cd->Create(FALSE)));
        if (!conform) throw std::runtime_error("the conform modifier could not be made");
        TriObject* probe = CreateNewTriObject();
        Mesh& m = probe->GetMesh();
        m.setNumVerts(static_cast<int>(points.size()));
        for (std::size_t i = 0; i < points.size(); ++i) m.setVert(static_cast<int>(i), points[i]);
        INode* node = scene.CreateNode(probe, "height grid probe");
        node->AddWSModifier(conform);
        conform->GetParamBlock(0)->SetValue(kConformLandObject, 0, terrain);
        const ObjectState& os = node->EvalWorldState(0);
        auto* tri = dynamic_cast<TriObject*>(os.obj);
        if (tri && tri->GetMesh().getNumVerts() == static_cast<int>(points.size())) {
            const Matrix3 tm = node->GetObjectTM(0);
            for (std::size_t i = 0; i < points.size(); ++i)
                points[i].z = (tri->GetMesh().verts[i] * tm).z;
        }
        scene.DeleteNode(node);
        if (!tri)
            throw std::runtime_error("the conform modifier gave no mesh to read heights from");
    };
}

HeightRaster SampleHeightGrid(const Mesh& mesh, const HeightSampler& sample,
                              const HeightGridRequest& request) {
    const Coverage cover(mesh);
    HeightRaster r;
    const double w = cover.MaxX() - cover.MinX(), h = cover.MaxY() - cover.MinY();
    if (!(w > 0 && h > 0)) throw std::runtime_error("the terrain covers no area");
    r.cell = request.cell > 0 ? request.cell : std::max(w, h) / 512.0;
    r.columns = std::max(1, static_cast<int>(std::ceil(w / r.cell - 1e-9)));
    r.rows = std::max(1, static_cast<int>(std::ceil(h / r.cell - 1e-9)));
    if (double(r.columns) * r.rows > 4.0e8)
        throw std::runtime_error("the height grid would hold " + std::to_string(r.columns) + " x " +
                                 std::to_string(r.rows) + " cells: choose a larger --cell");
    r.left = cover.MinX() + request.origin.x;
    r.top = cover.MinY() + r.rows * r.cell + request.origin.y;
    r.heights.assign(static_cast<std::size_t>(r.columns) * r.rows, kNoData);

    std::vector<Point3> points;
    std::vector<std::size_t> where;
    std::vector<double> flats;
    double flat = 0.0;
    for (int j = 0; j < r.rows; ++j)
        for (int i = 0; i < r.columns; ++i) {
            const double x = cover.MinX() + (i + 0.5) * r.cell;
            const double y = cover.MinY() + (r.rows - j - 0.5) * r.cell;
            if (!cover.Covers(x, y, flat)) continue;
            points.emplace_back(static_cast<float>(x), static_cast<float>(y), 0.0f);
            where.push_back(static_cast<std::size_t>(j) * r.columns + i);
            flats.push_back(flat);
        }
    if (!points.empty()) sample(points);
    // The lookup leaves 0 where its tree finds no patch although a face is
    // there; such cells take the face's flat height instead.
    for (std::size_t k = 0; k < points.size(); ++k)
        r.heights[where[k]] =
            (points[k].z != 0.0f ? double(points[k].z) : flats[k]) + request.origin.z;
    return r;
}

void WriteHeightGrid(const HeightRaster& r, const std::string& crsWkt, const fs::path& path) {
    const std::string driverName = RasterDriverFor(path);
    if (driverName.empty())
        throw std::runtime_error(path.string() + ": no raster format writes this extension");
    WriteAtomically(path, [&](const fs::path& staged) {
        const std::string error = Gdal().writeRaster(r, crsWkt, driverName, staged.string());
        if (!error.empty()) throw std::runtime_error(path.string() + ": " + error);
    });
}

} // namespace contorra
