#include "tests/support/pe_listing.h"

namespace {

template <typename T>
const T* At(const MappedImage& image, ULONGLONG rva) {
    return reinterpret_cast<const T*>(image.base + rva);
}

const IMAGE_DATA_DIRECTORY& Directory(const MappedImage& image, int index) {
    return image.nt->OptionalHeader.DataDirectory[index];
}

const IMAGE_IMPORT_DESCRIPTOR* Imports(const MappedImage& image) {
    return At<IMAGE_IMPORT_DESCRIPTOR>(
        image, Directory(image, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
}

}  // namespace

std::vector<std::string> ExportNames(const MappedImage& image) {
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(
        image, Directory(image, IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    std::vector<std::string> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        result.push_back(At<char>(image, At<DWORD>(image, exports->AddressOfNames)[i]));
    }
    return result;
}

std::vector<std::string> ImportedDlls(const MappedImage& image) {
    std::vector<std::string> result;
    for (const auto* descriptor = Imports(image); descriptor->Name != 0; ++descriptor) {
        result.push_back(At<char>(image, descriptor->Name));
    }
    return result;
}

std::vector<std::string> ImportedFunctions(const MappedImage& image, const char* dll) {
    std::vector<std::string> result;
    for (const auto* descriptor = Imports(image); descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(At<char>(image, descriptor->Name), dll) != 0) {
            continue;
        }
        for (const auto* thunk = At<IMAGE_THUNK_DATA64>(image, descriptor->OriginalFirstThunk);
             thunk->u1.AddressOfData != 0; ++thunk) {
            result.push_back(IMAGE_SNAP_BY_ORDINAL64(thunk->u1.Ordinal)
                                 ? "#" + std::to_string(IMAGE_ORDINAL64(thunk->u1.Ordinal))
                                 : At<IMAGE_IMPORT_BY_NAME>(image, thunk->u1.AddressOfData)->Name);
        }
    }
    return result;
}

std::vector<char> FileVersionInfo(const std::string& path) {
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
    if (!info.empty() &&
        !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
        info.clear();
    }
    return info;
}

std::string VersionString(const std::vector<char>& info, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (info.empty() || !VerQueryValueA(info.data(), key.c_str(), &value, &length) || length == 0) {
        return "";
    }
    return static_cast<const char*>(value);
}
