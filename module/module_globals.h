#pragma once
// What the whole module shares: its instance handle and its string loader.
#include "host/sdk/win32.h"

// Set by the entry point on process attach; null until then.
extern HINSTANCE hInstance;

// String id of the module's string table, in one buffer that each call
// overwrites; null without an instance handle or when the string is missing.
MCHAR* GetString(int id);
