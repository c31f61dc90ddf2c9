#include "interface.h"

#include <atomic>

namespace {
std::atomic<Interface*> coreInterface{nullptr};
}

Interface* GetCOREInterface() { return coreInterface.load(); }
void SetCOREInterface(Interface* ip) { coreInterface.store(ip); }
