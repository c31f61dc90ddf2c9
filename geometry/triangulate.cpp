#include "geometry/triangulate.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Constrained_triangulation_plus_2.h>
#include <CGAL/Delaunay_mesh_criteria_2.h>
#include <CGAL/Delaunay_mesh_face_base_2.h>
#include <CGAL/Delaunay_mesher_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Spatial_sort_traits_adapter_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/property_map.h>
#include <CGAL/spatial_sort.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace {

using K = CGAL::Exact_predicates_inexact_constructions_kernel;
// Output index of a vertex; -1 until numbered.
struct VertexIndex {
    int value = -1;
};
using Vb = CGAL::Triangulation_vertex_base_with_info_2<VertexIndex, K>;
using Fb = CGAL::Delaunay_mesh_face_base_2<K>;
using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
// Exact_predicates_tag lets constraints cross: the crossing becomes a vertex.
using Cdt = CGAL::Constrained_Delaunay_triangulation_2<K, Tds, CGAL::Exact_predicates_tag>;
using Cdtp = CGAL::Constrained_triangulation_plus_2<Cdt>;
using Criteria = CGAL::Delaunay_mesh_criteria_2<Cdtp>;
using Mesher = CGAL::Delaunay_mesher_2<Cdtp, Criteria>;
using Vertex = Cdtp::Vertex_handle;
using Face = Cdtp::Face_handle;
using Point = K::Point_2;

// sin^2 of the smallest angle the refinement accepts: "q" alone means 20 degrees.
constexpr double kShapeBound = 0.11697777844051097; // sin^2(20 degrees)

struct Switches {
    bool zeroBased = false;
    bool graph = false;
    bool quality = false;
    bool convexHull = false;
};

bool ParseSwitches(const char* text, Switches& s) {
    if (text == nullptr) return true;
    for (const char* c = text; *c != '\0'; ++c) {
        switch (*c) {
        case 'z':
            s.zeroBased = true;
            break;
        case 'p':
            s.graph = true;
            break;
        case 'q':
            s.quality = true;
            break;
        case 'c':
            s.convexHull = true;
            break;
        case 'Q':
            break;
        default:
            return false;
        }
    }
    return true;
}

int CheckInput(const triangulateio& in, const Switches& s) {
    if (in.numberofpoints < 0 || in.numberofsegments < 0 || in.numberofholes < 0 ||
        in.numberofregions < 0 || in.numberofpointattributes < 0)
        return kTriangulateBadInput;
    if (in.numberofholes > 0 || in.numberofregions > 0 || in.numberofpointattributes > 0)
        return kTriangulateUnsupported;
    if (in.numberofpoints > 0 && in.pointlist == nullptr) return kTriangulateBadInput;
    for (int i = 0; i < 2 * in.numberofpoints; ++i)
        if (!std::isfinite(in.pointlist[i])) return kTriangulateBadInput;
    if (!s.graph || in.numberofsegments == 0) return kTriangulateOk;
    if (in.segmentlist == nullptr) return kTriangulateBadInput;
    const int base = s.zeroBased ? 0 : 1;
    for (int i = 0; i < 2 * in.numberofsegments; ++i) {
        const int v = in.segmentlist[i] - base;
        if (v < 0 || v >= in.numberofpoints) return kTriangulateBadInput;
    }
    return kTriangulateOk;
}

template <typename T> T* Allocate(std::size_t count) {
    // malloc(0) may answer null; one element keeps "allocated" distinguishable from "absent".
    return static_cast<T*>(std::malloc(sizeof(T) * (count == 0 ? 1 : count)));
}

std::uint64_t EdgeKey(int a, int b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
}

class Triangulator {
public:
    Triangulator(const triangulateio& in, const Switches& s) : in_(in), s_(s) {}

    int Run(triangulateio& out) {
        InsertPoints();
        if (cdt_.dimension() < 2) return kTriangulateDegenerate;
        if (s_.graph) InsertSegments();
        // Without a graph there is nothing to bound the region but the hull.
        if (s_.convexHull || !s_.graph) EncloseHull();
        if (s_.quality) {
            Mesher mesher(cdt_, Criteria(kShapeBound));
            mesher.refine_mesh();
        }
        MarkDomain();
        NumberVertices();
        WritePoints(out);
        WriteTriangles(out);
        WriteSegments(out);
        return kTriangulateOk;
    }

private:
    bool InDomain(Face f) const { return !cdt_.is_infinite(f) && f->is_in_domain(); }

    void InsertPoints() {
        const int n = in_.numberofpoints;
        std::vector<Point> points;
        points.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            points.emplace_back(static_cast<double>(in_.pointlist[2 * i]),
                                static_cast<double>(in_.pointlist[2 * i + 1]));
        // Inserting along a space-filling order keeps each point location short.
        std::vector<std::size_t> order(static_cast<std::size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        using Map = CGAL::Pointer_property_map<Point>::type;
        CGAL::spatial_sort(
            order.begin(), order.end(),
            CGAL::Spatial_sort_traits_adapter_2<K, Map>(CGAL::make_property_map(points)));
        inputVertex_.assign(static_cast<std::size_t>(n), Vertex());
        Face hint;
        for (std::size_t i : order) {
            Vertex v = cdt_.insert(points[i], hint);
            inputVertex_[i] = v;
            hint = v->face();
        }
    }

    void InsertSegments() {
        const int base = s_.zeroBased ? 0 : 1;
        constraints_.reserve(static_cast<std::size_t>(in_.numberofsegments));
        for (int i = 0; i < in_.numberofsegments; ++i) {
            Vertex a = inputVertex_[static_cast<std::size_t>(in_.segmentlist[2 * i] - base)];
            Vertex b = inputVertex_[static_cast<std::size_t>(in_.segmentlist[2 * i + 1] - base)];
            // A segment between two copies of one point has no extent.
            constraints_.push_back(a == b ? Cdtp::Constraint_id() : cdt_.insert_constraint(a, b));
        }
    }

    void EncloseHull() {
        std::vector<std::pair<Vertex, Vertex>> hull;
        auto circ = cdt_.incident_faces(cdt_.infinite_vertex()), end = circ;
        do {
            Face f = circ;
            const int i = f->index(cdt_.infinite_vertex());
            hull.emplace_back(f->vertex(Cdtp::ccw(i)), f->vertex(Cdtp::cw(i)));
        } while (++circ != end);
        for (auto& [a, b] : hull) cdt_.insert_constraint(a, b);
    }

    // Faces reachable from outside the hull without crossing a constraint are
    // outside; with the hull enclosed that leaves every finite face inside.
    void MarkDomain() {
        std::vector<Point> noSeeds;
        Mesher::mark_facets(cdt_, noSeeds.begin(), noSeeds.end());
    }

    void NumberVertices() {
        for (std::size_t i = 0; i < inputVertex_.size(); ++i)
            if (inputVertex_[i]->info().value < 0)
                inputVertex_[i]->info().value = static_cast<int>(i);
        int next = in_.numberofpoints;
        for (auto v = cdt_.finite_vertices_begin(); v != cdt_.finite_vertices_end(); ++v) {
            if (v->info().value >= 0) continue;
            v->info().value = next++;
            added_.push_back(v);
        }
    }

    void WritePoints(triangulateio& out) {
        const std::size_t total = static_cast<std::size_t>(in_.numberofpoints) + added_.size();
        out.pointlist = Allocate<REAL>(2 * total);
        out.numberofpoints = static_cast<int>(total);
        // Input points are copied as given, so repeated points keep their own coordinates.
        if (in_.numberofpoints > 0)
            std::memcpy(out.pointlist, in_.pointlist,
                        sizeof(REAL) * 2 * static_cast<std::size_t>(in_.numberofpoints));
        for (Vertex v : added_) {
            const std::size_t i = static_cast<std::size_t>(v->info().value);
            out.pointlist[2 * i] = static_cast<REAL>(v->point().x());
            out.pointlist[2 * i + 1] = static_cast<REAL>(v->point().y());
        }
    }

    void WriteTriangles(triangulateio& out) {
        const int base = s_.zeroBased ? 0 : 1;
        std::vector<int> corners;
        for (auto f = cdt_.finite_faces_begin(); f != cdt_.finite_faces_end(); ++f) {
            if (!f->is_in_domain()) continue;
            for (int k = 0; k < 3; ++k) corners.push_back(f->vertex(k)->info().value + base);
        }
        out.numberofcorners = 3;
        out.numberoftriangles = static_cast<int>(corners.size() / 3);
        out.trianglelist = Allocate<int>(corners.size());
        std::copy(corners.begin(), corners.end(), out.trianglelist);
    }

    bool OnBoundary(Face f, int i) const { return InDomain(f) != InDomain(f->neighbor(i)); }

    void WriteSegments(triangulateio& out) {
        std::vector<int> ends, markers;
        std::unordered_map<std::uint64_t, std::size_t> slot;
        std::vector<bool> boundary;
        auto add = [&](Vertex a, Vertex b, int marker, bool onBoundary) {
            auto [it, fresh] =
                slot.try_emplace(EdgeKey(a->info().value, b->info().value), markers.size());
            if (fresh) {
                ends.push_back(a->info().value);
                ends.push_back(b->info().value);
                markers.push_back(marker);
                boundary.push_back(onBoundary);
            } else if (markers[it->second] == 0) {
                // Overlapping input segments: the first non-zero marker holds.
                markers[it->second] = marker;
            }
        };

        for (std::size_t i = 0; i < constraints_.size(); ++i) {
            if (constraints_[i] == Cdtp::Constraint_id()) continue;
            const int marker =
                in_.segmentmarkerlist != nullptr ? in_.segmentmarkerlist[static_cast<int>(i)] : 0;
            auto v = cdt_.vertices_in_constraint_begin(constraints_[i]);
            const auto last = cdt_.vertices_in_constraint_end(constraints_[i]);
            for (auto next = std::next(v); next != last; v = next, ++next) {
                Face f;
                int side;
                if (!cdt_.is_edge(*v, *next, f, side)) continue;
                const bool touches = InDomain(f) || InDomain(f->neighbor(side));
                if (touches) add(*v, *next, marker, OnBoundary(f, side));
            }
        }
        for (std::size_t k = 0; k < markers.size(); ++k)
            if (boundary[k] && markers[k] == 0) markers[k] = 1;

        for (auto e = cdt_.finite_edges_begin(); e != cdt_.finite_edges_end(); ++e) {
            auto [f, i] = *e;
            if (!OnBoundary(f, i)) continue;
            if (!InDomain(f)) {
                // Walk the edge with the meshed side on its left.
                const Face g = f->neighbor(i);
                i = g->index(f);
                f = g;
            }
            add(f->vertex(Cdtp::ccw(i)), f->vertex(Cdtp::cw(i)), 1, true);
        }

        const int base = s_.zeroBased ? 0 : 1;
        out.numberofsegments = static_cast<int>(markers.size());
        out.segmentlist = Allocate<int>(ends.size());
        out.segmentmarkerlist = Allocate<int>(markers.size());
        for (std::size_t k = 0; k < ends.size(); ++k) out.segmentlist[k] = ends[k] + base;
        std::copy(markers.begin(), markers.end(), out.segmentmarkerlist);
    }

    const triangulateio& in_;
    const Switches s_;
    Cdtp cdt_;
    std::vector<Vertex> inputVertex_;
    std::vector<Cdtp::Constraint_id> constraints_;
    std::vector<Vertex> added_;
};

} // namespace

int triangulate(const char* switches, const triangulateio* in, triangulateio* out,
                triangulateio* /*vorout*/) {
    if (in == nullptr || out == nullptr) return kTriangulateBadInput;
    Switches s;
    if (!ParseSwitches(switches, s)) return kTriangulateBadSwitch;
    if (const int r = CheckInput(*in, s); r != kTriangulateOk) return r;

    *out = triangulateio{};
    int result = kTriangulateInternalError;
    try {
        Triangulator t(*in, s);
        result = t.Run(*out);
    } catch (...) {
        result = kTriangulateInternalError;
    }
    if (result != kTriangulateOk) ReleaseTriangulateIO(out);
    return result;
}

void ReleaseTriangulateIO(triangulateio* io) {
    if (io == nullptr) return;
    std::free(io->pointlist);
    std::free(io->pointattributelist);
    std::free(io->trianglelist);
    std::free(io->segmentlist);
    std::free(io->segmentmarkerlist);
    std::free(io->holelist);
    std::free(io->regionlist);
    *io = triangulateio{};
}

const char* TriangulateResultText(int result) {
    switch (result) {
    case kTriangulateOk:
        return "triangulated";
    case kTriangulateBadSwitch:
        return "unknown switch (only z, p, q, c and Q are understood)";
    case kTriangulateBadInput:
        return "bad input (negative count, missing list, point index out of range or "
               "non-finite coordinate)";
    case kTriangulateUnsupported:
        return "holes, regions and point attributes are not supported";
    case kTriangulateDegenerate:
        return "fewer than three points off one line";
    case kTriangulateInternalError:
        return "the triangulation failed";
    default:
        return "unknown result";
    }
}
