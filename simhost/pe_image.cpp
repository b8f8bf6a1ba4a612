#include "simhost/pe_image.h"

#include <cstring>

namespace {

// Bounds-checked view of count objects of type T at rva, or null.
template <typename T>
const T* At(const MappedImage& image, DWORD rva, DWORD count = 1) {
    const unsigned long long end = rva + static_cast<unsigned long long>(count) * sizeof(T);
    if (image.base == nullptr || end > image.size) {
        return nullptr;
    }
    return reinterpret_cast<const T*>(image.base + rva);
}

// A zero-terminated string at rva that ends inside the image, or null.
const char* StringAt(const MappedImage& image, DWORD rva) {
    if (image.base == nullptr || rva >= image.size) {
        return nullptr;
    }
    const char* text = reinterpret_cast<const char*>(image.base + rva);
    return std::memchr(text, '\0', image.size - rva) != nullptr ? text : nullptr;
}

const IMAGE_DATA_DIRECTORY* Directory(const MappedImage& image, int index) {
    if (image.nt == nullptr ||
        image.nt->OptionalHeader.NumberOfRvaAndSizes <= static_cast<DWORD>(index)) {
        return nullptr;
    }
    const IMAGE_DATA_DIRECTORY* directory = &image.nt->OptionalHeader.DataDirectory[index];
    return directory->VirtualAddress != 0 ? directory : nullptr;
}

}  // namespace

bool MapImage(const std::string& path, MappedImage* image, std::string* error, DWORD* errorCode) {
    *image = MappedImage{};
    if (errorCode != nullptr) *errorCode = 0;
    image->handle = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (image->handle == nullptr) {
        const DWORD code = GetLastError();
        *error = "not a loadable image (error " + std::to_string(code) + ")";
        if (errorCode != nullptr) *errorCode = code;
        return false;
    }
    // The low bits of a resource mapping's handle mark it as such; the rest is the base.
    image->base = reinterpret_cast<const unsigned char*>(
        reinterpret_cast<ULONG_PTR>(image->handle) & ~static_cast<ULONG_PTR>(3));
    MEMORY_BASIC_INFORMATION headerRegion;
    if (VirtualQuery(image->base, &headerRegion, sizeof headerRegion) == 0) {
        *error = "mapping cannot be queried";
        UnmapImage(image);
        return false;
    }
    image->size = static_cast<DWORD>(headerRegion.RegionSize);
    const auto* dos = At<IMAGE_DOS_HEADER>(*image, 0);
    const auto* nt = dos && dos->e_magic == IMAGE_DOS_SIGNATURE && dos->e_lfanew > 0
                         ? At<IMAGE_NT_HEADERS64>(*image, static_cast<DWORD>(dos->e_lfanew))
                         : nullptr;
    if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        *error = "not a PE32+ image";
        UnmapImage(image);
        return false;
    }
    image->nt = nt;
    image->size = nt->OptionalHeader.SizeOfImage;
    return true;
}

void UnmapImage(MappedImage* image) {
    if (image->handle != nullptr) {
        FreeLibrary(image->handle);
    }
    *image = MappedImage{};
}

bool IsAmd64(const MappedImage& image) {
    return image.nt != nullptr && image.nt->FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64;
}

const unsigned char* FindExport(const MappedImage& image, const char* name, DWORD* available,
                                bool* outside) {
    bool ignored = false;
    bool& stray = outside ? *outside : ignored;
    stray = false;
    const IMAGE_DATA_DIRECTORY* directory = Directory(image, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (directory == nullptr) {
        return nullptr;
    }
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(image, directory->VirtualAddress);
    if (exports == nullptr) {
        stray = true;
        return nullptr;
    }
    const DWORD count = exports->NumberOfNames;
    const auto* names = At<DWORD>(image, exports->AddressOfNames, count);
    const auto* ordinals = At<WORD>(image, exports->AddressOfNameOrdinals, count);
    const auto* functions =
        At<DWORD>(image, exports->AddressOfFunctions, exports->NumberOfFunctions);
    if (names == nullptr || ordinals == nullptr || functions == nullptr) {
        stray = true;
        return nullptr;
    }
    for (DWORD i = 0; i < count; ++i) {
        const char* exportName = StringAt(image, names[i]);
        if (exportName == nullptr) {
            stray = true;
            return nullptr;
        }
        if (std::strcmp(exportName, name) != 0) {
            continue;
        }
        // An ordinal past the table, or an address past the image, sends a reader elsewhere.
        if (ordinals[i] >= exports->NumberOfFunctions || functions[ordinals[i]] >= image.size) {
            stray = true;
            return nullptr;
        }
        const DWORD rva = functions[ordinals[i]];
        if (rva == 0) {
            return nullptr;
        }
        *available = image.size - rva;
        return image.base + rva;
    }
    return nullptr;
}
