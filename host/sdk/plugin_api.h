#pragma once
// The exports every plug-in module offers its host, by name, with C linkage:
//   DLLEXPORT const MCHAR* LibDescription();
//   DLLEXPORT int LibNumberClasses();
//   DLLEXPORT ClassDesc* LibClassDesc(int i);
//   DLLEXPORT ULONG LibVersion();
//   DLLEXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, ULONG fdwReason, LPVOID lpvReserved);
#include "host/sdk/base_types.h"
#include "host/sdk/win32.h"

class ClassDesc;

// The version word of the plug-in interface this host speaks: release 12000,
// interface number 33, SDK revision 0. A module answering anything else is
// refused.
constexpr ULONG HOST_API_VERSION = 0x2EE02100;
constexpr ULONG MakeApiVersion(ULONG release, ULONG api, ULONG sdkRevision) {
    return (release << 16) | (api << 8) | sdkRevision;
}
static_assert(MakeApiVersion(12000, 33, 0) == HOST_API_VERSION);

using LibDescriptionFn = const MCHAR* (*)();
using LibNumberClassesFn = int (*)();
using LibClassDescFn = ClassDesc* (*)(int);
using LibVersionFn = ULONG (*)();
using DllMainFn = BOOL (*)(HINSTANCE, ULONG, LPVOID);

inline constexpr const char* kLibDescriptionExport = "LibDescription";
inline constexpr const char* kLibNumberClassesExport = "LibNumberClasses";
inline constexpr const char* kLibClassDescExport = "LibClassDesc";
inline constexpr const char* kLibVersionExport = "LibVersion";
inline constexpr const char* kDllMainExport = "DllMain";
