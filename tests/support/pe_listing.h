#pragma once

#include <string>
#include <vector>

#include "simhost/pe_image.h"

// What a mapped image exports and imports, by name. The image is our own build: the lists trust
// its tables.
std::vector<std::string> ExportNames(const MappedImage& image);
std::vector<std::string> ImportedDlls(const MappedImage& image);
// The functions imported from dll (matched without regard to case); "#N" for an ordinal.
std::vector<std::string> ImportedFunctions(const MappedImage& image, const char* dll);

// The file's version resource, empty where it has none; one of its US English strings, empty
// where it lacks it.
std::vector<char> FileVersionInfo(const std::string& path);
std::string VersionString(const std::vector<char>& info, const char* name);
