#pragma once
// The host's standard material: a diffuse colour with a diffuse map slot and
// a bump map slot.
#include "host/sdk/texmap.h"

constexpr int STDMAT_DIFFUSE = 0; // sub-map and reference index
constexpr int STDMAT_BUMP = 1;

class StdMat : public Mtl {
public:
    Class_ID ClassID() override { return stdMtlClassID; }
    void GetClassName(MSTR& s) override { s = "Standard"; }

    Color GetDiffuse() override { return diffuse_; }
    void SetDiffuse(const Color& c) { diffuse_ = c; }
    // How strongly the bump map deflects the normal.
    float GetBumpAmount() const { return bumpAmount_; }
    void SetBumpAmount(float v) { bumpAmount_ = v; }
    // A slot's map is used only while its switch is on.
    bool MapOn(int slot) const { return mapOn_[slot]; }
    void SetMapOn(int slot, bool on) { mapOn_[slot] = on; }
    Texmap* DiffuseMap() { return mapOn_[STDMAT_DIFFUSE] ? maps_[STDMAT_DIFFUSE] : nullptr; }
    Texmap* BumpMap() { return mapOn_[STDMAT_BUMP] ? maps_[STDMAT_BUMP] : nullptr; }

    int NumSubTexmaps() override { return 2; }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i) override;
    int SubTexmapOn(int i) override { return i >= 0 && i < 2 && mapOn_[i] ? 1 : 0; }

    int NumRefs() override { return 2; }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle r) override;
    int NumSubs() override { return 2; }
    Animatable* SubAnim(int i) override { return GetSubTexmap(i); }
    MSTR SubAnimName(int i) override { return GetSubTexmapTVName(i); }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }

    // Updates the maps in the slots.
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ReferenceTarget* Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

private:
    Color diffuse_{0.5f, 0.5f, 0.5f};
    float bumpAmount_ = 1.0f;
    bool mapOn_[2] = {true, true};
    Texmap* maps_[2] = {nullptr, nullptr};
};

StdMat* NewDefaultStdMat();
