#pragma once
// The edge-gradient texture map: colours a surface by its distance from chosen
// edges of the shaded mesh, through a ramp of coloured markers.
#include <memory>
#include <mutex>
#include <vector>

#include "edgemap/edge_distance.h"
#include "edgemap/marker_ramp.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/texmap.h"
#include "module/class_descs.h"

constexpr Class_ID GRADIENTEDGE_CLASS_ID(0x51DC051A, 0x866D966F);

// Parameter ids of the block.
enum GradientEdgeParam : ParamID {
    ge_distance = 0,
    ge_angle = 1,
    ge_selection_only = 2,
    ge_smooth = 3,
    ge_smooth_eq = 4,
    ge_complanar = 5,
    ge_conditions = 6,
    ge_open_edges = 7,
    ge_coords = 8,
    ge_marker_map = 9,
    ge_output = 10,
    ge_matid = 11,
    ge_matid_eq = 12,
    ge_c_mult = 13,
    ge_matid_range = 14,
    ge_matid1 = 15,
    ge_matid2 = 16,
};

// References: the coordinates, the block, the output, then two per marker.
constexpr int GE_REF_COORDS = 0;
constexpr int GE_REF_PBLOCK = 1;
constexpr int GE_REF_OUTPUT = 2;
constexpr int GE_REF_MARKER_MAPS = 3;

constexpr USHORT GE_MTLBASE_CHUNK = 0x4000;
constexpr USHORT GE_MARKERS_CHUNK = 0x4001;
constexpr int GE_MARKER_RECORD_BYTES = 82;

class GradientEdge : public MultiTex {
public:
    GradientEdge();
    ~GradientEdge() override;

    HWND editorWindow = nullptr;
    IParamBlock2* pblock = nullptr;
    ParamDlg* dialog = nullptr; // the rollout while the map is edited
    TextureOutput* texout = nullptr;
    UVGen* uvGen = nullptr;
    Interval ivalid;
    float distance = 0.1f;
    float angle = 0.0f; // radians
    bool selectionOnly = false, openEdges = false, smooth = false;
    int smoothType = 1;
    bool matId = false;
    int matIdType = 1;
    bool coplanar = false;
    int combine = 1;
    int cellMultiplier = 2;
    bool matIdRange = false;
    int matId1 = 0, matId2 = 0; // zero-based
    std::vector<std::unique_ptr<EdgeDistanceData>> distanceCache;
    TexHandle* texHandle = nullptr;
    Interval texHandleValid;
    std::mutex cacheLock;
    MarkerRamp ramp;
    ParamDlg* outputDialog = nullptr; // the output's rollout, while open

    // Edge data of a node, built on first use; null when the node or its object is missing.
    EdgeDistanceData* GetEdgeData(ULONG nodeHandle, TimeValue t);
    void InvalidateEdgeData();
    EdgeCriteria CachedCriteria() const;

    // Brings the marker-map references and the "marker_map" count in line with
    // the markers after a ramp edit (insert, delete, duplicate, reorder).
    void SyncMarkerReferences();
    void DiscardTexHandle();

    // Identity.
    Class_ID ClassID() override { return GRADIENTEDGE_CLASS_ID; }
    void GetClassName(MSTR& s) override;

    // Shading.
    AColor EvalColor(ShadeContext& sc) override;
    float EvalMono(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;
    BITMAPINFO* GetVPDisplayDIB(TimeValue t, TexHandleMaker& maker, Interval& valid,
                                BOOL mono = FALSE, int forceW = 0, int forceH = 0) override;
    std::uintptr_t GetActiveTexHandle(TimeValue t, TexHandleMaker& maker) override;
    void ActivateTexDisplay(BOOL onOff) override;

    // Coordinates and output.
    UVGen* GetTheUVGen() override { return uvGen; }
    int GetUVWSource() override { return uvGen ? uvGen->GetUVWSource() : UVWSRC_EXPLICIT; }
    int GetMapChannel() override { return uvGen ? uvGen->GetMapChannel() : 1; }
    int GetTextureTiling() override { return uvGen ? uvGen->GetTextureTiling() : U_WRAP | V_WRAP; }
    ULONG LocalRequirements(int subMtlNum) override;
    void LocalMappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq) override;
    void SetOutputLevel(TimeValue t, float v) override;
    BOOL IsLocalOutputMeaningful() override { return TRUE; }

    // Life cycle.
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    BOOL SetDlgThing(ParamDlg* dlg) override;
    // The rollout and the output's rollout (gradient_edge_rollout.cpp).
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;

    // Sub-maps: two per marker, its base map then its transparency map.
    int NumSubTexmaps() override { return 2 * ramp.Count(); }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i) override;

    // Sub-anims follow the references: coordinates, block, output, maps.
    int NumSubs() override { return NumRefs(); }
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i) override;
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock : nullptr; }
    IParamBlock2* GetParamBlockByID(BlockID id) override;

    // References.
    int NumRefs() override { return GE_REF_MARKER_MAPS + 2 * ramp.Count(); }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle r) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;

    ReferenceTarget* Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

private:
    void MatchMarkerMapCount();
    // Maps this map holds a reference to through the marker slots, once per holding.
    std::vector<Texmap*> heldMaps_;
    bool rawSlotEdit_ = false;
};

ParamBlockDesc2* GetGradientEdgeBlockDesc();

// One marker as stored in the markers chunk.
void PackMarker(const RampMarker& m, BYTE out[GE_MARKER_RECORD_BYTES]);
void UnpackMarker(const BYTE in[GE_MARKER_RECORD_BYTES], RampMarker& m);
