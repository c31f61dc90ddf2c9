#include "terrain/build_driver.h"

#include "geometry/surface_builder.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "rollouts/uvw_zones.h"
#include "terrain/land_object.h"
#include "terrain/terrain_inputs.h"

namespace {

// The host's progress bar. The work runs in the caller, so the bar's own work
// callback does nothing.
class HostProgress : public BuildProgress {
public:
    explicit HostProgress(Interface* ip) : ip_(ip) {}
    void Start(const char* title) override {
        if (ip_) ip_->ProgressStart(title, TRUE, NoWork, nullptr);
    }
    void Update(int percent) override {
        if (ip_) ip_->ProgressUpdate(percent, TRUE, nullptr);
    }
    bool Cancelled() override { return ip_ && ip_->GetCancel(); }
    void End() override {
        if (ip_) ip_->ProgressEnd();
    }

private:
    static DWORD WINAPI NoWork(void*) { return 0; }
    Interface* ip_;
};

} // namespace

void BuildTerrain(LandObject* obj) {
    ULONG handle = 0;
    obj->NotifyDependents(FOREVER, reinterpret_cast<PartID>(&handle), REFMSG_GET_NODE_HANDLE,
                          NOTIFY_ALL, TRUE);
    Interface* ip = GetCOREInterface();
    INode* node = ip ? ip->GetINodeByHandle(handle) : nullptr;

    const TerrainInputs inputs = ReadTerrainInputs(obj->pblock);
    HostProgress progress(ip);
    WorkerPool pool(ip ? ip->GetWorkerThreadCount() : 1);
    SurfaceBuilder builder(&progress, kDefaultTuning, &pool);
    if (!builder.BuildSurface(inputs.surface)) return;

    Matrix3 transform(1);
    if (node) transform = node->GetObjectTM(0);
    builder.CollectInsertOutlines(inputs.surface);
    builder.WriteTerrainMesh(obj->mesh, transform);
    ApplyUVWZones(obj->mesh, inputs.uvw, transform, obj->zoneShape);
    obj->mesh.buildNormals();
    builder.ReleaseWorkData();
    obj->heightLookup.BuildSurfaceLookup(obj->mesh, &pool);
}

void ReapplyUVWZones(LandObject* obj, Interface* ip, TimeValue t) {
    ApplyUVWZones(obj->mesh, ReadUVWInputs(obj->pblock), TerrainTransform(ip, obj, t),
                  obj->zoneShape);
    obj->heightLookup.BuildSurfaceLookup(obj->mesh);
}

void UpdateUVWOutline(LandObject* obj, Interface* ip) {
    UpdateUVWOutline(ReadUVWInputs(obj->pblock), TerrainTransform(ip, obj, 0), obj->zoneShape);
}

INode* FindSelectedNodeOf(INode* root, ReferenceTarget* obj) {
    if (!root) return nullptr;
    if (root->Selected() && root->GetObjectRef() && root->GetObjectRef() == obj) return root;
    for (int c = 0; c < root->NumberOfChildren(); c++)
        if (INode* hit = FindSelectedNodeOf(root->GetChildNode(c), obj)) return hit;
    return nullptr;
}

Matrix3 TerrainTransform(Interface* ip, ReferenceTarget* obj, TimeValue t) {
    INode* node = ip ? FindSelectedNodeOf(ip->GetRootNode(), obj) : nullptr;
    return node ? node->GetObjectTM(t) : Matrix3();
}
