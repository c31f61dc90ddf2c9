#include "interface.h"

#include <atomic>

namespace {
std::atomic<Interface*> coreInterface{nullptr};
}

Interface* GetCOREInterface() { return coreInterface.load(); }
void SetCOREInterface(Interface* ip) { coreInterface.store(ip); }

INode* Interface::PickNode(HWND, IPoint2, PickNodeCallback*) {
    return nullptr;
}

HWND Interface::AddRollupPage(HINSTANCE, int, DLGPROC, const MCHAR*, LPARAM, DWORD) {
    return nullptr;
}

void Interface::DeleteRollupPage(HWND) {}
