#pragma once
// Materials and texture maps: the common base with its sub-maps, texture
// maps and their evaluation, the coordinate generator and the output filter.
#include <cstdint>
#include <string>

#include "host/sdk/bit_array.h"
#include "host/sdk/bitmap.h"
#include "host/sdk/color.h"
#include "host/sdk/point.h"
#include "host/sdk/reference.h"
#include "host/sdk/shade_context.h"
#include "host/sdk/tex_handle.h"
#include "host/sdk/win32.h"

class Texmap;
class Mtl;
class MtlBase;
class UVGen;
class TextureOutput;

// The material editor's side of an open parameter dialog.
class IMtlParams {
public:
    virtual ~IMtlParams() = default;
    // The thing being edited changed: the editor renders its sample again.
    virtual void MtlChanged() = 0;
    virtual TimeValue GetTime() = 0;
    // A page of the editor's rollouts for a dialog template of module hInst
    // (GetHostInstance() for the host's own), made with proc and param; null
    // when the editor has no window.
    virtual HWND AddRollupPage(HINSTANCE /*hInst*/, int /*dialogId*/, DLGPROC /*proc*/,
                               const MCHAR* /*title*/, LPARAM /*param*/ = 0, DWORD /*flags*/ = 0) {
        return nullptr;
    }
    virtual void DeleteRollupPage(HWND /*page*/) {}
};

// Posted to the material editor's window by a map button: wParam the
// sub-map index of the thing being edited, lParam the thing. The editor
// goes to that sub-map, or lets the user choose one for an empty slot.
constexpr UINT WM_TEXMAP_BUTTON = 0x4402;

// The module handle under which the host keeps its own dialog templates
// (the output rollout's).
HINSTANCE GetHostInstance();

// The parameter dialog of a material or map while the editor shows it.
class ParamDlg {
public:
    virtual ~ParamDlg() = default;
    virtual Class_ID ClassID() = 0;
    virtual void SetThing(ReferenceTarget* m) = 0;
    virtual ReferenceTarget* GetThing() = 0;
    virtual void SetTime(TimeValue t) = 0;
    virtual void ReloadDialog() = 0;
    virtual void DeleteThis() = 0;
    virtual void ActivateDlg(BOOL /*onOff*/) {}
    virtual int FindSubTexFromHWND(HWND) { return -1; }
    virtual int FindSubMtlFromHWND(HWND) { return -1; }
};

// Sub-maps of a material or map.
class ISubMap {
public:
    virtual ~ISubMap() = default;
    virtual int NumSubTexmaps() { return 0; }
    virtual Texmap* GetSubTexmap(int) { return nullptr; }
    virtual void SetSubTexmap(int, Texmap*) {}
    virtual MSTR GetSubTexmapSlotName(int) { return MSTR(); }
    // The name the track view shows: the slot name, or "Map #n" for an unnamed slot.
    virtual MSTR GetSubTexmapTVName(int i);
    virtual int SubTexmapOn(int) { return 1; }
};

// Texture-coordinate sources.
constexpr int UVWSRC_EXPLICIT = 0;
constexpr int UVWSRC_OBJXYZ = 1;
constexpr int UVWSRC_EXPLICIT2 = 2;
constexpr int UVWSRC_WORLDXYZ = 3;

// What a material asks of the renderer.
constexpr ULONG MTLREQ_2SIDE = 1u << 0;
constexpr ULONG MTLREQ_UV = 1u << 2;
constexpr ULONG MTLREQ_BUMPUV = 1u << 9;

class MtlBase : public ReferenceTarget, public ISubMap {
public:
    const MSTR& GetName() const { return name_; }
    void SetName(const MSTR& s) { name_ = s; }
    int GetGBufID() const { return gbufId_; }
    void SetGBufID(int id) { gbufId_ = id; }

    virtual void Update(TimeValue t, Interval& valid) = 0;
    virtual void Reset() = 0;
    virtual Interval Validity(TimeValue t) = 0;
    virtual ParamDlg* CreateParamDlg(HWND /*hwMtlEdit*/, IMtlParams* /*imp*/) { return nullptr; }
    virtual BOOL SetDlgThing(ParamDlg*) { return FALSE; }
    virtual ULONG LocalRequirements(int /*subMtlNum*/) { return 0; }
    virtual void LocalMappingsRequired(int /*subMtlNum*/, BitArray& /*mapreq*/,
                                       BitArray& /*bumpreq*/) {}
    virtual void ActivateTexDisplay(BOOL) {}

    // The base's own data (name and G-buffer ID), written as chunks.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

private:
    MSTR name_;
    int gbufId_ = 0;
};

class Texmap : public MtlBase {
public:
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }

    virtual AColor EvalColor(ShadeContext& sc) = 0;
    // The mean of the colour's red, green and blue.
    virtual float EvalMono(ShadeContext& sc);
    // Deflection of the surface normal.
    virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;

    virtual UVGen* GetTheUVGen() { return nullptr; }
    virtual int GetUVWSource() { return UVWSRC_EXPLICIT; }
    virtual int GetMapChannel() { return 1; }
    virtual int GetTextureTiling() { return U_WRAP | V_WRAP; }
    virtual void SetOutputLevel(TimeValue, float) {}
    virtual BOOL IsLocalOutputMeaningful() { return FALSE; }

    // The image the interactive viewports show, and the texture made from it.
    virtual BITMAPINFO* GetVPDisplayDIB(TimeValue, TexHandleMaker&, Interval& /*valid*/,
                                        BOOL /*mono*/ = FALSE, int /*forceW*/ = 0,
                                        int /*forceH*/ = 0) {
        return nullptr;
    }
    virtual std::uintptr_t GetActiveTexHandle(TimeValue, TexHandleMaker&) { return 0; }
};

// A map made of sub-maps.
class MultiTex : public Texmap {};

// Texture-coordinate generator.
class UVGen : public MtlBase {
public:
    SClass_ID SuperClassID() override { return UVGEN_CLASS_ID; }
    virtual int SymFlags() = 0;
    virtual int GetUVWSource() = 0;
    virtual int GetMapChannel() = 0;
    virtual int GetTextureTiling() = 0;
};

// Output filter of a map: output amount and RGB level, both 1 by default.
class TextureOutput : public MtlBase {
public:
    SClass_ID SuperClassID() override { return TEXOUTPUT_CLASS_ID; }
    virtual AColor Filter(AColor c) = 0;
    virtual float Filter(float f) = 0;
    virtual Point3 Filter(Point3 p) = 0;
    virtual float GetOutputLevel(TimeValue t) = 0;
    virtual void SetOutputLevel(TimeValue t, float v) = 0;
    virtual float GetRGBLevel(TimeValue t) = 0;
    virtual void SetRGBLevel(TimeValue t, float v) = 0;
};

// Dialog template and controls of the host's output rollout.
constexpr int IDD_HOST_OUTPUT = 9100;
constexpr int IDC_OUTPUT_AMOUNT_EDIT = 9101;
constexpr int IDC_OUTPUT_AMOUNT_SPIN = 9102;
constexpr int IDC_RGB_LEVEL_EDIT = 9103;
constexpr int IDC_RGB_LEVEL_SPIN = 9104;

class Mtl : public MtlBase {
public:
    SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
    virtual Color GetDiffuse() = 0;
};

UVGen* GetNewDefaultUVGen();
TextureOutput* GetNewDefaultTextureOutput();
