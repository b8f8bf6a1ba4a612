// The shipped DLL as a file: what it exports and what it needs from the system.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "simhost/pe_image.h"
#include "tests/support/platform_fakes.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    for (std::string& name : names) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BinaryTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(MapImage(ProgramDirectory() + "\\Tarnwick.dll", &image, &error)) << error;
    }
    void TearDown() override { UnmapImage(&image); }
    MappedImage image;
};

TEST_F(BinaryTest, IsAnAmd64Dll) {
    EXPECT_TRUE(IsAmd64(image));
    EXPECT_NE(image.nt->FileHeader.Characteristics & IMAGE_FILE_DLL, 0);
}

// Nothing of the module runs unless the host calls it: no entry point, no TLS callbacks, no
// constructors (which, with no runtime start-up, would also silently never run).
TEST_F(BinaryTest, RunsNothingOfItsOwnAtLoad) {
    EXPECT_EQ(image.nt->OptionalHeader.AddressOfEntryPoint, 0u);
    const IMAGE_DATA_DIRECTORY& tls =
        image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
    EXPECT_EQ(tls.VirtualAddress | tls.Size, 0u);

    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(image.nt);
    for (WORD i = 0; i < image.nt->FileHeader.NumberOfSections; ++i, ++section) {
        const std::string name(reinterpret_cast<const char*>(section->Name),
                               strnlen(reinterpret_cast<const char*>(section->Name), 8));
        for (const char* runtimeSection : {".CRT", ".tls", ".ctors", ".dtors"}) {
            EXPECT_NE(name, runtimeSection);
        }
        // Only what the linker marks writable by itself: the import table the loader fills in
        // (GNU ld) and the resources (GNU ld). No data of ours changes at run time.
        if (section->Characteristics & IMAGE_SCN_MEM_WRITE) {
            EXPECT_TRUE(name == ".idata" || name == ".rsrc") << name << " is writable";
        }
        // The linkers lay out each constructor and destructor list as -1, the entries, then 0.
        // Every such list must be empty.
        const unsigned char* bytes = image.base + section->VirtualAddress;
        const std::uint64_t kListStart = ~0ull;
        for (DWORD at = 0; at + 16 <= section->Misc.VirtualSize; at += 8) {
            std::uint64_t word, next;
            std::memcpy(&word, bytes + at, 8);
            std::memcpy(&next, bytes + at + 8, 8);
            EXPECT_TRUE(word != kListStart || next == 0)
                << "a constructor or destructor in " << name << " at +" << at;
        }
    }
}

TEST_F(BinaryTest, FitsTheSizeBudget) {
    WIN32_FILE_ATTRIBUTE_DATA file;
    ASSERT_TRUE(GetFileAttributesExA((ProgramDirectory() + "\\Tarnwick.dll").c_str(),
                                     GetFileExInfoStandard, &file));
    EXPECT_EQ(file.nFileSizeHigh, 0u);
    EXPECT_LE(file.nFileSizeLow, 8192u);
}

TEST_F(BinaryTest, ExportsExactlyTheHostEntries) {
    EXPECT_EQ(Sorted(ExportNames(image)), Sorted({"SFSEPlugin_Preload", "SFSEPlugin_Version"}));
}

// The record's bytes as the host copies them out of the mapped image, spelled out here by
// offset rather than through the struct the plugin is built from.
TEST_F(BinaryTest, VersionRecordAsTheHostReadsIt) {
    unsigned char expected[604] = {};
    const auto put32 = [&](std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            expected[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put32(0, 1);
    put32(4, 1);
    std::memcpy(expected + 8, "Tarnwick", 8);
    std::memcpy(expected + 264, "Velkor42", 8);
    put32(520, 1);
    put32(524, 1);
    put32(528, 0x010F0DE0);

    DWORD available = 0;
    const unsigned char* record = FindExport(image, "SFSEPlugin_Version", &available);
    ASSERT_NE(record, nullptr);
    ASSERT_GE(available, sizeof expected);
    for (std::size_t i = 0; i < sizeof expected; ++i) {
        EXPECT_EQ(record[i], expected[i]) << "byte " << i;
    }
}

// The record is constant data: it lies in a section that is neither code nor writable.
TEST_F(BinaryTest, VersionRecordIsReadOnlyData) {
    DWORD available = 0;
    const unsigned char* record = FindExport(image, "SFSEPlugin_Version", &available);
    ASSERT_NE(record, nullptr);
    const auto rva = static_cast<DWORD>(record - image.base);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(image.nt);
    const IMAGE_SECTION_HEADER* holder = nullptr;
    for (WORD i = 0; i < image.nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (rva >= section->VirtualAddress &&
            rva + 604 <= section->VirtualAddress + section->Misc.VirtualSize) {
            holder = section;
        }
    }
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->Characteristics & (IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_MEM_WRITE), 0u)
        << reinterpret_cast<const char*>(holder->Name);
}

std::string VersionString(const std::vector<char>& info, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), &value, &length) || length == 0) return "";
    return static_cast<const char*>(value);
}

// The file's properties tell the same name, author and version as the record the host reads.
TEST_F(BinaryTest, VersionResourceMatchesTheRecord) {
    DWORD available = 0;
    const auto* record = reinterpret_cast<const SFSEPluginVersionData*>(
        FindExport(image, "SFSEPlugin_Version", &available));
    ASSERT_NE(record, nullptr);
    const std::string path = ProgramDirectory() + "\\Tarnwick.dll";
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));

    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), record->pluginVersion);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(VersionString(info, "FileVersion"), version);
    EXPECT_EQ(VersionString(info, "ProductVersion"), version);
    EXPECT_EQ(VersionString(info, "ProductName"), record->name);
    EXPECT_EQ(VersionString(info, "CompanyName"), record->author);
    EXPECT_FALSE(VersionString(info, "FileDescription").empty());
}

// Only DLLs that every Windows installation ships, and only the calls the plugin means to make.
TEST_F(BinaryTest, ImportsExactlyWhatItCalls) {
    const struct {
        const char* dll;
        std::vector<std::string> functions;
    } kExactImports[] = {
        {"kernel32.dll",
         {"CloseHandle", "CreateThread", "FreeLibrary", "FreeLibraryAndExitThread",
          "GetModuleFileNameA", "GetModuleHandleExA", "Sleep", "lstrlenA"}},
#if defined(__clang__)
        // Clang clears the path buffer with a call where GCC writes the zeros inline.
        {"msvcrt.dll", {"_vsnprintf", "memset"}},
#else
        {"msvcrt.dll", {"_vsnprintf"}},
#endif
        {"user32.dll", {"MessageBoxA"}},
        {"shell32.dll", {"ShellExecuteA"}},
        {"ole32.dll", {"CoInitializeEx", "CoUninitialize"}},
    };
    std::vector<std::string> dlls;
    for (const auto& expected : kExactImports) {
        dlls.push_back(expected.dll);
        EXPECT_EQ(Sorted(ImportedFunctions(image, expected.dll)), Sorted(expected.functions))
            << expected.dll;
    }
    EXPECT_EQ(Sorted(ImportedDlls(image)), Sorted(dlls));
}

}  // namespace
