#include "host/sdk/spline_shape.h"

#include <cmath>
#include <string>

namespace {
constexpr USHORT kStepsChunk = 0x2700;
constexpr USHORT kLineChunk = 0x2710;
} // namespace

int SplineShape::CanConvertToType(Class_ID obtype) {
    return obtype == genericShapeClassID || obtype == splineShapeClassID ? TRUE : FALSE;
}

Object* SplineShape::ConvertToType(TimeValue, Class_ID obtype) {
    return obtype == genericShapeClassID || obtype == splineShapeClassID ? this : nullptr;
}

Object* SplineShape::MakeShallowCopy(ChannelMask) {
    SplineShape* copy = CreateNewSplineShape();
    copy->shape = shape;
    copy->steps = steps;
    return copy;
}

void SplineShape::MakePolyShape(TimeValue, PolyShape& out, int nsteps, BOOL optimize) {
    if (nsteps < 0) nsteps = steps;
    if (optimize) nsteps = 0;
    out.NewShape();
    for (int li = 0; li < shape.numLines; ++li) {
        const PolyLine& in = shape[li];
        PolyLine line;
        if (in.IsClosed()) line.Close();
        int n = in.numPts;
        int segments = in.IsClosed() ? n : n - 1;
        for (int i = 0; i < n; ++i) {
            line.Append(in[i]);
            if (i >= segments) continue;
            const Point3& a = in[i].p;
            const Point3& b = in[(i + 1) % n].p;
            for (int k = 1; k <= nsteps; ++k)
                line.Append(a + (b - a) * (static_cast<float>(k) / static_cast<float>(nsteps + 1)));
        }
        out.Append(line);
    }
}

BOOL SplineShape::CurveClosed(TimeValue, int curve) {
    return curve >= 0 && curve < shape.numLines ? shape[curve].IsClosed() : FALSE;
}

void SplineShape::GetLocalBoundBox(TimeValue, INode*, ViewExp*, Box3& box) {
    box = shape.BoundBox();
}

ReferenceTarget* SplineShape::Clone(RemapDir& remap) {
    Object* copy = MakeShallowCopy(ALL_CHANNELS);
    BaseClone(this, copy, remap);
    return copy;
}

IOResult SplineShape::Save(ISave* isave) {
    isave->BeginChunk(kStepsChunk);
    IOResult r = isave->WriteInt(steps);
    isave->EndChunk();
    for (int li = 0; li < shape.numLines && r == IO_OK; ++li) {
        const PolyLine& line = shape[li];
        isave->BeginChunk(kLineChunk);
        r = isave->WriteUInt(line.flags);
        if (r == IO_OK) r = isave->WriteInt(line.numPts);
        for (int i = 0; i < line.numPts && r == IO_OK; ++i) {
            const Point3& p = line[i].p;
            float xyz[3] = {p.x, p.y, p.z};
            r = isave->WriteValue(xyz);
        }
        isave->EndChunk();
    }
    return r;
}

IOResult SplineShape::Load(ILoad* iload) {
    shape.NewShape();
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kStepsChunk) {
            if ((r = iload->ReadInt(steps)) != IO_OK) return r;
        } else if (iload->CurChunkID() == kLineChunk) {
            PolyLine line;
            int n = 0;
            if ((r = iload->ReadUInt(line.flags)) != IO_OK || (r = iload->ReadInt(n)) != IO_OK)
                return r;
            // Each point takes 12 bytes: a count the chunk cannot hold is damage.
            if (n < 0 || static_cast<ULONG>(n) > iload->CurChunkLength() / 12) return IO_ERROR;
            for (int i = 0; i < n; ++i) {
                float xyz[3];
                const ULONG at = iload->CurPosition();
                if ((r = iload->ReadValue(xyz)) != IO_OK) return r;
                if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2]))
                    return iload->Refuse(at, "spline line " + std::to_string(shape.numLines) +
                                                 ", point " + std::to_string(i) +
                                                 ": a coordinate is not finite (NaN or infinite)");
                line.Append(Point3(xyz[0], xyz[1], xyz[2]));
            }
            shape.Append(line);
        }
        iload->CloseChunk();
    }
    return r == IO_END ? IO_OK : r;
}

SplineShape* CreateNewSplineShape() {
    return new SplineShape();
}
