// Round trips: a script installed through the wizard, then removed through its Add/Remove entry as
// Windows starts it, with the uninstall's questions answered as a user would; afterwards the
// machine is as before, except what is kept on purpose.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/control_ids.h"
#include "app/exit_codes.h"
#include "edge/wide.h"
#include "runs/runs_support.h"
#include "support/places.h"

using namespace runs;

namespace {

const char kSharedQuestionTail[] =
    "\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n"
    "しかし、今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
const char kRestartNotice[] = "(追加情報)このファイルはWindowsの再起動後に削除が試行されます。\r\n";
const char kFolderLeftBlock[] =
    "ファイル・フォルダが残っているため、インストールフォルダを削除できませんでした。"
    "エクスプローラなどから、直接削除してください。\r\n\r\n";

std::string ConfirmQuestion(const std::string& path) {
    return path + "\r\n\r\nこのファイルを削除してもよろしいですか？\r\n\r\n<<　注意　>>\r\n"
                  "DLL/OCXなどは他のプログラムでも使用される可能性があります。\r\n"
                  "確実に使用されないことがわかっている場合のみ削除してください。";
}

std::string ServerQuestion(const std::string& path) {
    return path + "\r\n\r\nこのDLL/OCXファイルは、共有登録されていませんが、\r\n"
                  "今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
}

DWORD CountOf(HKEY root, const std::string& key, const std::string& name) {
    RegValue value = ReadValue(root, key, name);
    DWORD count = 0;
    if (value.exists && value.data.size() == 4) memcpy(&count, value.data.data(), 4);
    return count;
}

// One program of a scenario: its script header, install folder and Add/Remove entry, all removed
// at the end whatever happened.
class Uninstall : public RunsTest {
protected:
    struct Program {
        std::string name;    // "Runs " + name is the setup title
        std::string key;     // Add/Remove key name
        std::string id;      // program identifier
        std::string folder;  // install folder
        std::string Title() const { return "Runs " + name; }
        std::string UnTitle() const { return "Runs " + name + " 削除"; }
        std::string UninstallKey() const { return std::string(kUninstallRoot) + "\\" + key; }
        std::string UninstallString() const { return RegString(HKEY_LOCAL_MACHINE, UninstallKey(), "UninstallString"); }
    };

    Program Define(const std::string& name, const std::string& key, const std::string& id, const std::string& folder) {
        Program program{name, key, id, folder};
        RemoveFolderLater(folder);
        DeleteKeyLater(HKEY_LOCAL_MACHINE, program.UninstallKey());
        RemoveRecordedProgramLater(id);
        EXPECT_FALSE(FolderExists(folder)) << "a previous run left " << folder;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, program.UninstallKey()));
        return program;
    }

    static std::string Header(const Program& p, const std::string& extend = {}) {
        return "[Title]\nSetup=" + p.Title() + "\nUnSetup=" + p.UnTitle() + "\nUnSetupKey=" + p.key +
               "\n[Extend]\nSetupSpeed=1\n" + extend + "[ProgramID]\nID=" + p.id + "\n";
    }

    // Files of the machine that the scenario creates outside its install folder.
    void OwnFile(const std::string& path) {
        // A file that is there already is not ours to remove.
        if (FileExists(path)) {
            ADD_FAILURE() << path << " exists already";
            return;
        }
        RemoveFileLater(path);
        DeleteSharedCountLater(path);
    }

    Snapshot Machine(std::vector<std::string> kept = {}) const {
        std::string windows = WindowsFolder();
        kept.push_back(windows + places::Uninstaller());
        kept.push_back(windows + "OVSET98.INI");
        return TakeSnapshot({ProgramFilesFolder() + "*", windows + "*", ProgramsFolder()}, {}, kept);
    }

    bool InstallProgram(const Program& program, const std::string& script,
                        const std::vector<std::pair<std::string, std::string>>& files,
                        e2e::Where where = e2e::Where::current()) {
        std::string dist = Distribution(program.key, script);
        if (dist.empty()) return false;
        for (const auto& [name, bytes] : files)
            if (!AddFile(dist, name, bytes)) return false;
        return InstallThroughWizard(dist, program.Title(), program.folder, false, where);
    }
};

// ---------------------------------------------------------------------------------------------
// Two programs count one shared file: the first uninstall keeps it without a word, the second
// asks with the four-button dialog.
TEST_F(Uninstall, SharedFileOfTwoInstallsIsAskedForOnlyByTheLast) {
    const std::string shared = WindowsFolder() + "ORVRUNSH.DAT";
    OwnFile(shared);
    Program a = Define("共有A", "OrvantRunsSharedA", "ORVRUNSSA", ProgramFilesFolder() + "OrvantRuns SharedA\\");
    Program b = Define("共有B", "OrvantRunsSharedB", "ORVRUNSSB", ProgramFilesFolder() + "OrvantRuns SharedB\\");
    ASSERT_FALSE(HasFailure());
    Snapshot before = Machine();

    ASSERT_TRUE(InstallProgram(a, Header(a) + "[CopyFile]\nFile1=(App)A.TXT\nFile2=(Win)ORVRUNSH.DAT,/S\n",
                               {{"A.TXT", "a\r\n"}, {"ORVRUNSH.DAT", "shared\r\n"}}));
    EXPECT_EQ(SharedCount(shared), 1);
    ASSERT_TRUE(InstallProgram(b, Header(b) + "[CopyFile]\nFile1=(App)B.TXT\nFile2=(Win)ORVRUNSH.DAT,/S\n",
                               {{"B.TXT", "b\r\n"}, {"ORVRUNSH.DAT", "shared\r\n"}}));
    EXPECT_EQ(SharedCount(shared), 2);

    // The first uninstall lowers the count and keeps the file, without asking.
    ASSERT_TRUE(UninstallQuietly(a.UninstallString(), a.UnTitle()));
    EXPECT_TRUE(FileExists(shared));
    EXPECT_EQ(SharedCount(shared), 1);
    EXPECT_FALSE(FolderExists(a.folder));

    // The last one asks.
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, b.UninstallString(), b.UnTitle());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        e2e::Window dialog = unsetup.WaitWindow("TfrmCustomDlg", "ファイル削除の確認", 30000);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(WaitCaption(dialog.ControlById(IDC_CUSTOM_LBL_MESSAGE), shared + kSharedQuestionTail));
        EXPECT_SOON_EQ(Caption(dialog.ControlById(IDC_CUSTOM_BTN_YES)), "はい(&Y)");
        EXPECT_SOON_EQ(Caption(dialog.ControlById(IDC_CUSTOM_BTN_NO)), "いいえ(&N)");
        EXPECT_SOON_EQ(Caption(dialog.ControlById(IDC_CUSTOM_BTN_DELETE)), "すべて削除(&D)");
        EXPECT_SOON_EQ(Caption(dialog.ControlById(IDC_CUSTOM_BTN_SAVE)), "すべて保存(&A)");
        EXPECT_SOON_EQ(GetWindowLongPtrW(dialog.Handle(), GWL_STYLE) & WS_SYSMENU, 0) << "no close box";
        e2e::Screenshot("shared-file-dialog");
        ASSERT_TRUE(AnswerSharedDialog(unsetup, shared + kSharedQuestionTail, IDC_CUSTOM_BTN_YES));
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    }
    EXPECT_FALSE(FileExists(shared));
    EXPECT_EQ(SharedCount(shared), -1);
    EXPECT_EQ(Compare(before, Machine()), "");
}

// ---------------------------------------------------------------------------------------------
// "すべて削除(&D)" and "すべて保存(&A)" hold for every later shared file of the run; "はい(&Y)" and
// "いいえ(&N)" only for the file asked about.
class SharedAnswers : public Uninstall, public ::testing::WithParamInterface<bool> {};

TEST_P(SharedAnswers, AnAnswerForAllHoldsForTheLaterFiles) {
    const bool deleteAll = GetParam();
    std::vector<std::string> shared;
    for (int n = 1; n <= 3; ++n) {
        shared.push_back(WindowsFolder() + "ORVRUNS" + std::to_string(n) + ".DAT");
        OwnFile(shared.back());
    }
    Program p = Define("共有回答", "OrvantRunsAnswers", "ORVRUNSAN", ProgramFilesFolder() + "OrvantRuns Answers\\");
    ASSERT_FALSE(HasFailure());
    // Files kept by the user's answer stay on purpose.
    Snapshot before = Machine(deleteAll ? std::vector<std::string>{} : shared);

    ASSERT_TRUE(InstallProgram(p,
                               Header(p) + "[CopyFile]\nFile1=(App)APP.TXT\nFile2=(Win)ORVRUNS1.DAT,/S\n"
                                           "File3=(Win)ORVRUNS2.DAT,/S\nFile4=(Win)ORVRUNS3.DAT,/S\n",
                               {{"APP.TXT", "app\r\n"},
                                {"ORVRUNS1.DAT", "1\r\n"},
                                {"ORVRUNS2.DAT", "2\r\n"},
                                {"ORVRUNS3.DAT", "3\r\n"}}));
    for (const std::string& path : shared) EXPECT_EQ(SharedCount(path), 1);
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerSharedDialog(unsetup, shared[0] + kSharedQuestionTail,
                                       deleteAll ? IDC_CUSTOM_BTN_YES : IDC_CUSTOM_BTN_NO));
        // The single answer does not hold: the next file is asked about again.
        ASSERT_TRUE(AnswerSharedDialog(unsetup, shared[1] + kSharedQuestionTail,
                                       deleteAll ? IDC_CUSTOM_BTN_DELETE : IDC_CUSTOM_BTN_SAVE));
        // The third file takes the answer for all: no dialog, no failure.
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    }
    for (const std::string& path : shared) {
        EXPECT_EQ(FileExists(path), !deleteAll) << path;
        EXPECT_EQ(SharedCount(path), -1) << "the count went to zero: " << path;
    }
    EXPECT_FALSE(FolderExists(p.folder));
    EXPECT_EQ(Compare(before, Machine(deleteAll ? std::vector<std::string>{} : shared)), "");
}

INSTANTIATE_TEST_SUITE_P(Answer, SharedAnswers, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("YesThenDeleteAll") : std::string("NoThenSaveAll");
                         });

// ---------------------------------------------------------------------------------------------
// "/C": the user is asked; No keeps the file and is no failure, Yes deletes it.
TEST_F(Uninstall, ConfirmedFileAnsweredNoStaysWithoutFailure) {
    const std::string kept = WindowsFolder() + "ORVRUNC1.DAT";
    const std::string removed = WindowsFolder() + "ORVRUNC2.DAT";
    OwnFile(kept);
    OwnFile(removed);
    Program p = Define("確認", "OrvantRunsConfirm", "ORVRUNSCF", ProgramFilesFolder() + "OrvantRuns Confirm\\");
    ASSERT_FALSE(HasFailure());
    Snapshot before = Machine({kept});

    ASSERT_TRUE(InstallProgram(
        p, Header(p) + "[CopyFile]\nFile1=(App)APP.TXT\nFile2=(Win)ORVRUNC1.DAT,/C\nFile3=(Win)ORVRUNC2.DAT,/C\n",
        {{"APP.TXT", "app\r\n"}, {"ORVRUNC1.DAT", "c1\r\n"}, {"ORVRUNC2.DAT", "c2\r\n"}}));
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(unsetup, "ファイル削除の確認", IDNO, ConfirmQuestion(kept)));
        ASSERT_TRUE(AnswerBox(unsetup, "ファイル削除の確認", IDYES, ConfirmQuestion(removed)));
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    }
    EXPECT_TRUE(FileExists(kept));
    EXPECT_FALSE(FileExists(removed));
    EXPECT_EQ(Compare(before, Machine({kept})), "");
}

// ---------------------------------------------------------------------------------------------
// A COM server in the System folder without a shared count: the user is asked; Yes unregisters
// and deletes it, No keeps it registered and in place.
TEST_F(Uninstall, ServerFileInTheSystemFolderIsAskedFor) {
    const std::string system = SystemFolder();
    const std::string deleted = system + "ORVRSRV1.DLL";
    const std::string kept = system + "ORVRSRV2.OCX";
    OwnFile(deleted);
    OwnFile(kept);
    const std::string trace = "Software\\OrvantTest\\ComServer\\comserver_ok";
    if (!KeyExists(HKEY_CURRENT_USER, "Software\\OrvantTest"))
        DeleteKeyLater(HKEY_CURRENT_USER, "Software\\OrvantTest");
    else if (!KeyExists(HKEY_CURRENT_USER, trace))
        DeleteKeyLater(HKEY_CURRENT_USER, trace);
    Program p = Define("サーバ", "OrvantRunsServer", "ORVRUNSSV", ProgramFilesFolder() + "OrvantRuns Server\\");
    ASSERT_FALSE(HasFailure());
    Snapshot before = Machine();
    DWORD registered = CountOf(HKEY_CURRENT_USER, trace, "RegisterCalls");
    DWORD unregistered = CountOf(HKEY_CURRENT_USER, trace, "UnregisterCalls");

    std::string dist = Distribution(p.key, Header(p) + "[CopyFile]\nFile1=(App)APP.TXT\n"
                                                       "File2=(Sys)ORVRSRV1.DLL,/R\nFile3=(Sys)ORVRSRV2.OCX,/R\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    ASSERT_TRUE(AddSysBinFile(dist, "comserver_ok.dll", "ORVRSRV1.DLL"));
    ASSERT_TRUE(AddSysBinFile(dist, "comserver_ok.dll", "ORVRSRV2.OCX"));
    ASSERT_TRUE(InstallThroughWizard(dist, p.Title(), p.folder));
    EXPECT_TRUE(FileExists(deleted));
    EXPECT_TRUE(FileExists(kept));
    // The system folder the program was shown is, for a 32-bit program, syswow64 on disk.
    EXPECT_EQ(places::OnDisk("ORVRSRV1.DLL"), places::SystemFolderOnDisk());
    EXPECT_EQ(CountOf(HKEY_CURRENT_USER, trace, "RegisterCalls"), registered + 2) << "/R registered both";
    EXPECT_EQ(SharedCount(deleted), -1);
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(unsetup, "ファイル削除の確認", IDYES, ServerQuestion(deleted)));
        ASSERT_TRUE(AnswerBox(unsetup, "ファイル削除の確認", IDNO, ServerQuestion(kept)));
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    }
    EXPECT_FALSE(FileExists(deleted));
    EXPECT_TRUE(FileExists(kept));
    EXPECT_EQ(places::OnDisk("ORVRSRV1.DLL"), "<nowhere>");
    EXPECT_EQ(places::OnDisk("ORVRSRV2.OCX"), places::SystemFolderOnDisk());
    EXPECT_EQ(CountOf(HKEY_CURRENT_USER, trace, "UnregisterCalls"), unregistered + 1)
        << "only the deleted server unregistered itself";
    EXPECT_EQ(Compare(before, Machine()), "");
}

// A server that crashes in both entry points: the install reports the failed registration and
// completes; the uninstall reports the failed unregistration, removes the file and completes.
TEST_F(Uninstall, CrashingServerIsReportedAndBothRunsComplete) {
    const std::string trace = "Software\\OrvantTest\\ComServer\\comserver_crash";
    DeleteKeyLater(HKEY_CURRENT_USER, trace);
    Program p = Define("クラッシュ", "OrvantRunsCrash", "ORVRUNSCR", ProgramFilesFolder() + "OrvantRuns Crash\\");
    ASSERT_FALSE(HasFailure());
    Snapshot before = Machine();
    const std::string server = p.folder + "CRASH.DLL";
    std::string dist = Distribution(p.key, Header(p) + "[CopyFile]\nFile1=(App)CRASH.DLL,/R\nFile2=(App)APP.TXT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    ASSERT_TRUE(AddSysBinFile(dist, "comserver_crash.dll", "CRASH.DLL"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, p.Title(), p.folder);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
        ASSERT_TRUE(AnswerBox(setup, "OCX/DLL登録エラー(Procedure)", IDOK,
                              server + "のDllRegisterServer関数が失敗しました。"));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "【処理完了】"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false, kExitFailed));
    }
    EXPECT_EQ(ReadBytes(p.folder + "APP.TXT"), "app\r\n") << "the run went on after the crash";
    EXPECT_EQ(CountOf(HKEY_CURRENT_USER, trace, "RegisterCalls"), 1u);
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(unsetup, "OCX/DLL登録エラー(Procedure)", IDOK,
                              server + "のDllUnregisterServer関数が失敗しました。"));
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard, kExitFailed));
    }
    EXPECT_EQ(CountOf(HKEY_CURRENT_USER, trace, "UnregisterCalls"), 1u);
    EXPECT_EQ(Compare(before, Machine()), "");
}

// ---------------------------------------------------------------------------------------------
// A 32-bit COM server, as most distributions carry: the 32-bit SETUP.EXE registers it in the 32-bit
// view of the registry and counts it among the 32-bit shared files, and the uninstall unregisters
// it. The 64-bit SETUP.EXE cannot load a 32-bit library: it says so, naming the file, and the
// install goes on; its uninstall removes the file without a word about loading.
TEST_F(Uninstall, ThirtyTwoBitServerRegistersOnlyWithTheThirtyTwoBitSetup) {
    const std::string classKey = "Software\\Classes\\CLSID\\{5E1F0C2A-7B3D-4E59-9A61-0C8D2F4B7E13}";
    Program p = Define("32ビットサーバ", "OrvantRunsServer32", "ORVRUNS32", ProgramFilesFolder() + "OrvantRuns Server32\\");
    const std::string server = p.folder + "ORV32.DLL";
    DeleteSharedCountLater(server);
    Later([classKey] {
        HKEY classes;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                          &classes) != ERROR_SUCCESS)
            return;
        SHDeleteKeyW(classes, Wide(classKey.substr(classKey.rfind('\\') + 1)).c_str());
        RegCloseKey(classes);
    });
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, classKey), "<nowhere>") << "a previous run left the class";
    ASSERT_FALSE(HasFailure());

    std::string dist = Distribution(p.key, Header(p) + "[CopyFile]\nFile1=(App)ORV32.DLL,/S/R\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddSysBinFile(dist, "comserver_x86.dll", "ORV32.DLL"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, p.Title(), p.folder);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
        if (!places::kThirtyTwoBit) {
            ASSERT_TRUE(AnswerBox(setup, "OCX/DLL登録エラー(LoadLibrary)", IDOK, server + "の読み込みに失敗しました。"));
        }
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        EXPECT_TRUE(e2e::Contains(ProgressText(status), "【処理完了】"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        // The 64-bit program told the user of the failed registration: a failed run.
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false, places::kThirtyTwoBit ? 0 : 1603));
    }
    EXPECT_TRUE(FileExists(server));
    EXPECT_EQ(SharedCount(server), 1);
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSharedDlls, server.c_str()), places::MachineKey(kSharedDlls));
    if (places::kThirtyTwoBit) {
        EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, classKey), places::MachineKey(classKey));
        EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, classKey + "\\InprocServer32", ""), server);
    } else {
        EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, classKey), "<nowhere>");
    }

    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerSharedDialog(unsetup, server + kSharedQuestionTail, IDC_CUSTOM_BTN_YES));
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    }
    EXPECT_FALSE(FileExists(server));
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kSharedDlls, server.c_str()), "<nowhere>");
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, classKey), "<nowhere>") << "unregistered before it went";
}

// ---------------------------------------------------------------------------------------------
// A file in use at uninstall: with "/F" its deletion waits for the restart, which is offered;
// without, it is a failure and no restart is offered.
class LockedUninstall : public Uninstall, public ::testing::WithParamInterface<bool> {};

TEST_P(LockedUninstall, ReportsTheFileAndOffersARestartOnlyWithF) {
    const bool deleteAtRestart = GetParam();
    Program p = Define(deleteAtRestart ? "ロックF" : "ロック", deleteAtRestart ? "OrvantRunsLockF" : "OrvantRunsLockN",
                       "ORVRUNSLU", ProgramFilesFolder() + "OrvantRuns LockedUninstall\\");
    const std::string locked = p.folder + "LOCKED.TXT";
    RemovePendingLater(locked);
    RemovePendingLater(p.folder.substr(0, p.folder.size() - 1));
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(InstallProgram(p,
                               Header(p) + "[CopyFile]\nFile1=(App)APP.TXT\nFile2=(App)LOCKED.TXT" +
                                   (deleteAtRestart ? ",/F" : "") + "\n",
                               {{"APP.TXT", "app\r\n"}, {"LOCKED.TXT", "in use\r\n"}}));
    HeldFile holder(locked);
    ASSERT_TRUE(holder.Held());

    e2e::TargetProcess unsetup;
    e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
    ASSERT_TRUE(AnswerBox(unsetup, "情報", IDYES, "アンインストールの過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？"));

    // The details page: the file's block (with the restart notice for "/F") and the install
    // folder that could not go because the file is still there (or goes after it at the restart).
    e2e::Window details = wizard.ControlById(IDC_TXT_README);
    ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "続行(&C)", 15000));
    ASSERT_TRUE(details.WaitVisible(true));
    EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_FRA_README)), "削除処理失敗　詳細表示");
    // Either the shell's own code or, when the shell reported success, access denied.
    auto detailsFor = [&](DWORD code) {
        return "<File> " + locked + "\r\n" + SystemText(code) + (deleteAtRestart ? kRestartNotice : "") + "\r\n" +
               "<SetupFolder> " + p.folder + "\r\n" +
               (deleteAtRestart ? "(追加情報)このフォルダはWindowsの再起動後に削除が試行されます。\r\n\r\n" : kFolderLeftBlock);
    };
    EXPECT_SOON_TRUE(details.Text() == detailsFor(ERROR_ACCESS_DENIED)
                         ? ::testing::AssertionSuccess()
                         : SameLines(details.Text(), detailsFor(ERROR_SHARING_VIOLATION)));
    e2e::Screenshot("details-page");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "続行(&C)"));

    e2e::Window status = WaitForNext(unsetup);
    ASSERT_TRUE(status);
    EXPECT_SOON_TRUE(SameLines(ProgressText(status),
                          "アンインストールを行っています。\r\n\r\n【処理状況】\r\n"
                          "ファイルのアンインストール処理．．．一部失敗\r\n"
                          "ショートカットのアンインストール処理．．．完了\r\n"
                          "フォルダのアンインストール処理．．．完了\r\n"
                          "レジストリのアンインストール処理．．．完了\r\n"
                          "関連付けのアンインストール処理．．．完了\r\n"
                          "「プログラム(アプリケーション)の追加と削除」の処理．．．完了\r\n"
                          "インストールフォルダのアンインストール処理．．．一部失敗\r\n"
                          "《情報》アンインストールの過程で、一部の処理が失敗しました。\r\n"
                          "\r\n【処理完了】\r\n"
                          "　「次へ(N)」をクリックして、アンインストールを完了してください。\r\n"));
    ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
    ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "アンインストール完了(&E)", 10000));
    e2e::Window first = wizard.ControlById(IDC_OPT_SELECT_TYPE1);
    e2e::Window second = wizard.ControlById(IDC_OPT_SELECT_TYPE2);
    if (deleteAtRestart) {
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "　アンインストールを完了するには、Windowsを再起動する必要があります。\r\n\r\n"
                                  "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
                                  "かつ、終了後プログラムは実行されませんので、十分にご注意ください。");
        EXPECT_SOON_EQ(Caption(first), "はい、Windowsを再起動します。(&Y)");
        EXPECT_SOON(first, Checked, true);
        EXPECT_SOON_EQ(Caption(second), "いいえ、Windowsは再起動せずに、アンインストーラーを終了します。(&N)");
        EXPECT_SOON(second, Visible, true);
        e2e::Screenshot("completion-restart-choice");
    } else {
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "アンインストールを完了しました。");
        EXPECT_SOON_EQ(Caption(first), "アンインストーラを終了します。(&Y)");
        EXPECT_SOON(second, Visible, false);
    }
    // Deleted at the restart is done once Windows restarts; without "/F" the file stays: a failure.
    ASSERT_TRUE(FinishOnCompletionPage(unsetup, wizard, "アンインストール完了(&E)", false,
                                       deleteAtRestart ? kExitRestartNeeded : kExitFailed));

    // With "/F" the restart was requested (only recorded) and the deletion waits in Wine's list.
    std::vector<std::string> entries = PendingRenames();
    bool scheduled = false;
    for (size_t i = 0; i + 1 < entries.size(); i += 2)
        scheduled = scheduled || (lstrcmpiW(Wide(entries[i]).c_str(), Wide("\\??\\" + locked).c_str()) == 0 &&
                                  entries[i + 1].empty());
    EXPECT_EQ(scheduled, deleteAtRestart);
    EXPECT_EQ(RestartRecord(), deleteAtRestart ? "ExitWindowsEx 2\r\n" : "");
    EXPECT_TRUE(FileExists(locked));
    EXPECT_FALSE(FileExists(p.folder + "APP.TXT"));
    EXPECT_FALSE(FileExists(p.folder + "UNSETUP.INI"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, p.UninstallKey()));
}

INSTANTIATE_TEST_SUITE_P(Flag, LockedUninstall, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("WithF") : std::string("WithoutF");
                         });

// ---------------------------------------------------------------------------------------------
// The options of the uninstall page: "DeleteAll" empties the install folder; "*.INI" and "*.GID"
// delete those files in the install folder and in logged folders inside it.
TEST_F(Uninstall, DeleteAllRemovesEverythingInTheInstallFolder) {
    Program p = Define("全削除", "OrvantRunsDeleteAll", "ORVRUNSDA", ProgramFilesFolder() + "OrvantRuns DeleteAll\\");
    ASSERT_FALSE(HasFailure());
    Snapshot before = Machine();
    ASSERT_TRUE(InstallProgram(p,
                               Header(p, "UnSetupOption=DeleteAll\n") +
                                   "[MakeFolder]\nFolder1=(App)\nFolder2=(App)Sub\\\n"
                                   "[CopyFile]\nFile1=(App)APP.TXT\nFile2=(App)Sub\\S.TXT\n",
                               {{"APP.TXT", "app\r\n"}, {"S.TXT", "s\r\n"}}));
    // What the user made with the program meanwhile.
    ASSERT_TRUE(WriteBytes(p.folder + "USER.DOC", "mine\r\n"));
    ASSERT_TRUE(WriteBytes(p.folder + "Sub\\NOTE.TXT", "note\r\n"));
    ASSERT_TRUE(e2e::MakeFolders(p.folder + "Extra\\Deeper\\"));
    ASSERT_TRUE(WriteBytes(p.folder + "Extra\\Deeper\\X.DAT", "x\r\n"));

    e2e::TargetProcess unsetup;
    e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
    ASSERT_TRUE(wizard);
    e2e::Window all = wizard.ControlById(IDC_CHK_SCUT_DESKTOP);
    EXPECT_SOON_EQ(Caption(all), "アンインストールフォルダ以下の全ファイル・フォルダ");
    EXPECT_SOON(all, Checked, true);
    EXPECT_SOON(all, Enabled, true);
    EXPECT_SOON(all, Visible, true);
    for (int id : {IDC_CHK_SCUT_STARTMENU, IDC_CHK_SCUT_STARTUP, IDC_CHK_SCUT_SENDTO})
        EXPECT_SOON(wizard.ControlById(id), Visible, false) << id;
    e2e::Screenshot("uninstall-page-deleteall");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
    ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    EXPECT_FALSE(FolderExists(p.folder)) << Listing(p.folder);
    EXPECT_EQ(Compare(before, Machine()), "");
}

TEST_F(Uninstall, IniAndGidOptionsDeleteThoseFilesToo) {
    Program p = Define("INIGID", "OrvantRunsIniGid", "ORVRUNSIG", ProgramFilesFolder() + "OrvantRuns IniGid\\");
    ASSERT_FALSE(HasFailure());
    Snapshot before = Machine();
    ASSERT_TRUE(InstallProgram(p,
                               Header(p, "UnSetupOption=1,1,1,0\n") +
                                   "[MakeFolder]\nFolder1=(App)Sub\\\n"
                                   "[CopyFile]\nFile1=(App)APP.TXT\nFile2=(App)Sub\\S.TXT\n",
                               {{"APP.TXT", "app\r\n"}, {"S.TXT", "s\r\n"}}));
    for (const char* name : {"USER.INI", "HELP.GID", "Sub\\S.INI", "Sub\\S.GID"})
        ASSERT_TRUE(WriteBytes(p.folder + name, "made by the program\r\n")) << name;

    e2e::TargetProcess unsetup;
    e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
    ASSERT_TRUE(wizard);
    e2e::Window ini = wizard.ControlById(IDC_CHK_SCUT_DESKTOP), gid = wizard.ControlById(IDC_CHK_SCUT_STARTMENU);
    e2e::Window third = wizard.ControlById(IDC_CHK_SCUT_STARTUP), fourth = wizard.ControlById(IDC_CHK_SCUT_SENDTO);
    EXPECT_SOON_EQ(Caption(ini), "*.INIファイル");
    EXPECT_SOON(ini, Checked, true);
    EXPECT_SOON(ini, Enabled, true);
    EXPECT_SOON_EQ(Caption(gid), "*.GIDファイル");
    EXPECT_SOON(gid, Checked, true);
    EXPECT_SOON(gid, Enabled, true);
    // The two further flags show as boxes without caption that cannot be changed.
    EXPECT_SOON_EQ(Caption(third), "");
    EXPECT_SOON(third, Visible, true);
    EXPECT_SOON(third, Checked, true);
    EXPECT_SOON(third, Enabled, false);
    EXPECT_SOON_EQ(Caption(fourth), "");
    EXPECT_SOON(fourth, Visible, true);
    EXPECT_SOON(fourth, Checked, false);
    EXPECT_SOON(fourth, Enabled, false);
    e2e::Screenshot("uninstall-page-ini-gid");
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
    ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    EXPECT_FALSE(FolderExists(p.folder)) << Listing(p.folder);
    EXPECT_EQ(Compare(before, Machine()), "");
}

TEST_F(Uninstall, OnlyGidChosenLeavesOtherFilesAndTheFolder) {
    Program p = Define("GID", "OrvantRunsGid", "ORVRUNSGD", ProgramFilesFolder() + "OrvantRuns Gid\\");
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(InstallProgram(p,
                               Header(p, "UnSetupOption=1,0,0,0\n") +
                                   "[MakeFolder]\nFolder1=(App)Sub\\\n"
                                   "[CopyFile]\nFile1=(App)APP.TXT\nFile2=(App)Sub\\S.TXT\n",
                               {{"APP.TXT", "app\r\n"}, {"S.TXT", "s\r\n"}}));
    for (const char* name : {"USER.INI", "HELP.GID", "Sub\\S.GID"})
        ASSERT_TRUE(WriteBytes(p.folder + name, "made by the program\r\n")) << name;

    e2e::TargetProcess unsetup;
    e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
    ASSERT_TRUE(wizard);
    e2e::Window ini = wizard.ControlById(IDC_CHK_SCUT_DESKTOP), gid = wizard.ControlById(IDC_CHK_SCUT_STARTMENU);
    EXPECT_SOON(ini, Checked, true);
    EXPECT_SOON(gid, Checked, false);
    // The user changes the choice: "*.GID" only.
    ASSERT_TRUE(ini.SetChecked(false));
    ASSERT_TRUE(gid.SetChecked(true));
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
    ASSERT_TRUE(AnswerBox(unsetup, "情報", IDYES, "アンインストールの過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？"));
    ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "続行(&C)", 15000));
    EXPECT_SOON_TRUE(SameLines(wizard.ControlById(IDC_TXT_README).Text(),
                          "<SetupFolder> " + p.folder + "\r\n" + kFolderLeftBlock));
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "続行(&C)"));
    e2e::Window status = WaitForNext(unsetup);
    ASSERT_TRUE(status);
    EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "フォルダのアンインストール処理．．．完了\r\n"));
    EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "インストールフォルダのアンインストール処理．．．一部失敗\r\n"));
    ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
    ASSERT_TRUE(FinishOnCompletionPage(unsetup, wizard, "アンインストール完了(&E)", false, kExitFailed));

    EXPECT_FALSE(FileExists(p.folder + "HELP.GID"));
    EXPECT_FALSE(FolderExists(p.folder + "Sub\\")) << "its *.GID went, then the folder";
    EXPECT_TRUE(FileExists(p.folder + "USER.INI")) << "*.INI was not chosen";
    EXPECT_FALSE(FileExists(p.folder + "APP.TXT"));
    EXPECT_FALSE(FileExists(p.folder + "UNSETUP.INI"));
    EXPECT_EQ(Listing(p.folder), "USER.INI\n");
}

// ---------------------------------------------------------------------------------------------
// An install folder that is a system folder, a drive root, the Program Files folder or the folder
// holding the user profiles is never removed, not even with "DeleteAll": only the program's own
// file and its log go. The install puts nothing there but one marker file.
struct ProtectedCase {
    const char* name;
    std::string (*folder)();
};

std::string ProfilesParent() {
    std::string profile = ShellFolder(CSIDL_PROFILE);
    profile.pop_back();
    return e2e::FolderOf(profile);
}

class ProtectedFolder : public Uninstall, public ::testing::WithParamInterface<ProtectedCase> {};

TEST_P(ProtectedFolder, IsLeftAloneEvenWithDeleteAll) {
    const std::string folder = GetParam().folder();
    ASSERT_GT(folder.size(), 2u);
    ASSERT_EQ(folder.back(), '\\');
    Program p{"保護", "OrvantRunsProtected", "ORVRUNSPR", folder};
    DeleteKeyLater(HKEY_LOCAL_MACHINE, p.UninstallKey());
    RemoveRecordedProgramLater(p.id);
    const std::string marker = folder + "ORVRUNSM.TXT";
    const std::string unrelated = folder + "ORVRUNSU.TXT";
    OwnFile(marker);
    OwnFile(unrelated);
    OwnFile(folder + "UNSETUP.INI");
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(WriteBytes(unrelated, "not the program's\r\n"));
    Snapshot before = TakeSnapshot({folder + "*", WindowsFolder() + "*"}, {},
                                   {WindowsFolder() + places::Uninstaller(), WindowsFolder() + "OVSET98.INI"});

    std::string dist = Distribution(std::string("protected-") + GetParam().name,
                                    Header(p, "UnSetupOption=DeleteAll\n") + "[CopyFile]\nFile1=(App)ORVRUNSM.TXT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "ORVRUNSM.TXT", "marker\r\n"));
    ASSERT_TRUE(InstallThroughWizard(dist, p.Title(), folder, true));
    ASSERT_TRUE(FileExists(marker));
    ASSERT_TRUE(FileExists(folder + "UNSETUP.INI"));

    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, p.UninstallString(), p.UnTitle());
        ASSERT_TRUE(wizard);
        EXPECT_SOON(wizard.ControlById(IDC_TXT_FOLDER), Text, folder);
        EXPECT_SOON(wizard.ControlById(IDC_CHK_SCUT_DESKTOP), Checked, true) << "DeleteAll is chosen";
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(CompleteCleanUninstall(unsetup, wizard));
    }
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FileExists(unrelated));
    EXPECT_FALSE(FileExists(marker));
    EXPECT_FALSE(FileExists(folder + "UNSETUP.INI"));
    EXPECT_EQ(Compare(before, TakeSnapshot({folder + "*", WindowsFolder() + "*"}, {},
                                           {WindowsFolder() + places::Uninstaller(), WindowsFolder() + "OVSET98.INI"})),
              "");
}

INSTANTIATE_TEST_SUITE_P(Folder, ProtectedFolder,
                         ::testing::Values(ProtectedCase{"Windows", &WindowsFolder},
                                           ProtectedCase{"DriveRoot", [] { return WindowsFolder().substr(0, 3); }},
                                           ProtectedCase{"ProgramFiles", &ProgramFilesFolder},
                                           ProtectedCase{"ProfilesParent", &ProfilesParent}),
                         [](const ::testing::TestParamInfo<ProtectedCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
