#include "host/sdk/param_block.h"
#include "host/sdk/param_value_kinds.h"

#include <cmath>
#include <sstream>
#include <string>

using namespace param_kinds;

namespace {

IOResult ReadValue(ILoad* l, PB2Value& v, ParamType2 type);

constexpr USHORT kBlockChunk = 0x3000;
constexpr USHORT kParamChunk = 0x3010;

IOResult WriteValue(ISave* s, const PB2Value& v, ParamType2 type) {
    if (IsFloatType(type)) return s->WriteFloat(v.f);
    if (IsIntType(type)) return s->WriteInt(v.i);
    if (IsPointType(type)) {
        float xyz[3] = {v.p.x, v.p.y, v.p.z};
        return s->WriteValue(xyz);
    }
    if (IsColorType(type)) {
        float rgba[4] = {v.c.r, v.c.g, v.c.b, v.c.a};
        return s->WriteValue(rgba);
    }
    if (IsStringType(type)) return s->WriteCString(v.s);
    return IO_OK;
}

std::string Number(double x) {
    std::ostringstream s;
    s << x;
    return s.str();
}

// Why a value read from a file does not fit its parameter; empty when it does.
std::string Unfit(const ParamDef& d, const PB2Value& v) {
    const ParamType2 t = d.type;
    if (IsFloatType(t)) {
        if (!std::isfinite(v.f)) return "value " + Number(v.f) + " is not a finite number";
        if (d.has_range && !(v.f >= d.range_low.f && v.f <= d.range_high.f))
            return "value " + Number(v.f) + " is outside its range " + Number(d.range_low.f) +
                   " .. " + Number(d.range_high.f);
    } else if (IsIntType(t)) {
        if (BaseType(t) == TYPE_BOOL && v.i != 0 && v.i != 1)
            return "value " + std::to_string(v.i) + " is not 0 or 1";
        if (d.has_range && (v.i < d.range_low.i || v.i > d.range_high.i))
            return "value " + std::to_string(v.i) + " is outside its range " +
                   std::to_string(d.range_low.i) + " .. " + std::to_string(d.range_high.i);
    } else if (IsPointType(t)) {
        if (!std::isfinite(v.p.x) || !std::isfinite(v.p.y) || !std::isfinite(v.p.z))
            return "a coordinate is not a finite number";
    } else if (IsColorType(t)) {
        if (!std::isfinite(v.c.r) || !std::isfinite(v.c.g) || !std::isfinite(v.c.b) ||
            !std::isfinite(v.c.a))
            return "a colour component is not a finite number";
    }
    return {};
}

// Reads one value and checks it against the parameter; a value that does not
// fit is refused through the stream, which names where it began.
IOResult ReadChecked(ILoad* l, PB2Value& v, const ParamDef& d, const std::string& block) {
    const ULONG at = l->CurPosition();
    const IOResult r = ReadValue(l, v, d.type);
    if (r != IO_OK) return r;
    const std::string why = Unfit(d, v);
    if (why.empty()) return IO_OK;
    return l->Refuse(at, "parameter \"" + d.int_name + "\" of block \"" + block + "\": " + why);
}

IOResult ReadValue(ILoad* l, PB2Value& v, ParamType2 type) {
    IOResult r = IO_OK;
    if (IsFloatType(type)) {
        r = l->ReadFloat(v.f);
        v.i = SaturatingInt(v.f);
    } else if (IsIntType(type)) {
        r = l->ReadInt(v.i);
        v.f = static_cast<float>(v.i);
    } else if (IsPointType(type)) {
        float xyz[3];
        r = l->ReadValue(xyz);
        v.p = Point3(xyz[0], xyz[1], xyz[2]);
    } else if (IsColorType(type)) {
        float rgba[4];
        r = l->ReadValue(rgba);
        v.c = AColor(rgba[0], rgba[1], rgba[2], rgba[3]);
    } else if (IsStringType(type)) {
        r = l->ReadCString(v.s);
    }
    return r;
}

} // namespace

IOResult IParamBlock2::Save(ISave* isave) {
    isave->BeginChunk(kBlockChunk);
    IOResult r = isave->WriteShort(static_cast<USHORT>(desc_->ID));
    if (r == IO_OK) r = isave->WriteInt(desc_->Count());
    isave->EndChunk();
    for (int pi = 0; pi < desc_->Count() && r == IO_OK; ++pi) {
        const ParamDef& d = desc_->paramdefs[static_cast<std::size_t>(pi)];
        if (d.flags & P_TRANSIENT) continue;
        const auto& entries = values_[static_cast<std::size_t>(pi)];
        isave->BeginChunk(kParamChunk);
        r = isave->WriteShort(static_cast<USHORT>(d.ID));
        if (r == IO_OK) r = isave->WriteInt(d.type);
        if (r == IO_OK) r = isave->WriteInt(static_cast<int>(entries.size()));
        for (const Entry& e : entries) {
            if (r == IO_OK) r = WriteValue(isave, e.value, d.type);
            if (r == IO_OK) r = isave->WriteInt(static_cast<int>(e.keys.size()));
            for (const Key& k : e.keys) {
                if (r == IO_OK) r = isave->WriteInt(k.t);
                if (r == IO_OK) r = WriteValue(isave, k.v, d.type);
            }
        }
        isave->EndChunk();
    }
    return r;
}

IOResult IParamBlock2::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kParamChunk) {
            USHORT id = 0;
            int type = 0, count = 0;
            if ((r = iload->ReadShort(id)) != IO_OK || (r = iload->ReadInt(type)) != IO_OK ||
                (r = iload->ReadInt(count)) != IO_OK)
                return r;
            // Every entry takes at least its 4-byte key count.
            if (count < 0 || static_cast<ULONG>(count) > iload->CurChunkLength() / 4)
                return IO_ERROR;
            int pi = desc_->IDtoIndex(static_cast<ParamID>(id));
            const ParamDef* d = pi < 0 ? nullptr : &desc_->paramdefs[static_cast<std::size_t>(pi)];
            // A parameter this version does not know, or of another type, is skipped.
            if (d && d->type == type) {
                auto& entries = values_[static_cast<std::size_t>(pi)];
                if (IsTabType(d->type)) {
                    if (count < static_cast<int>(entries.size()))
                        Delete(d->ID, count, static_cast<int>(entries.size()) - count);
                    else if (count > static_cast<int>(entries.size()))
                        Insert(d->ID, static_cast<int>(entries.size()),
                               count - static_cast<int>(entries.size()));
                } else if (count != 1) {
                    return IO_ERROR;
                }
                for (Entry& e : entries) {
                    int nkeys = 0;
                    if ((r = ReadChecked(iload, e.value, *d, desc_->int_name)) != IO_OK ||
                        (r = iload->ReadInt(nkeys)) != IO_OK)
                        return r;
                    if (nkeys < 0 || static_cast<ULONG>(nkeys) > iload->CurChunkLength() / 4)
                        return IO_ERROR;
                    e.keys.assign(static_cast<std::size_t>(nkeys), Key{});
                    for (Key& k : e.keys)
                        if ((r = iload->ReadInt(k.t)) != IO_OK ||
                            (r = ReadChecked(iload, k.v, *d, desc_->int_name)) != IO_OK)
                            return r;
                }
            }
        }
        iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
}
