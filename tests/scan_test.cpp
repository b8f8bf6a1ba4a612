// The simulated host's scan phase: the version record checks, and files that are no plugin.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>

#include "host/build_versions.h"
#include "simhost/entry_phase.h"
#include "simhost/scan_phase.h"
#include "simhost/summary_box.h"
#include "tests/support/installation.h"
#include "tests/support/platform_fakes.h"

namespace {

constexpr std::uint32_t kHost = kRequiredSfseVersion;
constexpr std::uint32_t kRuntime = kGameRuntimeVersion;

SFSEPluginVersionData Record(std::uint32_t addressFlags, std::uint32_t structureFlags) {
    SFSEPluginVersionData record = {};
    record.dataVersion = 1;
    std::snprintf(record.name, sizeof record.name, "Sample");
    record.addressIndependence = addressFlags;
    record.structureIndependence = structureFlags;
    return record;
}

TEST(ScanTest, VersionRecordChecks) {
    const char* kBadData = "disabled, bad version data";
    const char* kNoName = "disabled, no name specified";
    const char* kWrongGame = "disabled, incompatible with current version of the game";
    const char* kNewerHost = "disabled, requires newer script extender";
    struct Case {
        const char* name;
        SFSEPluginVersionData record;
        const char* failure;
    };
    std::vector<Case> cases = {
        {"independent", Record(1, 1), nullptr},
        {"independent by bits 2 and 3", Record(4, 8), nullptr},
        {"tied to structures", Record(1, 0), kWrongGame},
        {"tied to addresses", Record(2, 1), kWrongGame},
    };
    Case listed = {"lists the running game", Record(0, 0), nullptr};
    listed.record.compatibleVersions[0] = kRuntime - 0x10;
    listed.record.compatibleVersions[1] = kRuntime;
    cases.push_back(listed);
    Case afterEnd = {"runtime listed after the end", Record(0, 0), kWrongGame};
    afterEnd.record.compatibleVersions[1] = kRuntime;
    cases.push_back(afterEnd);
    Case breaking = {"breaking change", Record(1, 1), kWrongGame};
    breaking.record.reservedBreaking = 1;
    cases.push_back(breaking);
    Case badData = {"layout 0", Record(1, 1), kBadData};
    badData.record.dataVersion = 0;
    cases.push_back(badData);
    Case noName = {"no name", Record(1, 1), kNoName};
    noName.record.name[0] = '\0';
    cases.push_back(noName);
    Case newerHost = {"needs the next host", Record(1, 1), kNewerHost};
    newerHost.record.seVersionRequired = kHost + 0x10;
    cases.push_back(newerHost);
    Case sameHost = {"needs this host", Record(1, 1), nullptr};
    sameHost.record.seVersionRequired = kHost;
    cases.push_back(sameHost);

    for (const Case& c : cases) {
        const char* failure = CheckVersionRecord(c.record, kRuntime, kHost);
        EXPECT_STREQ(failure, c.failure) << c.name;
    }
}

// A failed plugin's line in the host's summary box, and which failures the box lists.
TEST(ScanTest, SummaryLines) {
    const struct {
        std::uint32_t version;
        bool hasErrorCode;
        DWORD errorCode;
        const char* line;
    } kCases[] = {
        {0, false, 0, "p.dll: couldn't load plugin"},
        {1, false, 0, "p.dll v1: couldn't load plugin"},
        {0x00FFFFFF, true, 0x7E, "p.dll v16777215: couldn't load plugin (0000007E)"},
        {PackVersion(1, 2, 3, 4), true, 0xC1, "p.dll v1.2.3.4: couldn't load plugin (000000C1)"},
    };
    for (const auto& c : kCases) {
        PluginEntry plugin;
        plugin.fileName = "p.dll";
        plugin.pluginVersion = c.version;
        plugin.failure = Failure{"couldn't load plugin"};
        if (c.hasErrorCode) plugin.failure->errorCode = c.errorCode;
        EXPECT_EQ(FailureLine(plugin), c.line);
    }
    PluginEntry kept, unlisted;
    unlisted.failure = Failure{"no version data", std::nullopt, false};
    EXPECT_EQ(SummaryText({kept, unlisted}), "");
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The plugin's file with its export directory, and the table of export addresses, changed by
// patch. The loader still maps it, so only the export walk's own bounds checks stand between
// such a file and a crash.
template <typename Patch>
std::string WithExports(std::string image, Patch patch) {
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        image.data() + reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data())->e_lfanew);
    const auto at = [&](DWORD rva) -> char* {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
        for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress &&
                rva < section->VirtualAddress + section->SizeOfRawData) {
                return &image[rva - section->VirtualAddress + section->PointerToRawData];
            }
        }
        return nullptr;
    };
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(
        at(headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress));
    patch(*exports, reinterpret_cast<DWORD*>(at(exports->AddressOfFunctions)),
          headers->OptionalHeader.SizeOfImage);
    return image;
}

// Just the headers of a 32-bit DLL, which the host can map but never load.
std::string Image32() {
    std::string file(512, '\0');
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(&file[0]);
    dos->e_magic = IMAGE_DOS_SIGNATURE;
    dos->e_lfanew = sizeof *dos;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS32*>(&file[sizeof *dos]);
    nt->Signature = IMAGE_NT_SIGNATURE;
    nt->FileHeader = {IMAGE_FILE_MACHINE_I386,
                      0,
                      0,
                      0,
                      0,
                      sizeof nt->OptionalHeader,
                      IMAGE_FILE_DLL | IMAGE_FILE_EXECUTABLE_IMAGE};
    nt->OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    nt->OptionalHeader.SectionAlignment = nt->OptionalHeader.SizeOfImage = 0x1000;
    nt->OptionalHeader.FileAlignment = nt->OptionalHeader.SizeOfHeaders = 0x200;
    return file;
}

// Files that are no plugin are reported and skipped, and the scan goes on to the next one.
TEST(ScanTest, BrokenFilesAreSkipped) {
    const std::string folder = TempFolder("scan");
    const std::string plugin = FileBytes(ProgramDirectory() + "\\Tarnwick.dll");
    ASSERT_GT(plugin.size(), 4096u);
    std::string garbage(8192, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7919 % 251);
    std::string badOffset = plugin.substr(0, 4096);
    badOffset[0x3C] = '\x7F';  // e_lfanew far past the headers
    badOffset[0x3F] = '\x7F';
    std::string otherMachine = plugin;
    const std::uint16_t arm64 = IMAGE_FILE_MACHINE_ARM64;
    std::memcpy(&otherMachine[static_cast<unsigned char>(plugin[0x3C]) + 4], &arm64, 2);

    const char* kNotAnImage = "couldn't load plugin";
    const char* kBroken = "disabled, broken image";
    const std::string namesFarAway =
        WithExports(plugin, [](IMAGE_EXPORT_DIRECTORY& exports, DWORD*, DWORD) {
            exports.NumberOfNames = 0x7FFFFFFF;
            exports.AddressOfNames = 0xFFFFFF00;
        });
    const std::string recordPastTheEnd =
        WithExports(plugin, [](IMAGE_EXPORT_DIRECTORY& exports, DWORD* addresses, DWORD size) {
            for (DWORD i = 0; i < exports.NumberOfFunctions; ++i) addresses[i] = size - 8;
        });
    // In the order the host takes them, as NTFS lists them: by name, upper-cased.
    const struct {
        const char* file;
        std::string bytes;
        const char* failure;  // the host's reason, as a pattern; null: kept
    } kFiles[] = {
        {"a_empty.dll", "", kNotAnImage},
        {"B_garbage.dll", garbage, kNotAnImage},
        {"c_truncated.dll", plugin.substr(0, plugin.size() / 2), kNotAnImage},
        {"d_headers_only.dll", plugin.substr(0, 1024), kNotAnImage},
        {"e_bad_offset.dll", badOffset, kNotAnImage},
        {"f_no_record.dll", FileBytes(ProgramDirectory() + "\\empty_plugin.dll"),
         "no version data"},
        {"g_bad_exports.dll", namesFarAway, kBroken},
        {"g_record_past_the_end.dll", recordPastTheEnd, kBroken},
        // Windows maps another machine's image and the machine check refuses it; Wine already
        // refuses to map it.
        {"hx_other_machine.dll", otherMachine,
         "32-bit plugins can never work|couldn't load plugin"},
        {"h_x86.dll", Image32(), "32-bit plugins can never work"},
        {"i_tarnwick.dll", plugin, nullptr},
        {"j_faults_in_preload.dll", FileBytes(ProgramDirectory() + "\\faulting_plugin.dll"),
         nullptr},
        {"k_overflows_in_preload.dll", FileBytes(ProgramDirectory() + "\\overflowing_plugin.dll"),
         nullptr},
    };
    for (std::size_t i = std::size(kFiles); i-- > 0;) {
        WriteFile(folder + "\\" + kFiles[i].file, kFiles[i].bytes);
    }
    std::vector<PluginEntry> plugins = FindPlugins(folder);
    ASSERT_EQ(plugins.size(), std::size(kFiles));
    RunScanPhase(kRuntime, kHost, plugins);

    for (std::size_t i = 0; i < plugins.size(); ++i) {
        EXPECT_EQ(plugins[i].fileName, kFiles[i].file);
        const std::string failure = plugins[i].failure ? plugins[i].failure->reason : "";
        EXPECT_TRUE(
            std::regex_match(failure, std::regex(kFiles[i].failure ? kFiles[i].failure : "")))
            << kFiles[i].file << ": " << failure;
    }
    // The plugins that fault, or use up their stack, are each dropped and unloaded, and the phase
    // goes on after each; the others are not preloaded here.
    std::vector<PluginEntry> faulting(plugins.end() - 2, plugins.end());
    RunEntryPhase(kPreloadEntry, HostInterface(kHost, kRuntime), faulting);
    for (const PluginEntry& entry : faulting) {
        ASSERT_TRUE(entry.failure) << entry.fileName;
        EXPECT_EQ(entry.failure->reason, "disabled, fatal error occurred while loading plugin");
        EXPECT_EQ(GetModuleHandleA(entry.path.c_str()), nullptr) << entry.fileName;
    }
    for (const PluginEntry& entry : plugins) DeleteFileA(entry.path.c_str());
    EXPECT_TRUE(plugins[std::size(kFiles) - 3].hasPreload);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
