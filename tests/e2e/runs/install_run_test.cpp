// Whole installs driven through the wizard, then checked on disk and in the registry: the files,
// shortcuts, registry values, INI entries and associations a script asks for, the uninstall log
// word for word, the Add/Remove Programs entry, re-installs, "Setup Only.", a locked file with its
// restart choice and the program started at the end.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>

#include "app/control_ids.h"
#include "support/places.h"
#include "app/exit_codes.h"
#include "base/cp932.h"
#include "edge/wide.h"
#include "runs/runs_support.h"

using namespace runs;

namespace {

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

// The four header lines of every uninstall log with the default words.
std::vector<std::string> LogHeader(const std::string& unSetupTitle, const std::string& folder) {
    return {"[Information]",
            "Message1=Orvant Setup Nova UnSetup(UnInstall) Initialize File",
            "Message2=！！！　警告　！！！",
            "Message3=このファイルをエディタなどで書き換えたり、削除しないでください。",
            "Message4=書き換えた場合、アンインストール動作の保証はできません。",
            "[Title]",
            "UnSetup=" + unSetupTitle,
            "[SetupFolder]",
            "Folder=" + folder};
}

std::vector<std::string> LogFooter(const std::string& uninstallKey, const std::string& programId) {
    return {"[Extend]",
            "SetupString=インストール",
            "UnSetupString=アンインストール",
            "[UnSetupRegistryKey]",
            "Key=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + uninstallKey,
            "[ProgramID]",
            "ID=" + programId,
            "[Platform]",
            std::string("Bits=") + (places::kThirtyTwoBit ? "32" : "64")};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Waits until the launch probe has written both of its lines.
bool WaitForProbe(const std::string& path) {
    return e2e::WaitUntil(
        [&] {
            std::string text = ReadBytes(path);
            return std::count(text.begin(), text.end(), '\n') >= 2;
        },
        "the launch probe's record", [&] { return e2e::Quoted(ReadBytes(path)); }, 10000);
}

// ---------------------------------------------------------------------------------------------
// The sample distribution with a script extended by the distributor's other means: values of
// every type, a shortcut with arguments and working folder, one without folder macro, an INI
// entry in the Windows folder, a second association over an earlier one, and the launch probe as
// the program to start at the end.
class SampleVariation : public RunsTest {
protected:
    const std::string folder_ = ProgramFilesFolder() + "OrvantRuns Sample\\";
    const std::string programs_ = ProgramsFolder();
    const std::string windows_ = WindowsFolder();
    const std::string uninstallKey_ = std::string(kUninstallRoot) + "\\OrvantSampleApp";

    void ExtendScript(const std::string& script) {
        auto write = [&](const char* section, const std::string& key, const std::string& value) {
            ASSERT_TRUE(e2e::SetIniValue(script, section, key, value)) << script;
        };
        write("Extend", "SetupSpeed", "1");
        write("CopyFile", "File6", "(App)PROBE.EXE");
        write("ShortCut", "Make4", "(App)SAMPLE.EXE,/tray");
        write("ShortCut", "Name4", "(Sta)サンプルアプリ\\トレイ,(App)Data");
        write("ShortCut", "Make5", "(App)README.TXT");
        write("ShortCut", "Name5", "Orvant Runs 説明");
        const char* values = "(Cuser)Software\\Orvant Sample\\Values";
        const std::vector<std::vector<std::string>> registry = {
            {values, "Str", "(Str)文字列の値"},
            {values, "Exp", "(Exp)%SystemRoot%\\Orvant"},
            {values, "Dec", "(Dwd)12"},
            {values, "Hex", "(Dwd)$FF"},
            {values, "Negative", "(Int)-5"},
            {values, "NotNumber", "(Dwd)abc"},
            {values, "Bytes", "(Bin)0100"},
            {values, "NotBytes", "(Bin)xyz"},
            {values, "Folder", "(Str)(Pdd)(App)"},
            {values, "Untyped", "hello"},
            {"(Cuser)Software\\Orvant Sample\\KeyOnly", "Unwritten", ""},
            {"Software\\Orvant Sample Plain", "Root", "(Str)HKCU"},
            {"(Local)\\Software\\Orvant Sample\\Slashed\\", "", "(Str)既定値"},
        };
        for (size_t i = 0; i < registry.size(); ++i) {
            std::string n = std::to_string(i + 4);
            write("Registry", "Key" + n, registry[i][0]);
            write("Registry", "Name" + n, registry[i][1]);
            write("Registry", "Value" + n, registry[i][2]);
        }
        write("IniFile", "Data2", "Runs,Folder,(App),ORVRUNS.INI");
        write("DeleteRegistry", "Key3", "Software\\Orvant Sample Plain");
        write("Relate", "Name2", "ovx,Runs 文書");
        write("Relate", "File2", "edit,(App)SAMPLE.EXE,/e,\"%1\",3");
        write("ExecuteFile", "File", "(App)PROBE.EXE,/first \"two words\",CreateProcess");
    }

    void CleanUpLater() {
        RemoveFolderLater(folder_);
        DeleteKeyLater(HKEY_LOCAL_MACHINE, uninstallKey_);
        DeleteKeyLater(HKEY_CURRENT_USER, "Software\\Orvant Sample");
        DeleteKeyLater(HKEY_CURRENT_USER, "Software\\Orvant Sample Plain");
        DeleteKeyLater(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample");
        for (const char* key : {".osd", "osd_auto_file", ".ovx", "ovx_auto_file"}) DeleteKeyLater(HKEY_CLASSES_ROOT, key);
        RemoveFolderLater(programs_ + "サンプルアプリ\\");
        RemoveFileLater(programs_ + "Orvant Runs 説明.lnk");
        RemoveFileLater(DesktopFolder() + "サンプルアプリ.lnk");
        DeleteSharedCountLater(folder_ + "SAMPLE.DLL");
        RemoveRecordedProgramLater("ORVSAMPLE");
        RemoveFileLater(windows_ + "ORVRUNS.INI");
    }

    Snapshot Machine() const {
        return TakeSnapshot({ProgramFilesFolder() + "*", programs_, DesktopFolder() + "*", windows_ + "*"},
                            {".osd", "osd_auto_file", ".ovx", "ovx_auto_file"},
                            // Kept on purpose: the uninstaller copy, the per-machine register, and
                            // the INI entry the script wrote (INI entries are not undone).
                            {windows_ + places::Uninstaller(), windows_ + "OVSET98.INI", windows_ + "ORVRUNS.INI"});
    }

    std::string ExpectedLog() const {
        const std::string& F = folder_;
        const std::string& P = programs_;
        return CrLf(LogHeader("サンプルアプリ アンインストール", F) +
                    std::vector<std::string>{
                        "[DeleteFolder]",
                        "Folder1=" + F,
                        "Folder2=" + F + "Data\\",
                        "[DeleteFile]",
                        "File1=" + F + "SAMPLE.EXE",
                        "File2=" + F + "README.TXT",
                        "File3=" + F + "MANUAL.TXT",
                        "File4=" + F + "SAMPLE.DLL,/S/R",
                        "File5=" + F + "Data\\SETTINGS.INI",
                        "File6=" + F + "PROBE.EXE",
                        "File7=" + F + "UNSETUP.INI",
                        "[DeleteShortCut]",
                        "File1=" + P + "サンプルアプリ\\サンプルアプリ.lnk",
                        "File2=" + P + "サンプルアプリ\\マニュアル.lnk",
                        "File3=" + P + "サンプルアプリ\\トレイ.lnk",
                        "File4=" + P + "Orvant Runs 説明.lnk",
                        "[DeleteRegistry]",
                        "Key1=(Cuser)Software\\Orvant Sample",
                        "Key2=(Local)Software\\Orvant Sample",
                        "Key3=Software\\Orvant Sample Plain",
                        "[AddDeleteFile]",
                        "File1=" + F + "Data\\*.LOG",
                        "[RestoreRelate]",
                        "Key1=osd,",
                        "Key2=ovx,OrvantRuns.Earlier",
                        "[UnSetupOption]",
                        "CheckBox=0,1,0,0",
                    } +
                    LogFooter("OrvantSampleApp", "ORVSAMPLE"));
    }

    void CheckInstalled() {
        const std::string& F = folder_;
        const std::string sample = e2e::ExamplesFolder() + "sample\\";
        std::string dist = e2e::WindowsPath(e2e::EnvironmentVariable("SETUP_E2E_SAMPLE_DIST")) + "\\";
        // Files: copied byte for byte, the compressed one expanded under its new name.
        EXPECT_EQ(ReadBytes(F + "SAMPLE.EXE"), ReadBytes(dist + "SAMPLE.EXE"));
        EXPECT_EQ(ReadBytes(F + "README.TXT"), ReadBytes(dist + "README.TXT"));
        EXPECT_EQ(ReadBytes(F + "MANUAL.TXT"), ReadBytes(sample + "MANUAL.TXT"));
        EXPECT_EQ(ReadBytes(F + "SAMPLE.DLL"), ReadBytes(dist + "SAMPLE.DLL"));
        EXPECT_EQ(ReadBytes(F + "PROBE.EXE"), ReadBytes(SysBinFolder() + "launch_probe.exe"));
        EXPECT_FALSE(FileExists(F + "MANUAL.TX_"));
        EXPECT_EQ(SharedCount(F + "SAMPLE.DLL"), 1) << "/S counts the new file once";
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvant Sample\\SampleComponent"))
            << "SAMPLE.DLL registered itself (/R)";

        // INI entries: into the copied file, and into a file without folder, in the Windows folder.
        EXPECT_TRUE(e2e::SameCp932(e2e::IniValue(F + "Data\\SETTINGS.INI", "Settings", "DataFolder"), F + "Data"));
        EXPECT_TRUE(e2e::SameCp932(e2e::IniValue(windows_ + "ORVRUNS.INI", "Runs", "Folder"), F));

        // Shortcuts with their targets, arguments and working folders; the desktop box was off.
        struct Expected {
            std::string link, target, arguments, workFolder;
        };
        for (const Expected& e : std::vector<Expected>{
                 {programs_ + "サンプルアプリ\\サンプルアプリ.lnk", F + "SAMPLE.EXE", "", F},
                 {programs_ + "サンプルアプリ\\マニュアル.lnk", F + "MANUAL.TXT", "", F},
                 {programs_ + "サンプルアプリ\\トレイ.lnk", F + "SAMPLE.EXE", "/tray", F + "Data\\"},
                 {programs_ + "Orvant Runs 説明.lnk", F + "README.TXT", "", F}}) {
            Link link = ReadLink(e.link);
            ASSERT_TRUE(link.loaded) << e.link;
            EXPECT_TRUE(e2e::SameText(link.target, e.target)) << e.link;
            EXPECT_TRUE(e2e::SameText(link.arguments, e.arguments)) << e.link;
            EXPECT_TRUE(e2e::SameText(link.workFolder, e.workFolder)) << e.link;
        }
        EXPECT_FALSE(FileExists(DesktopFolder() + "サンプルアプリ.lnk")) << "its box was unchecked";

        // Registry values of every type.
        const char* values = "Software\\Orvant Sample\\Values";
        struct Value {
            const char* name;
            DWORD type;
            std::string data;
        };
        for (const Value& v : std::vector<Value>{{"Str", REG_SZ, "文字列の値"},
                                                 {"Exp", REG_EXPAND_SZ, "%SystemRoot%\\Orvant"},
                                                 {"Dec", REG_DWORD, Dword(12)},
                                                 {"Hex", REG_DWORD, Dword(255)},
                                                 {"Negative", REG_DWORD, Dword(0xFFFFFFFBu)},
                                                 {"NotNumber", REG_DWORD, Dword(0)},
                                                 {"Bytes", REG_BINARY, std::string("\x00\x01\x00\x00", 4)},
                                                 {"Folder", REG_SZ, F.substr(0, F.size() - 1)},
                                                 {"Untyped", REG_SZ, "hello"}}) {
            RegValue value = ReadValue(HKEY_CURRENT_USER, values, v.name);
            EXPECT_TRUE(value.exists) << v.name;
            EXPECT_EQ(value.type, v.type) << v.name;
            EXPECT_EQ(value.data, v.data) << v.name;
        }
        EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, values, "NotBytes").exists) << "(Bin)xyz writes nothing";
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvant Sample\\KeyOnly"));
        EXPECT_TRUE(ValueNames(HKEY_CURRENT_USER, "Software\\Orvant Sample\\KeyOnly").empty());
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Orvant Sample Plain", "Root"), "HKCU");
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample\\Slashed", ""), "既定値"));
        EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, "Software\\Orvant Sample\\SampleApp", "Version"), "1.0");
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Orvant Sample\\SampleApp", "InstallFolder"),
                  F.substr(0, F.size() - 1));
        RegValue count = ReadValue(HKEY_CURRENT_USER, "Software\\Orvant Sample\\SampleApp", "StartCount");
        EXPECT_EQ(count.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(count.data, Dword(0));

        // Associations: the new one, and the one taken over from an earlier program.
        EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".osd", ""), "osd_auto_file");
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_CLASSES_ROOT, "osd_auto_file", ""), "サンプルアプリ文書"));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_CLASSES_ROOT, "osd_auto_file\\DefaultIcon", ""), F + "SAMPLE.EXE,0"));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_CLASSES_ROOT, "osd_auto_file\\shell\\open\\command", ""),
                                  "\"" + F + "SAMPLE.EXE\" \"%1\""));
        EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".ovx", ""), "ovx_auto_file");
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_CLASSES_ROOT, "ovx_auto_file", ""), "Runs 文書"));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_CLASSES_ROOT, "ovx_auto_file\\DefaultIcon", ""), F + "SAMPLE.EXE,3"));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_CLASSES_ROOT, "ovx_auto_file\\shell\\edit\\command", ""),
                                  "\"" + F + "SAMPLE.EXE\" /e \"%1\""));

        // The register of install folders, the uninstaller copy and its Add/Remove entry.
        EXPECT_TRUE(e2e::SameCp932(RecordedFolder("ORVSAMPLE"), F));
        EXPECT_TRUE(FileExists(windows_ + places::Uninstaller()));
        // The script names no version or publisher: those two values are not written.
        EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, uninstallKey_),
                  (std::vector<std::string>{"DisplayIcon", "DisplayName", "EstimatedSize", "InstallLocation", "NoModify",
                                            "NoRepair", "QuietUninstallString", "UninstallString"}));
        for (const char* name : {"DisplayIcon", "DisplayName", "InstallLocation", "QuietUninstallString", "UninstallString"})
            EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, uninstallKey_, name).type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "QuietUninstallString"),
                                  windows_ + places::Uninstaller() + " /S \"" + F + "UNSETUP.INI\""));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "InstallLocation"), F.substr(0, F.size() - 1)));
        for (const char* name : {"NoModify", "NoRepair"}) {
            RegValue flag = ReadValue(HKEY_LOCAL_MACHINE, uninstallKey_, name);
            EXPECT_EQ(flag.type, static_cast<DWORD>(REG_DWORD)) << name;
            EXPECT_EQ(flag.data, Dword(1)) << name;
        }
        // Kilobytes of the copied sources, rounded up.
        long long bytes = 0;
        for (const std::string& source : {dist + "SAMPLE.EXE", dist + "README.TXT", dist + "MANUAL.TX_", dist + "SAMPLE.DLL",
                                          dist + "SETTINGS.INI", SysBinFolder() + "launch_probe.exe"})
            bytes += static_cast<long long>(ReadBytes(source).size());
        RegValue size = ReadValue(HKEY_LOCAL_MACHINE, uninstallKey_, "EstimatedSize");
        EXPECT_EQ(size.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(size.data, Dword(static_cast<DWORD>((bytes + 1023) / 1024)));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "DisplayName"), "サンプルアプリ 1.0"));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "UninstallString"),
                                  windows_ + places::Uninstaller() + " \"" + F + "UNSETUP.INI\""));
        EXPECT_TRUE(e2e::SameText(RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "DisplayIcon"), windows_ + places::Uninstaller()));

        // The uninstall log, word for word.
        EXPECT_TRUE(SameCp932Lines(ReadBytes(F + "UNSETUP.INI"), ExpectedLog()));
    }
};

TEST_F(SampleVariation, InstallsEverythingTheScriptNamesAndTheUninstallRemovesIt) {
    CleanUpLater();
    DeleteKeyLater(HKEY_CLASSES_ROOT, ".ovx");
    ASSERT_FALSE(FolderExists(folder_)) << "a previous run left the install folder";
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey_)) << "a previous run left the Add/Remove entry";
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".osd"));
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".ovx"));
    // An earlier program owns the second extension; the uninstall must give it back.
    ASSERT_TRUE(SetDefaultValue(HKEY_CLASSES_ROOT, ".ovx", "OrvantRuns.Earlier"));
    Snapshot before = Machine();

    std::string dist = e2e::SampleDistribution("runs-sample");
    ASSERT_FALSE(dist.empty());
    RemoveFolderLater(dist);
    ASSERT_TRUE(AddSysBinFile(dist, "launch_probe.exe", "PROBE.EXE"));
    ExtendScript(dist + "SETUP.INI");

    // --- install -----------------------------------------------------------------------------
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, "サンプルアプリ セットアップ", folder_, true, true);
        ASSERT_TRUE(wizard);
        e2e::Window desktop = wizard.ControlById(IDC_CHK_SCUT_DESKTOP);
        ASSERT_TRUE(desktop.WaitChecked(true));
        ASSERT_TRUE(desktop.SetChecked(false));
        EXPECT_SOON(wizard.ControlById(IDC_CHK_SCUT_STARTMENU), Checked, true);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES,
                              folder_ + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？"));
        ASSERT_TRUE(AnswerBox(setup, "関連付けの確認", IDYES,
                              "拡張子 *.osd を\r\n" + folder_ + "SAMPLE.EXE\r\nに関連付けします。よろしいですか？"));
        ASSERT_TRUE(AnswerBox(setup, "関連付けの確認", IDYES,
                              "拡張子 *.ovx を\r\n" + folder_ + "SAMPLE.EXE\r\nに関連付けします。よろしいですか？"));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        for (const char* line : {"ファイルをコピーしています．．．完了\r\n", "ショートカットを作成しています．．．完了\r\n",
                                 "レジストリキーを作成しています．．．完了\r\n", "INIファイルを設定しています．．．完了\r\n",
                                 "関連付けを設定しています．．．完了\r\n", "アンインストール情報を更新しています．．．完了\r\n"})
            EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), line));
        EXPECT_SOON_TRUE(e2e::EndsWith(ProgressText(status),
                                       "\r\n【処理完了】\r\n"
                                       "　プログラムのアンインストールは、「プログラム(アプリケーション)の追加と削除」から行うことができます。\r\n"
                                       "　「次へ(N)」をクリックして、インストールを完了してください。\r\n"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "インストール完了(&E)", 10000));
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "インストールを完了しました。\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n" +
                                      folder_ + "PROBE.EXE/first \"two words\"");
        e2e::Window first = wizard.ControlById(IDC_OPT_SELECT_TYPE1);
        EXPECT_SOON_EQ(Caption(first), "インストーラを終了して、プログラムを実行します。(&Y)");
        EXPECT_SOON(first, Checked, true);
        EXPECT_SOON(wizard.ControlById(IDC_OPT_SELECT_TYPE2), Visible, false);
        e2e::Screenshot("completion-page");
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
        // The program named for the end was started with its arguments alone on its command line.
        ASSERT_TRUE(WaitForProbe(ProbeOutPath()));
        EXPECT_EQ(ProbeOutput(), "/first \"two words\"\n1\n");
    }
    EXPECT_EQ(RestartRecord(), "");
    CheckInstalled();

    // --- uninstall through the Add/Remove entry ----------------------------------------------
    ASSERT_TRUE(WriteBytes(folder_ + "Data\\RUN.LOG", "a log the program wrote\r\n"));
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "UninstallString"),
                                               "サンプルアプリ アンインストール");
        ASSERT_TRUE(wizard);
        EXPECT_SOON(wizard.ControlById(IDC_TXT_FOLDER), Text, folder_);
        e2e::Window ini = wizard.ControlById(IDC_CHK_SCUT_DESKTOP), gid = wizard.ControlById(IDC_CHK_SCUT_STARTMENU);
        EXPECT_SOON_EQ(Caption(ini), "*.INIファイル");
        EXPECT_SOON(ini, Checked, false);
        EXPECT_SOON_EQ(Caption(gid), "*.GIDファイル");
        EXPECT_SOON(gid, Checked, true);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        ASSERT_TRUE(AnswerSharedDialog(unsetup,
                                       folder_ + "SAMPLE.DLL\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n"
                                                 "しかし、今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？",
                                       IDC_CUSTOM_BTN_YES));
        e2e::Window status = WaitForNext(unsetup);
        ASSERT_TRUE(status) << "left in the install folder:" << Listing(folder_);
        EXPECT_SOON_TRUE(SameLines(ProgressText(status),
                              "アンインストールを行っています。\r\n\r\n【処理状況】\r\n"
                              "ファイルのアンインストール処理．．．完了\r\n"
                              "ショートカットのアンインストール処理．．．完了\r\n"
                              "フォルダのアンインストール処理．．．完了\r\n"
                              "レジストリのアンインストール処理．．．完了\r\n"
                              "関連付けのアンインストール処理．．．完了\r\n"
                              "「プログラム(アプリケーション)の追加と削除」の処理．．．完了\r\n"
                              "インストールフォルダのアンインストール処理．．．完了\r\n"
                              "\r\n【処理完了】\r\n"
                              "　「次へ(N)」をクリックして、アンインストールを完了してください。\r\n"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "アンインストール完了(&E)", 10000));
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "アンインストールを完了しました。");
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_OPT_SELECT_TYPE1)), "アンインストーラを終了します。(&Y)");
        EXPECT_SOON(wizard.ControlById(IDC_OPT_SELECT_TYPE2), Visible, false);
        ASSERT_TRUE(FinishOnCompletionPage(unsetup, wizard, "アンインストール完了(&E)", false));
    }

    // The machine as before: the earlier association back, everything else of the install gone.
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".ovx", ""), "OrvantRuns.Earlier");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "ovx_auto_file"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".osd"));
    EXPECT_FALSE(FolderExists(folder_));
    EXPECT_EQ(SharedCount(folder_ + "SAMPLE.DLL"), -1);
    EXPECT_EQ(RecordedFolder("ORVSAMPLE"), "");
    EXPECT_EQ(Compare(before, Machine()), "");
    EXPECT_EQ(RestartRecord(), "");
}

// ---------------------------------------------------------------------------------------------
// A second install into the same folder: the new log holds both installs, each path once, keeps
// the shared mark of the first and the association as it was before the first.
class Reinstall : public RunsTest {
protected:
    const std::string folder_ = ProgramFilesFolder() + "OrvantRuns Reinstall\\";
    const std::string programs_ = ProgramsFolder();
    const std::string uninstallKey_ = std::string(kUninstallRoot) + "\\OrvantRunsReinstall";

    static constexpr const char* kTitle = "[Title]\n"
                                          "Setup=Runs 再インストール\n"
                                          "UnSetup=Runs 再インストール 削除\n"
                                          "UnSetupKey=OrvantRunsReinstall\n"
                                          "[Extend]\n"
                                          "SetupSpeed=1\n"
                                          "[ProgramID]\n"
                                          "ID=ORVRUNSRE\n";
};

TEST_F(Reinstall, MergesTheLogsKeepingSharedMarksAndTheFirstAssociation) {
    RemoveFolderLater(folder_);
    DeleteKeyLater(HKEY_LOCAL_MACHINE, uninstallKey_);
    for (const char* key : {".ovr", "ovr_auto_file"}) DeleteKeyLater(HKEY_CLASSES_ROOT, key);
    DeleteKeyLater(HKEY_CURRENT_USER, "Software\\OrvantRunsReinstall");
    RemoveFolderLater(programs_ + "Orvant Runs 再\\");
    for (const char* name : {"SHARED.DAT", "SHARED2.DAT"}) DeleteSharedCountLater(folder_ + name);
    RemoveRecordedProgramLater("ORVRUNSRE");
    ASSERT_FALSE(FolderExists(folder_));
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".ovr"));
    ASSERT_TRUE(SetDefaultValue(HKEY_CLASSES_ROOT, ".ovr", "OrvantRuns.Before"));
    auto machine = [this] {
        std::string windows = WindowsFolder();
        return TakeSnapshot({ProgramFilesFolder() + "*", programs_, windows + "*"}, {".ovr", "ovr_auto_file"},
                            {windows + places::Uninstaller(), windows + "OVSET98.INI"});
    };
    Snapshot before = machine();
    const std::string& F = folder_;
    const std::string& P = programs_;

    // First install.
    std::string first = Distribution("reinstall-1", std::string(kTitle) +
                                                        "[MakeFolder]\n"
                                                        "Folder1=(App)\n"
                                                        "[CopyFile]\n"
                                                        "File1=(App)A.TXT\n"
                                                        "File2=(App)SHARED.DAT,/S\n"
                                                        "File3=(App)OLD.TXT\n"
                                                        "File4=(App)SHARED2.DAT,/S\n"
                                                        "[ShortCut]\n"
                                                        "Make1=(App)A.TXT\n"
                                                        "Name1=(Sta)Orvant Runs 再\\A\n"
                                                        "[DeleteRegistry]\n"
                                                        "Key1=(Cuser)Software\\OrvantRunsReinstall\n"
                                                        "[Relate]\n"
                                                        "Name1=ovr,Runs 再文書\n"
                                                        "File1=open,(App)A.TXT,\"%1\",,0\n");
    ASSERT_FALSE(first.empty());
    for (const char* name : {"A.TXT", "SHARED.DAT", "OLD.TXT", "SHARED2.DAT"})
        ASSERT_TRUE(AddFile(first, name, std::string("first ") + name + "\r\n"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, first, "Runs 再インストール", F);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
        ASSERT_TRUE(AnswerBox(setup, "関連付けの確認", IDYES));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
    }
    EXPECT_TRUE(SameCp932Lines(ReadBytes(F + "UNSETUP.INI"),
                          CrLf(LogHeader("Runs 再インストール 削除", F) +
                               std::vector<std::string>{"[DeleteFolder]", "Folder1=" + F, "[DeleteFile]",
                                                        "File1=" + F + "A.TXT", "File2=" + F + "SHARED.DAT,/S",
                                                        "File3=" + F + "OLD.TXT", "File4=" + F + "SHARED2.DAT,/S",
                                                        "File5=" + F + "UNSETUP.INI", "[DeleteShortCut]",
                                                        "File1=" + P + "Orvant Runs 再\\A.lnk", "[DeleteRegistry]",
                                                        "Key1=(Cuser)Software\\OrvantRunsReinstall", "[RestoreRelate]",
                                                        "Key1=ovr,OrvantRuns.Before"} +
                               LogFooter("OrvantRunsReinstall", "ORVRUNSRE"))));
    EXPECT_EQ(SharedCount(F + "SHARED.DAT"), 1);

    // Second install into the same folder: shared files again without "/S", new files, a new
    // shortcut, folder and registry key, and the association once more.
    std::string second = Distribution("reinstall-2", std::string(kTitle) +
                                                         "[MakeFolder]\n"
                                                         "Folder1=(App)\n"
                                                         "Folder2=(App)Sub\\\n"
                                                         "[CopyFile]\n"
                                                         "File1=(App)B.TXT\n"
                                                         "File2=(App)SHARED.DAT\n"
                                                         "File3=(App)A.TXT,/W\n"
                                                         "File4=(App)SHARED2.DAT,/W\n"
                                                         "[ShortCut]\n"
                                                         "Make1=(App)A.TXT\n"
                                                         "Name1=(Sta)Orvant Runs 再\\A\n"
                                                         "Make2=(App)B.TXT\n"
                                                         "Name2=(Sta)Orvant Runs 再\\B\n"
                                                         "[DeleteRegistry]\n"
                                                         "Key1=(Cuser)Software\\OrvantRunsReinstall\n"
                                                         "Key2=(Cuser)Software\\OrvantRunsReinstall\\Second\n"
                                                         "[AddDeleteFile]\n"
                                                         "File1=(App)*.TMP\n"
                                                         "[Relate]\n"
                                                         "Name1=ovr,Runs 再文書\n"
                                                         "File1=open,(App)B.TXT,\"%1\",,0\n");
    ASSERT_FALSE(second.empty());
    for (const char* name : {"B.TXT", "SHARED.DAT", "A.TXT", "SHARED2.DAT"})
        ASSERT_TRUE(AddFile(second, name, std::string("second ") + name + "\r\n"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, second, "Runs 再インストール", F);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        // The folder exists now: the only question is the association's.
        ASSERT_TRUE(AnswerBox(setup, "関連付けの確認", IDYES));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
    }
    EXPECT_EQ(ReadBytes(F + "A.TXT"), "second A.TXT\r\n");
    EXPECT_EQ(SharedCount(F + "SHARED.DAT"), 1) << "the second install did not count it";
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "ovr_auto_file\\shell\\open\\command", ""), "\"" + F + "B.TXT\" \"%1\"");
    EXPECT_TRUE(SameCp932Lines(
        ReadBytes(F + "UNSETUP.INI"),
        CrLf(LogHeader("Runs 再インストール 削除", F) +
             std::vector<std::string>{"[DeleteFolder]", "Folder1=" + F, "Folder2=" + F + "Sub\\", "[DeleteFile]",
                                      "File1=" + F + "A.TXT,/W", "File2=" + F + "SHARED.DAT,/S",
                                      "File3=" + F + "OLD.TXT", "File4=" + F + "SHARED2.DAT,/W/S",
                                      "File5=" + F + "UNSETUP.INI", "File6=" + F + "B.TXT", "[DeleteShortCut]",
                                      "File1=" + P + "Orvant Runs 再\\A.lnk", "File2=" + P + "Orvant Runs 再\\B.lnk",
                                      "[DeleteRegistry]", "Key1=(Cuser)Software\\OrvantRunsReinstall",
                                      "Key2=(Cuser)Software\\OrvantRunsReinstall\\Second", "[AddDeleteFile]",
                                      "File1=" + F + "*.TMP", "[RestoreRelate]", "Key1=ovr,OrvantRuns.Before"} +
             LogFooter("OrvantRunsReinstall", "ORVRUNSRE"))));
    std::vector<std::string> entries = SubkeyNames(HKEY_LOCAL_MACHINE, kUninstallRoot);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "OrvantRunsReinstall"), 1);

    // The merged log removes both installs and gives the extension back to its first owner.
    {
        e2e::TargetProcess unsetup;
        e2e::Window wizard = OpenUninstallPage(unsetup, RegString(HKEY_LOCAL_MACHINE, uninstallKey_, "UninstallString"),
                                               "Runs 再インストール 削除");
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "アンインストール開始(&S)"));
        const std::string question = "\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n"
                                     "しかし、今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
        ASSERT_TRUE(AnswerSharedDialog(unsetup, F + "SHARED.DAT" + question, IDC_CUSTOM_BTN_YES));
        ASSERT_TRUE(AnswerSharedDialog(unsetup, F + "SHARED2.DAT" + question, IDC_CUSTOM_BTN_YES));
        e2e::Window status = WaitForNext(unsetup);
        ASSERT_TRUE(status) << "left in the install folder:" << Listing(F);
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(FinishOnCompletionPage(unsetup, wizard, "アンインストール完了(&E)", false));
    }
    EXPECT_FALSE(FolderExists(F)) << Listing(F);
    EXPECT_FALSE(FolderExists(P + "Orvant Runs 再\\"));
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".ovr", ""), "OrvantRuns.Before");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "ovr_auto_file"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\OrvantRunsReinstall"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstallKey_));
    EXPECT_EQ(SharedCount(F + "SHARED.DAT"), -1);
    EXPECT_EQ(SharedCount(F + "SHARED2.DAT"), -1);
    EXPECT_EQ(Compare(before, machine()), "");
}

// ---------------------------------------------------------------------------------------------
// "Setup Only." in the uninstall title: files installed, no log and no Add/Remove entry; a log
// already in the folder stays as it was.
TEST_F(RunsTest, SetupOnlyWritesNoLogAndNoUninstallEntry) {
    const std::string folder = ProgramFilesFolder() + "OrvantRuns SetupOnly\\";
    RemoveFolderLater(folder);
    RemoveRecordedProgramLater("ORVRUNSSO");
    DeleteKeyLater(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\Runs setup only. 版");
    ASSERT_FALSE(FolderExists(folder));
    ASSERT_TRUE(e2e::MakeFolders(folder));
    const std::string earlierLog = "[Title]\r\nUnSetup=an earlier program\r\n";
    ASSERT_TRUE(WriteBytes(folder + "UNSETUP.INI", earlierLog));
    std::vector<std::string> entriesBefore = SubkeyNames(HKEY_LOCAL_MACHINE, kUninstallRoot);

    std::string dist = Distribution("setup-only", "[Title]\n"
                                                  "Setup=Runs セットアップのみ\n"
                                                  "UnSetup=Runs setup only. 版\n"
                                                  "[Extend]\n"
                                                  "SetupSpeed=1\n"
                                                  "[ProgramID]\n"
                                                  "ID=ORVRUNSSO\n"
                                                  "[CopyFile]\n"
                                                  "File1=(App)ONLY.TXT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "ONLY.TXT", "only\r\n"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, "Runs セットアップのみ", folder);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "アンインストール情報を更新しています．．．完了\r\n"));
        EXPECT_SOON_TRUE(e2e::EndsWith(ProgressText(status),
                                       "\r\n【処理完了】\r\n　「次へ(N)」をクリックして、インストールを完了してください。\r\n"))
            << "no Add/Remove line";
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "インストール完了(&E)", 10000));
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "インストールを完了しました。");
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_OPT_SELECT_TYPE1)), "インストーラを終了します。(&Y)");
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
    }
    EXPECT_EQ(ReadBytes(folder + "ONLY.TXT"), "only\r\n");
    EXPECT_EQ(ReadBytes(folder + "UNSETUP.INI"), earlierLog) << "the log in the folder is left as it was";
    EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, kUninstallRoot), entriesBefore) << "no Add/Remove entry";
    EXPECT_TRUE(e2e::SameCp932(RecordedFolder("ORVRUNSSO"), folder)) << "the install folder is still recorded";
    EXPECT_TRUE(FileExists(WindowsFolder() + places::Uninstaller()));
}

// ---------------------------------------------------------------------------------------------
// A source missing from the distribution is offered as details at the end and left out of the
// log; "WINDOWS_REBOOT" offers a restart without a program, which the user may decline.
TEST_F(RunsTest, MissingSourceIsDetailedAndTheScriptsRestartCanBeDeclined) {
    const std::string folder = ProgramFilesFolder() + "OrvantRuns Missing\\";
    const std::string uninstallKey = std::string(kUninstallRoot) + "\\OrvantRunsMissing";
    RemoveFolderLater(folder);
    DeleteKeyLater(HKEY_LOCAL_MACHINE, uninstallKey);
    RemoveRecordedProgramLater("ORVRUNSMS");
    ASSERT_FALSE(FolderExists(folder));
    std::string dist = Distribution("missing", "[Title]\n"
                                               "Setup=Runs 欠落\n"
                                               "UnSetupKey=OrvantRunsMissing\n"
                                               "[Extend]\n"
                                               "SetupSpeed=1\n"
                                               "[ProgramID]\n"
                                               "ID=ORVRUNSMS\n"
                                               "[CopyFile]\n"
                                               "File1=(App)HERE.TXT\n"
                                               "File2=(App)MISSING.TXT\n"
                                               "[ExecuteFile]\n"
                                               "File=WINDOWS_REBOOT\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "HERE.TXT", "here\r\n"));
    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, "Runs 欠落", folder);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
        ASSERT_TRUE(AnswerBox(setup, "警告", IDYES,
                              "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "続行(&C)"));
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_FRA_README)), "作成・コピー処理失敗　詳細表示");
        EXPECT_SOON_TRUE(SameLines(wizard.ControlById(IDC_TXT_README).Text(),
                              "<File> " + dist + "MISSING.TXT\r\nコピー元のファイルが見つかりません。\r\n\r\n"));
        e2e::Screenshot("install-details-page");
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "続行(&C)"));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "ファイルをコピーしています．．．一部失敗\r\n"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "インストール完了(&E)"));
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "　インストールを完了するには、Windowsを再起動する必要があります。\r\n\r\n"
                                  "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
                                  "かつ、終了後プログラムは実行されませんので、十分にご注意ください。");
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_OPT_SELECT_TYPE1)), "はい、Windowsを再起動します。(&Y)");
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_OPT_SELECT_TYPE2)), "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)");
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", true, kExitFailed));
    }
    EXPECT_EQ(RestartRecord(), "") << "the user declined the restart";
    EXPECT_EQ(ReadBytes(folder + "HERE.TXT"), "here\r\n");
    // The missing file is not logged. Without [Title] UnSetup the log takes the setup title.
    EXPECT_TRUE(SameCp932Lines(ReadBytes(folder + "UNSETUP.INI"),
                          CrLf(LogHeader("Runs 欠落", folder) +
                               std::vector<std::string>{"[DeleteFile]", "File1=" + folder + "HERE.TXT",
                                                        "File2=" + folder + "UNSETUP.INI"} +
                               LogFooter("OrvantRunsMissing", "ORVRUNSMS"))));
    // Without UnSetupDisplay the entry shows the key's name.
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName"), "OrvantRunsMissing");
}

// ---------------------------------------------------------------------------------------------
// A file in use cannot be replaced: it is scheduled for replacement at the next start, and the
// completion page offers a restart before the program named for the end.
class LockedInstall : public RunsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LockedInstall, OffersTheRestartAndCarriesOutTheChoice) {
    const bool chooseRestart = GetParam();
    const std::string folder = ProgramFilesFolder() + "OrvantRuns Locked\\";
    const std::string locked = folder + "LOCKED.TXT";
    const std::string uninstallKey = std::string(kUninstallRoot) + "\\OrvantRunsLocked";
    RemoveFolderLater(folder);
    DeleteKeyLater(HKEY_LOCAL_MACHINE, uninstallKey);
    RemoveRecordedProgramLater("ORVRUNSLK");
    ASSERT_FALSE(FolderExists(folder));
    // The replacement waiting in the Windows folder and its pending entry are ours to remove.
    Later([locked] {
        std::vector<std::string> entries = PendingRenames();
        for (size_t i = 0; i + 1 < entries.size(); i += 2) {
            if (StrStrIW(Wide(entries[i + 1]).c_str(), Wide(locked).c_str()) && entries[i].rfind("\\??\\", 0) == 0)
                DeleteFileW(Wide(entries[i].substr(4)).c_str());
        }
        RemovePendingFor(locked);
    });

    std::string dist = Distribution(chooseRestart ? "locked-restart" : "locked-run",
                                    "[Title]\n"
                                    "Setup=Runs ロック\n"
                                    "UnSetup=Runs ロック 削除\n"
                                    "UnSetupKey=OrvantRunsLocked\n"
                                    "[Extend]\n"
                                    "SetupSpeed=1\n"
                                    "[ProgramID]\n"
                                    "ID=ORVRUNSLK\n"
                                    "[CopyFile]\n"
                                    "File1=(App)PROBE.EXE\n"
                                    "File2=(App)LOCKED.TXT\n"
                                    "File3=(App)FREE.TXT\n"
                                    "[ExecuteFile]\n"
                                    "File=(App)PROBE.EXE,/after lock,CreateProcess\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddSysBinFile(dist, "launch_probe.exe", "PROBE.EXE"));
    ASSERT_TRUE(AddFile(dist, "LOCKED.TXT", "new version\r\n"));
    ASSERT_TRUE(AddFile(dist, "FREE.TXT", "free\r\n"));
    // An older copy of the file is in the folder and in use (open without sharing).
    ASSERT_TRUE(e2e::MakeFolders(folder));
    ASSERT_TRUE(WriteBytes(locked, "old version\r\n"));
    ASSERT_TRUE(MakeOld(locked));
    HeldFile holder(locked);
    ASSERT_TRUE(holder.Held());

    {
        e2e::TargetProcess setup;
        e2e::Window wizard = OpenOptionsPage(setup, dist, "Runs ロック", folder);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
        e2e::Window status = WaitForNext(setup);
        ASSERT_TRUE(status);
        EXPECT_SOON_TRUE(e2e::Contains(ProgressText(status), "ファイルをコピーしています．．．ロックファイルあり\r\n"));
        ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
        ASSERT_TRUE(WaitCaption(wizard.ControlById(IDC_BTN_EVENT), "インストール完了(&E)", 10000));
        EXPECT_SOON_EQ(Caption(wizard.ControlById(IDC_LBL_SELECT_TYPE_MSG)), "　インストールを完了するには、Windowsを再起動する必要があります。\r\n\r\n"
            "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
            "かつ、終了後プログラムは実行されませんので、十分にご注意ください。\r\n\r\n"
            "【インストーラ終了後、以下のプログラムが実行されます。】\r\n" +
                folder + "PROBE.EXE/after lock");
        e2e::Window first = wizard.ControlById(IDC_OPT_SELECT_TYPE1);
        e2e::Window second = wizard.ControlById(IDC_OPT_SELECT_TYPE2);
        EXPECT_SOON_EQ(Caption(first), "はい、Windowsを再起動します。(&Y)");
        EXPECT_SOON(first, Checked, true) << "restart is the default";
        EXPECT_SOON_EQ(Caption(second), "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)");
        EXPECT_SOON(second, Visible, true);
        EXPECT_SOON(second, Enabled, true);
        EXPECT_SOON(second, Checked, false);
        if (chooseRestart) e2e::Screenshot("completion-restart-choice");
        ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", !chooseRestart, kExitRestartNeeded));
        if (chooseRestart) {
            // The restart was requested (and only recorded); the program is not started.
            EXPECT_EQ(RestartRecord(), "ExitWindowsEx 2\r\n");
            EXPECT_TRUE(StaysAbsent(ProbeOutPath(), 1000)) << ProbeOutput();
        } else {
            ASSERT_TRUE(WaitForProbe(ProbeOutPath()));
            EXPECT_EQ(ProbeOutput(), "/after lock\n1\n");
            EXPECT_EQ(RestartRecord(), "");
        }
    }

    // The file in use is unchanged; its replacement waits in the Windows folder for the restart.
    holder.Release();
    EXPECT_EQ(ReadBytes(locked), "old version\r\n");
    EXPECT_EQ(ReadBytes(folder + "FREE.TXT"), "free\r\n");
    std::vector<std::string> entries = PendingRenames();
    std::string replacement;
    for (size_t i = 0; i + 1 < entries.size(); i += 2)
        if (lstrcmpiW(Wide(entries[i + 1]).c_str(), Wide("!\\??\\" + locked).c_str()) == 0) replacement = entries[i];
    ASSERT_FALSE(replacement.empty()) << "no pending replacement of " << locked;
    std::string temporary = replacement.substr(4);
    EXPECT_EQ(temporary.rfind(WindowsFolder() + "OVTMP", 0), 0u) << temporary;
    EXPECT_EQ(ReadBytes(temporary), "new version\r\n");
    // The scheduled file is part of the install and of its log.
    std::string log = ReadBytes(folder + "UNSETUP.INI");
    EXPECT_NE(log.find(e2e::Cp932("File2=" + locked + "\r\n")), std::string::npos) << Cp932ToUtf8(log);
}

INSTANTIATE_TEST_SUITE_P(Choice, LockedInstall, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Restart") : std::string("RunProgram");
                         });

}  // namespace

// ---------------------------------------------------------------------------------------------
// After a disk change the program on the first disk is gone; the servers of later entries are
// still registered, by the copy of the program in the work folder.
TEST_F(RunsTest, ServersAfterADiskChangeAreRegisteredWithoutTheFirstDisk) {
    const std::string folder = ProgramFilesFolder() + "OrvantRuns Disk\\";
    RemoveFolderLater(folder);
    DeleteKeyLater(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "\\OrvantRunsDisk");
    DeleteKeyLater(HKEY_CURRENT_USER, "Software\\OrvantTest\\ComServer\\comserver_ok");
    RemoveRecordedProgramLater("ORVRUNSDK");
    std::string dist = Distribution("disk", "[Title]\nSetup=Runs ディスク\nUnSetupKey=OrvantRunsDisk\n[Extend]\nSetupSpeed=1\n"
                                            "[ProgramID]\nID=ORVRUNSDK\n[CopyFile]\nFile1=(App)A.TXT\n"
                                            "File2=(Dch)(App)SRV.DLL,/R\n");
    ASSERT_FALSE(dist.empty());
    ASSERT_TRUE(AddFile(dist, "A.TXT", "a\r\n"));
    e2e::TargetProcess setup;
    e2e::Window wizard = OpenOptionsPage(setup, dist, "Runs ディスク", folder);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(Press(wizard, IDC_BTN_EVENT, "インストール開始(&S)"));
    ASSERT_TRUE(AnswerBox(setup, "フォルダ作成", IDYES));
    e2e::MsgBox box = setup.WaitMessageBox(15000);
    ASSERT_TRUE(box);
    EXPECT_TRUE(e2e::SameText(box.Title(), "ディスク交換"));
    // The second disk: the first one's program is no longer there.
    ASSERT_TRUE(MoveFileW(Wide(dist + "SETUP.EXE").c_str(), Wide(dist + "SETUP.EXE.disk1").c_str()));
    ASSERT_TRUE(AddSysBinFile(dist, "comserver_ok.dll", "SRV.DLL"));
    ASSERT_TRUE(box.Answer(IDOK));
    e2e::Window status = WaitForNext(setup);  // fails at once on an error box
    ASSERT_TRUE(status);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Software\\OrvantTest\\ComServer\\comserver_ok", "RegisterCalls").data,
              std::string("\x01\0\0\0", 4));
    ASSERT_TRUE(Press(status, IDC_STATUS_BTN_ABORT, "次へ(&N)"));
    ASSERT_TRUE(FinishOnCompletionPage(setup, wizard, "インストール完了(&E)", false));
}
