// The wizard in the test process: start-up pages, pre-checks, the page sequence, the dispatch
// on the event button's caption and the close rules.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/forms.h"
#include "app/frm_back.h"
#include "app/frm_main.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "support/test_env.h"
#include "support/wizard_harness.h"

namespace {

const char kScript[] =
    "[Title]\r\nSetup=テスト セットアップ\r\nUnSetup=テスト 削除\r\nProgram=テストアプリ\r\n"
    "[Extend]\r\nSetupSpeed=1\r\n"
    "[DefaultFolder]\r\nFolder=(Prg)\\Test\\App\r\n"
    "[ShortCut]\r\nName1=(Dsk)テスト\r\nName2=(Sta)テスト\\テスト\r\n";

bool PageVisible(const Control& box) { return box.Visible(); }

}  // namespace

TEST(WizardStartTest, WithoutScriptShowsTheFatalPage) {
    WizardHarness harness;
    ASSERT_TRUE(harness.Start());
    EXPECT_EQ(frmMain->lblMessage.Caption(), "【致命的エラー → iniファイル読み込み失敗】\r\n\r\n処理は続行できません。");
    EXPECT_EQ(frmMain->btnEvent.Caption(), "処理開始(&S)");
    EXPECT_FALSE(frmMain->btnEvent.Enabled());
    EXPECT_EQ(frmMain->btnEnd.Caption(), "終了(&E)");
    EXPECT_TRUE(frmMain->btnEnd.Enabled());
    EXPECT_TRUE(PageVisible(frmMain->grpMessage));
    EXPECT_TRUE(PageVisible(frmMain->grpOption));
    EXPECT_FALSE(PageVisible(frmMain->fraTitle));
    EXPECT_EQ(frmMain->Caption(), "Orvant Setup Nova") << "titles stay in their design state";
}

TEST(WizardStartTest, TitlePageOfAScript) {
    WizardHarness harness;
    harness.WriteScript(kScript);
    MessageBoxRecorder boxes;
    ASSERT_TRUE(harness.Start());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(PageVisible(frmMain->fraTitle));
    EXPECT_EQ(frmMain->Caption(), "テスト セットアップ");
    EXPECT_EQ(frmBack->lblBackTitle1.Caption(), "テスト セットアップ");
    EXPECT_EQ(frmMain->lblTitleA2.Caption(), "Orvant Setup Nova(on " + g_state.OsName + ")");
    EXPECT_EQ(frmMain->btnEvent.Caption(), "インストール続行(&C)");
    EXPECT_EQ(frmMain->btnEnd.Caption(), "インストール終了(&E)");
    EXPECT_TRUE(frmMain->btnEvent.Enabled());
    std::string text = frmMain->lblTitleMessage.Caption();
    EXPECT_EQ(text.substr(0, text.find("\r\n")),
              "　テストアプリ インストールプログラムへようこそ。このインストールプログラムは、あなたのコンピュータに "
              "テストアプリ をインストールします。");
    EXPECT_NE(text.find("【注意】\r\n　Administrator権限でのインストールを推奨します。"), std::string::npos);
    EXPECT_EQ(frmMain->txtFolder.Caption(), g_state.ProgramFilesFolder + "Test\\App\\");
    EXPECT_TRUE(frmMain->chkSCutDesktop.Checked());
    EXPECT_TRUE(frmMain->chkSCutDesktop.Enabled());
    EXPECT_TRUE(frmMain->chkSCutStartMenu.Checked());
    EXPECT_FALSE(frmMain->chkSCutStartUp.Checked());
    EXPECT_FALSE(frmMain->chkSCutStartUp.Enabled());
    EXPECT_EQ(frmMain->grpSetupFolder.Caption().rfind("インストールフォルダ(空き容量：", 0), 0u);
    EXPECT_EQ(g_state.SetupSpeed, 1);
    // The work folder holds copies of the program and the script.
    EXPECT_TRUE(FileExists(g_state.WorkFolder + "SETUP.INI"));
    EXPECT_EQ(g_state.ScriptPath, g_state.WorkFolder + "SETUP.INI");
}

TEST(WizardStartTest, LockedOptionsAndDefaultBanner) {
    WizardHarness harness;
    harness.WriteScript("[Extend]\r\nEnabled=False\r\n[ShortCut]\r\nName1=(Sup)X\r\n");
    ASSERT_TRUE(harness.Start());
    EXPECT_FALSE(frmMain->txtFolder.Enabled());
    EXPECT_FALSE(frmMain->btnRefer.Enabled());
    EXPECT_FALSE(frmMain->chkOverWrite.Enabled());
    EXPECT_TRUE(frmMain->chkSCutStartUp.Checked()) << "checked but locked";
    EXPECT_FALSE(frmMain->chkSCutStartUp.Enabled());
    EXPECT_EQ(frmBack->lblPrgTitle1.Caption().substr(0, 17), "Orvant Setup Nova");
    EXPECT_TRUE(frmBack->lblPrgTitle1.Visible());
    EXPECT_EQ(frmMain->Caption(), "Orvant Setup");
    EXPECT_EQ(frmMain->txtFolder.Caption(), g_state.ProgramFilesFolder);
}

TEST(WizardStartTest, RejectedSystemStopsOnTheTitlePage) {
    WizardHarness harness;
    harness.WriteScript("[Extend]\r\nRejectOS=Windows\r\n");
    MessageBoxRecorder boxes;
    ASSERT_TRUE(harness.Start());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "警告");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
    EXPECT_TRUE(PageVisible(frmMain->fraTitle));
    EXPECT_FALSE(frmMain->btnEvent.Enabled());
    EXPECT_TRUE(frmMain->btnEnd.Enabled());
}

TEST(WizardStartTest, UninstallPageFromALog) {
    WizardHarness harness;
    std::string installed = ScratchFolder("wizard-installed");
    WriteTextFile(installed + "UNSETUP.INI",
                  Cp932Bytes("[Title]\r\nUnSetup=テスト 削除\r\n[SetupFolder]\r\nFolder=" + installed +
                             "\r\n[UnSetupOption]\r\nCheckBox=1,0,1,0\r\n[Extend]\r\nSetupString=導入\r\nUnSetupString=削除\r\n"));
    ASSERT_TRUE(harness.Start(installed + "UNSETUP.INI"));
    EXPECT_EQ(g_state.SetupMode, "UNSETUP");
    EXPECT_EQ(frmMain->Caption(), "テスト 削除");
    EXPECT_EQ(frmMain->btnEvent.Caption(), "削除開始(&S)");
    EXPECT_EQ(frmMain->btnEnd.Caption(), "削除終了(&E)");
    EXPECT_EQ(frmMain->grpSetupFolder.Caption(), "削除フォルダ");
    EXPECT_EQ(frmMain->grpOption.Caption(), "削除オプション");
    EXPECT_EQ(frmMain->txtFolder.Caption(), installed);
    EXPECT_TRUE(frmMain->txtFolder.ReadOnly());
    EXPECT_FALSE(frmMain->chkOverWrite.Visible());
    EXPECT_EQ(frmMain->fraShortCut.Caption(), "ファイルの追加削除");
    EXPECT_EQ(frmMain->chkSCutDesktop.Caption(), "*.INIファイル");
    EXPECT_TRUE(frmMain->chkSCutDesktop.Checked());
    EXPECT_FALSE(frmMain->chkSCutStartMenu.Checked());
    EXPECT_TRUE(frmMain->chkSCutStartUp.Checked());
    EXPECT_FALSE(frmMain->chkSCutStartUp.Enabled());
    EXPECT_EQ(frmMain->lblMessage.Caption(), "削除を行います。\r\n\r\n開始するには、「削除開始(S)」を選択してください。\r\n");
    EXPECT_TRUE(frmMain->lblUnSetupInfo.Visible());
    EXPECT_EQ(frmMain->lblUnSetupInfo.Top(), frmMain->chkSCutDesktop.Top() + frmMain->chkSCutDesktop.Height() + 2);
    EXPECT_TRUE(PageVisible(frmMain->grpOption));
}

TEST(WizardStartTest, UninstallPageWithDeleteAll) {
    WizardHarness harness;
    std::string installed = ScratchFolder("wizard-installed");
    WriteTextFile(installed + "UNSETUP.INI", "[SetupFolder]\r\nFolder=" + installed + "\r\n[UnSetupOption]\r\nCheckBox=DeleteAll\r\n");
    ASSERT_TRUE(harness.Start(installed + "UNSETUP.INI"));
    EXPECT_EQ(frmMain->chkSCutDesktop.Caption(), "アンインストールフォルダ以下の全ファイル・フォルダ");
    EXPECT_TRUE(frmMain->chkSCutDesktop.Checked());
    EXPECT_EQ(frmMain->chkSCutDesktop.Width(), frmMain->fraShortCut.Width() - 16);
    EXPECT_FALSE(frmMain->chkSCutStartMenu.Visible());
    EXPECT_FALSE(frmMain->chkSCutSendTo.Visible());
}

TEST(WizardStartTest, MissingLogIsFatal) {
    WizardHarness harness;
    ASSERT_TRUE(harness.Start("C:\\nowhere\\UNSETUP.INI"));
    EXPECT_EQ(frmMain->btnEvent.Caption(), "処理開始(&S)");
    EXPECT_NE(frmMain->lblMessage.Caption().find("【致命的エラー → iniファイル読み込み失敗】"), std::string::npos);
}

TEST(WizardPagesTest, AgreementReadmeOptions) {
    WizardHarness harness;
    harness.WriteScript(std::string(kScript) + "[EULA]\r\nFile=\\EULA.TXT\r\n[Readme]\r\nFile=README.TXT\r\nTitle=お読みください\r\n");
    WriteTextFile(harness.Dist() + "EULA.TXT", Cp932Bytes("契約\r\n第1条\r\n"));
    WriteTextFile(harness.Dist() + "README.TXT", Cp932Bytes("読んでね\r\n"));
    ASSERT_TRUE(harness.Start());
    frmMain->btnEventClick();  // title -> agreement
    EXPECT_TRUE(PageVisible(frmMain->fraReadme));
    EXPECT_FALSE(PageVisible(frmMain->fraTitle));
    EXPECT_EQ(frmMain->fraReadme.Caption(), "使用許諾契約書");
    EXPECT_EQ(frmMain->txtReadme.Caption(), "契約\r\n第1条\r\n");
    EXPECT_EQ(frmMain->btnEvent.Caption(), "同意する(&A)");
    EXPECT_EQ(frmMain->btnEnd.Caption(), "同意しない(&N)");
    EXPECT_FALSE(frmMain->btnEvent.Enabled());
    EXPECT_TRUE(frmMain->chkEULARead.Visible());
    frmMain->chkEULARead.SetChecked(true);
    EXPECT_TRUE(frmMain->btnEvent.Enabled());
    frmMain->chkEULARead.SetChecked(false);
    EXPECT_FALSE(frmMain->btnEvent.Enabled());
    frmMain->chkEULARead.SetChecked(true);

    frmMain->btnEventClick();  // agreement -> readme
    EXPECT_FALSE(frmMain->chkEULARead.Visible());
    EXPECT_EQ(frmMain->fraReadme.Caption(), "お読みください");
    EXPECT_EQ(frmMain->txtReadme.Caption(), "読んでね\r\n");
    EXPECT_EQ(frmMain->btnEvent.Caption(), "インストール続行(&C)");

    frmMain->btnEventClick();  // readme -> options
    EXPECT_FALSE(PageVisible(frmMain->fraReadme));
    EXPECT_TRUE(PageVisible(frmMain->grpMessage));
    EXPECT_TRUE(PageVisible(frmMain->grpSetupFolder));
    EXPECT_EQ(frmMain->btnEvent.Caption(), "インストール開始(&S)");
    EXPECT_EQ(frmMain->btnEnd.Caption(), "インストール終了(&E)");
    EXPECT_EQ(frmMain->lblMessage.Caption(), "インストールを行います。\r\n");
}

TEST(WizardPagesTest, WithoutAgreementAndReadmeStraightToOptions) {
    WizardHarness harness;
    harness.WriteScript(std::string(kScript) + "[EULA]\r\nFile=MISSING.TXT\r\nCheckBox=Hide\r\n");
    ASSERT_TRUE(harness.Start());
    frmMain->btnEventClick();
    EXPECT_TRUE(PageVisible(frmMain->grpOption));
    EXPECT_EQ(frmMain->btnEvent.Caption(), "インストール開始(&S)");
}

TEST(WizardPagesTest, FreeSpaceCaptionFollowsTheFolder) {
    WizardHarness harness;
    harness.WriteScript(kScript);
    ASSERT_TRUE(harness.Start());
    frmMain->txtFolder.SetCaption("Y:\\Nowhere\\");
    EXPECT_EQ(frmMain->grpSetupFolder.Caption(), "インストールフォルダ(空き容量：不明)");
    frmMain->txtFolder.SetCaption("C:\\Test\\");
    std::string caption = frmMain->grpSetupFolder.Caption();
    EXPECT_EQ(caption.rfind("インストールフォルダ(空き容量：", 0), 0u) << caption;
    EXPECT_EQ(caption.substr(caption.size() - 5), "Byte)");
    EXPECT_NE(caption.find(','), std::string::npos) << "thousands separated";
}

TEST(WizardDispatchTest, EqualWordsNeverStartTheUninstallFromTheInstaller) {
    WizardHarness harness;
    harness.WriteScript("[Extend]\r\nSetupString=作業\r\nUnSetupString=作業\r\nSetupSpeed=1\r\n");
    ASSERT_TRUE(harness.Start());
    frmMain->btnEventClick();  // title -> options
    ASSERT_EQ(frmMain->btnEvent.Caption(), "作業開始(&S)");
    EXPECT_EQ(g_state.SetupMode, "SETUP");
    // The uninstall run would hide the wizard and show the progress window.
    EXPECT_EQ(g_state.StatusText, "");
}

TEST(WizardDispatchTest, CompletionCaptionsReleaseAWait) {
    WizardHarness harness;
    harness.WriteScript(kScript);
    ASSERT_TRUE(harness.Start());
    for (const char* caption : {"インストール完了(&E)", "アンインストール完了(&E)", "続行(&C)"}) {
        frmMain->btnEvent.SetCaption(caption);
        frmMain->btnEvent.SetEnabled(true);
        frmMain->btnEventClick();
        EXPECT_FALSE(frmMain->btnEvent.Enabled()) << caption;
    }
    frmMain->btnEvent.SetCaption("何か");
    frmMain->btnEvent.SetEnabled(true);
    frmMain->btnEventClick();
    EXPECT_TRUE(frmMain->btnEvent.Enabled()) << "other captions do nothing";
}

TEST(WizardCloseTest, EndButtonAsksUnlessTheWorkIsOver) {
    WizardHarness harness;
    harness.WriteScript(kScript);
    ASSERT_TRUE(harness.Start());
    {
        MessageBoxRecorder boxes(IDNO);
        frmMain->Close();
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].title, "終了確認");
        EXPECT_EQ(boxes.Boxes()[0].text, "インストール/アンインストールは終了していません。\r\n終了してもよろしいですか？");
        EXPECT_EQ(boxes.Boxes()[0].flags, 36u);
        EXPECT_TRUE(frmMain->Visible()) << "No keeps the wizard";
        EXPECT_FALSE(frmBack->Enabled());
    }
    {
        MessageBoxRecorder boxes(IDNO);
        frmMain->btnEnd.SetCaption("同意しない(&N)");
        // The decline button of the agreement page leaves without a question.
        frmMain->Close();
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_FALSE(frmMain->Visible());
    }
}

TEST(WizardCloseTest, ClosingRemovesEveryWorkFolder) {
    WizardHarness harness;
    harness.WriteScript(kScript);
    ASSERT_TRUE(harness.Start());
    std::string stale = g_state.TempFolder + "OVTMP57\\";
    ForceFolders(stale + "deep\\");
    WriteTextFile(stale + "deep\\x.txt", "x");
    std::string work = g_state.WorkFolder;
    ASSERT_TRUE(FolderExists(work));
    frmBack->SetEnabled(true);  // work over: no question
    frmMain->Close();
    EXPECT_FALSE(FolderExists(work));
    EXPECT_FALSE(FolderExists(stale));
}
