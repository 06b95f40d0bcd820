// The uninstall engine against real files, shared counts, registry keys and associations under
// Wine: what is removed, what stays, what the user is asked and what the status text says.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>

#include "core/run_ui.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/folders.h"
#include "script/ini.h"
#include "base/text.h"
#include "support/test_env.h"
#include "sys/registry.h"
#include "sys/removal.h"
#include "sys/shared_dll.h"
#include "uninstall/uninstall_run.h"

namespace {

// Records what the engine shows and answers the shared-file dialog from a queue.
class FakeRunUi : public RunUi {
public:
    void ShowStatus(const std::string& text) override { shown.push_back(text); }
    void ProcessMessages() override {}
    void Pause(long) override {}
    bool AbortRequested() override { return false; }
    void EnableAbort(bool enabled) override { abortEnabled = enabled; }
    void ShowProgressFrame(bool) override {}
    int SetProgressPosition(int percent) override { return percent; }
    void SetProgressLabel(const std::string&) override {}
    std::string SharedAnswer() override { return answer; }
    void SetSharedAnswer(const std::string& value) override { answer = value; }
    void AskSharedFile(const std::string& question) override {
        questions.push_back(question);
        answer = answers.empty() ? "No" : answers.front();
        if (!answers.empty()) answers.pop_front();
    }

    std::vector<std::string> shown;
    std::vector<std::string> questions;
    std::deque<std::string> answers;
    std::string answer = "Can't Delete";
    bool abortEnabled = false;
};

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvantTestApp";

class UninstallEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        g_state.PlatformKind = "NT";
        DetermineFolders(g_state, FolderSources::System());
        root_ = ScratchFolder("uninstall");
        app_ = root_ + "App\\";
        ForceFolders(app_ + "Data\\");
        work_ = root_ + "work\\";
        ForceFolders(work_);
        log_ = work_ + "UNSETUP.INI";
        g_state.InstallFolder = app_;
        g_state.StatusText = UninstallEngine::OpeningStatus();
    }
    void TearDown() override {
        DeleteTree(HKEY_CURRENT_USER, "Software\\OrvantTest\\Uninstall");
        DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        DeleteTree(HKEY_CLASSES_ROOT, ".orvtst");
        DeleteTree(HKEY_CLASSES_ROOT, "orvtst_auto_file");
        for (const std::string& path : counted_) {
            RegistryKey key;
            if (key.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey) == 0) key.DeleteValue(path);
        }
        ResetProgramState();
    }
    // The uninstall log as the install writes it: code page 932.
    void Log(const std::string& body) {
        ASSERT_TRUE(WriteTextFile(log_, Cp932Bytes(body)));
        FlushIniCache(log_);
    }
    void File(const std::string& path, const std::string& text = "x") { ASSERT_TRUE(WriteTextFile(path, text)); }
    void Count(const std::string& path, DWORD count) {
        RegistryKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kSharedDllsKey), 0);
        ASSERT_EQ(key.SetDword(path, count), 0);
        counted_.push_back(path);
    }
    UninstallOutcome Run(UninstallOptions options = {}) {
        UninstallEngine engine(ui_, log_, app_, options);
        return engine.Run();
    }

    FakeRunUi ui_;
    std::string root_, app_, work_, log_;
    std::vector<std::string> counted_;
};

}  // namespace

TEST_F(UninstallEngineTest, CleanRunRemovesEverythingTheLogNames) {
    File(app_ + "APP.EXE");
    File(app_ + "UNSETUP.INI");
    File(app_ + "Data\\a.log");
    std::string group = g_state.ProgramsFolder + "OrvantTest Group\\";
    ForceFolders(group);
    File(group + "App.lnk");
    RegistryKey settings;
    ASSERT_EQ(settings.Create(HKEY_CURRENT_USER, "Software\\OrvantTest\\Uninstall\\Deep\\Er"), 0);
    settings.Close();
    RegistryKey arp;
    ASSERT_EQ(arp.Create(HKEY_LOCAL_MACHINE, kUninstallKey), 0);
    arp.Close();
    ASSERT_EQ(CreateKeyOrRaise(HKEY_CLASSES_ROOT, ".orvtst").SetString("", "orvtst_auto_file"), 0);
    ASSERT_EQ(CreateKeyOrRaise(HKEY_CLASSES_ROOT, "orvtst_auto_file\\shell\\open\\command").SetString("", "x"), 0);
    ASSERT_TRUE(WriteIniValue("ORVTEST", "Folder", app_, g_state.WindowsFolder + "OVSET98.INI"));
    Log("[ProgramID]\r\nID=ORVTEST\r\n"
        "[DeleteFile]\r\nFile1=" + app_ + "APP.EXE\r\nFile2=" + app_ + "UNSETUP.INI\r\n"
        "[AddDeleteFile]\r\nFile1=" + app_ + "Data\\*.log\r\n"
        "[DeleteShortCut]\r\nFile1=" + group + "App.lnk\r\n"
        "[DeleteFolder]\r\nFolder1=" + app_ + "\r\nFolder2=" + app_ + "Data\\\r\n"
        "[DeleteRegistry]\r\nKey1=Software\\OrvantTest\\Uninstall\r\n"
        "[RestoreRelate]\r\nKey1=orvtst,\r\n"
        "[UnSetupRegistryKey]\r\nKey=" + std::string(kUninstallKey) + "\r\n");

    UninstallOutcome outcome = Run();
    EXPECT_EQ(outcome.failureCount, 0) << outcome.failureDetail;
    EXPECT_FALSE(outcome.restartNeeded);
    EXPECT_FALSE(FolderExists(app_));
    EXPECT_FALSE(FolderExists(group)) << "the emptied program group goes";
    EXPECT_TRUE(FolderExists(g_state.ProgramsFolder)) << "the shell's own folder stays";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\OrvantTest\\Uninstall"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".orvtst"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "orvtst_auto_file"));
    EXPECT_EQ(ReadIniValue("ORVTEST", "Folder", "gone", g_state.WindowsFolder + "OVSET98.INI"), "gone");
    EXPECT_EQ(g_state.StatusText,
              "アンインストールを行っています。\r\n\r\n【処理状況】\r\n"
              "ファイルのアンインストール処理．．．完了\r\n"
              "ショートカットのアンインストール処理．．．完了\r\n"
              "フォルダのアンインストール処理．．．完了\r\n"
              "レジストリのアンインストール処理．．．完了\r\n"
              "関連付けのアンインストール処理．．．完了\r\n"
              "「プログラム(アプリケーション)の追加と削除」の処理．．．完了\r\n"
              "インストールフォルダのアンインストール処理．．．完了\r\n");
    EXPECT_TRUE(ui_.questions.empty());
}

// Only a program's own entry below the Add/Remove key goes; a log naming the Uninstall key itself
// (or any other key) would take every program's entry with it: it is left and reported.
TEST_F(UninstallEngineTest, OnlyAKeyBelowTheAddRemoveKeyIsDeleted) {
    const std::string root = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    RegistryKey arp;
    ASSERT_EQ(arp.Create(HKEY_LOCAL_MACHINE, kUninstallKey), 0);
    arp.Close();
    for (const std::string& key : {root, root + "\\", "\\" + root + "\\\\", std::string("SOFTWARE\\Microsoft")}) {
        Log("[UnSetupRegistryKey]\r\nKey=" + key + "\r\n");
        UninstallOutcome outcome = Run();
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << key;
        EXPECT_NE(outcome.failureDetail.find("<Registry> HKEY_LOCAL_MACHINE\\" + key +
                                             "\r\n「プログラム(アプリケーション)の追加と削除」の登録キーではないため、"
                                             "削除しませんでした。\r\n"),
                  std::string::npos)
            << key;
    }
    Log("[UnSetupRegistryKey]\r\nKey=\\" + std::string(kUninstallKey) + "\\\r\n");
    EXPECT_EQ(Run().failureDetail.find("<Registry>"), std::string::npos);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(UninstallEngineTest, AssociationsAreRestoredToTheirEarlierType) {
    ASSERT_EQ(CreateKeyOrRaise(HKEY_CLASSES_ROOT, ".orvtst").SetString("", "orvtst_auto_file"), 0);
    ASSERT_EQ(CreateKeyOrRaise(HKEY_CLASSES_ROOT, "orvtst_auto_file").SetString("", "x"), 0);
    Log("[RestoreRelate]\r\nKey1=orvtst,txtfile\r\n");
    Run();
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_CLASSES_ROOT, ".orvtst", KEY_READ), 0);
    std::string type;
    EXPECT_TRUE(key.QueryString("", type));
    EXPECT_EQ(type, "txtfile");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "orvtst_auto_file"));
}

TEST_F(UninstallEngineTest, SharedFilesFollowTheirCountsAndTheLastingAnswer) {
    std::string a = app_ + "A.DLL", b = app_ + "B.DLL", c = app_ + "C.DLL", d = app_ + "D.DLL";
    for (const std::string& path : {a, b, c, d}) File(path);
    Count(a, 2);  // still used by another install: stays silently
    Count(b, 1);
    Count(c, 1);
    Count(d, 1);
    Log("[DeleteFile]\r\nFile1=" + a + ",/S\r\nFile2=" + b + ",/S\r\nFile3=" + c + ",/S/L\r\nFile4=" + d + ",/s\r\n");
    ui_.answers = {"Yes", "Save"};
    UninstallOutcome outcome = Run();
    EXPECT_EQ(outcome.failureDetail.find("<File>"), std::string::npos) << "kept files are no failures";
    EXPECT_EQ(outcome.failureCount, 0) << "the install folder stays only for the files kept on purpose";
    EXPECT_EQ(outcome.noticeCount, 1);
    EXPECT_NE(outcome.failureDetail.find("<SetupFolder> " + app_), std::string::npos);
    EXPECT_TRUE(FileExists(a));
    EXPECT_EQ(GetSharedCount(a), 1);
    EXPECT_FALSE(FileExists(b)) << "Yes deletes this one";
    EXPECT_TRUE(FileExists(c)) << "Save keeps this one";
    EXPECT_TRUE(FileExists(d)) << "and every later one without asking";
    ASSERT_EQ(ui_.questions.size(), 2u);
    EXPECT_EQ(ui_.questions[0], b + "\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n"
                                    "しかし、今後、他のプログラムで使われる可能性があります。\r\n"
                                    "このファイルを削除してもよろしいですか？");
    EXPECT_EQ(GetSharedCount(b), 0);
    EXPECT_EQ(GetSharedCount(d), 0);
}

TEST_F(UninstallEngineTest, DeleteAllAnswerHoldsForLaterFiles) {
    std::string a = app_ + "A.DLL", b = app_ + "B.DLL";
    File(a);
    File(b);
    Count(a, 1);
    Count(b, 1);
    Log("[DeleteFile]\r\nFile1=" + a + ",/S\r\nFile2=" + b + ",/S\r\n");
    ui_.answers = {"Delete"};
    Run();
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
    EXPECT_EQ(ui_.questions.size(), 1u);
}

TEST_F(UninstallEngineTest, ConfirmAndServerQuestions) {
    std::string confirm = app_ + "TOOL.DLL";
    std::string plainDll = app_ + "PLAIN.DLL";
    std::string system = root_ + "SYS\\";
    ForceFolders(system);
    g_state.SystemFolder = system;
    std::string server = system + "ORVTEST.OCX";
    File(confirm);
    File(plainDll);
    File(server);
    Log("[DeleteFile]\r\nFile1=" + confirm + ",/C\r\nFile2=" + plainDll + "\r\nFile3=" + server + "\r\n");
    MessageBoxRecorder boxes(IDNO);
    UninstallOutcome outcome = Run();
    EXPECT_EQ(outcome.failureDetail.find("<File>"), std::string::npos) << "No keeps a file without a failure";
    EXPECT_TRUE(FileExists(confirm));
    EXPECT_FALSE(FileExists(plainDll)) << "a DLL outside the system folders goes without a question";
    EXPECT_TRUE(FileExists(server));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].title, "ファイル削除の確認");
    EXPECT_EQ(boxes.Boxes()[0].flags, 36u);
    EXPECT_EQ(boxes.Boxes()[0].text, confirm + "\r\n\r\nこのファイルを削除してもよろしいですか？\r\n\r\n<<　注意　>>\r\n"
                                               "DLL/OCXなどは他のプログラムでも使用される可能性があります。\r\n"
                                               "確実に使用されないことがわかっている場合のみ削除してください。");
    EXPECT_EQ(boxes.Boxes()[1].text, server + "\r\n\r\nこのDLL/OCXファイルは、共有登録されていませんが、\r\n"
                                              "今後、他のプログラムで使われる可能性があります。\r\n"
                                              "このファイルを削除してもよろしいですか？");
}

TEST_F(UninstallEngineTest, LockedFileWithRestartDeletion) {
    std::string locked = app_ + "LOCKED.DLL", plain = app_ + "BUSY.DAT";
    File(locked);
    File(plain);
    HANDLE holdLocked = CreateFileW(Wide(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE holdPlain = CreateFileW(Wide(plain).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Log("[DeleteFile]\r\nFile1=" + locked + ",/F\r\nFile2=" + plain + "\r\nFile3=" + app_ + "MISSING.TXT\r\n");
    UninstallOutcome outcome = Run();
    CloseHandle(holdLocked);
    CloseHandle(holdPlain);
    EXPECT_EQ(outcome.failureCount, 2) << "the busy file and the install folder that still holds it";
    EXPECT_EQ(outcome.noticeCount, 1) << "deleted at the restart: done once Windows restarts";
    EXPECT_TRUE(outcome.restartNeeded);
    EXPECT_NE(outcome.failureDetail.find("<File> " + locked + "\r\n"), std::string::npos);
    EXPECT_NE(outcome.failureDetail.find("(追加情報)このファイルはWindowsの再起動後に削除が試行されます。\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(outcome.failureDetail.find("<File> " + plain + "\r\n"), std::string::npos);
    EXPECT_EQ(outcome.failureDetail.find("MISSING.TXT"), std::string::npos) << "a file gone already is no failure";
    EXPECT_NE(g_state.StatusText.find("ファイルのアンインストール処理．．．一部失敗\r\n"), std::string::npos);
    EXPECT_NE(g_state.StatusText.find("《情報》アンインストールの過程で、一部の処理が失敗しました。\r\n"), std::string::npos);

    // The delayed deletion is recorded where the system keeps it; take our entry out again.
    RegistryKey session;
    ASSERT_EQ(session.Open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager"), 0);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(session.Handle(), L"PendingFileRenameOperations", nullptr, &type, nullptr, &size), 0);
    std::wstring pending(size / sizeof(wchar_t), L'\0');
    RegQueryValueExW(session.Handle(), L"PendingFileRenameOperations", nullptr, &type,
                     reinterpret_cast<BYTE*>(pending.data()), &size);
    EXPECT_NE(Narrow(pending).find("LOCKED.DLL"), std::string::npos);
    session.DeleteValue("PendingFileRenameOperations");
}

// "/F" promises a deletion at the next start only when one could be scheduled: here the older
// family's restart list cannot be written, so the file's block says nothing of a restart and no
// restart is offered.
TEST_F(UninstallEngineTest, LockedFileWhoseDeletionCannotBeScheduledOffersNoRestart) {
    g_state.PlatformKind = "notNT";
    g_state.WindowsFolder = root_ + "win\\";
    ForceFolders(g_state.WindowsFolder + "WININIT.INI\\");
    std::string locked = app_ + "LOCKED.DLL";
    File(locked);
    HANDLE hold = CreateFileW(Wide(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Log("[DeleteFile]\r\nFile1=" + locked + ",/F\r\n");
    MessageBoxRecorder boxes;
    UninstallOutcome outcome = Run();
    CloseHandle(hold);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << "the unreadable restart list is reported";
    EXPECT_FALSE(outcome.restartNeeded);
    EXPECT_NE(outcome.failureDetail.find("<File> " + locked + "\r\n"), std::string::npos);
    EXPECT_EQ(outcome.failureDetail.find("再起動"), std::string::npos) << outcome.failureDetail;
    EXPECT_TRUE(FileExists(locked));
}

TEST_F(UninstallEngineTest, PatternOptionsAndDeleteAll) {
    File(app_ + "APP.INI");
    File(app_ + "APP.GID");
    File(app_ + "Data\\OLD.GID");
    File(app_ + "USER.DOC");
    Log("[DeleteFolder]\r\nFolder1=" + app_ + "Data\\\r\n");
    UninstallOutcome outcome = Run(OptionsFromCheckBoxes(false, true, true));  // only *.GID
    EXPECT_FALSE(FileExists(app_ + "APP.GID"));
    EXPECT_FALSE(FolderExists(app_ + "Data\\"));
    EXPECT_TRUE(FileExists(app_ + "APP.INI"));
    EXPECT_TRUE(FileExists(app_ + "USER.DOC"));
    EXPECT_EQ(outcome.failureCount, 1);
    EXPECT_EQ(outcome.failureDetail, "<SetupFolder> " + app_ + "\r\nファイル・フォルダが残っているため、"
                                     "インストールフォルダを削除できませんでした。エクスプローラなどから、直接削除してください。\r\n\r\n");
    EXPECT_NE(g_state.StatusText.find("インストールフォルダのアンインストール処理．．．一部失敗\r\n"), std::string::npos);

    ForceFolders(app_ + "Data2\\");
    File(app_ + "Data2\\x");
    ForceFolders(app_ + "Sub\\Deeper\\");
    File(app_ + "Sub\\Deeper\\y.txt");
    g_state.StatusText.clear();
    outcome = Run(OptionsFromCheckBoxes(true, false, false));  // DeleteAll
    EXPECT_EQ(outcome.failureCount, 0) << outcome.failureDetail;
    EXPECT_FALSE(FolderExists(app_));
}

TEST_F(UninstallEngineTest, ProtectedInstallFoldersAreLeftAlone) {
    for (std::string folder : {g_state.WindowsFolder, std::string("C:\\"), g_state.ProgramFilesFolder,
                               std::string("c:\\users\\"), g_state.SystemFolder, g_state.TempFolder})
        EXPECT_TRUE(UninstallEngine::IsProtectedInstallFolder(folder)) << folder;
    EXPECT_FALSE(UninstallEngine::IsProtectedInstallFolder(g_state.ProgramFilesFolder + "Firm\\App\\"));
    EXPECT_FALSE(UninstallEngine::IsProtectedInstallFolder(app_));

    // An install "into" Program Files with everything to be deleted: nothing there is touched.
    std::string marker = g_state.ProgramFilesFolder + "orvtest-keep.txt";
    File(marker);
    UninstallEngine engine(ui_, log_, g_state.ProgramFilesFolder, OptionsFromCheckBoxes(true, false, false));
    Log("[DeleteFolder]\r\nFolder1=" + g_state.ProgramFilesFolder + "\r\n");
    engine.Run();
    EXPECT_TRUE(FileExists(marker));
    DeleteFileW(Wide(marker).c_str());
}

// The same places however they are spelt: doubled separators, short names, "..", letter case.
// Every decision is made on the place, against the real Program Files, Windows and root folders.
TEST_F(UninstallEngineTest, ProtectionHoldsForEverySpellingOfAPlace) {
    const std::string& pf = g_state.ProgramFilesFolder;
    std::string shortPf = ShortPathOf(pf);
    ASSERT_FALSE(shortPf.empty());
    // Other names of a place: the device namespace, the administrative share, a link to it; and
    // the roots of the other view and the common files, which a program of this build is not given.
    std::string linked = root_ + "Linked\\";
    ASSERT_TRUE(MakeFolderLink(linked, g_state.SystemFolder));
    EXPECT_TRUE(UninstallEngine::IsProtectedInstallFolder(linked)) << "a link to the system folder";
    RemoveFolderLink(linked);
    for (std::string folder : {pf + "\\", AddDelimiter(shortPf, "B"), pf + "Firm\\..\\", pf + "Firm\\..\\..\\",
                               UpperCase(g_state.WindowsFolder), g_state.SystemFolder + "..\\",
                               g_state.WindowsFolder + ".\\", "\\\\?\\" + g_state.WindowsFolder,
                               "\\\\.\\" + g_state.SystemFolder, std::string("\\\\localhost\\C$\\windows\\"),
                               std::string("C:\\Program Files (x86)\\"), std::string("C:\\Program Files\\"),
                               std::string("C:\\Program Files\\Common Files\\"),
                               std::string("C:\\Program Files (x86)\\Common Files\\")})
        EXPECT_TRUE(UninstallEngine::IsProtectedInstallFolder(folder)) << folder;
    // A profile folder named with a double-byte character whose second byte is "\\" (表): its
    // documents folder stays guarded, and a subfolder of a program's folder stays inside it.
    std::string profile = root_ + "表\\";
    ForceFolders(profile + "Documents\\");
    g_state.DocumentsFolder = profile + "Documents\\";
    EXPECT_TRUE(UninstallEngine::IsProtectedInstallFolder(profile));
    EXPECT_TRUE(IsSameOrInside(app_ + "一覧表\\Data\\", app_));

    // Everything to be deleted in an install folder spelt as Program Files, a [DeleteFolder] entry
    // that names Program Files through the install folder's own text, and a wildcard entry that
    // climbs to the drive root: nothing outside the program's folder is touched.
    std::string keepPf = pf + "orvtest-keep.ini", keepRoot = "C:\\orvtest-keep.ini";
    File(keepPf);
    File(keepRoot);
    ForceFolders(pf + "OrvTest App\\");
    File(pf + "OrvTest App\\mine.ini");
    for (const std::string& installFolder : {pf + "OrvTest App\\..\\", AddDelimiter(shortPf, "B")}) {
        Log("[AddDeleteFile]\r\nFile1=" + pf + "OrvTest App\\..\\..\\*.*\r\n"
            "[DeleteFolder]\r\nFolder1=" + pf + "OrvTest App\\..\\\r\n");
        UninstallEngine engine(ui_, log_, installFolder, OptionsFromCheckBoxes(true, false, false));
        engine.Run();
        EXPECT_TRUE(FileExists(keepPf)) << installFolder;
        EXPECT_TRUE(FileExists(keepRoot)) << installFolder;
    }
    // Nor does a log that names the system's own places through a device path or a share.
    Log("[DeleteFile]\r\nFile1=\\\\?\\" + keepPf + "\r\n[DeleteShortCut]\r\nFile1=\\\\localhost\\C$\\orvtest-keep.ini\r\n");
    UninstallOutcome refused = Run();
    EXPECT_TRUE(FileExists(keepPf));
    EXPECT_NE(refused.failureDetail.find("デバイス名や管理共有で書かれた場所"), std::string::npos) << refused.failureDetail;
    // The program's own folder, spelt through a short name, still gets its patterns.
    Log("[DeleteFolder]\r\nFolder1=" + AddDelimiter(shortPf, "B") + "OrvTest App\\\r\n");
    UninstallEngine own(ui_, log_, pf + "OrvTest App\\", OptionsFromCheckBoxes(true, true, false));
    own.Run();
    EXPECT_FALSE(FolderExists(pf + "OrvTest App\\"));
    EXPECT_TRUE(FileExists(keepPf));
    DeleteFileW(Wide(keepPf).c_str());
    DeleteFileW(Wide(keepRoot).c_str());
}

// An install folder replaced by a link to another folder before the uninstall: nothing in the
// other folder is deleted, whatever the log or the options say; only the link itself may go.
TEST_F(UninstallEngineTest, ALinkInPlaceOfTheInstallFolderLeavesItsTargetAlone) {
    std::string other = root_ + "Other\\";
    ForceFolders(other + "Data\\");
    for (const char* name : {"APP.EXE", "USER.DOC", "Data\\a.log"}) File(other + name, "other's");
    RemoveTree(app_);
    ASSERT_TRUE(MakeFolderLink(app_, other));
    Log("[DeleteFile]\r\nFile1=" + app_ + "APP.EXE\r\n[DeleteFolder]\r\nFolder1=" + app_ + "Data\\\r\n"
        "[AddDeleteFile]\r\nFile1=" + app_ + "Data\\*.log\r\n");
    UninstallOutcome outcome = Run(OptionsFromCheckBoxes(true, false, false));  // DeleteAll
    for (const char* name : {"APP.EXE", "USER.DOC", "Data\\a.log"}) EXPECT_TRUE(FileExists(other + name)) << name;
    RemoveFolderLink(app_);
    EXPECT_NE(outcome.failureDetail.find("<File> " + app_ + "APP.EXE\r\nフォルダがほかの場所へのリンクに置き換えられている"),
              std::string::npos)
        << outcome.failureDetail;
}

TEST_F(UninstallEngineTest, EmptyInstallFolderStopsWithTheFatalMessage) {
    MessageBoxRecorder boxes;
    UninstallEngine engine(ui_, log_, "", {});
    UninstallOutcome outcome = engine.Run();
    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "アンインストールフォルダが不明です。\r\nアンインストールは続行できません。");
    EXPECT_EQ(boxes.Boxes()[0].title, "致命的エラー");
    EXPECT_EQ(boxes.Boxes()[0].flags, 16u);
}

TEST_F(UninstallEngineTest, AGapEndsAList) {
    File(app_ + "ONE.TXT");
    File(app_ + "THREE.TXT");
    Log("[DeleteFile]\r\nFile1=" + app_ + "ONE.TXT\r\nFile3=" + app_ + "THREE.TXT\r\n");
    Run();
    EXPECT_FALSE(FileExists(app_ + "ONE.TXT"));
    EXPECT_TRUE(FileExists(app_ + "THREE.TXT"));
}

TEST(UninstallTextsTest, CompletionPages) {
    CompletionPage plain = UninstallCompletionPage(false, "削除");
    EXPECT_EQ(plain.message, "削除を完了しました。");
    EXPECT_EQ(plain.option1, "アンインストーラを終了します。(&Y)");
    EXPECT_EQ(plain.option2, "");
    CompletionPage restart = UninstallCompletionPage(true, "削除");
    EXPECT_EQ(restart.option1, "はい、Windowsを再起動します。(&Y)");
    EXPECT_EQ(restart.option2, "いいえ、Windowsは再起動せずに、アンインストーラーを終了します。(&N)");
    EXPECT_EQ(restart.message.substr(0, restart.message.find("\r\n")), "　削除を完了するには、Windowsを再起動する必要があります。");
    UninstallOptions options = OptionsFromCheckBoxes(true, true, true);
    EXPECT_EQ(options.extraPatterns, "*.INI|*.GID|");
    EXPECT_FALSE(options.deleteAllMode);
}
