// Which edges of a triangle or polygon mesh count, by the map's criteria.
#include "edgemap/edge_distance.h"
#include "host/sdk/mesh.h"
#include "host/sdk/mesh_adjacency.h"
#include "host/sdk/mnmesh.h"

namespace {

Point3 TriangleNormal(const Mesh& mesh, DWORD f) {
    const Face& face = mesh.faces[f];
    const Point3& p0 = mesh.verts[face.v[0]];
    return Normalize((mesh.verts[face.v[1]] - p0) ^ (mesh.verts[face.v[2]] - p0));
}

} // namespace

void EdgeDistanceData::ChooseEdges(Mesh& mesh) {
    MeshTempData temp(&mesh);
    AdjEdgeList* adjacency = temp.AdjEList();
    if (!adjacency) return;
    const bool everyEdge = NoCriterion(criteria);
    Face* faces = mesh.faces.data();
    for (int i = 0; i < adjacency->Count(); ++i) {
        const MEdge& edge = (*adjacency)[i];
        if (!edge.Visible(faces)) continue;
        if (!everyEdge) {
            EdgeFacts facts;
            facts.selected = edge.Selected(faces, mesh.edgeSel);
            facts.open = edge.f[0] == UNDEFINED || edge.f[1] == UNDEFINED;
            if (!facts.open) {
                facts.n0 = TriangleNormal(mesh, edge.f[0]);
                facts.n1 = TriangleNormal(mesh, edge.f[1]);
                facts.smooth0 = faces[edge.f[0]].smGroup;
                facts.smooth1 = faces[edge.f[1]].smGroup;
                facts.mat0 = mesh.getFaceMtlIndex(static_cast<int>(edge.f[0]));
                facts.mat1 = mesh.getFaceMtlIndex(static_cast<int>(edge.f[1]));
            }
            if (!EdgeChosen(criteria, facts)) continue;
        }
        AddSegment(mesh.verts[edge.v[0]], mesh.verts[edge.v[1]]);
    }
}

void EdgeDistanceData::ChooseEdges(MNMesh& mesh) {
    const bool everyEdge = NoCriterion(criteria);
    for (int i = 0; i < mesh.nume; ++i) {
        const MNEdge* edge = mesh.E(i);
        if (!everyEdge) {
            EdgeFacts facts;
            facts.selected = (edge->flags & 1u) != 0;
            facts.open = edge->f1 < 0 || edge->f2 < 0;
            if (!facts.open) {
                facts.n0 = mesh.GetFaceNormal(edge->f1, true);
                facts.n1 = mesh.GetFaceNormal(edge->f2, true);
                facts.smooth0 = mesh.F(edge->f1)->smGroup;
                facts.smooth1 = mesh.F(edge->f2)->smGroup;
                facts.mat0 = mesh.F(edge->f1)->material;
                facts.mat1 = mesh.F(edge->f2)->material;
            }
            if (!EdgeChosen(criteria, facts)) continue;
        }
        AddSegment(mesh.P(edge->v1), mesh.P(edge->v2));
    }
}
