// The shipped DLL as a file: what it exports and what it needs from the system.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>
#include <set>

#include "host/build_versions.h"
#include "simhost/version_text.h"
#include "tests/support/installation.h"
#include "tests/support/pe_listing.h"
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

// Windows may load it anywhere, high addresses included, and never runs its data. Every test
// loads the plugin away from its base on purpose, so only this sees a DLL that asks otherwise.
TEST_F(BinaryTest, OptsIntoAddressRandomizationAndNoExecuteData) {
    const WORD kExpected = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE |
                           IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA |
                           IMAGE_DLLCHARACTERISTICS_NX_COMPAT;
    EXPECT_EQ(image.nt->OptionalHeader.DllCharacteristics & kExpected, kExpected);
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
        // No data of ours changes at run time. GNU ld marks the import table the loader fills in
        // and the resources writable by itself; lld marks nothing writable.
        if (section->Characteristics & IMAGE_SCN_MEM_WRITE) {
#if defined(__clang__)
            ADD_FAILURE() << name << " is writable";
#else
            EXPECT_TRUE(name == ".idata" || name == ".rsrc") << name << " is writable";
#endif
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

// The image laid out from its file, sections at their RVAs and nothing relocated: what a mapping
// shows depends on where it landed.
std::vector<unsigned char> LaidOutFromFile(const MappedImage& image) {
    const std::string bytes = FileBytes(ProgramDirectory() + "\\Tarnwick.dll");
    std::vector<unsigned char> laidOut(image.size);
    std::memcpy(laidOut.data(), bytes.data(), image.nt->OptionalHeader.SizeOfHeaders);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(image.nt);
    for (WORD i = 0; i < image.nt->FileHeader.NumberOfSections; ++i, ++section) {
        std::memcpy(&laidOut[section->VirtualAddress], &bytes[section->PointerToRawData],
                    std::min(section->SizeOfRawData, section->Misc.VirtualSize));
    }
    return laidOut;
}

ULONGLONG PreferredBase(const std::vector<unsigned char>& laidOut) {
    const LONG headers = reinterpret_cast<const IMAGE_DOS_HEADER*>(laidOut.data())->e_lfanew;
    return reinterpret_cast<const IMAGE_NT_HEADERS64*>(&laidOut[headers])->OptionalHeader.ImageBase;
}

// Loaded as Windows loads it into the game: at another address than its preferred one.
TEST_F(BinaryTest, RunsAwayFromItsPreferredBase) {
    ASSERT_NE(FakedPlugin(), nullptr);
    EXPECT_NE(reinterpret_cast<ULONGLONG>(FakedPlugin()), PreferredBase(LaidOutFromFile(image)));
}

// Windows moves the plugin at every start of the game, so each address the image holds needs a
// relocation, and each relocation must fix such an address.
TEST_F(BinaryTest, RelocationsFixEveryAddressItHolds) {
    const std::vector<unsigned char> laidOut = LaidOutFromFile(image);
    const IMAGE_DATA_DIRECTORY& directory =
        image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    std::set<DWORD> relocated;
    for (DWORD at = directory.VirtualAddress; at < directory.VirtualAddress + directory.Size;) {
        const auto* block = reinterpret_cast<const IMAGE_BASE_RELOCATION*>(&laidOut[at]);
        ASSERT_GT(block->SizeOfBlock, sizeof *block);
        const auto* entries = reinterpret_cast<const WORD*>(block + 1);
        for (DWORD i = 0; i < (block->SizeOfBlock - sizeof *block) / 2; ++i) {
            if (entries[i] >> 12 != IMAGE_REL_BASED_ABSOLUTE) {  // ABSOLUTE only pads a block
                EXPECT_EQ(entries[i] >> 12, IMAGE_REL_BASED_DIR64);
                relocated.insert(block->VirtualAddress + (entries[i] & 0xFFF));
            }
        }
        at += block->SizeOfBlock;
    }
    const ULONGLONG base = PreferredBase(laidOut);
    std::size_t seen = 0;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(image.nt);
    for (WORD i = 0; i < image.nt->FileHeader.NumberOfSections; ++i, ++section) {
        for (DWORD rva = section->VirtualAddress;
             rva + 8 <= section->VirtualAddress + section->Misc.VirtualSize; ++rva) {
            ULONGLONG value;
            std::memcpy(&value, &laidOut[rva], 8);
            seen += relocated.count(rva);
            EXPECT_EQ(value >= base && value < base + image.size, relocated.count(rva) == 1)
                << std::hex << "RVA 0x" << rva;
        }
    }
    EXPECT_EQ(seen, relocated.size()) << "relocations outside every section";
}

struct Instruction {
    DWORD rva;
    DWORD length;
    std::string bytes;  // "ff 25 ea 4e 00 00"
    std::string text;   // "jmp    *0x4eea(%rip)"
};

// The plugin's code as the build's disassembler read it (Tarnwick.dll.asm beside the plugin).
std::vector<Instruction> Disassembly(ULONGLONG base) {
    static const std::regex kLine(R"(^ *([0-9a-f]+):\t([0-9a-f ]+?) *\t(.*)$)");
    std::ifstream file(ProgramDirectory() + "\\Tarnwick.dll.asm");
    std::vector<Instruction> code;
    std::smatch match;
    for (std::string line; std::getline(file, line);) {
        if (std::regex_match(line, match, kLine)) {
            code.push_back({static_cast<DWORD>(std::stoull(match[1], nullptr, 16) - base),
                            static_cast<DWORD>((match[2].length() + 1) / 3), match[2], match[3]});
        }
    }
    return code;
}

// Outside every function only the linker's import jump stubs, padding, and GNU ld's empty
// constructor and destructor lists (-1, then 0) may stand.
bool IsLinkerFiller(const std::vector<unsigned char>& laidOut, const Instruction& instruction) {
    static const std::regex kFiller("ff 25 .*|(nop|xchg   %ax,%ax|int3|cs nopw|data16).*");
    if (std::regex_match(instruction.bytes, kFiller) ||
        std::regex_match(instruction.text, kFiller)) {
        return true;
    }
    std::uint64_t list[2];
    std::memcpy(list, &laidOut[instruction.rva & ~15u], sizeof list);
    return list[0] == ~0ull && list[1] == 0;
}

// Windows finds the guard's handler after a fault, and unwinds to it, by each frame's .pdata
// entry: every function of ours needs one, and every return address must lie inside one.
TEST_F(BinaryTest, UnwindDataCoversTheCode) {
    const std::vector<unsigned char> laidOut = LaidOutFromFile(image);
    const IMAGE_DATA_DIRECTORY& directory =
        image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
    const auto* functions =
        reinterpret_cast<const IMAGE_RUNTIME_FUNCTION_ENTRY*>(&laidOut[directory.VirtualAddress]);
    const auto* end = functions + directory.Size / sizeof *functions;
    const auto covered = [&](DWORD rva) {
        return std::any_of(functions, end, [&](const auto& function) {
            return rva >= function.BeginAddress && rva < function.EndAddress;
        });
    };
    const std::vector<Instruction> code = Disassembly(PreferredBase(laidOut));
    ASSERT_GT(code.size(), 100u);
    for (const Instruction& instruction : code) {
        if (instruction.text.rfind("call", 0) == 0) {
            EXPECT_TRUE(covered(instruction.rva + instruction.length))
                << std::hex << "the return address of the call at RVA 0x" << instruction.rva;
        }
        EXPECT_TRUE(covered(instruction.rva) || IsLinkerFiller(laidOut, instruction))
            << std::hex << "no unwind data at RVA 0x" << instruction.rva << ": "
            << instruction.text;
    }
}

// The compilers' identification strings tell a player nothing.
TEST_F(BinaryTest, CarriesNoCompilerIdentification) {
    const std::string bytes(reinterpret_cast<const char*>(image.base), image.size);
    for (const char* mark : {"GCC: (", "clang version"}) {
        EXPECT_EQ(bytes.find(mark), std::string::npos) << mark;
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
// offset rather than through the struct the plugin is built from. The game version is the one
// the build was configured for.
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
    put32(528, kGameRuntimeVersion);

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

// The file's properties tell the same name, author and version as the record the host reads.
TEST_F(BinaryTest, VersionResourceMatchesTheRecord) {
    DWORD available = 0;
    const auto* record = reinterpret_cast<const SFSEPluginVersionData*>(
        FindExport(image, "SFSEPlugin_Version", &available));
    ASSERT_NE(record, nullptr);
    std::vector<char> info = FileVersionInfo(ProgramDirectory() + "\\Tarnwick.dll");
    ASSERT_FALSE(info.empty());
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
    // The description, which Explorer shows first, names its SFSE: each row's entry checks it.
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
