#pragma once
// A parameter block with the terrain object's contour and platform tables, and
// scene nodes to put in them, for the stages that read the scene.
#include <vector>

#include "host/sdk/inode.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"

class TerrainInputsDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 0; }
    void* Create(BOOL) override { return nullptr; }
    const MCHAR* ClassName() override { return "TerrainInputs"; }
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(0x7e57, 0x1b0c); }
    const MCHAR* Category() override { return "Tests"; }
};

inline ParamBlockDesc2* TerrainInputsBlock() {
    static TerrainInputsDesc cd;
    static ParamBlockDesc2 desc(
        BlockLayout(0, "parameters", 0, &cd, 0)
            .Param(ParamDef(0, "Spline_Node", TYPE_INODE_TAB).Table(200).Flags(8))
            .Param(ParamDef(1, "Spline_ID", TYPE_INT).Default(1).Range(1, 256))
            .Param(ParamDef(2, "Platform_Node", TYPE_INODE_TAB).Table(200).Flags(8))
            .Param(ParamDef(3, "Slope_Up", TYPE_FLOAT_TAB)
                       .Table(200)
                       .Default(45.0f)
                       .Range(5.0f, 85.0f))
            .Param(ParamDef(4, "Slope_Down", TYPE_FLOAT_TAB)
                       .Table(200)
                       .Default(45.0f)
                       .Range(5.0f, 85.0f))
            .Param(ParamDef(5, "Platform_ID", TYPE_INT_TAB).Table(200).Default(2).Range(1, 256))
            .Param(ParamDef(6, "SlopeUp_ID", TYPE_INT_TAB).Table(200).Default(3).Range(1, 256))
            .Param(ParamDef(7, "SlopeDown_ID", TYPE_INT_TAB).Table(200).Default(4).Range(1, 256)));
    return &desc;
}

// A node named name whose object is obj, placed by tm.
inline INode* MakeNode(Object* obj, const char* name, const Matrix3& tm) {
    INode* node = new INode();
    node->SetName(name);
    node->SetObjectRef(obj);
    node->SetNodeTM(0, tm);
    return node;
}

inline SplineShape* MakeSpline(const std::vector<std::vector<Point3>>& lines,
                               const std::vector<bool>& closed) {
    SplineShape* s = CreateNewSplineShape();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        PolyLine& line = s->shape.NewLine();
        for (const Point3& p : lines[i]) line.Append(p);
        if (closed[i]) line.Close();
    }
    return s;
}

// A flat axis-aligned square of two triangles at height z.
inline TriObject* MakeSquare(float x0, float y0, float x1, float y1, float z) {
    TriObject* t = CreateNewTriObject();
    Mesh& m = t->GetMesh();
    m.setNumVerts(4);
    m.setVert(0, x0, y0, z);
    m.setVert(1, x1, y0, z);
    m.setVert(2, x1, y1, z);
    m.setVert(3, x0, y1, z);
    m.setNumFaces(2);
    m.faces[0].setVerts(0, 1, 2);
    m.faces[1].setVerts(0, 2, 3);
    return t;
}
