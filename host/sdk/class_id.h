#pragma once
// Class identities: a super class number and a two-part class ID.
#include <functional>

#include "base_types.h"

using SClass_ID = ULONG;

class Class_ID {
public:
    constexpr Class_ID() = default;
    constexpr Class_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
    constexpr ULONG PartA() const { return a_; }
    constexpr ULONG PartB() const { return b_; }
    void SetPartA(ULONG a) { a_ = a; }
    void SetPartB(ULONG b) { b_ = b; }
    constexpr bool operator==(const Class_ID& c) const { return a_ == c.a_ && b_ == c.b_; }
    constexpr bool operator!=(const Class_ID& c) const { return !(*this == c); }
    constexpr bool operator<(const Class_ID& c) const {
        return a_ < c.a_ || (a_ == c.a_ && b_ < c.b_);
    }

private:
    ULONG a_ = 0xffffffff, b_ = 0xffffffff;
};

template <> struct std::hash<Class_ID> {
    std::size_t operator()(const Class_ID& c) const noexcept {
        return (static_cast<std::size_t>(c.PartA()) << 32) ^ c.PartB();
    }
};

// Super classes.
constexpr SClass_ID GEOMOBJECT_CLASS_ID = 0x000010;
constexpr SClass_ID CAMERA_CLASS_ID = 0x000020;
constexpr SClass_ID LIGHT_CLASS_ID = 0x000030;
constexpr SClass_ID SHAPE_CLASS_ID = 0x000040;
constexpr SClass_ID HELPER_CLASS_ID = 0x000050;
constexpr SClass_ID GEN_DERIVOB_CLASS_ID = 0x000070;
constexpr SClass_ID WSM_DERIVOB_CLASS_ID = 0x000071;
constexpr SClass_ID OSM_CLASS_ID = 0x000810;
constexpr SClass_ID WSM_CLASS_ID = 0x000820;
constexpr SClass_ID MATERIAL_CLASS_ID = 0x000c00;
constexpr SClass_ID TEXMAP_CLASS_ID = 0x000c10;
constexpr SClass_ID UVGEN_CLASS_ID = 0x0000c20;
constexpr SClass_ID TEXOUTPUT_CLASS_ID = 0x0000c30;
constexpr SClass_ID PARAMETER_BLOCK2_CLASS_ID = 0x000082;
constexpr SClass_ID BASENODE_CLASS_ID = 0x000001;
constexpr SClass_ID REF_TARGET_CLASS_ID = 0x000300;

// Object classes that conversions ask for. The values are this host's own.
constexpr Class_ID triObjectClassID(0x00000009, 0);
constexpr Class_ID polyObjectClassID(0x5d21369a, 0x4c5b3f0e);
constexpr Class_ID splineShapeClassID(0x0000000a, 0);
constexpr Class_ID genericShapeClassID(0x0000000c, 0);
constexpr Class_ID mapObjectClassID(0x0000000b, 0);
constexpr Class_ID defObjectClassID(0x00000000, 0);
constexpr Class_ID boxObjectClassID(0x00000010, 0);
constexpr Class_ID sphereObjectClassID(0x00000011, 0);
constexpr Class_ID derivObjClassID(0x00000002, 0);
constexpr Class_ID WSMDerivObjClassID(0x00000003, 0);
constexpr Class_ID stdMtlClassID(0x00000002, 0x1);
constexpr Class_ID uvGenClassID(0x0000100, 0);
constexpr Class_ID texOutputClassID(0x00000120, 0);
