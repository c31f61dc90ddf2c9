#include "host/sdk/io.h"

IOResult ISave::WriteCString(const char* str) {
    if (!str) str = "";
    ULONG len = static_cast<ULONG>(std::strlen(str)) + 1;
    ULONG n = 0;
    IOResult r = Write(str, len, &n);
    return r == IO_OK && n == len ? IO_OK : IO_ERROR;
}

IOResult ILoad::ReadCString(std::string& out) {
    out.clear();
    for (;;) {
        char c = 0;
        ULONG n = 0;
        if (Read(&c, 1, &n) != IO_OK || n != 1) return IO_ERROR;
        if (c == '\0') return IO_OK;
        out.push_back(c);
    }
}

IOResult ILoad::ReadCStringChunk(char** buf) {
    IOResult r = ReadCString(text_);
    if (buf) *buf = text_.data();
    return r;
}
