#include "module/module_globals.h"

HINSTANCE hInstance = nullptr;

namespace {
char StringBuffer[256];
}

MCHAR* GetString(int id) {
    if (!hInstance) return nullptr;
    if (LoadStringA(hInstance, static_cast<UINT>(id), StringBuffer, sizeof StringBuffer) > 0)
        return StringBuffer;
    return nullptr;
}
