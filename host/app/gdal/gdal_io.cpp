// The GDAL side of the host: vector layers in, height rasters out. Built as
// contorra_gdal.so and opened by the host on first use (host/app/gdal_module.h).
#include <cmath>
#include <cstdlib>
#include <exception>
#include <mutex>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "host/app/ascii_lower.h"
#include "host/app/gdal_module.h"
#include "host/app/gis_input.h"
#include "host/app/height_grid_export.h"

namespace contorra {

namespace {

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // Our messages name the file and place; GDAL's own go to the error text.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string Quote(const std::string& s) {
    return "\"" + s + "\"";
}

class LayerReader {
public:
    LayerReader(const GisSource& s, bool needHeights) : source_(s), needHeights_(needHeights) {}

    GisLayer Run() {
        RegisterDrivers();
        const std::string file = source_.file.string();
        CPLErrorReset();
        GDALDatasetUniquePtr ds(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
        if (!ds) {
            const std::string why = CPLGetLastErrorMsg();
            throw GisError(file + ": cannot read the file as GIS vector data" +
                           (why.empty() ? std::string() : " (" + why + ")"));
        }
        OGRLayer* layer = source_.layer.empty()
                              ? (ds->GetLayerCount() > 0 ? ds->GetLayer(0) : nullptr)
                              : ds->GetLayerByName(source_.layer.c_str());
        if (!layer) {
            std::string names;
            for (int i = 0; i < ds->GetLayerCount(); ++i)
                names += (i ? ", " : "") + Quote(ds->GetLayer(i)->GetName());
            throw GisError(file + ": " +
                           (source_.layer.empty()
                                ? std::string("the file has no layer")
                                : "no layer " + Quote(source_.layer) + " (the file has " +
                                      (names.empty() ? "none" : names) + ")"));
        }
        GisLayer out;
        out.name = layer->GetName();
        where_ = file + ": layer " + Quote(out.name);
        if (const OGRSpatialReference* srs = layer->GetSpatialRef()) {
            char* wkt = nullptr;
            if (srs->exportToWkt(&wkt) == OGRERR_NONE && wkt) out.crsWkt = wkt;
            CPLFree(wkt);
        }
        OGRFeatureDefn* defn = layer->GetLayerDefn();
        field_ = -1;
        if (!source_.elevation.empty()) {
            field_ = defn->GetFieldIndex(source_.elevation.c_str());
            if (field_ < 0) {
                std::string names;
                for (int i = 0; i < defn->GetFieldCount(); ++i)
                    names += (i ? ", " : "") + Quote(defn->GetFieldDefn(i)->GetNameRef());
                throw GisError(where_ + ": no attribute " + Quote(source_.elevation) +
                               " (the layer has " + (names.empty() ? "none" : names) + ")");
            }
            const OGRFieldType type = defn->GetFieldDefn(field_)->GetType();
            if (type != OFTInteger && type != OFTInteger64 && type != OFTReal && type != OFTString)
                throw GisError(where_ + ": attribute " + Quote(source_.elevation) +
                               " is not numeric (it holds " + OGRFieldDefn::GetFieldTypeName(type) +
                               " values)");
        }
        layer->ResetReading();
        for (auto& feature : *layer) Feature(*feature, out);
        return out;
    }

private:
    [[noreturn]] void Fail(GIntBig fid, const std::string& problem) const {
        throw GisError(where_ + ": feature " + std::to_string(static_cast<long long>(fid)) + ": " +
                       problem);
    }

    double Height(OGRFeature& f) const {
        const GIntBig fid = f.GetFID();
        if (!f.IsFieldSetAndNotNull(field_))
            Fail(fid, "attribute " + Quote(source_.elevation) + " has no value");
        const OGRFieldType type = f.GetFieldDefnRef(field_)->GetType();
        double z = 0.0;
        if (type == OFTString) {
            const char* text = f.GetFieldAsString(field_);
            char* end = nullptr;
            z = std::strtod(text, &end);
            if (end == text || *end != '\0')
                Fail(fid, "attribute " + Quote(source_.elevation) + " is not a number (" +
                              Quote(text) + ")");
        } else {
            z = f.GetFieldAsDouble(field_);
        }
        if (!std::isfinite(z))
            Fail(fid, "attribute " + Quote(source_.elevation) + " is not finite");
        return z;
    }

    void Feature(OGRFeature& f, GisLayer& out) {
        const OGRGeometry* g = f.GetGeometryRef();
        if (!g) return;
        const bool fromAttribute = field_ >= 0;
        if (!fromAttribute && needHeights_ && !g->Is3D())
            Fail(f.GetFID(), "the geometry is 2D and no elevation attribute is named");
        height_ = fromAttribute ? Height(f) : 0.0;
        useHeight_ = fromAttribute;
        Geometry(f.GetFID(), g, out, false);
    }

    void Geometry(GIntBig fid, const OGRGeometry* g, GisLayer& out, bool hole) {
        switch (wkbFlatten(g->getGeometryType())) {
        case wkbLineString:
        case wkbLinearRing:
            Line(fid, *g->toSimpleCurve(), out, false, false);
            return;
        case wkbPolygon: {
            const OGRPolygon* p = g->toPolygon();
            for (int i = 0; i < p->getNumInteriorRings() + 1; ++i) {
                const OGRLinearRing* ring =
                    i == 0 ? p->getExteriorRing() : p->getInteriorRing(i - 1);
                if (ring) Line(fid, *ring, out, true, hole || i > 0);
            }
            return;
        }
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection: {
            const OGRGeometryCollection* c = g->toGeometryCollection();
            for (int i = 0; i < c->getNumGeometries(); ++i)
                Geometry(fid, c->getGeometryRef(i), out, hole);
            return;
        }
        default:
            if (g->hasCurveGeometry()) {
                std::unique_ptr<OGRGeometry> linear(g->getLinearGeometry());
                if (linear) Geometry(fid, linear.get(), out, hole);
                return;
            }
            Fail(fid,
                 std::string("a ") + g->getGeometryName() + " is neither a line nor a polygon");
        }
    }

    void Line(GIntBig fid, const OGRSimpleCurve& c, GisLayer& out, bool ring, bool hole) {
        GisLine line;
        line.closed = ring;
        line.hole = hole;
        for (int i = 0; i < c.getNumPoints(); ++i) {
            const double x = c.getX(i), y = c.getY(i), z = useHeight_ ? height_ : c.getZ(i);
            if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
                Fail(fid, "point " + std::to_string(i) + " is not finite");
            line.points.push_back({x, y, z});
        }
        // Rings repeat their first point at the end; the spline closes itself.
        if (ring && line.points.size() > 1 && line.points.front() == line.points.back())
            line.points.pop_back();
        if (line.points.size() >= 2) out.lines.push_back(std::move(line));
    }

    const GisSource& source_;
    bool needHeights_;
    std::string where_;
    int field_ = -1;
    double height_ = 0.0;
    bool useHeight_ = false;
};

std::string ReadLayer(const GisSource& source, bool needHeights, GisLayer& out) {
    try {
        out = LayerReader(source, needHeights).Run();
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

bool Extent(const GisSource& source, double box[4]) {
    RegisterDrivers();
    GDALDatasetUniquePtr ds(
        GDALDataset::Open(source.file.string().c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds) return false;
    OGRLayer* layer = source.layer.empty() ? (ds->GetLayerCount() > 0 ? ds->GetLayer(0) : nullptr)
                                           : ds->GetLayerByName(source.layer.c_str());
    OGREnvelope env;
    if (!layer || layer->GetExtent(&env, TRUE) != OGRERR_NONE) return false;
    box[0] = env.MinX;
    box[1] = env.MinY;
    box[2] = env.MaxX;
    box[3] = env.MaxY;
    return true;
}

std::string RasterDriverFor(const std::string& extension) {
    RegisterDrivers();
    GDALDriverManager* dm = GetGDALDriverManager();
    for (int i = 0; i < dm->GetDriverCount(); ++i) {
        GDALDriver* d = dm->GetDriver(i);
        if (!d->GetMetadataItem(GDAL_DCAP_RASTER)) continue;
        if (!d->GetMetadataItem(GDAL_DCAP_CREATE) && !d->GetMetadataItem(GDAL_DCAP_CREATECOPY))
            continue;
        const char* exts = d->GetMetadataItem(GDAL_DMD_EXTENSIONS);
        if (!exts) continue;
        const std::string list = " " + AsciiLower(exts) + " ";
        if (list.find(" " + extension + " ") != std::string::npos) return d->GetDescription();
    }
    return {};
}

std::string WriteRaster(const HeightRaster& r, const std::string& crsWkt, const std::string& driver,
                        const std::string& file) {
    RegisterDrivers();
    GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* out = GetGDALDriverManager()->GetDriverByName(driver.c_str());
    if (!mem || !out) return "GDAL has no " + driver;
    GDALDatasetUniquePtr ds(mem->Create("", r.columns, r.rows, 1, GDT_Float64, nullptr));
    if (!ds) return "cannot make the height grid in memory";
    double gt[6] = {r.left, r.cell, 0.0, r.top, 0.0, -r.cell};
    ds->SetGeoTransform(gt);
    if (!crsWkt.empty()) {
        OGRSpatialReference srs;
        if (srs.importFromWkt(crsWkt.c_str()) == OGRERR_NONE) ds->SetSpatialRef(&srs);
    }
    GDALRasterBand* band = ds->GetRasterBand(1);
    band->SetNoDataValue(kNoData);
    if (band->RasterIO(GF_Write, 0, 0, r.columns, r.rows, const_cast<double*>(r.heights.data()),
                       r.columns, r.rows, GDT_Float64, 0, 0) != CE_None)
        return "cannot fill the height grid";
    CPLErrorReset();
    GDALDataset* copy = out->CreateCopy(file.c_str(), ds.get(), FALSE, nullptr, nullptr, nullptr);
    if (copy) GDALClose(copy);
    if (!copy || CPLGetLastErrorType() >= CE_Failure)
        return std::string("cannot write the height grid (") + CPLGetLastErrorMsg() + ")";
    return {};
}

const GdalModule kModule = {ReadLayer, Extent, RasterDriverFor, WriteRaster};

} // namespace

} // namespace contorra

extern "C" __attribute__((visibility("default"))) const contorra::GdalModule* ContorraGdalModule() {
    return &contorra::kModule;
}
