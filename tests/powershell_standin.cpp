// Stands in for powershell.exe when the example batch file runs under test: records the command
// line it was given in powershell-command.txt beside itself, and does nothing else.

#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* name = std::strrchr(path, '\\');
    if (length == 0 || length >= MAX_PATH || name == nullptr ||
        name + sizeof "\\powershell-command.txt" > path + MAX_PATH) {
        return 1;
    }
    std::strcpy(name + 1, "powershell-command.txt");
    FILE* record = std::fopen(path, "wb");
    if (record == nullptr) {
        return 1;
    }
    std::fputs(GetCommandLineA(), record);
    std::fclose(record);
    return 0;
}
