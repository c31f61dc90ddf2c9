#include "app/table.h"

#include <algorithm>
#include <cstdio>

void Table::Print(std::ostream& out) const {
    std::vector<std::size_t> width;
    for (const auto& row : rows_)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (width.size() <= c) width.push_back(0);
            width[c] = std::max(width[c], row[c].size());
        }
    for (const auto& row : rows_) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(width[c] - row[c].size() + 2, ' ');
        }
        out << line << "\n";
    }
}

std::string Quoted(const char* s) {
    std::string out = "\"";
    for (const char* p = s ? s : ""; *p; ++p) {
        if (*p == '"' || *p == '\\') out += '\\';
        out += *p;
    }
    return out + "\"";
}

std::string Hex32(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", v & 0xFFFFFFFFul);
    return buf;
}

std::string SuperClassText(SClass_ID sclass) {
    const char* name = "other";
    switch (sclass) {
    case GEOMOBJECT_CLASS_ID:
        name = "geometric object";
        break;
    case SHAPE_CLASS_ID:
        name = "shape";
        break;
    case HELPER_CLASS_ID:
        name = "helper";
        break;
    case OSM_CLASS_ID:
        name = "modifier";
        break;
    case WSM_CLASS_ID:
        name = "world-space modifier";
        break;
    case MATERIAL_CLASS_ID:
        name = "material";
        break;
    case TEXMAP_CLASS_ID:
        name = "texture map";
        break;
    case GEN_DERIVOB_CLASS_ID:
        name = "modifier stack";
        break;
    case WSM_DERIVOB_CLASS_ID:
        name = "world-space modifier stack";
        break;
    case BASENODE_CLASS_ID:
        name = "node";
        break;
    case PARAMETER_BLOCK2_CLASS_ID:
        name = "parameter block";
        break;
    default:
        break;
    }
    return Hex32(sclass) + " " + name;
}

std::string ClassIdText(const Class_ID& cid) {
    // Appended, not "(" + ...: GCC 12 at -O3 warns falsely (-Wrestrict) on that.
    std::string text = "(";
    text += Hex32(cid.PartA());
    text += ", ";
    text += Hex32(cid.PartB());
    return text + ")";
}
