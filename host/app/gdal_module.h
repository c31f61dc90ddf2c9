#pragma once
// GDAL and the hundred libraries it needs take longer to load than a whole
// small build, so they live in a module of their own (contorra_gdal.so,
// beside the program) that the host opens on its first GIS read or raster
// write. The module is reached through this table only; each call reports
// failure as a message, empty on success, so no exception crosses it.
#include <string>

namespace contorra {

struct GisSource;
struct GisLayer;
struct HeightRaster;

struct GdalModule {
    // The layer's lines (see ReadGisLayer); the message is a GisError's.
    std::string (*readLayer)(const GisSource& source, bool needHeights, GisLayer& out);
    // min x, min y, max x, max y of the layer; false when unreadable.
    bool (*extent)(const GisSource& source, double box[4]);
    // The raster driver that creates files of this extension (no dot); empty if none.
    std::string (*rasterDriverFor)(const std::string& extension);
    // Writes the raster to file with the named driver; the message says why not.
    std::string (*writeRaster)(const HeightRaster& raster, const std::string& crsWkt,
                               const std::string& driver, const std::string& file);
};

// The module's one export.
using GdalModuleEntry = const GdalModule* (*)();
inline constexpr const char* kGdalModuleEntry = "ContorraGdalModule";
inline constexpr const char* kGdalModuleFile = "contorra_gdal.so";

// The module, opened on first use from the running program's folder.
// Throws std::runtime_error naming the file when it cannot be opened.
const GdalModule& Gdal();

} // namespace contorra
