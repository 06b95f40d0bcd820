// Installs that meet faults: unusual destinations and an unreadable source, a drive that fills up
// during the copy, a run killed in the middle and run again (with a second start meanwhile). Each
// ends with nothing lost: the machine holds exactly what the uninstall log lists, and the
// uninstall through the Add/Remove entry leaves it as it was before.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/control_ids.h"
#include "support/places.h"
#include "app/exit_codes.h"
#include "edge/wide.h"
#include "runs/runs_support.h"

using namespace runs;

namespace {

class FaultMatrix : public RunsTest {
protected:
    // A program of the scenario: its title, Add/Remove key and install folder, removed at the end.
    // name is the title's word, key the Add/Remove key name and program identifier.
    void Define(const std::string& name, const std::string& key, const std::string& folder) {
        name_ = name;
        key_ = key;
        folder_ = folder;
        RemoveFolderLater(folder);
        DeleteKeyLater(HKEY_LOCAL_MACHINE, UninstallKey());
        RemoveRecordedProgramLater(key);
        EXPECT_FALSE(FolderExists(folder)) << "a previous run left " << folder;
    }
    std::string Title() const { return "Runs " + name_; }
    std::string UninstallKey() const { return std::string(kUninstallRoot) + "\\" + key_; }
    std::string Script(const std::string& copyFiles, const std::string& speed = "1") const {
        return "[Title]\nSetup=" + Title() + "\nUnSetup=" + Title() + " 削除\nUnSetupKey=" + key_ +
               "\n[Extend]\nSetupSpeed=" + speed + "\n[ProgramID]\nID=" + key_ + "\n[CopyFile]\n" + copyFiles;
    }
    bool Uninstall() const {
        return UninstallQuietly(RegString(HKEY_LOCAL_MACHINE, UninstallKey(), "UninstallString"), Title() + " 削除");
    }
    Snapshot Machine() const {
        std::string windows = WindowsFolder();
        return TakeSnapshot({ProgramFilesFolder() + "*", windows + "*", "T:\\*"}, {},
                            {windows + places::Uninstaller(), windows + "OVSET98.INI"});
    }
    // The files that the install folder's log lists for removal, in order, as stored (code page
    // 932 bytes).
    std::vector<std::string> LoggedFiles() const {
        std::vector<std::string> files;
        std::string log = folder_ + "UNSETUP.INI";
        for (int n = 1;; ++n) {
            std::string value = e2e::IniValue(log, "DeleteFile", "File" + std::to_string(n));
            if (value.empty()) return files;
            files.push_back(value);
        }
    }
    // Paths as a code page 932 log stores them.
    static std::vector<std::string> Stored(std::vector<std::string> paths) {
        for (std::string& path : paths) path = e2e::Cp932(path);
        return paths;
    }
    // The install after the start button: the failure question answered Yes, the details page
    // checked with the given test and left, then the progress window's "次へ(&N)" and the end.
    void CompleteWithDetails(e2e::TargetProcess& setup, const e2e::Window& wizard,
                             const std::function<::testing::AssertionResult(const std::string&)>& details) {
        ASSERT_TRUE(AnswerBox(setup, "警告", IDYES,
                              "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "続行(&C)"));
        EXPECT_SOON_TRUE(details(wizard.ControlById(IDC_TXT_README).Text()));
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "続行(&C)"));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "ファイルをコピーしています．．．一部失敗\r\n"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false, kExitFailed));
    }

    std::string name_, key_, folder_;
};

}  // namespace

// Destinations there already, older, read-only and hidden: replaced. An empty source: copied.
// A source that another program holds open: a failure, not a file in use at the destination, so
// neither logged nor left to a restart.
TEST_F(FaultMatrix, UnusualDestinationsAndAnUnreadableSource) {
    Define("障害", "OrvantRunsFaults", ProgramFilesFolder() + "OrvantRuns Faults\\");
    Snapshot before = Machine();
    std::string dist = Distribution("faults", Script("File1=(App)RO.TXT\nFile2=(App)HIDDEN.TXT\nFile3=(App)EMPTY.TXT\n"
                                                     "File4=(App)BUSY.TXT\n"));
    ASSERT_FALSE(dist.empty());
    for (const auto& [name, bytes] : {std::pair<const char*, const char*>{"RO.TXT", "new ro\r\n"},
                                      {"HIDDEN.TXT", "new hidden\r\n"}, {"EMPTY.TXT", ""}, {"BUSY.TXT", "busy\r\n"}})
        ASSERT_TRUE(AddFile(dist, name, bytes));
    ASSERT_TRUE(e2e::MakeFolders(folder_));
    for (const auto& [name, attributes] : {std::pair<const char*, DWORD>{"RO.TXT", FILE_ATTRIBUTE_READONLY},
                                           {"HIDDEN.TXT", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        ASSERT_TRUE(WriteBytes(folder_ + name, "old\r\n"));
        ASSERT_TRUE(MakeOld(folder_ + name));
        ASSERT_TRUE(SetFileAttributesW(Wide(folder_ + name).c_str(), attributes));
    }
    {
        HeldFile busy(dist + "BUSY.TXT");
        ASSERT_TRUE(busy.Held());
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, Title(), folder_);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_NO_FATAL_FAILURE(CompleteWithDetails(setup, wizard, [&](const std::string& text) {
            return SameLines(text, "<File> " + folder_ + "BUSY.TXT\r\n" + SystemText(ERROR_SHARING_VIOLATION) + "\r\n");
        }));
    }
    EXPECT_EQ(ReadBytes(folder_ + "RO.TXT"), "new ro\r\n");
    EXPECT_EQ(ReadBytes(folder_ + "HIDDEN.TXT"), "new hidden\r\n");
    EXPECT_TRUE(FileExists(folder_ + "EMPTY.TXT"));
    EXPECT_FALSE(FileExists(folder_ + "BUSY.TXT"));
    EXPECT_EQ(LoggedFiles(),
              Stored({folder_ + "RO.TXT", folder_ + "HIDDEN.TXT", folder_ + "EMPTY.TXT", folder_ + "UNSETUP.INI"}));
    EXPECT_EQ(RestartRecord(), "");
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(Compare(before, Machine()), "");
}

// The install folder is on drive T:, a 2 MB drive of its own. Once the free-space check has passed
// (the folder question comes after it), the drive is filled so that only the first file fits: the
// others fail with the system's text, nothing half-written stays, and the log lists what is there.
TEST_F(FaultMatrix, DriveThatFillsUpDuringTheCopy) {
    ULARGE_INTEGER free{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"T:\\", &free, &total, nullptr));
    ASSERT_LE(total.QuadPart, 4ull << 20) << "drive T: must be a small drive of its own (tools/wine-env.sh mounts "
                                             "one as root)";
    Define("満杯", "OrvantRunsFull", "T:\\OrvantRuns Full\\");
    RemoveFileLater("T:\\FILLER.BIN");
    Snapshot before = Machine();
    const std::string block(300 * 1024, 'x');
    std::string dist = Distribution("full", Script("File1=(App)A.BIN\nFile2=(App)B.BIN\nFile3=(App)C.BIN\n"));
    ASSERT_FALSE(dist.empty());
    for (const char* name : {"A.BIN", "B.BIN", "C.BIN"}) ASSERT_TRUE(AddFile(dist, name, block));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, Title(), folder_);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        e2e::MsgBox create = setup.WaitMessageBox(30000);
        ASSERT_TRUE(create);
        ASSERT_TRUE(GetDiskFreeSpaceExW(L"T:\\", &free, nullptr, nullptr));
        ASSERT_TRUE(WriteBytes("T:\\FILLER.BIN", std::string(free.QuadPart - 400 * 1024, '\0')));
        ASSERT_TRUE(create.Answer(IDYES));
        ASSERT_NO_FATAL_FAILURE(CompleteWithDetails(setup, wizard, [&](const std::string& text) {
            std::string full = SystemText(ERROR_DISK_FULL) + "\r\n";
            return SameLines(text, "<File> " + folder_ + "B.BIN\r\n" + full + "<File> " + folder_ + "C.BIN\r\n" + full);
        }));
    }
    EXPECT_EQ(Listing(folder_), "A.BIN\nUNSETUP.INI\n") << "no half-written file stays";
    EXPECT_EQ(LoggedFiles(), Stored({folder_ + "A.BIN", folder_ + "UNSETUP.INI"}));
    ASSERT_TRUE(DeleteFileW(L"T:\\FILLER.BIN"));
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(Compare(before, Machine()), "");
}

// A run killed after two of six files leaves no log; run again, it completes (a start of the
// program meanwhile leaves at once without a window), its log lists every file of the package,
// and the uninstall leaves nothing of either run.
TEST_F(FaultMatrix, RunKilledMidCopyThenRunAgain) {
    Define("中断", "OrvantRunsKilled", ProgramFilesFolder() + "OrvantRuns Killed\\");
    Snapshot before = Machine();
    std::string files;
    for (int n = 1; n <= 6; ++n) files += "File" + std::to_string(n) + "=(App)F" + std::to_string(n) + ".TXT\n";
    std::string dist = Distribution("killed", Script(files, "300"));
    ASSERT_FALSE(dist.empty());
    for (int n = 1; n <= 6; ++n) ASSERT_TRUE(AddFile(dist, "F" + std::to_string(n) + ".TXT", "file " + std::to_string(n)));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, Title(), folder_);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
        e2e::Window status = setup.WaitWindow("TfrmStatus", "進行状況", 30000);
        ASSERT_TRUE(status);
        e2e::Window counter = status.ControlById(IDC_STATUS_LBL_STATUS);
        ASSERT_TRUE(e2e::WaitUntil([&] { return Caption(counter).find("(2/6)") != std::string::npos; },
                                   "two files copied", [&] { return Caption(counter); }, 30000));
        setup.Kill();
    }
    EXPECT_FALSE(FileExists(folder_ + "UNSETUP.INI")) << "the killed run wrote no log";
    EXPECT_TRUE(FileExists(folder_ + "F2.TXT"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, Title(), folder_);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(setup.WaitWindow("TfrmStatus", "進行状況", 30000));
        e2e::TargetProcess second;
        ASSERT_TRUE(second.Start(dist + "SETUP.EXE"));
        std::string shown;
        EXPECT_TRUE(e2e::PollUntil(
            [&] {
                if (shown.empty() && !second.TopWindows(true).empty()) shown = second.DescribeWindows();
                return !second.Running();
            },
            15000));
        EXPECT_EQ(shown, "") << "the second start showed windows";
        EXPECT_EQ(second.ExitCode(), static_cast<DWORD>(kExitAlreadyRunning));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
    }
    std::vector<std::string> expected;
    for (int n = 1; n <= 6; ++n) expected.push_back(folder_ + "F" + std::to_string(n) + ".TXT");
    expected.push_back(folder_ + "UNSETUP.INI");
    EXPECT_EQ(LoggedFiles(), Stored(expected));
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(Compare(before, Machine()), "");
}
