#pragma once

#include <windows.h>

#include <string>

// Copies of the built plugin in folders of their own, away from the test program, for tests
// and measurements that run it for real.

// %TEMP%\tarnwick-<name>-<process id>, created if need be.
std::string TempFolder(const std::string& name);

// The whole content of a file; empty if it cannot be read.
std::string FileBytes(const std::string& path);

// A copy of a DLL the build put beside the test program, in TempFolder(folderName).
std::string CopyOfBuilt(const char* dll, const std::string& folderName);

// Where Steam puts the game's plugins, below its own folder: a path with spaces and parentheses,
// which the shell and cmd must take whole.
constexpr char kSteamPluginFolder[] =
    "Program Files (x86)\\Steam\\steamapps\\common\\Starfield\\Data\\SFSE\\Plugins";

// A copy of the plugin with a real start_high_priority.bat beside it that records, by adding
// the line "ran" to the marker file through %~dp0, each time the shell runs it.
struct Installation {
    std::string root;    // TempFolder(name)
    std::string folder;  // pluginFolder below root, where the plugin and the batch file lie
    std::string dll;
    std::string marker;
};

Installation Install(const std::string& name, const std::string& pluginFolder = kSteamPluginFolder);
// Both the plugin copy and the batch file are in place.
bool IsInstalled(const Installation& at);
// Removes the files and every folder from the plugin folder up to root.
void Uninstall(const Installation& at);

// The system time in 100 ns units, as file times count it.
long long PreciseNowTicks();

// Milliseconds from callStart (PreciseNowTicks) to when the batch file wrote its marker, or
// -1 if it has not.
double MarkerDelayMs(const Installation& at, long long callStart);

// The batch file has written a whole line, line end included.
bool MarkerWritten(const Installation& at);

// Polls condition until it holds or timeoutMs have passed; true if it held.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(2);
    }
    return true;
}
