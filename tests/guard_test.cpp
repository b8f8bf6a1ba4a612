// The simulated host's guard around a call into a plugin.

#include <gtest/gtest.h>

#include "simhost/guard.h"
#include "simhost/plugins.h"
#include "simhost/relocated_load.h"
#include "tests/support/platform_fakes.h"

namespace {

bool Accepts(const SFSEInterface*) { return true; }
bool Refuses(const SFSEInterface*) { return false; }

constexpr DWORD kAccess = EXCEPTION_ACCESS_VIOLATION;
constexpr DWORD kOverflow = EXCEPTION_STACK_OVERFLOW;

// Plugins whose preload entry faults, in its own code or in ours on reading a host record it may
// not read, or uses up its stack, then ordinary entries: each call comes back to the host with
// what happened, the faulting frames unwound by their own unwind data, and the guard stays whole
// for the next call, a second overflow included.
TEST(GuardTest, EachCallComesBackToTheHost) {
    HMODULE faulting = LoadRelocated(ProgramDirectory() + "\\faulting_plugin.dll");
    ASSERT_NE(faulting, nullptr);
    HMODULE overflowing = LoadRelocated(ProgramDirectory() + "\\overflowing_plugin.dll");
    ASSERT_NE(overflowing, nullptr);
    ASSERT_NE(FakedPlugin(), nullptr);
    ResetFakes({});
    void* noAccess = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(noAccess, nullptr);
    const auto* unreadable = static_cast<const SFSEInterface*>(noAccess);
    const struct {
        const char* name;
        SFSEPluginEntryFn entry;
        const SFSEInterface* sfse;
        HMODULE faultsIn;  // null: no fault
        DWORD exceptionCode;
        bool verdict;
    } kCalls[] = {
        {"faults", FindPreloadEntry(faulting), &kAcceptedHost, faulting, kAccess, false},
        {"accepts", Accepts, &kAcceptedHost, nullptr, 0, true},
        {"overflows", FindPreloadEntry(overflowing), &kAcceptedHost, overflowing, kOverflow, false},
        {"Tarnwick reads an unreadable record", FakedPreload(), unreadable, FakedPlugin(), kAccess,
         false},
        {"overflows again", FindPreloadEntry(overflowing), &kAcceptedHost, overflowing, kOverflow,
         false},
        {"faults again", FindPreloadEntry(faulting), &kAcceptedHost, faulting, kAccess, false},
        {"refuses", Refuses, &kAcceptedHost, nullptr, 0, false},
    };
    const LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(before);
    for (const auto& call : kCalls) {
        ASSERT_NE(call.entry, nullptr) << call.name;
        const GuardedResult result = CallGuarded(call.entry, call.sfse);
        EXPECT_EQ(result.faulted, call.faultsIn != nullptr) << call.name;
        EXPECT_EQ(result.verdict, call.verdict) << call.name;
        if (call.faultsIn != nullptr) {
            EXPECT_EQ(result.exceptionCode, call.exceptionCode) << call.name;
            HMODULE owner = nullptr;
            GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               static_cast<LPCSTR>(result.exceptionAddress), &owner);
            EXPECT_EQ(owner, call.faultsIn) << call.name;
        }
        // The process's own last-chance filter is untouched by each call.
        EXPECT_EQ(SetUnhandledExceptionFilter(before), before) << call.name;
    }
    // The fault came before Tarnwick asked anything of the platform.
    EXPECT_TRUE(AllCalls().empty());
    VirtualFree(noAccess, 0, MEM_RELEASE);
    FreeLibrary(overflowing);
    FreeLibrary(faulting);
}

}  // namespace
