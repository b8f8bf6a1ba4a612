#pragma once

#include <windows.h>

#include <string>

// Loads a DLL as Windows loads a plugin into the game: away from the preferred base in its
// header, so that it runs only as well as its relocations let it. Windows relocates every image
// that allows it at each start (ASLR); Wine, left alone, keeps the preferred base. The range is
// held only while the loader places the image. The result and the last error are LoadLibraryA's.
HMODULE LoadRelocated(const std::string& path);

// The two halves of LoadRelocated, for timing the load alone: holds the preferred range of the
// image at path (null if it could not be held: nothing to release), and releases it.
void* HoldPreferredRange(const std::string& path);
void ReleasePreferredRange(void* held);
