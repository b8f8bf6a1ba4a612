// The simulated host's guard around a call into a plugin.

#include <gtest/gtest.h>

#include "simhost/guard.h"
#include "simhost/plugins.h"
#include "tests/support/platform_fakes.h"

namespace {

bool Accepts(const SFSEInterface*) { return true; }
bool Refuses(const SFSEInterface*) { return false; }

// A plugin whose preload entry faults, then ordinary entries: each call comes back to the host
// with what happened, and a fault does not leave the guard broken for the next call.
TEST(GuardTest, EachCallComesBackToTheHost) {
    HMODULE faulting = LoadLibraryA((ProgramDirectory() + "\\faulting_plugin.dll").c_str());
    ASSERT_NE(faulting, nullptr);
    const struct {
        const char* name;
        SFSEPluginEntryFn entry;
        bool faulted;
        bool verdict;
    } kCalls[] = {
        {"faults", FindPreloadEntry(faulting), true, false},
        {"accepts", Accepts, false, true},
        {"faults again", FindPreloadEntry(faulting), true, false},
        {"refuses", Refuses, false, false},
    };
    const LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(before);
    for (const auto& call : kCalls) {
        ASSERT_NE(call.entry, nullptr) << call.name;
        const GuardedResult result = CallGuarded(call.entry, &kAcceptedHost);
        EXPECT_EQ(result.faulted, call.faulted) << call.name;
        EXPECT_EQ(result.verdict, call.verdict) << call.name;
        if (call.faulted) {
            EXPECT_EQ(result.exceptionCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
            HMODULE owner = nullptr;
            GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               static_cast<LPCSTR>(result.exceptionAddress), &owner);
            EXPECT_EQ(owner, faulting) << call.name;
        }
        // The process's own last-chance filter is back in place after each call.
        EXPECT_EQ(SetUnhandledExceptionFilter(before), before) << call.name;
    }
    FreeLibrary(faulting);
}

}  // namespace
