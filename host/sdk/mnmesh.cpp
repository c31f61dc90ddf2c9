#include "host/sdk/mnmesh.h"

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>

#include "host/sdk/uvw_mapper.h"

void MNFace::SetDeg(int d) {
    deg = d;
    vtx.assign(d, -1);
    edg.assign(d, -1);
    visedg.assign(d, true);
    edgsel.assign(d, false);
}

int MNFace::VertIndex(int vv) const {
    for (int k = 0; k < deg; k++)
        if (vtx[k] == vv) return k;
    return -1;
}

int MNFace::EdgeIndex(int ee) const {
    for (int k = 0; k < deg; k++)
        if (edg[k] == ee) return k;
    return -1;
}

void MNMap::setNumVerts(int n) {
    v.resize(std::max(n, 0));
    numv = static_cast<int>(v.size());
}

void MNMap::setNumFaces(int n) {
    f.resize(std::max(n, 0));
    numf = static_cast<int>(f.size());
}

MNMesh::MNMesh(const Mesh& from) {
    SetFromTri(from);
    FillInMesh();
}

void MNMesh::Clear() {
    v.clear();
    e.clear();
    f.clear();
    m.clear();
    numv = nume = numf = 0;
    flags = 0;
    selLevel = MNM_SL_OBJECT;
}

void MNMesh::SetFromTri(const Mesh& from) {
    Clear();
    numv = from.getNumVerts();
    v.resize(numv);
    for (int i = 0; i < numv; i++) {
        v[i].p = from.verts[i];
        if (i < from.vertSel.GetSize() && from.vertSel[i]) v[i].SetFlag(MN_SEL);
    }
    numf = from.getNumFaces();
    f.resize(numf);
    for (int i = 0; i < numf; i++) {
        const Face& tf = from.faces[i];
        MNFace& mf = f[i];
        mf.SetDeg(3);
        for (int k = 0; k < 3; k++) {
            mf.vtx[k] = static_cast<int>(tf.v[k]);
            mf.visedg[k] = tf.getEdgeVis(k) != 0;
            int bit = 3 * i + k;
            mf.edgsel[k] = bit < from.edgeSel.GetSize() && from.edgeSel[bit];
        }
        mf.smGroup = tf.smGroup;
        mf.material = tf.getMatID();
        if (i < from.faceSel.GetSize() && from.faceSel[i]) mf.SetFlag(MN_SEL);
    }
    int maps = 0;
    for (int mp = 0; mp < from.getNumMaps(); mp++)
        if (from.mapSupport(mp)) maps = mp + 1;
    SetMapNum(maps);
    for (int mp = 0; mp < maps; mp++) {
        if (!from.mapSupport(mp)) continue;
        const MeshMap& src = from.Map(mp);
        MNMap& dst = m[mp];
        dst.ClearFlag(MN_DEAD);
        dst.v = src.tv;
        dst.numv = src.getNumVerts();
        dst.setNumFaces(numf);
        for (int i = 0; i < numf; i++) {
            dst.f[i].SetSize(3);
            for (int k = 0; k < 3; k++)
                dst.f[i].tv[k] = i < src.getNumFaces() ? static_cast<int>(src.tf[i].t[k]) : 0;
        }
    }
    selLevel = (from.selLevel & MESH_VERTEX) ? MNM_SL_VERTEX
               : (from.selLevel & MESH_EDGE) ? MNM_SL_EDGE
               : (from.selLevel & MESH_FACE) ? MNM_SL_FACE
                                             : MNM_SL_OBJECT;
}

void MNMesh::BuildEdges(const std::vector<std::vector<char>>* noJoin) {
    e.clear();
    // Edges by their lower vertex; each holds the indices into e.
    std::vector<std::vector<int>> byVert(numv);
    for (int fi = 0; fi < numf; fi++) {
        MNFace& face = f[fi];
        face.edg.assign(face.deg, -1);
        if (face.GetFlag(MN_DEAD)) continue;
        for (int k = 0; k < face.deg; k++) {
            int a = face.vtx[k], b = face.vtx[(k + 1) % face.deg];
            if (a < 0 || b < 0 || a >= numv || b >= numv) continue;
            bool alone = noJoin && (*noJoin)[fi][k];
            int lo = std::min(a, b);
            int found = -1;
            if (!alone) {
                for (int ei : byVert[lo]) {
                    MNEdge& me = e[ei];
                    bool same = (me.v1 == a && me.v2 == b) || (me.v1 == b && me.v2 == a);
                    if (same && me.f2 < 0 && me.f1 != fi && !me.GetFlag(MN_TARG)) {
                        found = ei;
                        break;
                    }
                }
            }
            if (found >= 0) {
                e[found].f2 = fi;
            } else {
                MNEdge me;
                me.v1 = a;
                me.v2 = b;
                me.f1 = fi;
                // MN_TARG marks, while building, an edge that must stay open.
                if (alone) me.SetFlag(MN_TARG);
                found = static_cast<int>(e.size());
                e.push_back(me);
                byVert[lo].push_back(found);
            }
            face.edg[k] = found;
        }
    }
    nume = static_cast<int>(e.size());
    for (MNEdge& me : e) me.ClearFlag(MN_TARG);
}

void MNMesh::FillInMesh() {
    BuildEdges(nullptr);
    // Selection and visibility of the face sides carry over to the edges.
    for (MNEdge& me : e) me.SetFlag(MN_EDGE_INVIS);
    for (int fi = 0; fi < numf; fi++) {
        const MNFace& face = f[fi];
        for (int k = 0; k < face.deg; k++) {
            int ei = face.edg[k];
            if (ei < 0) continue;
            if (face.edgsel[k]) e[ei].SetFlag(MN_SEL);
            if (face.visedg[k]) e[ei].ClearFlag(MN_EDGE_INVIS);
        }
    }
}

void MNMesh::InvalidateTopoCache() {
    e.clear();
    nume = 0;
    for (MNFace& face : f) face.edg.assign(face.deg, -1);
}

int MNMesh::NewVert(const Point3& p) {
    MNVert nv;
    nv.p = p;
    v.push_back(nv);
    return numv++;
}

int MNMesh::NewFace(int deg, const int* vv) {
    MNFace nf;
    nf.SetDeg(deg);
    for (int k = 0; k < deg; k++) nf.vtx[k] = vv[k];
    f.push_back(nf);
    for (MNMap& mm : m) {
        if (mm.numf == 0) continue;
        // The new face gets map vertices of its own at the map origin.
        MNMapFace mf;
        mf.SetSize(deg);
        for (int k = 0; k < deg; k++) mf.tv[k] = mm.numv;
        mm.setNumVerts(mm.numv + 1);
        mm.f.push_back(mf);
        mm.numf++;
    }
    return numf++;
}

void MNMesh::ClearVFlags(DWORD fl) {
    for (MNVert& x : v) x.ClearFlag(fl);
}
void MNMesh::ClearEFlags(DWORD fl) {
    for (MNEdge& x : e) x.ClearFlag(fl);
}
void MNMesh::ClearFFlags(DWORD fl) {
    for (MNFace& x : f) x.ClearFlag(fl);
}
void MNMesh::SetVFlags(DWORD fl) {
    for (MNVert& x : v) x.SetFlag(fl);
}
void MNMesh::SetEFlags(DWORD fl) {
    for (MNEdge& x : e) x.SetFlag(fl);
}
void MNMesh::SetFFlags(DWORD fl) {
    for (MNFace& x : f) x.SetFlag(fl);
}

Point3 MNMesh::GetFaceNormal(int ff, bool nrmlz) const {
    const MNFace& face = f[ff];
    Point3 n;
    // Newell's sum: exact for planar polygons, a best fit otherwise.
    for (int k = 0; k < face.deg; k++) {
        const Point3& a = v[face.vtx[k]].p;
        const Point3& b = v[face.vtx[(k + 1) % face.deg]].p;
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return nrmlz ? Normalize(n) : n;
}

void MNMesh::SplitFlaggedEdges(DWORD flag) {
    if (nume == 0 && numf > 0) FillInMesh();
    std::vector<std::vector<char>> cut(numf);
    std::vector<std::vector<DWORD>> sideFlags(numf);
    for (int fi = 0; fi < numf; fi++) {
        const MNFace& face = f[fi];
        cut[fi].assign(face.deg, 0);
        sideFlags[fi].assign(face.deg, 0);
        for (int k = 0; k < face.deg; k++) {
            int ei = face.edg[k];
            if (ei < 0) continue;
            sideFlags[fi][k] = e[ei].flags;
            cut[fi][k] = e[ei].GetFlag(flag) ? 1 : 0;
        }
    }
    // Corners around each vertex, joined across every uncut edge with two
    // faces; each group left over is one copy of the vertex.
    std::vector<std::vector<std::pair<int, int>>> corners(numv);
    for (int fi = 0; fi < numf; fi++) {
        if (f[fi].GetFlag(MN_DEAD)) continue;
        for (int k = 0; k < f[fi].deg; k++) corners[f[fi].vtx[k]].push_back({fi, k});
    }
    const int oldNumv = numv;
    for (int vi = 0; vi < oldNumv; vi++) {
        const auto& cs = corners[vi];
        if (cs.size() < 2) continue;
        std::vector<int> parent(cs.size());
        std::iota(parent.begin(), parent.end(), 0);
        std::function<int(int)> root = [&](int x) {
            return parent[x] == x ? x : parent[x] = root(parent[x]);
        };
        auto cornerOf = [&](int face) {
            for (size_t i = 0; i < cs.size(); i++)
                if (cs[i].first == face) return static_cast<int>(i);
            return -1;
        };
        for (size_t i = 0; i < cs.size(); i++) {
            auto [fi, k] = cs[i];
            const MNFace& face = f[fi];
            // The two sides of this face that meet at the vertex.
            for (int side : {k, (k + face.deg - 1) % face.deg}) {
                int ei = face.edg[side];
                if (ei < 0 || cut[fi][side]) continue;
                const MNEdge& me = e[ei];
                if (me.f1 < 0 || me.f2 < 0) continue;
                int j = cornerOf(me.OtherFace(fi));
                if (j >= 0) parent[root(static_cast<int>(i))] = root(j);
            }
        }
        std::map<int, int> copyOf;
        for (size_t i = 0; i < cs.size(); i++) {
            int r = root(static_cast<int>(i));
            auto it = copyOf.find(r);
            int target;
            if (it != copyOf.end())
                target = it->second;
            else if (copyOf.empty())
                target = copyOf[r] = vi;
            else {
                MNVert copy = v[vi];
                v.push_back(copy);
                target = copyOf[r] = numv++;
            }
            f[cs[i].first].vtx[cs[i].second] = target;
        }
    }
    BuildEdges(&cut);
    for (int fi = 0; fi < numf; fi++)
        for (int k = 0; k < f[fi].deg; k++)
            if (f[fi].edg[k] >= 0) e[f[fi].edg[k]].flags |= sideFlags[fi][k];
}

void MNMesh::OutToTri(Mesh& tri) const {
    std::vector<int> remap(numv, -1);
    int nv = 0;
    for (int i = 0; i < numv; i++)
        if (!v[i].GetFlag(MN_DEAD)) remap[i] = nv++;
    int nt = 0;
    for (const MNFace& face : f)
        if (!face.GetFlag(MN_DEAD) && face.deg >= 3) nt += face.deg - 2;
    tri.Init();
    tri.setNumVerts(nv);
    tri.setNumFaces(nt);
    for (int i = 0; i < numv; i++) {
        if (remap[i] < 0) continue;
        tri.verts[remap[i]] = v[i].p;
        if (v[i].GetFlag(MN_SEL)) tri.vertSel.Set(remap[i]);
    }
    int maps = 0;
    for (int mp = 0; mp < MNum(); mp++)
        if (MapActive(mp)) maps = mp + 1;
    for (int mp = 0; mp < maps; mp++) {
        if (!MapActive(mp)) continue;
        tri.setNumMaps(std::max(tri.getNumMaps(), mp + 1), TRUE);
        MeshMap& mm = tri.Map(mp);
        mm.used = true;
        mm.tv = m[mp].v;
        mm.tf.assign(nt, TVFace());
    }
    int t = 0;
    for (int fi = 0; fi < numf; fi++) {
        const MNFace& face = f[fi];
        if (face.GetFlag(MN_DEAD) || face.deg < 3) continue;
        auto sideVis = [&](int k) {
            int ei = face.edg[k];
            return ei >= 0 ? !e[ei].GetFlag(MN_EDGE_INVIS) : face.visedg[k];
        };
        auto sideSel = [&](int k) {
            int ei = face.edg[k];
            return ei >= 0 ? e[ei].GetFlag(MN_SEL) : face.edgsel[k];
        };
        for (int j = 1; j + 1 < face.deg; j++, t++) {
            Face& out = tri.faces[t];
            out.setVerts(remap[face.vtx[0]], remap[face.vtx[j]], remap[face.vtx[j + 1]]);
            // Sides of the fan triangle: 0 -> j, j -> j+1, j+1 -> 0; only
            // polygon sides can be visible or selected, diagonals never.
            int side[3] = {j == 1 ? 0 : -1, j, j + 1 == face.deg - 1 ? face.deg - 1 : -1};
            out.setEdgeVisFlags(side[0] >= 0 && sideVis(side[0]), sideVis(side[1]),
                                side[2] >= 0 && sideVis(side[2]));
            for (int s = 0; s < 3; s++)
                if (side[s] >= 0 && sideSel(side[s])) tri.edgeSel.Set(3 * t + s);
            out.smGroup = face.smGroup;
            out.setMatID(face.material);
            if (face.GetFlag(MN_SEL)) tri.faceSel.Set(t);
            for (int mp = 0; mp < maps; mp++) {
                if (!MapActive(mp) || fi >= m[mp].numf) continue;
                const MNMapFace& mf = m[mp].f[fi];
                if (mf.deg != face.deg) continue;
                tri.Map(mp).tf[t] = TVFace(mf.tv[0], mf.tv[j], mf.tv[j + 1]);
            }
        }
    }
    tri.selLevel = selLevel == MNM_SL_VERTEX ? MESH_VERTEX
                   : selLevel == MNM_SL_EDGE ? MESH_EDGE
                   : selLevel == MNM_SL_FACE ? MESH_FACE
                                             : MESH_OBJECT;
    tri.InvalidateTopologyCache();
}

void MNMesh::SetMapNum(int n) {
    n = std::clamp(n, 0, MAX_MESHMAPS);
    int old = MNum();
    m.resize(n);
    for (int mp = old; mp < n; mp++) m[mp].SetFlag(MN_DEAD);
}

void MNMesh::InitMap(int mp) {
    if (mp < 0 || mp >= MAX_MESHMAPS) return;
    if (mp >= MNum()) SetMapNum(mp + 1);
    MNMap& mm = m[mp];
    mm.ClearAndFree();
    mm.ClearFlag(MN_DEAD);
    mm.setNumVerts(numv);
    for (int i = 0; i < numv; i++) mm.v[i] = mp == 0 ? UVVert(1.0f, 1.0f, 1.0f) : v[i].p;
    mm.setNumFaces(numf);
    for (int i = 0; i < numf; i++) {
        mm.f[i].SetSize(f[i].deg);
        for (int k = 0; k < f[i].deg; k++) mm.f[i].tv[k] = f[i].vtx[k];
    }
}

void MNMesh::ClearMap(int mp) {
    if (mp < 0 || mp >= MNum()) return;
    m[mp].ClearAndFree();
    m[mp].SetFlag(MN_DEAD);
}

// Drops the map vertices that no map face refers to.
static void CompactMap(MNMap& mm) {
    std::vector<int> remap(mm.numv, -1);
    for (const MNMapFace& mf : mm.f)
        for (int t : mf.tv)
            if (t >= 0 && t < mm.numv) remap[t] = 0;
    int n = 0;
    for (int& r : remap)
        if (r == 0) r = n++;
    std::vector<UVVert> nv(n);
    for (int i = 0; i < mm.numv; i++)
        if (remap[i] >= 0) nv[remap[i]] = mm.v[i];
    for (MNMapFace& mf : mm.f)
        for (int& t : mf.tv)
            if (t >= 0 && t < mm.numv) t = remap[t];
    mm.v = std::move(nv);
    mm.numv = n;
}

void MNMesh::SetVertColor(Color clr, int mp, DWORD flag) {
    if (mp < 0 || mp >= MAX_MESHMAPS) return;
    if (!MapActive(mp) || m[mp].numf != numf) InitMap(mp);
    MNMap& mm = m[mp];
    // A map vertex is recoloured in place only when every corner using it
    // belongs to a flagged vertex.
    std::vector<char> shared(mm.numv, 0);
    for (int fi = 0; fi < numf; fi++) {
        if (f[fi].GetFlag(MN_DEAD)) continue;
        for (int k = 0; k < f[fi].deg; k++)
            if (!v[f[fi].vtx[k]].GetFlag(flag)) shared[mm.f[fi].tv[k]] = 1;
    }
    std::vector<int> fresh(numv, -1);
    const UVVert c(clr.r, clr.g, clr.b);
    for (int fi = 0; fi < numf; fi++) {
        if (f[fi].GetFlag(MN_DEAD)) continue;
        for (int k = 0; k < f[fi].deg; k++) {
            int vi = f[fi].vtx[k];
            if (!v[vi].GetFlag(flag)) continue;
            int& t = mm.f[fi].tv[k];
            if (!shared[t]) {
                mm.v[t] = c;
                continue;
            }
            if (fresh[vi] < 0) {
                fresh[vi] = mm.numv;
                mm.v.push_back(c);
                mm.numv++;
            }
            t = fresh[vi];
        }
    }
    CompactMap(mm);
}

void MNMesh::ApplyMapper(UVWMapper& mapper, int mp, BOOL useSel) {
    if (mp < 0 || mp >= MAX_MESHMAPS) return;
    if (!MapActive(mp) || m[mp].numf != numf) InitMap(mp);
    MNMap& mm = m[mp];
    std::vector<int> fresh(numv, -1);
    for (int fi = 0; fi < numf; fi++) {
        const MNFace& face = f[fi];
        if (face.GetFlag(MN_DEAD) || (useSel && !face.GetFlag(MN_SEL))) continue;
        Point3 n = GetFaceNormal(fi, true);
        for (int k = 0; k < face.deg; k++) {
            int vi = face.vtx[k];
            if (fresh[vi] < 0) {
                fresh[vi] = mm.numv;
                mm.v.push_back(mapper.MapPoint(v[vi].p, n));
                mm.numv++;
            }
            mm.f[fi].tv[k] = fresh[vi];
        }
    }
    CompactMap(mm);
}

int MNMesh::PropegateComponentFlags(int slTo, DWORD flTo, int slFrom, DWORD flFrom, bool ampersand,
                                    bool set) {
    auto count = [&](int sl) {
        return sl == MNM_SL_VERTEX ? numv : sl == MNM_SL_EDGE ? nume : sl == MNM_SL_FACE ? numf : 1;
    };
    auto comp = [&](int sl, int i) -> FlagUser& {
        if (sl == MNM_SL_VERTEX) return v[i];
        if (sl == MNM_SL_EDGE) return e[i];
        if (sl == MNM_SL_FACE) return f[i];
        return *this;
    };
    // Components of level slFrom related to component i of level slTo.
    std::vector<std::vector<int>> facesOfVert, edgesOfVert;
    if (slTo == MNM_SL_VERTEX && slFrom == MNM_SL_FACE) {
        facesOfVert.resize(numv);
        for (int fi = 0; fi < numf; fi++)
            for (int vi : f[fi].vtx) facesOfVert[vi].push_back(fi);
    }
    if (slTo == MNM_SL_VERTEX && slFrom == MNM_SL_EDGE) {
        edgesOfVert.resize(numv);
        for (int ei = 0; ei < nume; ei++) {
            edgesOfVert[e[ei].v1].push_back(ei);
            edgesOfVert[e[ei].v2].push_back(ei);
        }
    }
    auto related = [&](int i) -> std::vector<int> {
        if (slTo == slFrom) return {i};
        if (slTo == MNM_SL_OBJECT || slFrom == MNM_SL_OBJECT) {
            if (slFrom == MNM_SL_OBJECT) return {0};
            std::vector<int> all(count(slFrom));
            std::iota(all.begin(), all.end(), 0);
            return all;
        }
        if (slTo == MNM_SL_FACE) return slFrom == MNM_SL_VERTEX ? f[i].vtx : f[i].edg;
        if (slTo == MNM_SL_EDGE) {
            if (slFrom == MNM_SL_VERTEX) return {e[i].v1, e[i].v2};
            std::vector<int> r{e[i].f1};
            if (e[i].f2 >= 0) r.push_back(e[i].f2);
            return r;
        }
        return slFrom == MNM_SL_FACE ? facesOfVert[i] : edgesOfVert[i];
    };
    int changed = 0;
    for (int i = 0, n = count(slTo); i < n; i++) {
        FlagUser& to = comp(slTo, i);
        if (slTo != MNM_SL_OBJECT && to.GetFlag(MN_DEAD)) continue;
        int with = 0, live = 0;
        for (int j : related(i)) {
            if (j < 0) continue;
            FlagUser& from = comp(slFrom, j);
            if (slFrom != MNM_SL_OBJECT && from.GetFlag(MN_DEAD)) continue;
            live++;
            if (from.GetFlag(flFrom)) with++;
        }
        bool hit = ampersand ? (live > 0 && with == live) : with > 0;
        if (!hit) continue;
        DWORD before = to.flags;
        to.SetFlag(flTo, set);
        if (to.flags != before) changed++;
    }
    return changed;
}
