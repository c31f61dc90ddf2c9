#pragma once
// The conform world-space modifier: drapes the mesh it modifies over a built
// terrain, each vertex keeping its world x, y and taking the terrain's height.
#include "host/sdk/modifier.h"
#include "host/sdk/param_block2.h"
#include "terrain/land_params.h"

class Terravel : public WSModifier {
public:
    IParamBlock2* pblock = nullptr;
    static IObjParam* ip;

    Terravel();
    ~Terravel() override;

    // Animatable
    void GetClassName(MSTR& s) override;
    Class_ID ClassID() override { return TERRAVEL_CLASS_ID; }
    SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
    void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
    void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;
    int NumSubs() override { return 1; }
    Animatable* SubAnim(int i) override { return i == 0 ? pblock : nullptr; }
    MSTR SubAnimName(int i) override;
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock : nullptr; }
    IParamBlock2* GetParamBlockByID(BlockID id) override;
    void DeleteThis() override { delete this; }

    // ReferenceMaker / ReferenceTarget
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? pblock : nullptr; }
    void SetReference(int i, RefTargetHandle target) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle target, PartID& partID,
                               RefMessage message) override;
    RefTargetHandle Clone(RemapDir& remap) override;

    // BaseObject / Modifier
    const MCHAR* GetObjectName() override;
    CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
    Interval LocalValidity(TimeValue t) override;
    ChannelMask ChannelsUsed() override { return 0x23FF; }
    ChannelMask ChannelsChanged() override { return 0x23FF; }
    Class_ID InputType() override { return triObjectClassID; }
    void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override;
};
