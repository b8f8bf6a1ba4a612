#include "tests/support/platform_fakes.h"

#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "simhost/entry_phase.h"
#include "simhost/relocated_load.h"
#include "tests/support/import_patch.h"

namespace {

struct RecordedCall {
    DWORD thread;
    std::string text;
};

struct Worker {
    DWORD id;
    HANDLE handle;  // our own duplicate, so the plugin closing its handle cannot affect it
    HANDLE pluginHandle;
    DWORD exitCode;
};

std::mutex lock;
FakeSettings settings;
std::vector<RecordedCall> calls;
std::vector<Worker> workers;
HMODULE plugin;
std::string pluginPath;

void Record(std::string text) {
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back({GetCurrentThreadId(), std::move(text)});
}

FakeSettings Settings() {
    std::lock_guard<std::mutex> guard(lock);
    return settings;
}

std::string Hex(ULONG_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Module(HMODULE module) {
    if (module == nullptr) return "null";
    if (module == plugin) return "plugin";
    if (module == GetModuleHandleA(nullptr)) return "program";
    return Hex(reinterpret_cast<ULONG_PTR>(module));
}

std::string Code(const void* address) {
    HMODULE owner = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCSTR>(address), &owner);
    return owner == plugin ? "plugin code" : "code at " + Hex(reinterpret_cast<ULONG_PTR>(address));
}

std::string Pointer(const void* pointer) {
    return pointer == nullptr ? "null" : Hex(reinterpret_cast<ULONG_PTR>(pointer));
}

std::string Quoted(const char* text) {
    if (text == nullptr) return "null";
    std::string result = "\"";
    for (; *text != '\0'; ++text) {
        result += *text == '\n' ? std::string("\\n") : std::string(1, *text);
    }
    return result + "\"";
}

HANDLE WINAPI FakeCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                               LPTHREAD_START_ROUTINE routine, LPVOID argument, DWORD flags,
                               LPDWORD id) {
    Record("CreateThread(" + Pointer(security) + ", " + std::to_string(stack) + ", " +
           Code(reinterpret_cast<const void*>(routine)) + ", " + Pointer(argument) + ", " +
           std::to_string(flags) + ", " + Pointer(id) + ")");
    if (Settings().failThreadStart) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD workerId = 0;
    HANDLE handle = CreateThread(security, stack, routine, argument, flags, &workerId);
    if (id != nullptr) *id = workerId;
    HANDLE duplicate = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &duplicate, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    std::lock_guard<std::mutex> guard(lock);
    workers.push_back({workerId, duplicate, handle, STILL_ACTIVE});
    return handle;
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    bool isWorker = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const Worker& worker : workers) {
            isWorker = isWorker || worker.pluginHandle == handle;
        }
    }
    Record(std::string("CloseHandle(") + (isWorker ? "worker" : Pointer(handle)) + ")");
    return CloseHandle(handle);
}

VOID WINAPI FakeSleep(DWORD ms) {
    Record("Sleep(" + std::to_string(ms) + ")");
    Sleep(Settings().realSleepMs);
}

DWORD WINAPI FakeGetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    Record("GetModuleFileNameA(" + Module(module) + ", " + std::to_string(size) + ")");
    const FakeSettings now = Settings();
    if (now.modulePath == ModulePathAnswer::kReal) {
        return GetModuleFileNameA(module, buffer, size);
    }
    if (now.modulePath == ModulePathAnswer::kFailure || size == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(now.givenPath.size());
    const DWORD copied = length < size ? length : size - 1;
    std::memcpy(buffer, now.givenPath.data(), copied);
    buffer[copied] = '\0';
    if (length >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return length;
}

BOOL WINAPI FakeGetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module) {
    Record("GetModuleHandleExA(" + Hex(flags) + ", " + Code(name) + ")");
    return GetModuleHandleExA(flags, name, module);
}

BOOL WINAPI FakeFreeLibrary(HMODULE module) {
    Record("FreeLibrary(" + Module(module) + ")");
    return FreeLibrary(module);
}

VOID WINAPI FakeFreeLibraryAndExitThread(HMODULE module, DWORD code) {
    Record("FreeLibraryAndExitThread(" + Module(module) + ", " + std::to_string(code) + ")");
    FreeLibraryAndExitThread(module, code);
}

int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    Record("MessageBoxA(" + Pointer(owner) + ", " + Quoted(text) + ", " + Quoted(caption) + ", " +
           Hex(type) + ")");
    return IDOK;
}

HINSTANCE WINAPI FakeShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                   LPCSTR directory, INT show) {
    Record("ShellExecuteA(" + Pointer(owner) + ", " + Quoted(verb) + ", " + Quoted(file) + ", " +
           Quoted(parameters) + ", " + Quoted(directory) + ", " + std::to_string(show) + ")");
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(33));
}

HRESULT WINAPI FakeCoInitializeEx(LPVOID reserved, DWORD model) {
    Record("CoInitializeEx(" + Pointer(reserved) + ", " + Hex(model) + ")");
    return CoInitializeEx(reserved, model);
}

void WINAPI FakeCoUninitialize() {
    Record("CoUninitialize()");
    CoUninitialize();
}

struct Substitute {
    const char* dll;
    const char* function;
    void* replacement;
};

const Substitute kSubstitutes[] = {
    {"KERNEL32.dll", "CreateThread", reinterpret_cast<void*>(FakeCreateThread)},
    {"KERNEL32.dll", "CloseHandle", reinterpret_cast<void*>(FakeCloseHandle)},
    {"KERNEL32.dll", "Sleep", reinterpret_cast<void*>(FakeSleep)},
    {"KERNEL32.dll", "GetModuleFileNameA", reinterpret_cast<void*>(FakeGetModuleFileNameA)},
    {"KERNEL32.dll", "GetModuleHandleExA", reinterpret_cast<void*>(FakeGetModuleHandleExA)},
    {"KERNEL32.dll", "FreeLibrary", reinterpret_cast<void*>(FakeFreeLibrary)},
    {"KERNEL32.dll", "FreeLibraryAndExitThread",
     reinterpret_cast<void*>(FakeFreeLibraryAndExitThread)},
    {"USER32.dll", "MessageBoxA", reinterpret_cast<void*>(FakeMessageBoxA)},
    {"SHELL32.dll", "ShellExecuteA", reinterpret_cast<void*>(FakeShellExecuteA)},
    {"ole32.dll", "CoInitializeEx", reinterpret_cast<void*>(FakeCoInitializeEx)},
    {"ole32.dll", "CoUninitialize", reinterpret_cast<void*>(FakeCoUninitialize)},
};

}  // namespace

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *std::strrchr(path, '\\') = '\0';
    return path;
}

void UseFakedPluginAt(const std::string& path) { pluginPath = path; }

HMODULE FakedPlugin() {
    if (plugin == nullptr) {
        plugin =
            LoadRelocated(pluginPath.empty() ? ProgramDirectory() + "\\Tarnwick.dll" : pluginPath);
        for (const Substitute& substitute : kSubstitutes) {
            if (plugin != nullptr && PatchImport(plugin, substitute.dll, substitute.function,
                                                 substitute.replacement) == nullptr) {
                std::fprintf(stderr, "Tarnwick.dll does not import %s\n", substitute.function);
            }
        }
    }
    return plugin;
}

SFSEPluginPreloadFn FindPreloadEntry(HMODULE module) { return FindEntry(module, kPreloadEntry); }

SFSEPluginPreloadFn FakedPreload() { return FindPreloadEntry(FakedPlugin()); }

void ResetFakes(const FakeSettings& newSettings) {
    JoinWorkers();
    std::lock_guard<std::mutex> guard(lock);
    settings = newSettings;
    calls.clear();
    for (const Worker& worker : workers) {
        if (worker.handle != nullptr) CloseHandle(worker.handle);
    }
    workers.clear();
}

std::vector<std::string> CallsOn(DWORD thread) {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<std::string> result;
    for (const RecordedCall& call : calls) {
        if (call.thread == thread) result.push_back(call.text);
    }
    return result;
}

std::vector<std::string> AllCalls() {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<std::string> result;
    for (const RecordedCall& call : calls) result.push_back(call.text);
    return result;
}

std::vector<DWORD> Workers() {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<DWORD> ids;
    for (const Worker& worker : workers) ids.push_back(worker.id);
    return ids;
}

std::vector<DWORD> JoinWorkers(DWORD timeoutMs) {
    std::vector<Worker> started;
    {
        std::lock_guard<std::mutex> guard(lock);
        started = workers;
    }
    for (Worker& worker : started) {
        if (worker.handle != nullptr) {
            WaitForSingleObject(worker.handle, timeoutMs);
            GetExitCodeThread(worker.handle, &worker.exitCode);
        }
    }
    std::lock_guard<std::mutex> guard(lock);
    std::vector<DWORD> exitCodes;
    for (std::size_t i = 0; i < started.size(); ++i) {
        if (workers[i].handle != nullptr && started[i].exitCode != STILL_ACTIVE) {
            CloseHandle(workers[i].handle);
            workers[i].handle = nullptr;
            workers[i].exitCode = started[i].exitCode;
        }
        exitCodes.push_back(workers[i].exitCode);
    }
    return exitCodes;
}
