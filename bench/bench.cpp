// Measures what the plugin costs the host and how punctual its launch is, with the real
// platform underneath. Prints a table and writes the same figures as JSON.
// Usage: bench <output.json>

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/stats.h"
#include "host/sfse_plugin.h"
#include "simhost/plugins.h"
#include "simhost/relocated_load.h"
#include "simhost/timeline.h"
#include "tests/support/import_patch.h"
#include "tests/support/installation.h"
#include "tests/support/platform_fakes.h"

namespace {

constexpr int kThreadSamples = 200;
constexpr int kHoldSamples = 200;
constexpr DWORD kSettleMs = 2;  // between samples, for the last thread to end
constexpr int kLaunchRuns = 7;
constexpr DWORD kLaunchSpacingMs = 1000;
constexpr int kLoadSamples = 50;

double MicrosecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
    return MillisecondsBetween(from, to) * 1000.0;
}

DWORD WINAPI DoNothing(LPVOID) { return 0; }

std::vector<double> ThreadStartUs() {
    std::vector<double> samples;
    for (int i = 0; i < kThreadSamples; ++i) {
        const LARGE_INTEGER before = Now();
        HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
        samples.push_back(MicrosecondsBetween(before, Now()));
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        Sleep(kSettleMs);
    }
    return samples;
}

HINSTANCE WINAPI NoShell(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(33));
}

VOID WINAPI NoWait(DWORD) {}

// Accepted calls with the real thread start. The worker's wait and shell call are left out so
// that each worker is gone before the next sample, as each thread of the baseline is: the two
// are measured under the same conditions.
std::vector<double> HoldUs() {
    HMODULE plugin = LoadRelocated(CopyOfBuilt("Tarnwick.dll", "bench-hold"));
    PatchImport(plugin, "KERNEL32.dll", "Sleep", reinterpret_cast<void*>(NoWait));
    PatchImport(plugin, "SHELL32.dll", "ShellExecuteA", reinterpret_cast<void*>(NoShell));
    std::vector<double> samples;
    for (int i = 0; i < kHoldSamples; ++i) {
        const LARGE_INTEGER before = Now();
        FindPreloadEntry(plugin)(&kAcceptedHost);
        samples.push_back(MicrosecondsBetween(before, Now()));
        Sleep(kSettleMs);
    }
    FreeLibrary(plugin);
    return samples;
}

// When each plugin copy asked the shell to open its batch file.
LARGE_INTEGER shellRequest[kLaunchRuns];
HMODULE launchModules[kLaunchRuns];

HINSTANCE WINAPI TimedShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT show) {
    const LARGE_INTEGER now = Now();
    HMODULE caller = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCSTR>(__builtin_return_address(0)), &caller);
    for (int i = 0; i < kLaunchRuns; ++i) {
        if (launchModules[i] == caller) shellRequest[i] = now;
    }
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
}

struct LaunchDelays {
    std::vector<double> toShellMs;
    std::vector<double> toBatchMs;
};

// Real waits and real batch files, one plugin copy per run, the calls a second apart so the
// batch files do not compete with each other.
LaunchDelays LaunchDelaysMs() {
    LARGE_INTEGER call[kLaunchRuns];
    long long callFileTime[kLaunchRuns];
    Installation at[kLaunchRuns];
    for (int i = 0; i < kLaunchRuns; ++i) {
        at[i] = Install("bench-launch" + std::to_string(i));
        launchModules[i] = LoadRelocated(at[i].dll);
        PatchImport(launchModules[i], "SHELL32.dll", "ShellExecuteA",
                    reinterpret_cast<void*>(TimedShell));
    }
    for (int i = 0; i < kLaunchRuns; ++i) {
        if (i > 0) Sleep(kLaunchSpacingMs);
        callFileTime[i] = PreciseNowTicks();
        call[i] = Now();
        FindPreloadEntry(launchModules[i])(&kAcceptedHost);
    }
    LaunchDelays delays;
    for (int i = 0; i < kLaunchRuns; ++i) {
        WaitFor([&] { return MarkerWritten(at[i]); }, 30000);
        delays.toShellMs.push_back(MillisecondsBetween(call[i], shellRequest[i]));
        delays.toBatchMs.push_back(MarkerDelayMs(at[i], callFileTime[i]));
        FreeLibrary(launchModules[i]);
    }
    return delays;
}

// One load away from the preferred base, as Windows loads a plugin; holding the base is not timed.
double LoadOnceUs(const std::string& path) {
    void* held = HoldPreferredRange(path);
    const LARGE_INTEGER before = Now();
    HMODULE module = LoadLibraryA(path.c_str());
    const double elapsed = MicrosecondsBetween(before, Now());
    ReleasePreferredRange(held);
    FreeLibrary(module);
    return elapsed;
}

// The DLLs whose load is compared: the plugin, and two empty ones built the freestanding way
// and with MinGW's runtime start-up, which runs at load and at every thread's start and end.
const char* const kLoaded[] = {"Tarnwick.dll", "empty_plugin.dll", "empty_runtime_dll.dll"};
constexpr int kLoadedCount = 3;

// Loads each DLL in turn, kLoadSamples rounds, interleaved so that all see the same conditions.
void LoadUs(std::vector<double> (&samples)[kLoadedCount]) {
    std::string copies[kLoadedCount];
    for (int i = 0; i < kLoadedCount; ++i) copies[i] = CopyOfBuilt(kLoaded[i], "bench-load");
    for (int round = 0; round < kLoadSamples; ++round) {
        for (int i = 0; i < kLoadedCount; ++i) samples[i].push_back(LoadOnceUs(copies[i]));
    }
}

// Starting a thread and waiting for its end, with nothing loaded, the plugin loaded, or the
// empty runtime DLL loaded: what each of the game's threads pays for a loaded module. The three
// take turns in short blocks, so that all see the same conditions.
constexpr int kThreadRounds = 20;
constexpr int kCyclesPerRound = kThreadSamples / kThreadRounds;
const char* const kThreadCycleDlls[] = {nullptr, "Tarnwick.dll", "empty_runtime_dll.dll"};

void ThreadStartJoinUs(std::vector<double> (&samples)[3]) {
    std::string copies[3];
    for (int i = 1; i < 3; ++i) copies[i] = CopyOfBuilt(kThreadCycleDlls[i], "bench-threads");
    for (int round = 0; round < kThreadRounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            HMODULE module = i > 0 ? LoadRelocated(copies[i]) : nullptr;
            for (int cycle = 0; cycle < kCyclesPerRound; ++cycle) {
                const LARGE_INTEGER before = Now();
                HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
                WaitForSingleObject(thread, INFINITE);
                samples[i].push_back(MicrosecondsBetween(before, Now()));
                CloseHandle(thread);
            }
            if (module != nullptr) FreeLibrary(module);
        }
    }
}

std::string WineVersion() {
    using Getter = const char* (*)();
    const auto get = reinterpret_cast<Getter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return get ? std::string("Wine ") + get() : "Windows";
}

struct Row {
    const char* key;
    const char* label;
    const char* unit;
    Summary summary;
    int samples;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench <output.json>\n");
        return 2;
    }
    StartTimeline();
    std::printf("measuring under %s ...\n", WineVersion().c_str());
    std::fflush(stdout);

    const Summary threadStart = Summarize(ThreadStartUs());
    const Summary hold = Summarize(HoldUs());
    const LaunchDelays delays = LaunchDelaysMs();
    std::vector<double> loads[kLoadedCount];
    LoadUs(loads);
    const Summary pluginLoad = Summarize(loads[0]);
    const Summary emptyLoad = Summarize(loads[1]);
    const Summary runtimeLoad = Summarize(loads[2]);
    std::vector<double> cycles[3];
    ThreadStartJoinUs(cycles);
    const Summary threadsAlone = Summarize(cycles[0]);
    const Summary threadsPlugin = Summarize(cycles[1]);
    const Summary threadsRuntime = Summarize(cycles[2]);

    const Row rows[] = {
        {"preload_hold_us", "preload call holds the host thread", "us", hold, kHoldSamples},
        {"thread_start_us", "starting one thread (CreateThread)", "us", threadStart,
         kThreadSamples},
        {"call_to_shell_request_ms", "preload call to shell request", "ms",
         Summarize(delays.toShellMs), kLaunchRuns},
        {"call_to_batch_ran_ms", "preload call to batch file running", "ms",
         Summarize(delays.toBatchMs), kLaunchRuns},
        {"plugin_load_us", "LoadLibrary of Tarnwick.dll", "us", pluginLoad, kLoadSamples},
        {"empty_load_us", "LoadLibrary of an empty DLL", "us", emptyLoad, kLoadSamples},
        {"empty_runtime_load_us", "LoadLibrary, empty DLL, MinGW start-up", "us", runtimeLoad,
         kLoadSamples},
        {"thread_cycle_us", "thread start+join, no DLL loaded", "us", threadsAlone, kThreadSamples},
        {"thread_cycle_plugin_us", "thread start+join, Tarnwick.dll loaded", "us", threadsPlugin,
         kThreadSamples},
        {"thread_cycle_runtime_us", "thread start+join, runtime DLL loaded", "us", threadsRuntime,
         kThreadSamples},
    };
    const double holdRatio = hold.median / threadStart.median;
    const double loadRatio = pluginLoad.median / emptyLoad.median;
    const double runtimeLoadRatio = runtimeLoad.median / emptyLoad.median;
    const double threadRatio = threadsPlugin.median / threadsAlone.median;
    const double runtimeThreadRatio = threadsRuntime.median / threadsAlone.median;

    std::printf("\n| %-38s | %10s | %10s | %10s | %4s | %7s |\n", "measure", "median", "min", "max",
                "unit", "samples");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(40, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(12, '-').c_str(),
                std::string(6, '-').c_str(), std::string(9, '-').c_str());
    for (const Row& row : rows) {
        std::printf("| %-38s | %10.1f | %10.1f | %10.1f | %4s | %7d |\n", row.label,
                    row.summary.median, row.summary.min, row.summary.max, row.unit, row.samples);
    }
    std::printf("\nhold time / thread start (medians): %.2f\n", holdRatio);
    std::printf("plugin load / empty DLL load (medians): %.2f\n", loadRatio);
    std::printf("runtime DLL load / empty DLL load (medians): %.2f\n", runtimeLoadRatio);
    std::printf("thread start+join with plugin / without (medians): %.2f\n", threadRatio);
    std::printf("thread start+join with runtime DLL / without (medians): %.2f\n",
                runtimeThreadRatio);

    FILE* json = std::fopen(argv[1], "w");
    if (json == nullptr) {
        std::fprintf(stderr, "bench: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(json, "{\n  \"platform\": \"%s\",\n", WineVersion().c_str());
    for (const Row& row : rows) {
        std::fprintf(
            json, "  \"%s\": {\"median\": %.3f, \"min\": %.3f, \"max\": %.3f, \"samples\": %d},\n",
            row.key, row.summary.median, row.summary.min, row.summary.max, row.samples);
    }
    std::fprintf(json, "  \"hold_to_thread_start_ratio\": %.3f,\n", holdRatio);
    std::fprintf(json, "  \"load_to_empty_load_ratio\": %.3f,\n", loadRatio);
    std::fprintf(json, "  \"runtime_load_to_empty_load_ratio\": %.3f,\n", runtimeLoadRatio);
    std::fprintf(json, "  \"thread_cycle_plugin_ratio\": %.3f,\n", threadRatio);
    std::fprintf(json, "  \"thread_cycle_runtime_ratio\": %.3f\n}\n", runtimeThreadRatio);
    std::fclose(json);
    std::printf("wrote %s\n", argv[1]);
    return 0;
}
