#include "host/sdk/mesh_adjacency.h"

int MEdge::EdgeIndex(Face* faces, int side) const {
    DWORD ff = f[side];
    if (ff == UNDEFINED) return -1;
    return faces[ff].GetEdgeIndex(v[0], v[1]);
}

BOOL MEdge::Visible(Face* faces) const {
    for (int s = 0; s < 2; s++) {
        int k = EdgeIndex(faces, s);
        if (k >= 0 && faces[f[s]].getEdgeVis(k)) return TRUE;
    }
    return FALSE;
}

BOOL MEdge::Selected(Face* faces, BitArray& esel) const {
    for (int s = 0; s < 2; s++) {
        int k = EdgeIndex(faces, s);
        if (k < 0) continue;
        int bit = 3 * static_cast<int>(f[s]) + k;
        if (bit < esel.GetSize() && esel[bit]) return TRUE;
    }
    return FALSE;
}

AdjEdgeList::AdjEdgeList(Mesh& mesh) : nverts(mesh.getNumVerts()) {
    list.resize(nverts);
    for (int fi = 0; fi < mesh.getNumFaces(); fi++) {
        const Face& face = mesh.faces[fi];
        for (int k = 0; k < 3; k++) {
            DWORD a = face.v[k], b = face.v[(k + 1) % 3];
            if (a >= static_cast<DWORD>(nverts) || b >= static_cast<DWORD>(nverts)) continue;
            // The second face on a vertex pair shares the edge, whichever way it
            // runs; any further face gets an edge of its own.
            int found = -1;
            for (DWORD ei : list[a]) {
                const MEdge& me = edges[ei];
                bool same = (me.v[0] == b && me.v[1] == a) || (me.v[0] == a && me.v[1] == b);
                if (same && me.f[1] == UNDEFINED && me.f[0] != static_cast<DWORD>(fi)) {
                    found = static_cast<int>(ei);
                    break;
                }
            }
            if (found >= 0) {
                edges[found].f[1] = static_cast<DWORD>(fi);
                continue;
            }
            MEdge me;
            me.v[0] = a;
            me.v[1] = b;
            me.f[0] = static_cast<DWORD>(fi);
            DWORD idx = static_cast<DWORD>(edges.size());
            edges.push_back(me);
            list[a].push_back(idx);
            if (b != a) list[b].push_back(idx);
        }
    }
}

int AdjEdgeList::FindEdge(DWORD a, DWORD b) const {
    if (a >= list.size()) return -1;
    for (DWORD ei : list[a]) {
        const MEdge& me = edges[ei];
        if ((me.v[0] == a && me.v[1] == b) || (me.v[0] == b && me.v[1] == a))
            return static_cast<int>(ei);
    }
    return -1;
}

void MeshTempData::SetMesh(Mesh* m) {
    freeAll();
    mesh_ = m;
}

AdjEdgeList* MeshTempData::AdjEList() {
    if (!mesh_) return nullptr;
    if (!adjEList_) adjEList_ = std::make_unique<AdjEdgeList>(*mesh_);
    return adjEList_.get();
}

void MeshTempData::Invalidate(DWORD /*partsChanged*/) {
    adjEList_.reset();
}

void MeshTempData::freeAll() {
    adjEList_.reset();
}
