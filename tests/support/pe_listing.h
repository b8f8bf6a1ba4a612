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
