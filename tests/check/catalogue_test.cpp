// SETUPCHK.EXE run as a distributor runs it. The catalogue: every folder of check/cases holds a
// SETUP.INI with one kind of mistake, the distribution files it needs, and the exact reports the
// checker must print for it in Japanese (expected.ja.txt) and with /EN (expected.en.txt).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "check/checker_run.h"
#include "support/test_env.h"
#include "edge/handles.h"
#include "edge/wide.h"

namespace {

std::string CasesFolder() { return WindowsPathOf(EnvValue("SETUP_CHECK_CASES")) + "\\"; }
std::string Checker() { return WindowsPathOf(EnvValue("SETUP_CHECK_EXE")); }

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Wide(CasesFolder() + "*").c_str(), &data));
    if (!find.Valid()) return names;
    do {
        std::string name = Narrow(data.cFileName);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

// The exit code a report stands for: 2 with an error, 1 with warnings only, else 0.
DWORD ExitCodeOf(const std::string& report) {
    if (report.find("): error: ") != std::string::npos) return 2;
    return report.find("): warning: ") != std::string::npos ? 1 : 0;
}

class Catalogue : public ::testing::TestWithParam<std::string> {};

TEST_P(Catalogue, PrintsTheExpectedReport) {
    std::string folder = CasesFolder() + GetParam() + "\\";
    for (std::string language : {"ja", "en"}) {
        std::string expected = ReadTextFile(folder + "expected." + language + ".txt");
        ASSERT_FALSE(expected.empty()) << folder << "expected." << language << ".txt";
        CheckerRun run = RunChecker(Checker(), (language == "en" ? "/EN " : "") + std::string("SETUP.INI"), folder);
        ASSERT_TRUE(run.started) << run.startError;
        EXPECT_EQ(OutputLines(run.output), expected) << language;
        EXPECT_EQ(run.exitCode, ExitCodeOf(expected)) << language;
        // The same report in code page 932, for editors and build logs that expect it.
        run = RunChecker(Checker(), (language == "en" ? "/EN " : "") + std::string("/CP932 SETUP.INI"), folder);
        EXPECT_EQ(Utf8Lines(run.output), expected) << language;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Catalogue, ::testing::ValuesIn(CaseNames()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
});

TEST(Checker, SampleDistributionChecksClean) {
    std::string sample = WindowsPathOf(EnvValue("SETUP_SAMPLE_DIST"));
    CheckerRun run = RunChecker(Checker(), "\"" + sample + "\"", {});
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_EQ(OutputLines(run.output), sample + "\\SETUP.INI: 問題は見つかりませんでした\n");
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(Checker, FolderWithoutScriptIsAnError) {
    std::string empty = ScratchFolder("check-no-script");
    CheckerRun run = RunChecker(Checker(), "/EN .", empty);
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_EQ(OutputLines(run.output), ".\\SETUP.INI: error: the script does not exist\n");
    EXPECT_EQ(run.exitCode, 2u);
}

TEST(Checker, UnknownOptionShowsHowToCallIt) {
    CheckerRun run = RunChecker(Checker(), "/EN /X SETUP.INI", CasesFolder());
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_EQ(OutputLines(run.output).rfind("Usage: SETUPCHK [/EN] [/PLAN] [/CP932] [/D=<install folder>] ", 0), 0u)
        << run.output;
    EXPECT_EQ(run.exitCode, 2u);
}

}  // namespace
