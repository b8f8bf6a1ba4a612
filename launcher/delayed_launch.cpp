#include "launcher/delayed_launch.h"

#include <objbase.h>
#include <shellapi.h>

#include "launcher/batch_path.h"

// The linker's symbol for the start of this module's image; its address is our HMODULE.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr DWORD kLaunchDelayMs = 8000;

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

}  // namespace

void StartDelayedLaunch() {
    HMODULE reference = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&DelayedLaunchThread), &reference)) {
        return;
    }
    HANDLE worker = CreateThread(nullptr, 0, DelayedLaunchThread, nullptr, 0, nullptr);
    if (worker == nullptr) {
        FreeLibrary(reference);
        return;
    }
    CloseHandle(worker);
}

DWORD WINAPI DelayedLaunchThread(LPVOID) {
    Sleep(kLaunchDelayMs);
    LaunchBatchFile();
    // Releasing the reference and exiting in one call: no instruction of ours runs after it.
    FreeLibraryAndExitThread(ThisModule(), 0);
}

void LaunchBatchFile() {
    char dllPath[kPathCapacity] = {};
    const DWORD length = GetModuleFileNameA(ThisModule(), dllPath, kPathCapacity);
    char batchPath[kPathCapacity];
    if (!DeriveBatchPath(dllPath, length, batchPath)) {
        return;
    }
    // The shell may hand the request to COM components, which want an apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteA(nullptr, "open", batchPath, nullptr, nullptr, SW_SHOWDEFAULT);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}
