// Start-up decisions: Windows names, mode, work folder, banner, proposed folder, shortcut boxes,
// page message and pre-checks, against real script files, OVSET98.INI and the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/startup_rules.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "support/test_env.h"
#include "sys/registry.h"

namespace {

class StartupRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = ScratchFolder("startup");
        windows_ = folder_ + "WIN\\";
        ForceFolders(windows_);
        script_ = folder_ + "SETUP.INI";
    }
    void TearDown() override {
        DeleteTree(HKEY_CURRENT_USER, "Software\\OrvantTest\\Startup");
        DeleteTree(HKEY_LOCAL_MACHINE, "Software\\OrvantTest\\Startup");
        ResetProgramState();
    }
    void Script(const std::string& text) {
        ASSERT_TRUE(WriteTextFile(script_, Cp932Bytes(text)));
        FlushIniCache(script_);
    }
    PreCheckResult PreChecks(const std::string& osName = "Windows XP") {
        return RunPreChecks(script_, folder_ + "APP\\", osName, windows_, "インストール", "アンインストール");
    }
    std::string folder_, windows_, script_;
};

}  // namespace

TEST(WindowsVersionTest, NamesEverySystem) {
    auto name = [](bool ok, DWORD platform, DWORD major, DWORD minor, DWORD build) {
        WindowsVersion v = ClassifyWindowsVersion(ok, platform, major, minor, build);
        return v.PlatformKind + "/" + v.OsName;
    };
    EXPECT_EQ(name(true, 2, 4, 0, 1381), "NT/Windows NT4.0");
    EXPECT_EQ(name(true, 2, 5, 0, 2195), "NT/Windows 2000");
    EXPECT_EQ(name(true, 2, 5, 1, 2600), "NT/Windows XP");
    EXPECT_EQ(name(true, 2, 5, 2, 3790), "NT/Windows 2003");
    EXPECT_EQ(name(true, 2, 5, 3, 0), "NT/Windows NT Technology");
    EXPECT_EQ(name(true, 2, 6, 1, 7601), "NT/Windows");
    EXPECT_EQ(name(true, 2, 10, 0, 19045), "NT/Windows");
    // Windows 9x: the build field carries major and minor in its high word.
    EXPECT_EQ(name(true, 1, 4, 0, (4u << 24) | 950), "notNT/Windows 95");
    EXPECT_EQ(name(true, 1, 4, 10, (4u << 24) | (10u << 16) | 1998), "notNT/Windows 98");
    EXPECT_EQ(name(true, 1, 4, 10, (4u << 24) | (10u << 16) | 2222), "notNT/Windows 98<SE>");
    EXPECT_EQ(name(true, 1, 4, 90, (4u << 24) | (90u << 16) | 3000), "notNT/Windows Me");
    EXPECT_EQ(name(true, 1, 4, 0xFFFFFFFF, 0), "notNT/Windows");
    EXPECT_EQ(name(true, 3, 5, 1, 0), "/Windows");
    EXPECT_EQ(name(false, 2, 5, 1, 0), "/Windows");
    EXPECT_EQ(QueryWindowsVersion().PlatformKind, "NT") << "Wine reports the NT platform";
}

TEST(ModeTest, OnlyAnUpperCaseUnsetupIniSelectsUninstall) {
    EXPECT_TRUE(IsUninstallParameter("C:\\Program Files\\App\\UNSETUP.INI"));
    EXPECT_TRUE(IsUninstallParameter("A:UNSETUP.INI"));
    EXPECT_TRUE(IsUninstallParameter("UNSETUP.INI"));
    EXPECT_FALSE(IsUninstallParameter("C:\\App\\unsetup.ini"));
    EXPECT_FALSE(IsUninstallParameter("C:\\App\\UNSETUP.INI.bak"));
    EXPECT_FALSE(IsUninstallParameter(""));
}

TEST_F(StartupRulesTest, WorkFolderTakesTheFirstFreeNumber) {
    EXPECT_EQ(CreateWorkFolder(folder_), folder_ + "OVTMP1\\");
    EXPECT_TRUE(FolderExists(folder_ + "OVTMP1\\"));
    EXPECT_EQ(CreateWorkFolder(folder_), folder_ + "OVTMP2\\");
    RemoveDirectoryW(Wide(folder_ + "OVTMP1").c_str());
    EXPECT_EQ(CreateWorkFolder(folder_), folder_ + "OVTMP1\\");
    for (int n = 1; n <= 99; ++n) CreateDirectoryW(Wide(folder_ + "OVTMP" + std::to_string(n)).c_str(), nullptr);
    EXPECT_EQ(CreateWorkFolder(folder_), folder_ + "OVTMP99\\") << "all taken: the 99th is used as it is";
}

TEST(BannerTest, DefaultsOnlyWhenBothLinesAreEmpty) {
    EXPECT_EQ(BuildBanner("(C) Firm", "All rights"), "(C) Firm\r\nAll rights");
    EXPECT_EQ(BuildBanner("", "Second"), "\r\nSecond");
    std::string own = BuildBanner("", "");
    EXPECT_EQ(own.substr(0, 19), "Orvant Setup Nova\r\n");
    EXPECT_GT(own.size(), 19u);
}

TEST(SetupSpeedTest, NeverBelowOne) {
    EXPECT_EQ(ParseSetupSpeed("350"), 350);
    EXPECT_EQ(ParseSetupSpeed("0"), 1);
    EXPECT_EQ(ParseSetupSpeed("-20"), 1);
    EXPECT_EQ(ParseSetupSpeed("fast"), 350);
    EXPECT_EQ(ParseSetupSpeed("1"), 1);
}

TEST_F(StartupRulesTest, ProposedFolderFromScriptOvset98RegistryAndIni) {
    Script("[DefaultFolder]\r\nFolder=(Prg)\\Firm\\App\\\r\n");
    EXPECT_EQ(ProposeInstallFolder(script_, "", windows_), "(Prg)\\Firm\\App\\");
    Script("");
    EXPECT_EQ(ProposeInstallFolder(script_, "", windows_), "(Prg)\\");

    Script("[DefaultFolder]\r\nFolder=(Prg)\\App\\\r\n");
    ASSERT_TRUE(WriteIniValue("MYAPP", "Folder", "D:\\Earlier\\", windows_ + "OVSET98.INI"));
    EXPECT_EQ(ProposeInstallFolder(script_, "MYAPP", windows_), "D:\\Earlier\\");
    EXPECT_EQ(ProposeInstallFolder(script_, "OTHER", windows_), "(Prg)\\App\\");
    ASSERT_TRUE(WriteIniValue("EMPTY", "Folder", "", windows_ + "OVSET98.INI"));
    EXPECT_EQ(ProposeInstallFolder(script_, "EMPTY", windows_), "") << "an empty entry empties the proposal";

    RegistryKey user, machine;
    ASSERT_EQ(user.Create(HKEY_CURRENT_USER, "Software\\OrvantTest\\Startup"), 0);
    ASSERT_EQ(user.SetString("Path", "E:\\FromUser\\"), 0);
    ASSERT_EQ(user.SetDword("Number", 5), 0);
    ASSERT_EQ(machine.Create(HKEY_LOCAL_MACHINE, "Software\\OrvantTest\\Startup"), 0);
    ASSERT_EQ(machine.SetString("Path", "F:\\FromMachine\\"), 0);
    EXPECT_EQ(ReadReferRegistry("Software\\OrvantTest\\Startup,Path"), "E:\\FromUser\\");
    EXPECT_EQ(ReadReferRegistry("(Local)\\Software\\OrvantTest\\Startup\\,Path"), "F:\\FromMachine\\");
    EXPECT_EQ(ReadReferRegistry("(local)\\Software\\OrvantTest\\Startup,Path"), "E:\\FromUser\\")
        << "a root in another letter case means the current user";
    EXPECT_EQ(ReadReferRegistry("Software\\OrvantTest\\Startup,Number"), "");
    EXPECT_EQ(ReadReferRegistry("Software\\OrvantTest\\Missing,Path"), "");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\OrvantTest\\Missing")) << "opened without creating";

    Script("[DefaultFolder]\r\nFolder=(Prg)\\App\\\r\nReferRegistry=(Local)Software\\OrvantTest\\Startup,Path\r\n"
           "ReferIniFile=Paths,Home," + folder_ + "APP.INI\r\n");
    EXPECT_EQ(ProposeInstallFolder(script_, "", windows_), "F:\\FromMachine\\");
    ASSERT_TRUE(WriteIniValue("Paths", "Home", "G:\\FromIni\\", folder_ + "APP.INI"));
    EXPECT_EQ(ProposeInstallFolder(script_, "", windows_), "G:\\FromIni\\");
}

TEST_F(StartupRulesTest, ShortcutBoxesFollowTheNamesUntilTheFirstEmpty) {
    Script("[ShortCut]\r\nName1=(C_Dsk)App\r\nName2=(sta)Firm\\App\r\nName3=(Smn)Other\r\n");
    ShortcutBoxes boxes = DecideShortcutBoxes(script_);
    EXPECT_TRUE(boxes.desktop);
    EXPECT_TRUE(boxes.startMenu);
    EXPECT_FALSE(boxes.startUp);
    EXPECT_FALSE(boxes.sendTo);
    Script("[ShortCut]\r\nName1=\r\nName2=(Dsk)App\r\n");
    boxes = DecideShortcutBoxes(script_);
    EXPECT_FALSE(boxes.desktop) << "reading stops at the empty Name1";
    Script("[ShortCut]\r\nName1=(Sup)A\r\nName2=(Sen)B\r\n");
    boxes = DecideShortcutBoxes(script_);
    EXPECT_TRUE(boxes.startUp);
    EXPECT_TRUE(boxes.sendTo);
}

TEST_F(StartupRulesTest, PageMessages) {
    Script("[TopMessage]\r\nMessage3=三行目\r\n");
    EXPECT_EQ(BuildInstallPageMessage(script_, "導入"), "\r\n\r\n三行目\r\n\r\n\r\n");
    Script("");
    EXPECT_EQ(BuildInstallPageMessage(script_, "導入"), "導入を行います。\r\n");
    EXPECT_EQ(BuildUninstallPageMessage("削除"), "削除を行います。\r\n\r\n開始するには、「削除開始(S)」を選択してください。\r\n");
}

TEST_F(StartupRulesTest, RejectOsIsASubstringTest) {
    Script("[Extend]\r\nRejectOS=Windows 95,Windows 98<SE>\r\n");
    PreCheckResult result = PreChecks("Windows 98");
    EXPECT_TRUE(result.stop);
    EXPECT_EQ(result.title, "警告");
    EXPECT_EQ(result.text,
              "このオペレーティングシステムへのインストールは、プログラム配布者により認められていません。\r\n"
              "詳細については、プログラム配布者へご確認ください。\r\nインストールを続行することはできません。");
    Script("[Extend]\r\nRejectOS=Windows 98\r\n");
    EXPECT_FALSE(PreChecks("Windows 98<SE>").fired);
    EXPECT_TRUE(PreChecks("Windows 98").fired);
    Script("[Extend]\r\nRejectOS=windows me\r\n");
    EXPECT_TRUE(PreChecks("Windows").fired) << "the bare name matches any value naming Windows";
    Script("");
    EXPECT_FALSE(PreChecks("Windows").fired);
}

TEST_F(StartupRulesTest, PreviousVersionChecks) {
    ForceFolders(folder_ + "APP\\");
    Script("[Caution]\r\nUnInstallCheckEx=\\OLD.EXE\r\nUnInstallCheck=OLDER.EXE\r\n");
    EXPECT_FALSE(PreChecks().fired);
    ASSERT_TRUE(WriteTextFile(folder_ + "APP\\OLDER.EXE", "x"));
    PreCheckResult warn = PreChecks();
    EXPECT_TRUE(warn.fired);
    EXPECT_FALSE(warn.stop);
    EXPECT_EQ(warn.title, "警告");
    EXPECT_EQ(warn.text,
              "インストーラはチェック対象プログラムを検出しました。\r\nパッケージ配布者は、前バージョンのプログラムの"
              "アンインストールを推奨しています。\r\nインストールはこのまま続行できますが、予期せぬ結果を招く可能性があります。"
              "\r\nできる限り中断して、前バージョンのアンインストールを行うことをお勧めします。");
    ASSERT_TRUE(WriteTextFile(folder_ + "APP\\OLD.EXE", "x"));
    PreCheckResult stop = PreChecks();
    EXPECT_TRUE(stop.stop);
    EXPECT_EQ(stop.title, "エラー");
    EXPECT_EQ(stop.text, "インストーラはチェック対象プログラムを検出しました。\r\nインストールを続行するためには、"
                         "前バージョンのアンインストールを行う必要があります。");

    Script("");  // "NoData" in the proposed folder
    EXPECT_FALSE(PreChecks().fired);
    ASSERT_TRUE(WriteTextFile(folder_ + "APP\\NoData", "x"));
    EXPECT_TRUE(PreChecks().stop) << "the default tests for a file named NoData";
}

TEST_F(StartupRulesTest, IdCheckFindsAnInstalledProgram) {
    std::string installed = folder_ + "INSTALLED\\";
    ForceFolders(installed);
    ASSERT_TRUE(WriteTextFile(installed + "UNSETUP.INI", Cp932Bytes("[Title]\r\nUnSetup=旧アプリ\r\n")));
    ASSERT_TRUE(WriteIniValue("OLDAPP", "Folder", installed, windows_ + "OVSET98.INI"));
    Script("[Caution]\r\nUnInstallCheckEx=IDCheck:NOSUCH\r\nUnInstallCheck=idcheck:OLDAPP\r\n");
    PreCheckResult warn = PreChecks();
    EXPECT_FALSE(warn.stop) << "an identifier without a section fires nothing; the warning still runs";
    EXPECT_EQ(warn.text.substr(0, warn.text.find("\r\n")), "インストーラはチェック対象プログラム識別子を検出しました。");
    EXPECT_NE(warn.text.find("【旧アプリ】\r\nパッケージ配布者は、上記プログラムのアンインストールを推奨しています。"), std::string::npos);

    Script("[Caution]\r\nUnInstallCheckEx=IDCheck:OLDAPP\r\n");
    PreCheckResult stop = PreChecks();
    EXPECT_TRUE(stop.stop);
    EXPECT_EQ(stop.text, "インストーラはチェック対象プログラム識別子を検出しました。\r\n【旧アプリ】\r\n"
                         "インストールを続行するためには、上記プログラムのアンインストールを行う必要があります。");
    DeleteFileW(Wide(installed + "UNSETUP.INI").c_str());
    EXPECT_NE(PreChecks().text.find("【不明なタイトル】"), std::string::npos);
}
