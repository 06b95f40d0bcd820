// SETUPCHK.EXE /PLAN against the install itself: the sample distribution is planned for a folder,
// then installed there through the wizard as a user does it, and every effect the plan names is
// looked up where the install put it. The uninstall part of the plan must be the log the install
// wrote, entry for entry, and the install folder must hold nothing the plan does not name.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "check/checker_run.h"
#include "edge/wide.h"
#include "runs/runs_support.h"

using namespace runs;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

// The part of an effect line before its notes.
std::string WithoutNotes(const std::string& text) { return text.substr(0, text.find("  (")); }

std::string Upper(const std::string& text) {
    std::wstring wide = Wide(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}

HKEY RootNamed(const std::string& name) {
    if (name == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (name == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == "HKEY_USERS") return HKEY_USERS;
    return HKEY_CURRENT_USER;
}

// "<root>\<key> [<name>] <type> <data>" compared with the registry.
void ExpectValue(const std::string& what) {
    size_t open = what.find(" ["), close = what.find("] ", open);
    ASSERT_NE(close, std::string::npos) << what;
    std::string path = what.substr(0, open);
    std::string name = what.substr(open + 2, close - open - 2);
    if (name == "(default)") name.clear();
    std::string rest = what.substr(close + 2);
    std::string type = rest.substr(0, rest.find(' '));
    std::string data = rest.substr(type.size() + 1);
    size_t slash = path.find('\\');
    RegValue value = ReadValue(RootNamed(path.substr(0, slash)), path.substr(slash + 1), name);
    ASSERT_TRUE(value.exists) << what;
    if (type == "REG_SZ") {
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << what;
        EXPECT_EQ(value.data, data) << what;
    } else if (type == "REG_DWORD") {
        ASSERT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << what;
        DWORD number = 0;
        memcpy(&number, value.data.data(), sizeof(number));
        EXPECT_EQ(std::to_string(number), data) << what;
    } else {
        ADD_FAILURE() << "the sample writes no value of type " << type;
    }
}

class PlanOfSample : public RunsTest {
protected:
    const std::string folder_ = ProgramFilesFolder() + "OrvantCheck Plan\\";
    const std::string uninstallKey_ = std::string(kUninstallRoot) + "\\OrvantSampleApp";

    void SetUp() override {
        RunsTest::SetUp();
        RemoveFolderLater(folder_);
        DeleteKeyLater(HKEY_CURRENT_USER, "Software\\Orvant Sample");
        DeleteKeyLater(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample");
        DeleteKeyLater(HKEY_CLASSES_ROOT, ".osd");
        DeleteKeyLater(HKEY_CLASSES_ROOT, "osd_auto_file");
        DeleteKeyLater(HKEY_LOCAL_MACHINE, uninstallKey_);
        DeleteSharedCountLater(folder_ + "SAMPLE.DLL");
        RemoveRecordedProgramLater("ORVSAMPLE");
        RemoveFolderLater(ProgramsFolder() + "サンプルアプリ\\");
        RemoveFileLater(DesktopFolder() + "サンプルアプリ.lnk");
    }

    // The sample through its pages, the folder question and the association question, up to the
    // last wait of the install: by then it has written everything, and the program it starts at
    // the end (which counts its starts in the registry) has not run yet.
    e2e::Window InstallUntilDone(e2e::TargetProcess& setup, const std::string& dist) {
        e2e::Window wizard = OpenOptionsPage(setup, dist, "サンプルアプリ セットアップ", folder_, true, true);
        if (!wizard || !Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)") || !AnswerBox(setup, "フォルダ作成", IDYES) ||
            !AnswerBox(setup, "関連付けの確認", IDYES) || !WaitForNext(setup))
            return {};
        return wizard;
    }

    // The rest of the install, and the program it starts closed again.
    void Finish(e2e::TargetProcess& setup, const e2e::Window& wizard) {
        e2e::Window status = setup.FindTopWindow("TfrmStatus");
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
        HWND sample = nullptr;
        ASSERT_TRUE(e2e::WaitUntil([&] { return (sample = FindWindowW(L"OrvantSampleApp", nullptr)) != nullptr; },
                                   "the program the plan starts", [] { return std::string("no window"); }));
        PostMessageW(sample, WM_CLOSE, 0, 0);
        EXPECT_TRUE(e2e::WaitUntil([] { return FindWindowW(L"OrvantSampleApp", nullptr) == nullptr; },
                                   "the sample to close", [] { return std::string("still open"); }));
    }

    // Every line of the plan looked up where the install put its effect.
    void ExpectPlanHolds(const std::string& plan, const std::string& dist);
};

void PlanOfSample::ExpectPlanHolds(const std::string& plan, const std::string& dist) {
    std::string log = folder_ + "UNSETUP.INI";
    std::set<std::string> named{Upper(log)};
    std::set<std::string> logEntries;
    // Files that INI entries of the plan change after their copy.
    std::set<std::string> changed;
    for (const std::string& line : Lines(plan))
        if (StartsWith(line, "  ini ")) changed.insert(Upper(line.substr(6, line.find(" [") - 6)));
    std::string section;
    for (const std::string& line : Lines(plan)) {
        SCOPED_TRACE(line);
        if (!StartsWith(line, "  ")) {
            section = line;
            continue;
        }
        std::string tag = line.substr(2, line.find(' ', 2) - 2);
        std::string what = WithoutNotes(line.substr(3 + tag.size()));
        std::string from = what.substr(0, what.find(" -> "));
        std::string to = what.find(" -> ") == std::string::npos ? "" : what.substr(what.find(" -> ") + 4);
        if (tag == "folder") {
            EXPECT_TRUE(FolderExists(what));
            named.insert(Upper(what));
        } else if (tag == "copy" && section == "Finishing") {
            EXPECT_TRUE(FileExists(to));
        } else if (tag == "copy" || tag == "expand") {
            named.insert(Upper(to));
            ASSERT_TRUE(FileExists(to));
            // A compressed source is expanded, not copied as it is.
            if (tag == "copy") {
                if (!changed.count(Upper(to))) {
                    EXPECT_EQ(ReadBytes(to), ReadBytes(dist + from));
                }
            } else {
                EXPECT_NE(ReadBytes(to), ReadBytes(dist + from));
            }
        } else if (tag == "link") {
            Link link = ReadLink(from);
            ASSERT_TRUE(link.loaded);
            EXPECT_EQ(Upper(link.target), Upper(to));
        } else if (tag == "value") {
            ExpectValue(what);
        } else if (tag == "ini") {
            // INI files hold code page 932 bytes.
            size_t open = what.find(" ["), close = what.find("] ", open), equals = what.find('=', close);
            EXPECT_TRUE(e2e::SameCp932(e2e::IniValue(what.substr(0, open), what.substr(open + 2, close - open - 2),
                                                     what.substr(close + 2, equals - close - 2)),
                                       what.substr(equals + 1)));
        } else if (tag == "log") {
            EXPECT_EQ(what, log);
        } else if (tag == "start") {
            EXPECT_EQ(what, folder_ + "SAMPLE.EXE");  // that it starts is seen when the install ends
        } else if (StartsWith(tag, "[")) {
            // "  [<section>] <key>=<value>  -- <meaning>": the log holds exactly that.
            std::string entry = line.substr(2, line.find("  -- ") - 2);
            std::string logSection = entry.substr(1, entry.find(']') - 1);
            size_t keyAt = entry.find("] ") + 2;
            std::string key = entry.substr(keyAt, entry.find('=') - keyAt);
            EXPECT_TRUE(e2e::SameCp932(e2e::IniValue(log, logSection, key), entry.substr(entry.find('=') + 1)));
            logEntries.insert(logSection + " " + key);
        } else {
            ADD_FAILURE() << "the sample's plan has no " << tag << " lines";
        }
    }
    // Nothing in the log's lists that the plan leaves out.
    for (auto [list, prefix] : {std::pair{"DeleteFile", "File"}, std::pair{"AddDeleteFile", "File"},
                                std::pair{"DeleteShortCut", "File"}, std::pair{"DeleteFolder", "Folder"},
                                std::pair{"DeleteRegistry", "Key"}, std::pair{"RestoreRelate", "Key"}}) {
        for (int n = 1; !e2e::IniValue(log, list, prefix + std::to_string(n)).empty(); ++n)
            EXPECT_TRUE(logEntries.count(std::string(list) + " " + prefix + std::to_string(n))) << list << n;
    }
    // Nothing in the install folder that the plan does not name (its names are plain ASCII).
    for (const std::string& entry : Lines(Listing(folder_)))
        EXPECT_TRUE(named.count(Upper(folder_ + entry))) << entry;
}

TEST_F(PlanOfSample, NamesEveryEffectOfTheInstall) {
    std::string dist = e2e::SampleDistribution("check-plan");
    ASSERT_FALSE(dist.empty());
    // The plan in UTF-8, SETUPCHK's output when it writes to a pipe.
    CheckerRun run = RunChecker(e2e::WindowsPath(e2e::EnvironmentVariable("SETUP_E2E_CHECK_EXE")),
                                "/EN /PLAN \"/D=" + folder_ + "\" \"" + dist + "\"", {});
    ASSERT_TRUE(run.started) << run.startError;
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    e2e::TargetProcess setup;
    e2e::Window wizard = InstallUntilDone(setup, dist);
    ASSERT_TRUE(wizard);
    ExpectPlanHolds(run.output, dist);
    Finish(setup, wizard);
}

}  // namespace
