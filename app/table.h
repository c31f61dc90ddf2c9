#pragma once
// Plain-text output helpers of the subcommands.
#include <ostream>
#include <string>
#include <vector>

#include "host/sdk/class_id.h"

// Columns padded to their widest cell, two spaces apart.
class Table {
public:
    explicit Table(std::vector<std::string> header) : rows_{std::move(header)} {}
    void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    void Print(std::ostream& out) const;

private:
    std::vector<std::vector<std::string>> rows_;
};

std::string Quoted(const char* s);
std::string Hex32(unsigned long v);
// "0x00000010 geometric object".
std::string SuperClassText(SClass_ID sclass);
// "(0x14EC440D, 0x700C139B)".
std::string ClassIdText(const Class_ID& cid);
