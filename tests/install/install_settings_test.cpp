// The install run's shortcut, registry, INI, removal-list and association phases under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/state.h"
#include "install_fixture.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "sys/registry.h"
#include "sys/shortcut.h"
#include "sys/sys_helpers.h"

namespace {

using Strings = std::vector<std::string>;

class InstallSettingsTest : public InstallRunTest {
protected:
    void SetUp() override {
        InstallRunTest::SetUp();
        ForceFolders(app_);
        Source("APP.EXE", "program");
    }
    bool StatusHas(const std::string& line) const { return g_state.StatusText.find(line) != std::string::npos; }
};

TEST_F(InstallSettingsTest, ShortcutsFollowTheirCheckBoxes) {
    ComScope com;
    Script("[CopyFile]\r\nFile1=(App)APP.EXE\r\n"
           "[ShortCut]\r\n"
           "Make1=(App)APP.EXE\r\nName1=(Dsk)Desk App\r\n"
           "Make2=(App)APP.EXE\r\nName2=(Sta)Group\\Menu App\r\n"
           "Make3=(App)APP.EXE,/arg\r\n"
           "Make4=(App)APP.EXE\r\nName4=(Sup)Start App\r\n"
           "Make5=(App)APP.EXE\r\nName5=(Sen)Send App\r\n"
           "Make6=User Not Selected.\r\nName6=Skipped\r\n"
           "Make7=(App)README.TXT\r\nName7=Readme,(App)\r\n"
           "Make8=(App)APP.EXE\r\nName8=(C_Dsk)All Desk\r\n"
           "Make10=(App)APP.EXE\r\nName10=Beyond The Gap\r\n");
    options_.shortcuts = ShortcutBoxes{false, true, false, true};
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_TRUE(StatusHas("ショートカットを作成しています．．．完了\r\n"));
    const std::string programs = shell_ + "Programs\\";
    EXPECT_EQ(result.Lists.ShortcutLog.Items(), (Strings{programs + "Group\\Menu App.lnk", programs + "APP.EXE.lnk",
                                               shell_ + "SendTo\\Send App.lnk", programs + "Readme.lnk"}));
    EXPECT_FALSE(PathExists(shell_ + "Desktop"));
    EXPECT_FALSE(PathExists(shell_ + "Startup"));
    EXPECT_FALSE(PathExists(shell_ + "AllDesktop"));
    EXPECT_FALSE(PathExists(programs + "Skipped.lnk"));
    EXPECT_FALSE(PathExists(programs + "Beyond The Gap.lnk"));

    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(programs + "APP.EXE.lnk", info));
    EXPECT_EQ(info.target, app_ + "APP.EXE");
    EXPECT_EQ(info.arguments, "/arg");
    EXPECT_EQ(info.workFolder, app_);
    ASSERT_TRUE(ReadShortcut(programs + "Group\\Menu App.lnk", info));
    EXPECT_EQ(info.target, app_ + "APP.EXE");
    EXPECT_TRUE(ui_.Showed("【作成元】" + app_ + "README.TXT\r\n【作成先】" + programs + "Readme\r\n"));
    // One pause per created shortcut, after the three fixed pauses and the copied file's.
    EXPECT_EQ(ui_.pauses.size(), 3u + 1u + 4u);
}

TEST_F(InstallSettingsTest, NoShortcutMadeLeavesTheLineAtNone) {
    ComScope com;
    Script("[ShortCut]\r\nMake1=(App)APP.EXE\r\nName1=(Dsk)Desk App\r\nMake2=User Not Selected.\r\n");
    options_.shortcuts = ShortcutBoxes{false, false, false, false};
    InstallResult result = Run();
    EXPECT_TRUE(StatusHas("ショートカットを作成しています．．．なし\r\n"));
    EXPECT_TRUE(result.Lists.ShortcutLog.Items().empty());

    Script("[ShortCut]\r\nName1=(Dsk)Desk App\r\nMake2=(App)APP.EXE\r\n");
    result = Run();
    EXPECT_TRUE(StatusHas("ショートカットを作成しています．．．なし\r\n"));
    EXPECT_TRUE(StatusHas("レジストリキーを作成しています．．．なし\r\nINIファイルを設定しています．．．なし\r\n"
                          "関連付けを設定しています．．．なし\r\n"));
}

TEST_F(InstallSettingsTest, RegistryValuesOfEveryType) {
    const std::string key = kTestRegistryKey;
    Script("[Registry]\r\n"
           "Key1=Software\\OrvantTest\\Install\r\nName1=Str\r\nValue1=(Str)(Pdd)(App)\r\n"
           "Key2=(Cuser)\\Software\\OrvantTest\\Install\\\r\nName2=Dec\r\nValue2=(Dwd)12\r\n"
           "Key3=(Cuser)Software\\OrvantTest\\Install\r\nName3=Hex\r\nValue3=(Int)$FF\r\n"
           "Key4=Software\\OrvantTest\\Install\r\nName4=NotNumber\r\nValue4=(Dwd)abc\r\n"
           "Key5=Software\\OrvantTest\\Install\r\nName5=Bin\r\nValue5=(Bin)0100\r\n"
           "Key6=Software\\OrvantTest\\Install\r\nName6=BadBin\r\nValue6=(Bin)xyz\r\n"
           "Key7=Software\\OrvantTest\\Install\r\nName7=Exp\r\nValue7=(Exp)%TEMP%\\(Pdd)x\\\r\n"
           "Key8=Software\\OrvantTest\\Install\r\nName8=Plain\r\nValue8=hello\r\n"
           "Key9=Software\\OrvantTest\\Install\\KeyOnly\r\nName9=Nothing\r\n"
           "Key10=(Local)Software\\OrvantTest\\Install\r\nName10=Machine\r\nValue10=(Str)on the machine\r\n"
           "Key11=Software\\OrvantTest\\Install\r\nValue11=(Str)default value\r\n"
           "Key13=Software\\OrvantTest\\Install\r\nName13=BeyondTheGap\r\nValue13=(Str)x\r\n");
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_TRUE(StatusHas("レジストリキーを作成しています．．．完了\r\n"));
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key, "Str"), app_.substr(0, app_.size() - 1));
    DWORD value = 0;
    ASSERT_TRUE(RawGetDword(HKEY_CURRENT_USER, key, "Dec", value));
    EXPECT_EQ(value, 12u);
    ASSERT_TRUE(RawGetDword(HKEY_CURRENT_USER, key, "Hex", value));
    EXPECT_EQ(value, 255u);
    ASSERT_TRUE(RawGetDword(HKEY_CURRENT_USER, key, "NotNumber", value));
    EXPECT_EQ(value, 0u);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, key, "Bin", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, std::string("\x00\x01\x00\x00", 4));
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, key, "BadBin", type, data));
    ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, key, "Exp", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data, "%TEMP%\\x");  // "(Pdd)" anywhere drops the data's trailing backslash
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key, "Plain"), "hello");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, key + "\\KeyOnly"));
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, key + "\\KeyOnly", "Nothing", type, data));
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, key, "Machine"), "on the machine");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key, ""), "default value");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key, "BeyondTheGap"), "<absent>");
    // Registry values are not undone by an uninstall: nothing recorded.
    EXPECT_TRUE(result.Lists.RegistryLog.Items().empty());
}

TEST_F(InstallSettingsTest, IniEntriesAreWrittenWithTheirMacrosExpanded) {
    Script("[IniFile]\r\nData1=Options,Path,(App),(App)APP.INI\r\nData2=設定,フォルダ,(Win),(App)Data\\日本語.INI\r\n"
           "Data4=Gap,Key,Value,(App)APP.INI\r\n");
    ForceFolders(app_ + "Data\\");
    InstallResult result = Run();
    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_TRUE(StatusHas("INIファイルを設定しています．．．完了\r\n"));
    EXPECT_EQ(ReadIniValue("Options", "Path", "", app_ + "APP.INI"), app_);
    EXPECT_EQ(ReadIniValue("設定", "フォルダ", "", app_ + "Data\\日本語.INI"), win_);
    // On disk in code page 932, as the system's profile functions write it.
    EXPECT_EQ(ReadTextFile(app_ + "Data\\日本語.INI"), Cp932Bytes("[設定]\r\nフォルダ=" + win_ + "\r\n"));
    EXPECT_EQ(ReadIniValue("Gap", "Key", "<absent>", app_ + "APP.INI"), "<absent>");
}

TEST_F(InstallSettingsTest, RemovalListsFromTheScript) {
    Script("[DeleteRegistry]\r\nKey1=(Local)Software\\Orvant Sample\r\nKey2=SOFTWARE\\(App)Foo\r\nKey4=Gap\r\n"
           "[AddDeleteFile]\r\nFile1=(App)Data\\*.LOG\r\nFile2=(Win)ORVTEST.INI,/C\r\n");
    InstallResult result = Run();
    ASSERT_EQ(result.ended, InstallEnd::Completed);
    // Registry keys verbatim, files expanded; no status line of their own.
    EXPECT_EQ(result.Lists.RegistryLog.Items(), (Strings{"(Local)Software\\Orvant Sample", "SOFTWARE\\(App)Foo"}));
    EXPECT_EQ(result.Lists.AddDeleteLog.Items(), (Strings{app_ + "Data\\*.LOG", win_ + "ORVTEST.INI,/C"}));
    EXPECT_TRUE(StatusHas("INIファイルを設定しています．．．なし\r\n関連付けを設定しています"));
}

TEST_F(InstallSettingsTest, AssociationsAskAndRecordThePreviousType) {
    const std::string ext = kTestExtension;
    ASSERT_TRUE(RawSetString(HKEY_CLASSES_ROOT, "." + ext, "", "OldType"));
    Script("[Relate]\r\n"
           "Name1=orvins,オーバント文書\r\nFile1=open,(App)APP.EXE,\"%1\",,2\r\n"
           "Name3=orvno\r\nFile3=open,(App)APP.EXE\r\n"
           "Name4=orvhalf\r\n");
    boxes_.Queue(IDYES);
    boxes_.Queue(IDNO);
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);  // the entry without "File" is dropped
    EXPECT_EQ(boxes_.Boxes()[0].text, "拡張子 *.orvins を\r\n" + app_ + "APP.EXE\r\nに関連付けします。よろしいですか？");
    EXPECT_EQ(boxes_.Boxes()[0].title, "関連付けの確認");
    EXPECT_EQ(boxes_.Boxes()[0].flags, 36u);
    const std::string second = "拡張子 *.orvno を";
    EXPECT_EQ(boxes_.Boxes()[1].text.substr(0, second.size()), second);
    EXPECT_TRUE(StatusHas("関連付けを設定しています．．．完了\r\n"));

    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "." + ext, ""), "orvins_auto_file");
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "orvins_auto_file", ""), "オーバント文書");
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "orvins_auto_file\\DefaultIcon", ""), app_ + "APP.EXE,2");
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "orvins_auto_file\\shell\\open\\command", ""),
              app_ + "APP.EXE \"%1\"");
    EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, ".orvno"));
    EXPECT_EQ(g_state.RestoreRelateKeys[0], "orvins,OldType");
    EXPECT_EQ(g_state.RestoreRelateKeys[1], "");
}

TEST_F(InstallSettingsTest, AssociationRecordOfANewExtensionAndOfAnAlreadyRecordedOne) {
    Script("[Relate]\r\nName1=orvins\r\nFile1=edit,(App)APP.EXE,/e,%1\r\n");
    g_state.RestoreRelateKeys[0] = "txt,txtfile";
    InstallResult result = Run();
    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(g_state.RestoreRelateKeys[1], "orvins,");  // no previous type
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "orvins_auto_file", ""), "orvins File");
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "orvins_auto_file\\DefaultIcon", ""), app_ + "APP.EXE,");
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "orvins_auto_file\\shell\\edit\\command", ""), app_ + "APP.EXE /e %1");

    // Installed again (the earlier log set aside): the keys are rewritten, the first record stays.
    DeleteFileW(Wide(app_ + "UNSETUP.INI").c_str());
    g_state.RestoreRelateKeys = {};
    g_state.RestoreRelateKeys[0] = "ORVINS,FirstType";
    Run();
    EXPECT_EQ(g_state.RestoreRelateKeys[0], "ORVINS,FirstType");
    EXPECT_EQ(g_state.RestoreRelateKeys[1], "");
}

// A registry or COM error ends the run there; what it did so far gets its log and Add/Remove
// entry, so that nothing is left that the uninstall cannot take away.
TEST_F(InstallSettingsTest, ShellLinkErrorEndsTheRunAsAnException) {
    // Without COM on the thread the link object cannot be created.
    Source("APP.EXE");
    Script("[CopyFile]\r\nFile1=(App)APP.EXE\r\n[ShortCut]\r\nMake1=(App)APP.EXE\r\nName1=Readme\r\n"
           "[Registry]\r\nKey1=Software\\OrvantTest\\Install\r\nName1=After\r\nValue1=(Str)x\r\n"
           "[DeleteRegistry]\r\nKey1=Software\\OrvantTest\\Install\r\n");
    EXPECT_THROW(Run(), ComError);
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kTestRegistryKey, "After"), "<absent>");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File1", "", app_ + "UNSETUP.INI"), app_ + "APP.EXE");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File2", "", app_ + "UNSETUP.INI"), app_ + "UNSETUP.INI");
    EXPECT_EQ(ReadIniValue("DeleteRegistry", "Key1", "", app_ + "UNSETUP.INI"), "Software\\OrvantTest\\Install");
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

TEST_F(InstallSettingsTest, RegistryErrorEndsTheRunAsAnException) {
    // A key name longer than the registry allows cannot be created.
    std::string tooLong(300, 'k');
    Script("[Registry]\r\nKey1=Software\\OrvantTest\\Install\\" + tooLong + "\r\nName1=x\r\nValue1=(Str)x\r\n"
           "[IniFile]\r\nData1=Options,Path,(App),(App)APP.INI\r\n");
    try {
        Run();
        ADD_FAILURE() << "no RegistryError";
    } catch (const RegistryError& error) {
        EXPECT_EQ(std::string(error.what()), "ｷｰ Software\\OrvantTest\\Install\\" + tooLong + " の作成に失敗しました");
    }
    EXPECT_FALSE(PathExists(app_ + "APP.INI"));
    EXPECT_TRUE(PathExists(app_ + "UNSETUP.INI")) << "the log of what was done";
}

}  // namespace
