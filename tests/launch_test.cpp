// What a worker asks of the platform, with the wait cut short and the shell substituted.

#include <gtest/gtest.h>

#include "host/packed_version.h"
#include "tests/support/platform_fakes.h"

namespace {

std::string ShellOpen(const std::string& file) {
    return "ShellExecuteA(null, \"open\", \"" + file + "\", null, null, 10)";
}

// The calls of one worker: the wait, then the path, then the shell inside a COM apartment,
// then the reference released as the thread exits.
std::vector<std::string> WorkerCalls(const std::string& batchPath) {
    std::vector<std::string> calls = {"Sleep(8000)", "GetModuleFileNameA(plugin, 260)"};
    if (!batchPath.empty()) {
        calls.push_back("CoInitializeEx(null, 0x6)");
        calls.push_back(ShellOpen(batchPath));
        calls.push_back("CoUninitialize()");
    }
    calls.push_back("FreeLibraryAndExitThread(plugin, 0)");
    return calls;
}

// Runs count accepted calls and returns each worker's calls; every worker must exit with 0.
std::vector<std::vector<std::string>> RunWorkers(const FakeSettings& settings, int count = 1) {
    ResetFakes(settings);
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(FakedPreload()(&kAcceptedHost));
    }
    for (DWORD exitCode : JoinWorkers()) {
        EXPECT_EQ(exitCode, 0u);
    }
    std::vector<std::vector<std::string>> result;
    for (DWORD worker : Workers()) {
        EXPECT_NE(worker, GetCurrentThreadId());
        result.push_back(CallsOn(worker));
    }
    return result;
}

FakeSettings GivenPath(const std::string& path) {
    FakeSettings settings;
    settings.modulePath = ModulePathAnswer::kGiven;
    settings.givenPath = path;
    return settings;
}

TEST(LaunchTest, OpensTheBatchFileBesideThePluginItself) {
    ASSERT_NE(FakedPlugin(), nullptr);
    const auto workers = RunWorkers({});
    ASSERT_EQ(workers.size(), 1u);
    EXPECT_EQ(workers[0], WorkerCalls(ProgramDirectory() + "\\start_high_priority.bat"));
}

TEST(LaunchTest, TwoAcceptedCallsLaunchTwice) {
    const auto workers = RunWorkers(GivenPath("C:\\mods\\plugins\\tool.dll"), 2);
    ASSERT_EQ(workers.size(), 2u);
    for (const auto& calls : workers) {
        EXPECT_EQ(calls, WorkerCalls("C:\\mods\\plugins\\start_high_priority.bat"));
    }
}

TEST(LaunchTest, WaitsOnTheWorkerNotTheHost) {
    FakeSettings settings;
    settings.realSleepMs = 300;
    ResetFakes(settings);
    const DWORD before = GetTickCount();
    EXPECT_TRUE(FakedPreload()(&kAcceptedHost));
    EXPECT_LT(GetTickCount() - before, 200u);
    JoinWorkers();
}

struct PathCase {
    const char* name;
    ModulePathAnswer answer;
    std::string modulePath;
    std::string batchPath;  // empty: no launch request
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const PathCase& c, std::ostream* out) { *out << c.name; }

const std::string kDir235 = "C:\\" + std::string(232, 'd');
const std::string kDir236 = "C:\\" + std::string(233, 'd');

const PathCase kPathCases[] = {
    {"Typical", ModulePathAnswer::kGiven, "C:\\mods\\plugins\\tool.dll",
     "C:\\mods\\plugins\\start_high_priority.bat"},
    {"Dir235Fits", ModulePathAnswer::kGiven, kDir235 + "\\t.dll",
     kDir235 + "\\start_high_priority.bat"},
    {"Dir236DoesNotFit", ModulePathAnswer::kGiven, kDir236 + "\\t.dll", ""},
    {"NoPath", ModulePathAnswer::kFailure, "", ""},
    {"TruncatedPath", ModulePathAnswer::kGiven, "C:\\" + std::string(300, 'x') + "\\tool.dll", ""},
};

class LaunchPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(LaunchPathTest, LaunchRequest) {
    FakeSettings settings = GivenPath(GetParam().modulePath);
    settings.modulePath = GetParam().answer;
    const auto workers = RunWorkers(settings);
    ASSERT_EQ(workers.size(), 1u);
    EXPECT_EQ(workers[0], WorkerCalls(GetParam().batchPath));
}

INSTANTIATE_TEST_SUITE_P(ModulePaths, LaunchPathTest, testing::ValuesIn(kPathCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
