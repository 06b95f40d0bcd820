// The decisions of the install run that need no file system: [CopyFile] entries, the overwrite
// rule and the progress counter, registry values, shortcut entries, associations and the
// completion page.
#include <gtest/gtest.h>

#include "core/state.h"
#include "install/completion.h"
#include "install/copy_entry.h"
#include "install/registry_entry.h"
#include "install/relate_entry.h"
#include "install/shortcut_entry.h"
#include "script/folders.h"

namespace {

class InstallEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        g_state.InstallFolder = "C:\\APP\\";
        g_state.SystemFolder = "C:\\WINDOWS\\SYSTEM32\\";
        g_state.WindowsFolder = "C:\\WINDOWS\\";
        g_state.ProgramsFolder = "C:\\Users\\u\\Programs\\";
        g_state.DesktopFolder = "C:\\Users\\u\\Desktop\\";
    }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(InstallEntriesTest, CopyEntryDerivesDestinationSourceAndOptions) {
    CopyEntry plain = ParseCopyEntry(ExpandMacros("(Sys)X.DLL,/S/R"));
    EXPECT_FALSE(plain.diskChange);
    EXPECT_EQ(plain.destination, "C:\\WINDOWS\\SYSTEM32\\X.DLL");
    EXPECT_EQ(plain.sourceName, "X.DLL");
    EXPECT_EQ(plain.options, "/S/R");
    EXPECT_TRUE(HasSharedFlag(plain));
    EXPECT_TRUE(HasRegisterFlag(plain));
    EXPECT_FALSE(HasAlwaysWriteFlag(plain));
    EXPECT_EQ(FileLogItem(plain.destination, plain.options), "C:\\WINDOWS\\SYSTEM32\\X.DLL,/S/R");

    // Only the second field holds flags.
    CopyEntry third = ParseCopyEntry(ExpandMacros("(Sys)X.DLL,/s,/R"));
    EXPECT_TRUE(HasSharedFlag(third));
    EXPECT_FALSE(HasRegisterFlag(third));
    EXPECT_EQ(FileLogItem(ParseCopyEntry("C:\\A\\B.TXT").destination, ""), "C:\\A\\B.TXT");

    CopyEntry renamed = ParseCopyEntry(ExpandMacros("(App)README.TX_|README.TXT"));
    EXPECT_EQ(renamed.sourceName, "README.TX_");
    EXPECT_EQ(renamed.destination, "C:\\APP\\README.TXT");
    EXPECT_EQ(ParseCopyEntry(ExpandMacros("(App)Sub\\A.TX_|\\B.TXT")).destination, "C:\\APP\\Sub\\B.TXT");

    CopyEntry compressed = ParseCopyEntry(ExpandMacros("(App)SETUP.EX_"));
    EXPECT_EQ(compressed.destination, "C:\\APP\\AUTO.EXT");
    EXPECT_EQ(compressed.sourceName, "SETUP.EX_");
}

TEST_F(InstallEntriesTest, DiskChangePrefixIsExactAndLeadingOnly) {
    CopyEntry change = ParseCopyEntry(ExpandMacros("(Dch)(App)DATA.DAT"));
    EXPECT_TRUE(change.diskChange);
    EXPECT_EQ(change.destination, "C:\\APP\\DATA.DAT");
    EXPECT_EQ(change.sourceName, "DATA.DAT");

    CopyEntry lower = ParseCopyEntry(ExpandMacros("(dch)(App)DATA.DAT"));
    EXPECT_FALSE(lower.diskChange);
    EXPECT_EQ(lower.target, "(dch)C:\\APP\\DATA.DAT");
}

TEST_F(InstallEntriesTest, BarInsideADoubleByteCharacterIsNoNewName) {
    // ポ is 0x83 0x7C in code page 932, whose trail byte looks like "|": one character all the same.
    CopyEntry entry = ParseCopyEntry("C:\\APP\\ポート.TXT");
    EXPECT_EQ(entry.newName, "");
    EXPECT_EQ(entry.destination, "C:\\APP\\ポート.TXT");
    CopyEntry renamed = ParseCopyEntry("C:\\APP\\ポ.TX_|ポート.TXT");
    EXPECT_EQ(renamed.sourceName, "ポ.TX_");
    EXPECT_EQ(renamed.destination, "C:\\APP\\ポート.TXT");
}

TEST_F(InstallEntriesTest, OverwriteRuleComparesPackedDatesAsSignedNumbers) {
    EXPECT_TRUE(SourceIsNewer(0x5A210000, 0x5A200000));
    EXPECT_FALSE(SourceIsNewer(0x5A200000, 0x5A200000));  // same two seconds
    EXPECT_FALSE(SourceIsNewer(0x5A1F0000, 0x5A200000));
    EXPECT_TRUE(SourceIsNewer(0x5A200000, -1));           // unreadable destination time
    EXPECT_FALSE(SourceIsNewer(-1, 0x5A200000));
}

TEST_F(InstallEntriesTest, ProgressByBytesOrEntriesWithinTheBarsRange) {
    EXPECT_EQ(ProgressPercent(true, 999, 1000, 1, 20), 99);
    EXPECT_EQ(ProgressPercent(true, 1000, 1000, 1, 20), 100);
    EXPECT_EQ(ProgressPercent(true, 1500, 1000, 1, 20), 100);
    EXPECT_EQ(ProgressPercent(false, 0, 0, 9, 20), 45);
    EXPECT_EQ(ProgressLabel(45, 9, 20), "45%(9/20)");
    // Byte totals beyond 32 bits.
    long long total = 6LL * 1024 * 1024 * 1024;
    EXPECT_EQ(ProgressPercent(true, total / 2, total, 1, 3), 50);
    EXPECT_EQ(ProgressPercent(true, 0, 0, 1, 0), 0);
}

TEST_F(InstallEntriesTest, RegistryValueTypes) {
    RegistryValueSpec pdd = ParseRegistryValue("(Str)(Pdd)(App)");
    EXPECT_EQ(pdd.kind, RegistryValueKind::String);
    EXPECT_EQ(pdd.text, "C:\\APP");
    RegistryValueSpec plain = ParseRegistryValue("(Str)(App)");
    EXPECT_EQ(plain.text, "C:\\APP\\");
    EXPECT_EQ(ParseRegistryValue("(Exp)%WINDIR%\\x").kind, RegistryValueKind::ExpandString);

    EXPECT_EQ(ParseRegistryValue("(Dwd)12").number, 12u);
    EXPECT_EQ(ParseRegistryValue("(Dwd)$FF").number, 255u);
    EXPECT_EQ(ParseRegistryValue("(Int)-1").number, 0xFFFFFFFFu);
    RegistryValueSpec notNumber = ParseRegistryValue("(Dwd)abc");
    EXPECT_EQ(notNumber.kind, RegistryValueKind::Dword);
    EXPECT_EQ(notNumber.number, 0u);

    RegistryValueSpec bin = ParseRegistryValue("(Bin)0100");
    EXPECT_EQ(bin.kind, RegistryValueKind::Binary);
    EXPECT_EQ(bin.number, 0x100u);
    EXPECT_EQ(ParseRegistryValue("(Bin)xyz").kind, RegistryValueKind::None);

    RegistryValueSpec untyped = ParseRegistryValue("hello");
    EXPECT_EQ(untyped.kind, RegistryValueKind::String);
    EXPECT_EQ(untyped.text, "hello");
    // Types compare exactly: a lower-case type is part of the string.
    EXPECT_EQ(ParseRegistryValue("(str)x").text, "(str)x");
    // "(Pdd)" without a type still drops the trailing backslash of the whole value.
    EXPECT_EQ(ParseRegistryValue("(Pdd)(App)").text, "C:\\APP");
    EXPECT_EQ(ParseRegistryValue("").kind, RegistryValueKind::None);
}

TEST_F(InstallEntriesTest, ShortcutBoxesAndLinkNames) {
    EXPECT_EQ(GoverningBox("(Dsk)App"), ShortcutBox::Desktop);
    EXPECT_EQ(GoverningBox("(c_dsk)App"), ShortcutBox::Desktop);
    EXPECT_EQ(GoverningBox("(C_Sta)Group\\App"), ShortcutBox::StartMenu);
    EXPECT_EQ(GoverningBox("Default"), ShortcutBox::StartMenu);
    EXPECT_EQ(GoverningBox("default"), ShortcutBox::None);
    EXPECT_EQ(GoverningBox("(Sup)App"), ShortcutBox::StartUp);
    EXPECT_EQ(GoverningBox("(Sen)App"), ShortcutBox::SendTo);
    EXPECT_EQ(GoverningBox("(Smn)App"), ShortcutBox::None);
    EXPECT_EQ(GoverningBox("Readme"), ShortcutBox::None);

    ShortcutBoxes none;
    EXPECT_FALSE(ShortcutSelected("(Dsk)App", none));
    EXPECT_TRUE(ShortcutSelected("Readme", none));
    ShortcutBoxes desktop;
    desktop.desktop = true;
    EXPECT_TRUE(ShortcutSelected("(Dsk)App", desktop));

    ShortcutPlan byDefault = PlanShortcut("(App)APP.EXE,/x", "Default");
    EXPECT_EQ(byDefault.target, "C:\\APP\\APP.EXE");
    EXPECT_EQ(byDefault.arguments, "/x");
    EXPECT_EQ(byDefault.linkPath, "C:\\Users\\u\\Programs\\APP.EXE");
    ShortcutPlan bare = PlanShortcut("(App)README.TXT", "Readme,(App)Docs");
    EXPECT_EQ(bare.linkPath, "C:\\Users\\u\\Programs\\Readme");
    EXPECT_EQ(bare.workFolder, "C:\\APP\\Docs");
    ShortcutPlan desk = PlanShortcut("(App)APP.EXE", "(Dsk)App");
    EXPECT_EQ(desk.linkPath, "C:\\Users\\u\\Desktop\\App");
    EXPECT_EQ(ShortcutDisplayPath("\\Group\\App"), "Group\\App");
}

TEST_F(InstallEntriesTest, AssociationCommandAndRecords) {
    g_state.InstallFolder = "C:\\Program Files\\Viewer\\";
    RelateAssociation a = ParseAssociation(RelateEntry{"txt", "open,(App)VIEW.EXE,\"%1\",,0"});
    EXPECT_EQ(a.extension, "txt");
    EXPECT_EQ(a.description, "txt File");
    EXPECT_EQ(a.program, "C:\\Program Files\\Viewer\\VIEW.EXE");
    EXPECT_EQ(a.command, "\"C:\\Program Files\\Viewer\\VIEW.EXE\" \"%1\"");
    EXPECT_EQ(a.iconIndex, "0");
    EXPECT_EQ(AssociationQuestion(a),
              "拡張子 *.txt を\r\nC:\\Program Files\\Viewer\\VIEW.EXE\r\nに関連付けします。よろしいですか？");
    EXPECT_EQ(AssociationCommand("C:\\V.EXE", "", "/p"), "C:\\V.EXE /p");
    EXPECT_EQ(AssociationCommand("C:\\V.EXE", "/a", "/b"), "C:\\V.EXE /a /b");
    EXPECT_EQ(AssociationCommand("C:\\V.EXE", "", ""), "C:\\V.EXE");
    EXPECT_EQ(ParseAssociation(RelateEntry{"osd,サンプル文書", "open,x"}).description, "サンプル文書");

    std::array<std::string, 20> slots{};
    slots[0] = "doc,Word.Document";
    EXPECT_TRUE(RecordPreviousAssociation(slots, "txt", true, "txtfile"));
    EXPECT_EQ(slots[1], "txt,txtfile");
    EXPECT_FALSE(RecordPreviousAssociation(slots, "TXT", true, "other"));  // the first record stays
    EXPECT_TRUE(RecordPreviousAssociation(slots, "do", false, ""));        // "doc" is another extension
    EXPECT_EQ(slots[2], "do,");
    for (int i = 3; i < 20; ++i) slots[i] = "x" + std::to_string(i) + ",";
    EXPECT_FALSE(RecordPreviousAssociation(slots, "new", false, ""));
}

TEST_F(InstallEntriesTest, ExecuteFileAndCompletionPage) {
    ExecuteFileSpec item = ParseExecuteFile("(App)APP.EXE,/first,CreateProcess");
    EXPECT_EQ(item.program, "C:\\APP\\APP.EXE");
    EXPECT_EQ(item.arguments, "/first");
    EXPECT_TRUE(item.createProcess);
    EXPECT_FALSE(ParseExecuteFile("(App)APP.EXE,/first,createprocess").createProcess);
    ExecuteFileSpec document = ParseExecuteFile("(App)README.TXT");
    EXPECT_EQ(document.program, "C:\\APP\\README.TXT");
    EXPECT_EQ(document.arguments, "");
    EXPECT_TRUE(ParseExecuteFile("WINDOWS_REBOOT").reboot);
    EXPECT_FALSE(ParseExecuteFile("windows_reboot").reboot);

    const std::string word = "インストール";
    const std::string restartText =
        "　インストールを完了するには、Windowsを再起動する必要があります。\r\n\r\n"
        "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
        "かつ、終了後プログラムは実行されませんので、十分にご注意ください。";

    InstallCompletionPage plain = BuildInstallCompletionPage("", false, word);
    EXPECT_FALSE(plain.restartOffered);
    EXPECT_EQ(plain.text, "インストールを完了しました。");
    EXPECT_EQ(plain.option1Caption, "インストーラを終了します。(&Y)");
    EXPECT_FALSE(plain.option2Visible);
    EXPECT_EQ(plain.option2Caption, "");
    EXPECT_EQ(plain.finishCaption, "インストール完了(&E)");
    EXPECT_EQ(DecideFinalAction(plain, false), FinalAction::None);

    InstallCompletionPage run = BuildInstallCompletionPage("(App)APP.EXE,/first,CreateProcess", false, word);
    EXPECT_EQ(run.text, "インストールを完了しました。\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n"
                        "C:\\APP\\APP.EXE/first");
    EXPECT_EQ(run.option1Caption, "インストーラを終了して、プログラムを実行します。(&Y)");
    EXPECT_EQ(DecideFinalAction(run, false), FinalAction::RunProgram);

    InstallCompletionPage reboot = BuildInstallCompletionPage("WINDOWS_REBOOT", false, word);
    EXPECT_TRUE(reboot.restartOffered);
    EXPECT_EQ(reboot.text, restartText);
    EXPECT_EQ(reboot.option1Caption, "はい、Windowsを再起動します。(&Y)");
    EXPECT_EQ(reboot.option2Caption, "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)");
    EXPECT_TRUE(reboot.option2Visible);
    EXPECT_EQ(reboot.execute.program, "");
    EXPECT_EQ(DecideFinalAction(reboot, false), FinalAction::Restart);
    EXPECT_EQ(DecideFinalAction(reboot, true), FinalAction::None);

    InstallCompletionPage locked = BuildInstallCompletionPage("(App)README.TXT", true, word);
    EXPECT_TRUE(locked.restartOffered);
    EXPECT_EQ(locked.text, restartText + "\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n"
                                         "C:\\APP\\README.TXT");
    EXPECT_EQ(locked.option2Caption, "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)");
    EXPECT_EQ(DecideFinalAction(locked, false), FinalAction::Restart);
    EXPECT_EQ(DecideFinalAction(locked, true), FinalAction::OpenProgram);
}

TEST_F(InstallEntriesTest, CompletionStatusLines) {
    EXPECT_EQ(CompletionStatusLines("インストール", "アンインストール", false),
              "\r\n【処理完了】\r\n"
              "　プログラムのアンインストールは、「プログラム(アプリケーション)の追加と削除」から行うことができます。\r\n"
              "　「次へ(N)」をクリックして、インストールを完了してください。\r\n");
    EXPECT_EQ(CompletionStatusLines("セットアップ", "削除", true),
              "\r\n【処理完了】\r\n　「次へ(N)」をクリックして、セットアップを完了してください。\r\n");
}

}  // namespace
