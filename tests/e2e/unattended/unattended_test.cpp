// Unattended runs (/S) as deployment systems start them: no window at any moment, the documented
// exit code, a log of every status line, failure block and message, and the machine afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/exit_codes.h"
#include "edge/wide.h"
#include "support/places.h"
#include "runs/runs_support.h"

using namespace runs;

namespace {

class Unattended : public RunsTest {
protected:
    // Runs the command line to its end, watching the desktop all the while: the windows the
    // process ever showed, one line each (none for an unattended run).
    DWORD RunToEnd(const std::string& commandLine, std::string& windowsSeen, e2e::Where where = e2e::Where::current()) {
        e2e::TargetProcess process;
        if (!process.StartCommandLine(commandLine, WindowsFolder(), where)) return 0xFFFFFFFF;
        bool ended = e2e::PollUntil(
            [&] {
                if (!process.TopWindows(true).empty()) windowsSeen += process.DescribeWindows();
                return !process.Running();
            },
            120000);
        if (!ended) e2e::Fail("the unattended run did not end: " + process.DescribeWindows(), where);
        return process.ExitCode();
    }
    std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
    // Whether the log (UTF-8 text) holds the line.
    ::testing::AssertionResult LogHas(const std::string& log, const std::string& line) {
        return e2e::Contains(ReadBytes(log), line);
    }
    std::string LogPath(const std::string& name) {
        std::string path = e2e::ScratchFolder("unattended-log") + name;
        RemoveFileLater(path);
        return path;
    }
    // Every line of a log begins with its time stamp "YYYY-MM-DD hh:mm:ss.mmm ".
    ::testing::AssertionResult Stamped(const std::string& log) {
        std::string text = ReadBytes(log);
        if (text.empty()) return ::testing::AssertionFailure() << "empty log";
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            std::string line = text.substr(start, end - start);
            if (line.size() < 24 || line[4] != '-' || line[10] != ' ' || line[13] != ':' || line[19] != '.' || line[23] != ' ')
                return ::testing::AssertionFailure() << "no time stamp: " << line;
            if (end == std::string::npos) break;
            start = end + 2;
        }
        return ::testing::AssertionSuccess();
    }
    // A program of a scenario: removed again at the end.
    std::string Program(const std::string& key, const std::string& folder) {
        RemoveFolderLater(folder);
        DeleteKeyLater(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\" + key);
        RemoveRecordedProgramLater(key);
        EXPECT_FALSE(FolderExists(folder)) << "a previous run left " << folder;
        return std::string(kUninstallRoot) + "\\" + key;
    }
    Snapshot Machine() const {
        std::string windows = WindowsFolder();
        return TakeSnapshot({ProgramFilesFolder() + "*", windows + "*", ProgramsFolder()}, {},
                            {windows + places::Uninstaller(), windows + "OVSET98.INI"});
    }
};

}  // namespace

// The sample, with a version and a maker, into a folder given on the command line: everything in
// place, a complete Add/Remove entry, the follow-up program not started. The quiet uninstall from
// that entry keeps the shared library (the safe answer): that is no failure, and the log says so.
TEST_F(Unattended, SampleInstallsAndTheQuietUninstallKeepsTheSharedFile) {
    const std::string folder = ProgramFilesFolder() + "Orvant Quiet Sample\\";
    const std::string key = Program("OrvantSampleApp", folder);
    DeleteKeyLater(HKEY_CURRENT_USER, "Software\\Orvant Sample");
    DeleteKeyLater(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample");
    for (const char* classKey : {".osd", "osd_auto_file"}) DeleteKeyLater(HKEY_CLASSES_ROOT, classKey);
    RemoveFolderLater(ProgramsFolder() + "サンプルアプリ\\");
    RemoveFileLater(DesktopFolder() + "サンプルアプリ.lnk");
    DeleteSharedCountLater(folder + "SAMPLE.DLL");
    std::string dist = e2e::SampleDistribution("unattended-sample");
    ASSERT_FALSE(dist.empty());
    RemoveFolderLater(dist);
    ASSERT_TRUE(e2e::SetIniValue(dist + "SETUP.INI", "Title", "Version", "1.0.3"));
    ASSERT_TRUE(e2e::SetIniValue(dist + "SETUP.INI", "Title", "Publisher", "Orvant サンプル工房"));

    const std::string log = LogPath("sample-install.log");
    std::string windows;
    // "/D=" last takes the rest of the line: a folder with blanks needs no quotes.
    DWORD code = RunToEnd(Quoted(dist + "SETUP.EXE") + " /S /LOG=" + Quoted(log) + " /D=" + folder, windows);
    EXPECT_EQ(code, static_cast<DWORD>(kExitSuccess)) << ReadBytes(log);
    EXPECT_EQ(windows, "") << "an unattended run shows no window";
    for (const char* name : {"SAMPLE.EXE", "README.TXT", "MANUAL.TXT", "SAMPLE.DLL", "Data\\SETTINGS.INI", "UNSETUP.INI"})
        EXPECT_TRUE(FileExists(folder + name)) << name;
    EXPECT_TRUE(FileExists(DesktopFolder() + "サンプルアプリ.lnk")) << "the shortcut boxes the script names are ticked";
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".osd", ""), "osd_auto_file") << "associations are made";
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, key, "DisplayVersion"), "1.0.3");
    EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, key, "Publisher"), "Orvant サンプル工房"));
    std::string quiet = RegString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString");
    EXPECT_TRUE(e2e::SameText(quiet, WindowsFolder() + places::Uninstaller() + " /S \"" + folder + "UNSETUP.INI\""));
    EXPECT_EQ(FindWindowW(L"OrvantSampleApp", nullptr), nullptr) << "the follow-up program is not started";
    EXPECT_TRUE(Stamped(log));
    EXPECT_TRUE(LogHas(log, "ファイルをコピーしています．．．完了"));
    EXPECT_TRUE(LogHas(log, "【フォルダ作成】" + folder));
    EXPECT_TRUE(LogHas(log, "[ExecuteFile]: 無人実行のため起動しません: " + folder + "SAMPLE.EXE"));
    EXPECT_TRUE(LogHas(log, "終了コード: 0"));

    // The uninstall, as a deployment system takes it from the entry; its log goes to the
    // temporary folder under the entry's key.
    const std::string defaultLog = e2e::TempFolder() + "OrvantSampleApp-setup.log";
    DeleteFileW(Wide(defaultLog).c_str());
    RemoveFileLater(defaultLog);
    code = RunToEnd(quiet, windows);
    EXPECT_EQ(code, static_cast<DWORD>(kExitSuccess)) << ReadBytes(defaultLog);
    EXPECT_EQ(windows, "");
    EXPECT_TRUE(FileExists(folder + "SAMPLE.DLL")) << "a shared file is kept";
    EXPECT_EQ(Listing(folder), "SAMPLE.DLL\n");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << "the entry goes with all its values";
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".osd"));
    EXPECT_TRUE(Stamped(defaultLog));
    EXPECT_TRUE(LogHas(defaultLog, "ファイルのアンインストール処理．．．完了"));
    EXPECT_TRUE(LogHas(defaultLog, "<SetupFolder> " + folder));
    EXPECT_TRUE(LogHas(defaultLog, "削除せずに残したファイル: " + folder + "SAMPLE.DLL"));
    EXPECT_TRUE(LogHas(defaultLog, "終了コード: 0"));
}

// A script that asks for a restart: done, restart needed (3010), nothing restarted. A missing
// source in the same run makes it a failure instead (1603), with its block in the log; the quiet
// uninstall of what was installed leaves the machine as it was.
TEST_F(Unattended, RestartAndFailureAreTheExitCodes) {
    const std::string folder = ProgramFilesFolder() + "OrvantQuiet Restart\\";
    const std::string key = Program("OrvantQuietRestart", folder);
    Snapshot before = Machine();
    std::string script = "[Title]\nSetup=Quiet 再起動\nUnSetupKey=OrvantQuietRestart\n[ProgramID]\nID=OrvantQuietRestart\n"
                         "[DefaultFolder]\nFolder=" + folder + "\n[CopyFile]\nFile1=(App)APP.TXT\n"
                         "[ExecuteFile]\nFile=WINDOWS_REBOOT\n";
    std::string dist = Distribution("quiet-restart", script);
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    std::string log = LogPath("restart.log"), windows;
    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /s /log=" + Quoted(log), windows),
              static_cast<DWORD>(kExitRestartNeeded))
        << ReadBytes(log);
    EXPECT_EQ(windows, "");
    EXPECT_EQ(RestartRecord(), "") << "an unattended run never restarts";
    EXPECT_EQ(ReadBytes(folder + "APP.TXT"), "app\r\n");
    EXPECT_TRUE(LogHas(log, "Windowsの再起動が必要です(再起動は行いません)。"));

    // Again with a file that is not in the distribution.
    ASSERT_TRUE(e2e::SetIniValue(dist + "SETUP.INI", "CopyFile", "File2", "(App)MISSING.TXT"));
    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S /LOG=" + Quoted(log), windows), static_cast<DWORD>(kExitFailed));
    EXPECT_TRUE(LogHas(log, "<File> " + dist + "MISSING.TXT"));
    EXPECT_TRUE(LogHas(log, "コピー元のファイルが見つかりません。"));

    EXPECT_EQ(RunToEnd(RegString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString"), windows), static_cast<DWORD>(kExitSuccess));
    EXPECT_EQ(windows, "");
    EXPECT_EQ(Compare(before, Machine()), "");
}

// A refused Windows stops the install on purpose (1602) before anything is made; so does a
// start while another installation is in progress (1618), and a switch the program does not know
// (1639) ends it at once, with a box that names it only when someone is watching.
TEST_F(Unattended, RefusalsBusyProgramAndBadSwitches) {
    const std::string folder = ProgramFilesFolder() + "OrvantQuiet Refused\\";
    Program("OrvantQuietRefused", folder);
    std::string dist = Distribution("quiet-refused", "[Title]\nSetup=Quiet 拒否\nUnSetupKey=OrvantQuietRefused\n"
                                                     "[Extend]\nRejectOS=Windows\n[DefaultFolder]\nFolder=" + folder +
                                                         "\n[CopyFile]\nFile1=(App)APP.TXT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    std::string log = LogPath("refused.log"), windows;
    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S /LOG=" + Quoted(log), windows), static_cast<DWORD>(kExitStopped));
    EXPECT_EQ(windows, "");
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(LogHas(log, "終了コード: 1602"));

    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S /X", windows), static_cast<DWORD>(kExitBadCommandLine));
    EXPECT_EQ(windows, "");

    // Without /S the bad switch is named in a box.
    {
        e2e::TargetProcess setup;
        ASSERT_TRUE(setup.StartCommandLine(Quoted(dist + "SETUP.EXE") + " /BOGUS", dist));
        e2e::MsgBox box = setup.WaitMessageBox(15000);
        ASSERT_TRUE(box);
        EXPECT_SOON_TRUE(e2e::Contains(box.Text(), "/BOGUS"));
        ASSERT_TRUE(box.Answer(IDOK));
        ASSERT_TRUE(setup.WaitForExit());
        EXPECT_EQ(setup.ExitCode(), static_cast<DWORD>(kExitBadCommandLine));
    }

    // The wizard of another installation is open: an unattended start is told to retry.
    {
        e2e::TargetProcess wizard;
        ASSERT_TRUE(wizard.Start(dist + "SETUP.EXE"));
        ASSERT_TRUE(wizard.WaitWindow("TfrmMain", "Quiet 拒否", 15000));
        EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S", windows), static_cast<DWORD>(kExitAlreadyRunning));
        EXPECT_EQ(windows, "");
    }
}

// What no one chose at an unattended uninstall stays: files the user made in the install folder
// (even under a script that asks to delete everything) unless /DELETEALL says so; a logged file
// already deleted by hand is what the uninstall was for; a stale save file of the log is cleared.
TEST_F(Unattended, WhatNoOneChoseStaysAndWhatIsGoneAlreadyIsNoFailure) {
    const std::string folder = ProgramFilesFolder() + "OrvantQuiet Keep\\";
    const std::string key = Program("OrvantQuietKeep", folder);
    std::string dist = Distribution("quiet-keep", "[Title]\nSetup=Quiet 保持\nUnSetupKey=OrvantQuietKeep\n"
                                                  "[Extend]\nUnSetupOption=DeleteAll\n[DefaultFolder]\nFolder=" + folder +
                                                      "\n[CopyFile]\nFile1=(App)APP.TXT\nFile2=(App)GONE.TXT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    ASSERT_TRUE(AddFile(dist, "GONE.TXT", "gone\r\n"));
    // An earlier crash left the log's save file behind, read-only.
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(folder + "UNSETUP.INI.$$$", "stale"));
    SetFileAttributesW(Wide(folder + "UNSETUP.INI.$$$").c_str(), FILE_ATTRIBUTE_READONLY);
    std::string windows, log = LogPath("keep.log");
    ASSERT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S", windows), static_cast<DWORD>(kExitSuccess));
    EXPECT_EQ(Listing(folder), "APP.TXT\nGONE.TXT\nUNSETUP.INI\n") << "no save file stays behind";

    ASSERT_TRUE(WriteBytes(folder + "USER.DOC", "the user's own"));
    ASSERT_TRUE(DeleteFileW(Wide(folder + "GONE.TXT").c_str()));
    std::string quiet = RegString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString");
    EXPECT_EQ(RunToEnd(quiet + " /LOG=" + Quoted(log), windows), static_cast<DWORD>(kExitSuccess)) << ReadBytes(log);
    EXPECT_EQ(Listing(folder), "USER.DOC\n");
    EXPECT_TRUE(LogHas(log, "削除せずに残したファイル: " + folder + "USER.DOC"));

    // Asked for, everything goes.
    ASSERT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S", windows), static_cast<DWORD>(kExitSuccess));
    quiet = RegString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString");
    EXPECT_EQ(RunToEnd(quiet + " /DELETEALL", windows), static_cast<DWORD>(kExitSuccess));
    EXPECT_FALSE(FolderExists(folder));
}

// A deployment system runs as SYSTEM in a session no one sees: a checker or a server that waits
// for a click never gets one. Both are ended at the time limit, and the run fails with what it did
// recorded. The host that registers servers serves no one but its parent.
TEST_F(Unattended, ProgramsThatNeverEndAreEndedAndTheHostServesOnlyItsParent) {
    const std::string folder = ProgramFilesFolder() + "OrvantQuiet Hang\\";
    const std::string key = Program("OrvantQuietHang", folder);
    const std::string checker = e2e::EnvironmentVariable("SETUP_E2E_CHECKER");
    ASSERT_FALSE(checker.empty()) << "SETUP_E2E_CHECKER is not set (run the test through CTest)";
    std::string script = "[Title]\nSetup=Quiet 無応答\nUnSetupKey=OrvantQuietHang\n[DefaultFolder]\nFolder=" + folder +
                         "\n[CopyFile]\nFile1=(App)APP.TXT\nFile2=(App)HANG.DLL,/R\n";
    std::string dist = Distribution("quiet-hang", script + "[Extend]\nInstallChecker=\\CHECK\\OVCHECK.EXE\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "APP.TXT", "app\r\n"));
    ASSERT_TRUE(AddSysBinFile(dist, "comserver_hang.dll", "HANG.DLL"));
    ASSERT_TRUE(CreateDirectoryW(Wide(dist + "CHECK").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(Wide(e2e::WindowsPath(checker)).c_str(), Wide(dist + "CHECK\\OVCHECK.EXE").c_str(), FALSE));
    ASSERT_TRUE(AddFile(dist, "CHECK\\CHECKER.CFG", "[Checker]\r\nHoldUntil=NEVER\r\n"));

    std::string windows, log = LogPath("hang.log");
    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S /TIMEOUT=2 /LOG=" + Quoted(log), windows),
              static_cast<DWORD>(kExitFailed));
    EXPECT_NE(ReadBytes(dist + "CHECK\\CHECKER.LOG").find("|Unattended=1"), std::string::npos) << "the checker is told";
    EXPECT_TRUE(LogHas(log, "が制限時間内に終わらなかったため"));
    EXPECT_FALSE(FolderExists(folder));

    // Without the checker, the server's entry point waits instead: ended, and what was copied is
    // recorded so that the quiet uninstall (with its own limit) takes it away again.
    std::string withoutChecker;
    for (char c : script) withoutChecker += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(WriteBytes(dist + "SETUP.INI", e2e::Cp932(withoutChecker)));
    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S /TIMEOUT=2 /LOG=" + Quoted(log), windows),
              static_cast<DWORD>(kExitFailed));
    EXPECT_TRUE(LogHas(log, folder + "HANG.DLLのDllRegisterServer関数が制限時間内に終わらなかったため、中止しました。"));
    std::string quiet = RegString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString");
    ASSERT_NE(quiet.find("UNSETUP.INI"), std::string::npos);
    RunToEnd(quiet + " /TIMEOUT=2", windows);
    EXPECT_FALSE(FolderExists(folder));

    // Started by hand with a library, the host refuses before loading anything.
    const std::string server = SysBinFolder() + "comserver_ok.dll";
    for (const char* mode : {" /RegServer ", " /UnregServer "})
        EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + mode + Quoted(server), windows), 5u) << mode;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\OrvantTest\\ComServer\\comserver_ok"));
}

// A disk that cannot be changed (an unattended run only looks in its source folder) stops the run,
// but what it copied is recorded; one installation at a time on the whole machine.
TEST_F(Unattended, AStopAfterCopyingKeepsItsRecordAndOneRunAtATime) {
    const std::string folder = ProgramFilesFolder() + "OrvantQuiet Disk\\";
    const std::string key = Program("OrvantQuietDisk", folder);
    Snapshot before = Machine();
    std::string dist = Distribution("quiet-disk", "[Title]\nSetup=Quiet ディスク\nUnSetupKey=OrvantQuietDisk\n"
                                                  "[DefaultFolder]\nFolder=" + folder +
                                                      "\n[CopyFile]\nFile1=(App)A.TXT\nFile2=(Dch)(App)B.TXT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "A.TXT", "a\r\n"));
    std::string windows;
    {
        // Another installation holds the machine-wide name, as a run in another session does.
        HANDLE other = CreateMutexW(nullptr, TRUE, L"Global\\ORVSETUP");
        EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S", windows), static_cast<DWORD>(kExitAlreadyRunning));
        CloseHandle(other);
    }
    EXPECT_EQ(RunToEnd(Quoted(dist + "SETUP.EXE") + " /S", windows), static_cast<DWORD>(kExitFailed));
    EXPECT_EQ(ReadBytes(folder + "A.TXT"), "a\r\n");
    std::string quiet = RegString(HKEY_LOCAL_MACHINE, key, "QuietUninstallString");
    EXPECT_EQ(RunToEnd(quiet, windows), static_cast<DWORD>(kExitSuccess));
    EXPECT_EQ(Compare(before, Machine()), "");
}
