// The finishing steps of the install run under Wine: the uninstaller copy, OVSET98.INI, the
// uninstall log, the Add/Remove Programs entry, "Setup Only." and a re-install over the same folder.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/state.h"
#include "install/completion.h"
#include "install_fixture.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "sys/error_text.h"
#include "sys/sys_helpers.h"
#include "support/places.h"

namespace {

using Strings = std::vector<std::string>;

class InstallFinishTest : public InstallRunTest {
protected:
    void SetUp() override {
        InstallRunTest::SetUp();
        ForceFolders(app_);
        ASSERT_TRUE(WriteTextFile(work_ + "SETUPB.EXE", "new uninstaller"));
        SetFileHour(work_ + "SETUPB.EXE", 12);
    }
    std::string Log() const { return ReadTextFile(app_ + "UNSETUP.INI"); }
    // The status rows of the finishing line: dot counts shown after its header, in order.
    std::vector<int> DotRows() const {
        const std::string header = "アンインストール情報を更新しています";
        std::vector<int> rows;
        for (const std::string& text : ui_.statuses) {
            size_t at = text.rfind(header);
            if (at == std::string::npos || text.find("\r\n", at) != std::string::npos) continue;
            std::string tail = text.substr(at + header.size());
            rows.push_back(static_cast<int>(tail.size() / std::string("．").size()));
        }
        return rows;
    }
};

TEST_F(InstallFinishTest, WritesUninstallerSettingsLogAndAddRemoveEntry) {
    ComScope com;
    Source("APP.EXE", "program");
    Source("SHARED.DAT", "shared");
    Script("[MakeFolder]\r\nFolder1=(App)\r\nFolder2=(App)Data\r\n"
           "[CopyFile]\r\nFile1=(App)APP.EXE\r\nFile2=(App)SHARED.DAT,/S\r\n"
           "[ShortCut]\r\nMake1=(App)APP.EXE\r\nName1=Orvant Test App\r\n"
           "[DeleteRegistry]\r\nKey1=(Cuser)Software\\OrvantTest\\Install\r\n"
           "[AddDeleteFile]\r\nFile1=(App)Data\\*.LOG\r\n"
           "[Registry]\r\nKey1=Software\\OrvantTest\\Install\r\n[IniFile]\r\nData1=S,K,V,(App)APP.INI\r\n"
           "[Relate]\r\nName1=orvins\r\nFile1=open,(App)APP.EXE\r\n",
           "UnSetupDisplay=オーバント テスト 1.0\r\n", "UnSetupOption=0,1,0,0\r\n");
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(g_state.StatusText, CleanRunStatus());
    EXPECT_EQ(DotRows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 8}));
    EXPECT_EQ(result.FailureCount, 0) << result.FailureDetail;

    EXPECT_EQ(ReadTextFile(win_ + places::Uninstaller()), "new uninstaller");
    EXPECT_EQ(ReadIniValue("ORVTESTINSTALL", "Folder", "", win_ + "OVSET98.INI"), app_);

    // The log is the file that the same entries written key by key by the system's profile
    // functions would have made, in code page 932.
    std::string expected = work_ + "EXPECTED.INI";
    auto put = [&](const char* section, const std::string& key, const std::string& value) {
        WritePrivateProfileStringA(Cp932Bytes(section).c_str(), Cp932Bytes(key).c_str(), Cp932Bytes(value).c_str(),
                                   Cp932Bytes(expected).c_str());
    };
    put("Information", "Message1", "Orvant Setup Nova UnSetup(UnInstall) Initialize File");
    put("Information", "Message2", "！！！　警告　！！！");
    put("Information", "Message3", "このファイルをエディタなどで書き換えたり、削除しないでください。");
    put("Information", "Message4", "書き換えた場合、アンインストール動作の保証はできません。");
    put("Title", "UnSetup", "Orvant Test");
    put("SetupFolder", "Folder", app_);
    put("DeleteFolder", "Folder1", app_);
    put("DeleteFolder", "Folder2", app_ + "Data\\");
    put("DeleteFile", "File1", app_ + "APP.EXE");
    put("DeleteFile", "File2", app_ + "SHARED.DAT,/S");
    put("DeleteFile", "File3", app_ + "UNSETUP.INI");
    put("DeleteShortCut", "File1", shell_ + "Programs\\Orvant Test App.lnk");
    put("DeleteRegistry", "Key1", "(Cuser)Software\\OrvantTest\\Install");
    put("AddDeleteFile", "File1", app_ + "Data\\*.LOG");
    put("RestoreRelate", "Key1", "orvins,");
    put("UnSetupOption", "CheckBox", "0,1,0,0");
    put("Extend", "SetupString", "インストール");
    put("Extend", "UnSetupString", "アンインストール");
    put("UnSetupRegistryKey", "Key", kTestUninstallKey);
    put("ProgramID", "ID", "ORVTESTINSTALL");
    put("Platform", "Bits", places::kThirtyTwoBit ? "32" : "64");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, Cp932Bytes(expected).c_str());  // to the disk
    EXPECT_EQ(Log(), ReadTextFile(expected));

    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kTestUninstallKey, "DisplayName"), "オーバント テスト 1.0");
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kTestUninstallKey, "UninstallString"),
              win_ + places::Uninstaller() + " \"" + app_ + "UNSETUP.INI\"");
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kTestUninstallKey, "DisplayIcon"), win_ + places::Uninstaller());
    // Seen from outside: in the registry view of this build's programs (WOW6432Node for 32-bit).
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, kTestUninstallKey), places::MachineKey(kTestUninstallKey));
}

TEST_F(InstallFinishTest, UninstallerIsRefreshedOnlyByANewerProgram) {
    Script("");
    ASSERT_TRUE(WriteTextFile(win_ + places::Uninstaller(), "same age"));
    SetFileHour(win_ + places::Uninstaller(), 12);
    InstallResult result = Run();
    EXPECT_EQ(ReadTextFile(win_ + places::Uninstaller()), "same age");
    EXPECT_EQ(result.FailureCount, 0);

    SetFileHour(win_ + places::Uninstaller(), 13);
    Run();
    EXPECT_EQ(ReadTextFile(win_ + places::Uninstaller()), "same age");

    SetFileHour(win_ + places::Uninstaller(), 11);
    Run();
    EXPECT_EQ(ReadTextFile(win_ + places::Uninstaller()), "new uninstaller");

    // No program to copy: nothing happens, no failure.
    DeleteFileW(Wide(work_ + "SETUPB.EXE").c_str());
    DeleteFileW(Wide(win_ + places::Uninstaller()).c_str());
    result = Run();
    EXPECT_FALSE(PathExists(win_ + places::Uninstaller()));
    EXPECT_EQ(result.FailureCount, 0);
}

TEST_F(InstallFinishTest, FailedUninstallerCopyIsDetailedAndTheRunGoesOn) {
    Script("");
    ASSERT_TRUE(WriteTextFile(win_ + places::Uninstaller(), "old"));
    SetFileHour(win_ + places::Uninstaller(), 1);
    InstallResult result;
    {
        LockedFile lock(win_ + places::Uninstaller());
        result = Run();
    }
    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(result.FailureCount, 1);
    EXPECT_EQ(result.FailureDetail, "<SetupFile> " + win_ + places::Uninstaller() + "\r\n" + SystemErrorText(ERROR_SHARING_VIOLATION) + "\r\n");
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));  // still names the uninstaller
}

TEST_F(InstallFinishTest, SetupOnlyWritesNeitherLogNorAddRemoveEntry) {
    ASSERT_TRUE(WriteTextFile(app_ + "UNSETUP.INI", "[Title]\r\nUnSetup=Earlier\r\n"));
    g_state.UnSetupTitle = "Orvant Test (setup only.)";
    Source("APP.EXE");
    Script("[CopyFile]\r\nFile1=(App)APP.EXE\r\n");
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_TRUE(result.SetupOnly);
    EXPECT_EQ(Log(), "[Title]\r\nUnSetup=Earlier\r\n");
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
    EXPECT_EQ(DotRows(), (std::vector<int>{0, 1, 2, 3}));
    // The uninstaller and the settings file are still written.
    EXPECT_EQ(ReadTextFile(win_ + places::Uninstaller()), "new uninstaller");
    EXPECT_EQ(ReadIniValue("ORVTESTINSTALL", "Folder", "", win_ + "OVSET98.INI"), app_);
    EXPECT_NE(g_state.StatusText.find("アンインストール情報を更新しています．．．完了\r\n"), std::string::npos);
}

TEST_F(InstallFinishTest, WithoutProgramIdOrKeyNamesTheDefaultsApply) {
    g_state.ProgramId = "";
    g_state.UnSetupTitle = "OrvantTestInstall";
    // [Title] UnSetupKey present but empty, no UnSetupDisplay.
    ASSERT_TRUE(WriteTextFile(g_state.ScriptPath, "[Extend]\r\nSetupSpeed=1\r\n[Title]\r\nUnSetupKey=\r\n"));
    InstallResult result = Run();
    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_FALSE(PathExists(win_ + "OVSET98.INI"));
    EXPECT_EQ(ReadIniValue("ProgramID", "ID", "<absent>", app_ + "UNSETUP.INI"), "");
    EXPECT_EQ(ReadIniValue("UnSetupOption", "CheckBox", "<absent>", app_ + "UNSETUP.INI"), "<absent>");
    EXPECT_EQ(ReadIniValue("UnSetupRegistryKey", "Key", "", app_ + "UNSETUP.INI"), kTestUninstallKey);
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kTestUninstallKey, "DisplayName"), "OrvantTestInstall");
}

TEST_F(InstallFinishTest, ReinstallMergesWithTheEarlierLog) {
    Source("A.DAT", "a1");
    Source("B.DAT", "b");
    Script("[MakeFolder]\r\nFolder1=(App)\r\n[CopyFile]\r\nFile1=(App)A.DAT,/S\r\nFile2=(App)B.DAT\r\n"
           "[Relate]\r\nName1=orvins\r\nFile1=open,(App)A.DAT\r\n");
    ASSERT_TRUE(RawSetString(HKEY_CLASSES_ROOT, std::string(".") + kTestExtension, "", "FirstType"));
    ASSERT_EQ(Run().ended, InstallEnd::Completed);

    // Second install: A.DAT again without "/S", a new file, the same association.
    g_state.RestoreRelateKeys = {};
    DeleteFileW(Wide(work_ + "UNSETUPB.INI").c_str());
    Source("A.DAT", "a2");
    Source("C.DAT", "c");
    Script("[MakeFolder]\r\nFolder1=(App)\r\n[CopyFile]\r\nFile1=(App)A.DAT\r\nFile2=(App)C.DAT\r\n"
           "[Relate]\r\nName1=orvins\r\nFile1=open,(App)C.DAT\r\n");
    InstallResult second = Run();
    ASSERT_EQ(second.ended, InstallEnd::Completed);
    EXPECT_EQ(ReadTextFile(work_ + "UNSETUPB.INI").empty(), false);  // the snapshot of the first log
    EXPECT_EQ(second.Lists.FileLog.Items(), (Strings{app_ + "A.DAT,/S", app_ + "B.DAT", app_ + "UNSETUP.INI", app_ + "A.DAT",
                                                     app_ + "C.DAT", app_ + "UNSETUP.INI"}));
    const std::string log = app_ + "UNSETUP.INI";
    EXPECT_EQ(ReadIniValue("DeleteFile", "File1", "", log), app_ + "A.DAT,/S");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File2", "", log), app_ + "B.DAT");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File3", "", log), app_ + "UNSETUP.INI");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File4", "", log), app_ + "C.DAT");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File5", "<absent>", log), "<absent>");
    EXPECT_EQ(ReadIniValue("DeleteFolder", "Folder1", "", log), app_);
    EXPECT_EQ(ReadIniValue("DeleteFolder", "Folder2", "<absent>", log), "<absent>");
    // The type before the first install survives.
    EXPECT_EQ(ReadIniValue("RestoreRelate", "Key1", "", log), "orvins,FirstType");
    EXPECT_EQ(ReadIniValue("RestoreRelate", "Key2", "<absent>", log), "<absent>");
}

// A re-install over a log that is read-only, hidden and system, whose snapshot cannot be made
// (a folder stands where it would go): the new log still replaces the old one and still lists
// what the first install made.
TEST_F(InstallFinishTest, ReinstallOverAProtectedLogWithoutItsSnapshotKeepsEverything) {
    Source("A.DAT");
    Script("[MakeFolder]\r\nFolder1=(App)\r\n[CopyFile]\r\nFile1=(App)A.DAT\r\n");
    ASSERT_EQ(Run().ended, InstallEnd::Completed);
    const std::string log = app_ + "UNSETUP.INI";
    ASSERT_TRUE(SetFileAttributesW(Wide(log).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    DeleteFileW(Wide(work_ + "UNSETUPB.INI").c_str());
    ForceFolders(work_ + "UNSETUPB.INI\\");

    Source("B.DAT");
    Script("[CopyFile]\r\nFile1=(App)B.DAT\r\n");
    InstallResult second = Run();
    ASSERT_EQ(second.ended, InstallEnd::Completed);
    EXPECT_EQ(second.FailureCount, 0) << second.FailureDetail;
    EXPECT_EQ(ReadIniValue("DeleteFolder", "Folder1", "", log), app_);
    EXPECT_EQ(ReadIniValue("DeleteFile", "File1", "", log), app_ + "A.DAT");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File2", "", log), app_ + "UNSETUP.INI");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File3", "", log), app_ + "B.DAT");
    EXPECT_EQ(GetFileAttributesW(Wide(log).c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
}

TEST_F(InstallFinishTest, LogThatCannotBeWrittenIsReportedAsAFailure) {
    ASSERT_TRUE(WriteTextFile(app_ + "UNSETUP.INI", "[Title]\r\nUnSetup=Earlier\r\n"));
    Script("");
    InstallResult result;
    {
        LockedFile lock(app_ + "UNSETUP.INI");
        result = Run();
    }
    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(result.FailureCount, 1);
    EXPECT_EQ(result.FailureDetail.substr(0, 7 + app_.size() + 13), "<File> " + app_ + "UNSETUP.INI\r\n");
    // The earlier log is left whole, and no Add/Remove entry offers an uninstall without a log.
    EXPECT_EQ(ReadTextFile(app_ + "UNSETUP.INI"), "[Title]\r\nUnSetup=Earlier\r\n");
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

TEST_F(InstallFinishTest, LockedFileLeadsToTheRestartChoiceOfTheCompletionPage) {
    Source("LOCK.DAT", "new");
    ASSERT_TRUE(WriteTextFile(app_ + "LOCK.DAT", "old"));
    SetFileHour(dist_ + "LOCK.DAT", 23);
    SetFileHour(app_ + "LOCK.DAT", 1);
    Script("[CopyFile]\r\nFile1=(App)LOCK.DAT\r\n[ExecuteFile]\r\nFile=(App)APP.EXE,/first,CreateProcess\r\n");
    InstallResult result;
    {
        LockedFile lock(app_ + "LOCK.DAT");
        result = Run();
    }
    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(result.ExecuteFile, "(App)APP.EXE,/first,CreateProcess");
    InstallCompletionPage page = BuildInstallCompletionPage(result.ExecuteFile, result.LockedFileFound, g_state.SetupWord);
    EXPECT_TRUE(page.restartOffered);
    EXPECT_EQ(page.execute.program, app_ + "APP.EXE");
    EXPECT_EQ(page.execute.arguments, "/first");
    EXPECT_EQ(page.option2Caption, "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)");
    EXPECT_EQ(DecideFinalAction(page, false), FinalAction::Restart);
    EXPECT_EQ(DecideFinalAction(page, true), FinalAction::RunProgram);
    const std::string heading = "\r\n【処理完了】\r\n";
    EXPECT_EQ(CompletionStatusLines(g_state.SetupWord, g_state.UnSetupWord, result.SetupOnly).substr(0, heading.size()),
              heading);
}

}  // namespace
