#pragma once

#include <windows.h>

#include <string>

// A DLL mapped as an image resource: laid out as the loader lays out an image, but none of its
// code runs and nothing in it is resolved, so GetProcAddress does not work on it. Every read
// below checks its bounds against the image, so a broken file cannot crash the reader.
struct MappedImage {
    HMODULE handle = nullptr;                // as LoadLibraryExA returned it
    const unsigned char* base = nullptr;     // the handle with its flag bits masked off
    DWORD size = 0;                          // SizeOfImage
    const IMAGE_NT_HEADERS64* nt = nullptr;  // null when the headers are not PE32+
};

// Maps path. False, with *error saying why, if it cannot be mapped or is not a PE32+ image;
// *errorCode, if given, is the system's error code when mapping failed and 0 otherwise.
bool MapImage(const std::string& path, MappedImage* image, std::string* error,
              DWORD* errorCode = nullptr);
void UnmapImage(MappedImage* image);

bool IsAmd64(const MappedImage& image);

// The export named name and how many bytes of the image follow it, or null if there is none.
// *outside, if given, is set when finding it took a read that the checks refused because it
// lay outside the image: a host reading without such checks could fault there.
const unsigned char* FindExport(const MappedImage& image, const char* name, DWORD* available,
                                bool* outside = nullptr);
