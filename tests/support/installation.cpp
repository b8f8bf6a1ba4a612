#include "tests/support/installation.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/support/platform_fakes.h"

namespace {

long long FileTimeTicks(const FILETIME& time) {
    return static_cast<long long>(
        ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart);
}

}  // namespace

std::string TempFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "tarnwick-" + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

namespace {

std::string CopyBuiltTo(const char* dll, const std::string& folder) {
    const std::string copy = folder + "\\" + dll;
    if (!CopyFileA((ProgramDirectory() + "\\" + dll).c_str(), copy.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", dll, copy.c_str());
    }
    return copy;
}

}  // namespace

std::string CopyOfBuilt(const char* dll, const std::string& folderName) {
    return CopyBuiltTo(dll, TempFolder(folderName));
}

Installation Install(const std::string& name, const std::string& pluginFolder) {
    Installation at;
    at.root = TempFolder(name);
    at.folder = at.root + "\\" + pluginFolder;
    // Each folder below root in turn, down to the plugin folder itself.
    std::size_t end = at.root.size();
    do {
        end = at.folder.find('\\', end + 1);
        CreateDirectoryA(at.folder.substr(0, end).c_str(), nullptr);
    } while (end != std::string::npos);
    at.dll = CopyBuiltTo("Tarnwick.dll", at.folder);
    at.marker = at.folder + "\\batch-ran.txt";
    DeleteFileA(at.marker.c_str());
    FILE* batch = std::fopen((at.folder + "\\start_high_priority.bat").c_str(), "wb");
    if (batch != nullptr) {
        std::fputs("@echo off\r\necho ran>> \"%~dp0batch-ran.txt\"\r\n", batch);
        std::fclose(batch);
    }
    return at;
}

bool IsInstalled(const Installation& at) {
    return GetFileAttributesA(at.dll.c_str()) != INVALID_FILE_ATTRIBUTES &&
           GetFileAttributesA((at.folder + "\\start_high_priority.bat").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
}

void Uninstall(const Installation& at) {
    DeleteFileA(at.marker.c_str());
    DeleteFileA((at.folder + "\\start_high_priority.bat").c_str());
    DeleteFileA(at.dll.c_str());
    for (std::string folder = at.folder; folder.size() >= at.root.size();
         folder.resize(folder.rfind('\\'))) {
        RemoveDirectoryA(folder.c_str());
    }
}

long long PreciseNowTicks() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return FileTimeTicks(now);
}

double MarkerDelayMs(const Installation& at, long long callStart) {
    WIN32_FILE_ATTRIBUTE_DATA marker;
    if (!GetFileAttributesExA(at.marker.c_str(), GetFileExInfoStandard, &marker)) return -1;
    return static_cast<double>(FileTimeTicks(marker.ftLastWriteTime) - callStart) / 10000.0;
}

// cmd writes an echoed line in two pieces, the text and then its line end, so a reader polling
// between them sees "ran" alone; only the line end says the line is whole.
bool MarkerWritten(const Installation& at) {
    const std::string bytes = FileBytes(at.marker);
    return bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
}
