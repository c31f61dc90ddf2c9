#include "host/sdk/mesh.h"

#include <algorithm>

#include "host/sdk/io.h"
#include "host/sdk/uvw_mapper.h"

void Face::setEdgeVisFlags(int va, int vb, int vc) {
    flags = (flags & ~EDGE_ALL) | (va ? EDGE_A : 0u) | (vb ? EDGE_B : 0u) | (vc ? EDGE_C : 0u);
}

void Face::setEdgeVis(int side, int visFlag) {
    if (visFlag)
        flags |= (1u << side);
    else
        flags &= ~(1u << side);
}

int Face::GetEdgeIndex(DWORD a, DWORD b) const {
    for (int k = 0; k < 3; k++) {
        DWORD p = v[k], q = v[(k + 1) % 3];
        if ((p == a && q == b) || (p == b && q == a)) return k;
    }
    return -1;
}

void MeshMap::setNumVerts(int n, BOOL keep) {
    if (!keep) tv.clear();
    tv.resize(std::max(n, 0));
}

void MeshMap::setNumFaces(int n, BOOL keep) {
    if (!keep) tf.clear();
    tf.resize(std::max(n, 0));
}

Mesh::Mesh() {
    Init();
}

void Mesh::Init() {
    numVerts = numFaces = 0;
    verts.clear();
    faces.clear();
    vertSel.SetSize(0);
    faceSel.SetSize(0);
    edgeSel.SetSize(0);
    selLevel = MESH_OBJECT;
    maps.assign(2, MeshMap());
    InvalidateTopologyCache();
}

BOOL Mesh::setNumVerts(int n, BOOL keep) {
    n = std::max(n, 0);
    if (!keep) verts.clear();
    verts.resize(n);
    numVerts = n;
    vertSel.SetSize(n, keep);
    InvalidateGeomCache();
    return TRUE;
}

BOOL Mesh::setNumFaces(int n, BOOL keep) {
    n = std::max(n, 0);
    if (!keep) faces.clear();
    faces.resize(n);
    numFaces = n;
    faceSel.SetSize(n, keep);
    edgeSel.SetSize(3 * n, keep);
    for (MeshMap& mm : maps)
        if (mm.used) mm.setNumFaces(n, keep);
    InvalidateTopologyCache();
    return TRUE;
}

void Mesh::setNumMaps(int n, BOOL keep) {
    n = std::clamp(n, 0, MAX_MESHMAPS);
    if (!keep) maps.clear();
    maps.resize(n);
}

BOOL Mesh::mapSupport(int mp) const {
    return mp >= 0 && mp < getNumMaps() && maps[mp].used ? TRUE : FALSE;
}

void Mesh::setMapSupport(int mp, BOOL support) {
    if (mp < 0 || mp >= MAX_MESHMAPS) return;
    if (!support) {
        if (mp < getNumMaps()) maps[mp].Clear();
        return;
    }
    if (mp >= getNumMaps()) setNumMaps(mp + 1, TRUE);
    MeshMap& mm = maps[mp];
    if (mm.used) return;
    mm.used = true;
    mm.tv.resize(numVerts);
    for (int i = 0; i < numVerts; i++) mm.tv[i] = mp == 0 ? UVVert(1.0f, 1.0f, 1.0f) : verts[i];
    mm.tf.resize(numFaces);
    for (int i = 0; i < numFaces; i++)
        mm.tf[i] = TVFace(faces[i].v[0], faces[i].v[1], faces[i].v[2]);
}

void Mesh::setNumMapVerts(int mp, int n, BOOL keep) {
    setMapSupport(mp, TRUE);
    if (mapSupport(mp)) maps[mp].setNumVerts(n, keep);
}

void Mesh::setNumMapFaces(int mp, int n, BOOL keep) {
    setMapSupport(mp, TRUE);
    if (mapSupport(mp)) maps[mp].setNumFaces(n, keep);
}

// ---- normals and bounds

static Point3 TriangleNormal(const Point3& a, const Point3& b, const Point3& c) {
    return Normalize((b - a) ^ (c - b));
}

void Mesh::buildNormals() {
    faceNormals_.resize(numFaces);
    cornerNormals_.assign(3 * static_cast<size_t>(numFaces), Point3());
    for (int f = 0; f < numFaces; f++) {
        const Face& fc = faces[f];
        bool ok = fc.v[0] < static_cast<DWORD>(numVerts) &&
                  fc.v[1] < static_cast<DWORD>(numVerts) && fc.v[2] < static_cast<DWORD>(numVerts);
        faceNormals_[f] =
            ok ? TriangleNormal(verts[fc.v[0]], verts[fc.v[1]], verts[fc.v[2]]) : Point3();
    }
    // Around each vertex, faces sharing a smoothing bit average their normals;
    // groups that one face links through two bits merge into one.
    std::vector<std::vector<int>> corners(numVerts); // 3 * face + corner
    for (int f = 0; f < numFaces; f++)
        for (int k = 0; k < 3; k++)
            if (faces[f].v[k] < static_cast<DWORD>(numVerts))
                corners[faces[f].v[k]].push_back(3 * f + k);
    struct Group {
        DWORD mask;
        Point3 sum;
        std::vector<int> members;
    };
    std::vector<Group> groups;
    for (int v = 0; v < numVerts; v++) {
        groups.clear();
        for (int c : corners[v]) {
            int f = c / 3;
            DWORD sg = faces[f].smGroup;
            if (sg == 0) {
                cornerNormals_[c] = faceNormals_[f];
                continue;
            }
            Group merged{sg, faceNormals_[f], {c}};
            for (size_t g = 0; g < groups.size();) {
                if (groups[g].mask & merged.mask) {
                    merged.mask |= groups[g].mask;
                    merged.sum += groups[g].sum;
                    merged.members.insert(merged.members.end(), groups[g].members.begin(),
                                          groups[g].members.end());
                    groups.erase(groups.begin() + g);
                } else {
                    g++;
                }
            }
            groups.push_back(std::move(merged));
        }
        for (const Group& g : groups) {
            Point3 n = Normalize(g.sum);
            for (int c : g.members) cornerNormals_[c] = n;
        }
    }
    normalsValid_ = true;
}

Point3 Mesh::getFaceNormal(int f) {
    if (!normalsValid_) buildNormals();
    return faceNormals_[f];
}

void Mesh::setFaceNormal(int f, const Point3& n) {
    if (!normalsValid_) buildNormals();
    faceNormals_[f] = n;
}

Point3 Mesh::getCornerNormal(int f, int corner) {
    if (!normalsValid_) buildNormals();
    return cornerNormals_[3 * f + corner];
}

Point3 Mesh::getNormal(int v) {
    if (!normalsValid_) buildNormals();
    for (int f = 0; f < numFaces; f++)
        for (int k = 0; k < 3; k++)
            if (faces[f].v[k] == static_cast<DWORD>(v)) return cornerNormals_[3 * f + k];
    return Point3();
}

void Mesh::buildBoundingBox() {
    bdgBox_.Init();
    for (const Point3& p : verts) bdgBox_ += p;
    boxValid_ = true;
}

Box3 Mesh::getBoundingBox(Matrix3* tm) {
    if (tm) {
        Box3 box;
        for (const Point3& p : verts) box += p * *tm;
        return box;
    }
    if (!boxValid_) buildBoundingBox();
    return bdgBox_;
}

void Mesh::InvalidateGeomCache() {
    normalsValid_ = false;
    boxValid_ = false;
}

void Mesh::InvalidateTopologyCache() {
    InvalidateGeomCache();
    faceNormals_.clear();
    cornerNormals_.clear();
}

// ---- copying and deleting

void Mesh::DeepCopy(Mesh* src, ChannelMask channels) {
    if (!src || src == this) return;
    if (channels & GEOM_CHANNEL) {
        verts = src->verts;
        numVerts = src->numVerts;
        vertSel.SetSize(numVerts, TRUE);
    }
    if (channels & TOPO_CHANNEL) {
        faces = src->faces;
        numFaces = src->numFaces;
        faceSel.SetSize(numFaces, TRUE);
        edgeSel.SetSize(3 * numFaces, TRUE);
    } else if ((channels & (MTL_CHANNEL | DISP_ATTRIB_CHANNEL)) && src->numFaces == numFaces) {
        for (int f = 0; f < numFaces; f++) {
            if (channels & MTL_CHANNEL) faces[f].setMatID(src->faces[f].getMatID());
            if (channels & DISP_ATTRIB_CHANNEL) {
                faces[f].flags = (faces[f].flags & ~(EDGE_ALL | FACE_HIDDEN)) |
                                 (src->faces[f].flags & (EDGE_ALL | FACE_HIDDEN));
                faces[f].smGroup = src->faces[f].smGroup;
            }
        }
    }
    if (channels & SELECT_CHANNEL) {
        vertSel = src->vertSel;
        faceSel = src->faceSel;
        edgeSel = src->edgeSel;
    }
    if (channels & SUBSEL_TYPE_CHANNEL) selLevel = src->selLevel;
    if (channels & (TEXMAP_CHANNEL | VERTCOLOR_CHANNEL)) {
        int n = std::max(getNumMaps(), src->getNumMaps());
        setNumMaps(n, TRUE);
        for (int mp = 0; mp < n; mp++) {
            bool want = mp == 0 ? (channels & VERTCOLOR_CHANNEL) : (channels & TEXMAP_CHANNEL);
            if (!want) continue;
            maps[mp] = mp < src->getNumMaps() ? src->maps[mp] : MeshMap();
        }
    }
    // Channels that were not copied keep one map face per face.
    for (MeshMap& mm : maps)
        if (mm.used && mm.getNumFaces() != numFaces) mm.setNumFaces(numFaces, TRUE);
    InvalidateTopologyCache();
}

void Mesh::DeleteFaceSet(BitArray set, BitArray* isoVert) {
    std::vector<char> usedKept(numVerts, 0), usedDel(numVerts, 0);
    std::vector<int> keep;
    keep.reserve(numFaces);
    for (int f = 0; f < numFaces; f++) {
        bool del = f < set.GetSize() && set[f];
        if (!del) keep.push_back(f);
        for (int k = 0; k < 3; k++) {
            DWORD v = faces[f].v[k];
            if (v < static_cast<DWORD>(numVerts)) (del ? usedDel : usedKept)[v] = 1;
        }
    }
    if (isoVert) {
        isoVert->SetSize(numVerts);
        isoVert->ClearAll();
        for (int v = 0; v < numVerts; v++)
            if (usedDel[v] && !usedKept[v]) isoVert->Set(v);
    }
    int n = static_cast<int>(keep.size());
    std::vector<Face> nf(n);
    BitArray fs(n), es(3 * n);
    for (int i = 0; i < n; i++) {
        int f = keep[i];
        nf[i] = faces[f];
        if (f < faceSel.GetSize() && faceSel[f]) fs.Set(i);
        for (int k = 0; k < 3; k++)
            if (3 * f + k < edgeSel.GetSize() && edgeSel[3 * f + k]) es.Set(3 * i + k);
    }
    for (MeshMap& mm : maps) {
        if (!mm.used) continue;
        std::vector<TVFace> tf(n);
        for (int i = 0; i < n; i++)
            if (keep[i] < mm.getNumFaces()) tf[i] = mm.tf[keep[i]];
        mm.tf = std::move(tf);
    }
    faces = std::move(nf);
    numFaces = n;
    faceSel = fs;
    edgeSel = es;
    InvalidateTopologyCache();
}

namespace {
// Keeps the vertices whose remap entry is not negative, moved to that index,
// with their selection; faces follow the new numbering.
void RenumberVerts(Mesh& m, const std::vector<int>& remap, int n) {
    std::vector<Point3> nv(n);
    BitArray vs(n);
    for (int v = 0; v < m.numVerts; v++) {
        if (remap[v] < 0) continue;
        nv[remap[v]] = m.verts[v];
        if (v < m.vertSel.GetSize() && m.vertSel[v]) vs.Set(remap[v]);
    }
    for (Face& f : m.faces)
        for (DWORD& v : f.v)
            if (v < static_cast<DWORD>(m.numVerts)) v = static_cast<DWORD>(remap[v]);
    m.verts = std::move(nv);
    m.numVerts = n;
    m.vertSel = vs;
    m.InvalidateTopologyCache();
}
} // namespace

void Mesh::DeleteIsoVerts() {
    std::vector<int> remap(numVerts, -1);
    for (const Face& f : faces)
        for (DWORD v : f.v)
            if (v < static_cast<DWORD>(numVerts)) remap[v] = 0;
    int n = 0;
    for (int v = 0; v < numVerts; v++)
        if (remap[v] == 0) remap[v] = n++;
    if (n == numVerts) return;
    RenumberVerts(*this, remap, n);
}

void Mesh::DeleteVertSet(BitArray set) {
    BitArray fset(numFaces);
    for (int f = 0; f < numFaces; f++)
        for (DWORD v : faces[f].v)
            if (static_cast<int>(v) < set.GetSize() && set[static_cast<int>(v)]) fset.Set(f);
    DeleteFaceSet(fset);
    // Unlike DeleteIsoVerts this removes exactly the named vertices.
    std::vector<int> remap(numVerts);
    int n = 0;
    for (int v = 0; v < numVerts; v++) remap[v] = (v < set.GetSize() && set[v]) ? -1 : n++;
    RenumberVerts(*this, remap, n);
}

// ---- mapping

void Mesh::ApplyMapper(UVWMapper& mapper, int channel, BOOL useSel) {
    if (channel < 0 || channel >= MAX_MESHMAPS) return;
    setMapSupport(channel, TRUE);
    MeshMap& mm = maps[channel];
    mm.tf.resize(numFaces);
    if (!useSel) {
        mm.tv.resize(numVerts);
        for (int v = 0; v < numVerts; v++) mm.tv[v] = mapper.MapPoint(verts[v]);
        for (int f = 0; f < numFaces; f++)
            mm.tf[f] = TVFace(faces[f].v[0], faces[f].v[1], faces[f].v[2]);
        return;
    }
    // Selected faces get map vertices of their own, shared among themselves.
    std::vector<int> fresh(numVerts, -1);
    for (int f = 0; f < numFaces && f < faceSel.GetSize(); f++) {
        if (!faceSel[f]) continue;
        for (int k = 0; k < 3; k++) {
            DWORD v = faces[f].v[k];
            if (v >= static_cast<DWORD>(numVerts)) continue;
            if (fresh[v] < 0) {
                fresh[v] = mm.getNumVerts();
                mm.tv.push_back(mapper.MapPoint(verts[v]));
            }
            mm.tf[f].t[k] = static_cast<DWORD>(fresh[v]);
        }
    }
    // Drop map vertices that no map face uses any more.
    std::vector<int> remap(mm.tv.size(), -1);
    for (const TVFace& t : mm.tf)
        for (DWORD i : t.t)
            if (i < remap.size()) remap[i] = 0;
    int n = 0;
    for (int& r : remap)
        if (r == 0) r = n++;
    std::vector<UVVert> tv(n);
    for (size_t i = 0; i < remap.size(); i++)
        if (remap[i] >= 0) tv[remap[i]] = mm.tv[i];
    for (TVFace& t : mm.tf)
        for (DWORD& i : t.t)
            if (i < remap.size()) i = static_cast<DWORD>(remap[i]);
    mm.tv = std::move(tv);
}
