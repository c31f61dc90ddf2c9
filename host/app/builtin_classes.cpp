#include "host/app/builtin_classes.h"

#include "host/sdk/box_object.h"
#include "host/sdk/inode.h"
#include "host/sdk/modifier.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/std_maps.h"
#include "host/sdk/std_material.h"
#include "host/sdk/tri_object.h"

namespace {

template <class Make> class HostClassDesc : public ClassDesc {
public:
    HostClassDesc(const char* name, SClass_ID sclass, Class_ID cid, Make make)
        : name_(name), sclass_(sclass), cid_(cid), make_(make) {}
    int IsPublic() override { return 0; }
    void* Create(BOOL) override { return static_cast<Animatable*>(make_()); }
    const MCHAR* ClassName() override { return name_; }
    SClass_ID SuperClassID() override { return sclass_; }
    Class_ID ClassID() override { return cid_; }
    const MCHAR* Category() override { return "Host"; }
    const MCHAR* InternalName() override { return name_; }

private:
    const char* name_;
    SClass_ID sclass_;
    Class_ID cid_;
    Make make_;
};

template <class Make>
ClassDesc* MakeDesc(const char* name, SClass_ID sclass, Class_ID cid, Make make) {
    static HostClassDesc<Make> desc(name, sclass, cid, make);
    return &desc;
}

} // namespace

std::vector<ClassDesc*> HostClassDescs() {
    return {
        MakeDesc("TriObject", GEOMOBJECT_CLASS_ID, triObjectClassID,
                 [] { return CreateNewTriObject(); }),
        MakeDesc("PolyMeshObject", GEOMOBJECT_CLASS_ID, polyObjectClassID,
                 [] { return new PolyObject(); }),
        MakeDesc("SplineShape", SHAPE_CLASS_ID, splineShapeClassID,
                 [] { return CreateNewSplineShape(); }),
        MakeDesc("Box", GEOMOBJECT_CLASS_ID, boxObjectClassID, [] { return new BoxObject(); }),
        MakeDesc("DerivedObject", GEN_DERIVOB_CLASS_ID, derivObjClassID,
                 [] { return CreateDerivedObject(); }),
        MakeDesc("WSMDerivedObject", WSM_DERIVOB_CLASS_ID, WSMDerivObjClassID,
                 [] { return CreateWSDerivedObject(); }),
        MakeDesc("Node", BASENODE_CLASS_ID, Class_ID(BASENODE_CLASS_ID, 0),
                 [] { return new INode(); }),
        MakeDesc("UVGen", UVGEN_CLASS_ID, STDUVGEN_CLASS_ID, [] { return new StdUVGen(); }),
        MakeDesc("Output", TEXOUTPUT_CLASS_ID, STDTEXOUT_CLASS_ID, [] { return new StdTexOut(); }),
        MakeDesc("Standard", MATERIAL_CLASS_ID, stdMtlClassID, [] { return NewDefaultStdMat(); }),
    };
}
