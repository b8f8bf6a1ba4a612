#pragma once

#include <windows.h>

// Points module's import of function from dll at replacement, so every call the module makes
// to it lands there instead. Returns the address the slot held, or null if the module does not
// import that function by name.
void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement);
