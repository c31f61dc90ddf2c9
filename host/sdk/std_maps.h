#pragma once
// The host's own coordinate generator and output filter, as handed out by
// GetNewDefaultUVGen and GetNewDefaultTextureOutput.
#include "host/sdk/texmap.h"

constexpr Class_ID STDUVGEN_CLASS_ID(0x0000100, 0);
constexpr Class_ID STDTEXOUT_CLASS_ID(0x00000120, 0);

class StdUVGen : public UVGen {
public:
    float uOffset = 0.0f, vOffset = 0.0f;
    float uTiling = 1.0f, vTiling = 1.0f;
    int tiling = U_WRAP | V_WRAP;
    int uvwSource = UVWSRC_EXPLICIT;
    int mapChannel = 1;

    Class_ID ClassID() override { return STDUVGEN_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = "UVGen"; }
    int SymFlags() override { return tiling; }
    int GetUVWSource() override { return uvwSource; }
    int GetMapChannel() override { return mapChannel; }
    int GetTextureTiling() override { return tiling; }

    void Update(TimeValue, Interval&) override {}
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
    ReferenceTarget* Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
};

class StdTexOut : public TextureOutput {
public:
    Class_ID ClassID() override { return STDTEXOUT_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = "Output"; }

    // Red, green and blue times RGB level times output amount; alpha is kept.
    AColor Filter(AColor c) override;
    float Filter(float f) override { return f * rgbLevel_ * outputAmount_; }
    Point3 Filter(Point3 p) override { return p * outputAmount_; }
    float GetOutputLevel(TimeValue) override { return outputAmount_; }
    void SetOutputLevel(TimeValue, float v) override { outputAmount_ = v; }
    float GetRGBLevel(TimeValue) override { return rgbLevel_; }
    void SetRGBLevel(TimeValue, float v) override { rgbLevel_ = v; }
    // The output rollout (output_rollout.cpp): output amount and RGB level.
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;

    void Update(TimeValue, Interval&) override {}
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
    ReferenceTarget* Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

private:
    float outputAmount_ = 1.0f;
    float rgbLevel_ = 1.0f;
};
