#include "simhost/relocated_load.h"

namespace {

// The image's preferred base and size, from the headers at the start of its file.
bool ReadPreferredRange(const std::string& path, ULONGLONG* base, DWORD* size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    unsigned char headers[4096] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(file, headers, sizeof headers, &read, nullptr);
    CloseHandle(file);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(headers);
    if (!ok || read < sizeof *dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
        static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > read) {
        return false;
    }
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(headers + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        return false;
    }
    *base = nt->OptionalHeader.ImageBase;
    *size = nt->OptionalHeader.SizeOfImage;
    return true;
}

}  // namespace

void* HoldPreferredRange(const std::string& path) {
    ULONGLONG base = 0;
    DWORD size = 0;
    if (!ReadPreferredRange(path, &base, &size) || size == 0) {
        return nullptr;
    }
    // Fails harmlessly when something already lies there: the loader must move the image anyway.
    return VirtualAlloc(reinterpret_cast<void*>(base), size, MEM_RESERVE, PAGE_NOACCESS);
}

void ReleasePreferredRange(void* held) {
    if (held != nullptr) {
        VirtualFree(held, 0, MEM_RELEASE);
    }
}

HMODULE LoadRelocated(const std::string& path) {
    void* held = HoldPreferredRange(path);
    HMODULE module = LoadLibraryA(path.c_str());
    const DWORD error = GetLastError();
    ReleasePreferredRange(held);
    SetLastError(error);
    return module;
}
