#include "app/frm_main.h"

#include "app/control_ids.h"
#include "app/forms.h"
#include "app/frm_back.h"
#include "app/frm_custom_dlg.h"
#include "app/frm_status.h"
#include "app/resource_ids.h"
#include "app/run_log.h"
#include "core/state.h"
#include "sys/removal.h"
#include "ui/application.h"

TfrmBack* frmBack = nullptr;
TfrmMain* frmMain = nullptr;
TfrmStatus* frmStatus = nullptr;
TfrmCustomDlg* frmCustomDlg = nullptr;

namespace {

Font WizardFont() {
    Font font;
    font.Name = "ＭＳ Ｐゴシック";
    font.Height = -12;
    return font;
}

Font FixedFont() {
    Font font = WizardFont();
    font.Name = "ＭＳ ゴシック";
    return font;
}

}  // namespace

TfrmMain::TfrmMain() : Form("TfrmMain"), dlgFolder(this) {
    SetCaption("Orvant Setup Nova");
    SetBorderStyle(BorderStyle::Single, true);
    SetClientSize(492, 298);
    SetCenteredOnScreen();
    SetFont(WizardFont());
    dlgFolder.SetTitle("セットアップフォルダを選択してください．");
    CreateControls();
}

void TfrmMain::CreateControls() {
    fraTitle.Create(*this, 8, 8, 473, 241, "", IDC_FRA_TITLE);
    fraTitle.Hide();
    imgTitle1.Create(fraTitle, 16, 16, 32, 32, IDC_IMG_TITLE1);
    imgTitle1.LoadIconResource(IDI_SETUP);
    lblTitleA1.Create(fraTitle, 56, 14, 400, 14, "汎用インストーラ", IDC_LBL_TITLE_A1);
    lblTitleA2.Create(fraTitle, 56, 28, 400, 22, "Orvant Setup Nova", IDC_LBL_TITLE_A2);
    Font title;
    title.Name = "Times New Roman";
    title.Height = -19;
    title.Italic = true;
    title.Bold = true;
    title.Charset = ANSI_CHARSET;
    title.Color = RGB(0, 0, 255);
    lblTitleA2.SetFont(title);
    lblTitleMessage.Create(fraTitle, 16, 56, 441, 177, "", IDC_LBL_TITLE_MESSAGE);
    lblTitleMessage.SetWordWrap(true);
    lblTitleMessage.SetShowAccelChar(false);
    lblTitleMessage.SetFont(FixedFont());

    fraReadme.Create(*this, 8, 8, 473, 241, "", IDC_FRA_README);
    fraReadme.Hide();
    txtReadme.Create(fraReadme, 8, 16, 457, 217, "", IDC_TXT_README);
    txtReadme.SetFont(FixedFont());
    txtReadme.SetScrollBars(ssVertical);
    chkEULARead.Create(fraReadme, 8, 216, 457, 17, "上記「使用許諾契約書」を確認のうえ、", IDC_CHK_EULA_READ);
    chkEULARead.Hide();
    chkEULARead.OnClick = [this] { chkEULAReadClick(); };

    grpMessage.Create(*this, 8, 8, 473, 89, "メッセージ", IDC_GRP_MESSAGE);
    grpMessage.Hide();
    lblMessage.Create(grpMessage, 8, 16, 457, 65, "", IDC_LBL_MESSAGE);
    lblMessage.SetWordWrap(true);
    lblMessage.SetShowAccelChar(false);

    grpSetupFolder.Create(*this, 8, 104, 473, 49, "", IDC_GRP_SETUP_FOLDER);
    grpSetupFolder.Hide();
    txtFolder.Create(grpSetupFolder, 8, 18, 401, 22, "", IDC_TXT_FOLDER);
    Font folderFont = WizardFont();
    folderFont.Height = -16;
    txtFolder.SetFont(folderFont);
    txtFolder.SetEnabled(false);
    txtFolder.OnChange = [this] { txtFolderChange(); };
    btnRefer.Create(grpSetupFolder, 414, 17, 51, 24, "参照(&R)", IDC_BTN_REFER);
    btnRefer.SetEnabled(false);
    btnRefer.OnClick = [this] { btnReferClick(); };

    grpOption.Create(*this, 8, 160, 473, 89, "インストールオプション", IDC_GRP_OPTION);
    grpOption.Hide();
    chkOverWrite.Create(grpOption, 8, 16, 457, 17,
                        "自動的に上書きする(同名ファイルが存在した場合は、最新ファイルをコピーします。)", IDC_CHK_OVERWRITE);
    chkOverWrite.SetChecked(true);
    chkOverWrite.SetEnabled(false);
    fraShortCut.Create(grpOption, 8, 36, 457, 45, "ショートカットの作成", IDC_FRA_SHORTCUT);
    chkSCutDesktop.Create(fraShortCut, 8, 18, 105, 17, "デスクトップ", IDC_CHK_SCUT_DESKTOP);
    chkSCutStartMenu.Create(fraShortCut, 120, 18, 105, 17, "スタートメニュー", IDC_CHK_SCUT_STARTMENU);
    chkSCutStartUp.Create(fraShortCut, 232, 18, 105, 17, "スタートアップ", IDC_CHK_SCUT_STARTUP);
    chkSCutSendTo.Create(fraShortCut, 344, 18, 105, 17, "送る", IDC_CHK_SCUT_SENDTO);
    for (CheckBox* box : {&chkSCutDesktop, &chkSCutStartMenu, &chkSCutStartUp, &chkSCutSendTo}) {
        box->SetChecked(false);
        box->SetEnabled(false);
    }
    lblUnSetupInfo.Create(fraShortCut, 8, 37, 441, 28, "", IDC_LBL_UNSETUP_INFO);
    lblUnSetupInfo.SetWordWrap(true);
    lblUnSetupInfo.SetShowAccelChar(false);
    lblUnSetupInfo.Hide();

    fraSelectType.Create(*this, 8, 8, 473, 241, "", IDC_FRA_SELECT_TYPE);
    fraSelectType.Hide();
    lblSelectTypeMsg.Create(fraSelectType, 16, 24, 441, 120, "", IDC_LBL_SELECT_TYPE_MSG);
    lblSelectTypeMsg.SetWordWrap(true);
    lblSelectTypeMsg.SetShowAccelChar(false);
    optSelectType1.Create(fraSelectType, 24, 168, 433, 20, "", IDC_OPT_SELECT_TYPE1);
    optSelectType2.Create(fraSelectType, 24, 196, 433, 20, "", IDC_OPT_SELECT_TYPE2);
    optSelectType1.SetChecked(true);

    btnEvent.Create(*this, 64, 264, 161, 25, "", IDC_BTN_EVENT);
    btnEvent.SetEnabled(false);
    btnEvent.OnClick = [this] { btnEventClick(); };
    btnEnd.Create(*this, 272, 264, 153, 25, "セットアップ終了(&E)", IDC_BTN_END);
    btnEnd.SetEnabled(false);
    btnEnd.OnClick = [this] { btnEndClick(); };
    lblFormShare.Create(*this, 8, 280, 80, 12, "Can't Delete", IDC_LBL_FORM_SHARE);
    lblFormShare.Hide();
}

void TfrmMain::FormCreate() {
    // The wizard's own creation only lets pending messages run; start-up waits for activation.
    ::ProcessMessages();
    SetOperationOwnerWindow(Handle());
}

void TfrmMain::ShowPage(bool title, bool readme, bool options) {
    fraTitle.SetVisible(title);
    fraReadme.SetVisible(readme);
    grpMessage.SetVisible(options);
    grpSetupFolder.SetVisible(options);
    grpOption.SetVisible(options);
    ::ProcessMessages();
}

void TfrmMain::WaitForEventClick() {
    while (btnEvent.Enabled() && !Application::Terminated()) {
        Sleep(150);
        ::ProcessMessages();
    }
}

// --- RunUi over the progress window -------------------------------------------------------

void TfrmMain::ShowStatus(const std::string& text) {
    TheRunLog().Status(g_state.StatusText);
    frmStatus->lblMessage.SetCaption(text);
    ::ProcessMessages();
}

void TfrmMain::ProcessMessages() { ::ProcessMessages(); }

void TfrmMain::Pause(long milliseconds) {
    // Short sleeps between message pumps keep the windows painted and the abort button alive.
    DWORD start = GetTickCount();
    for (;;) {
        ::ProcessMessages();
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(milliseconds)) break;
        DWORD rest = static_cast<DWORD>(milliseconds) - elapsed;
        Sleep(rest < 50 ? rest : 50);
    }
}

bool TfrmMain::AbortRequested() { return !Enabled(); }

void TfrmMain::EnableAbort(bool enabled) { frmStatus->btnAbort.SetEnabled(enabled); }

void TfrmMain::ShowProgressFrame(bool visible) { frmStatus->fraStatus.SetVisible(visible); }

int TfrmMain::SetProgressPosition(int percent) {
    frmStatus->prgStatus.SetPosition(percent);
    return frmStatus->prgStatus.Position();
}

void TfrmMain::SetProgressLabel(const std::string& text) { frmStatus->lblStatus.SetCaption(text); }

std::string TfrmMain::SharedAnswer() { return lblFormShare.Caption(); }

void TfrmMain::SetSharedAnswer(const std::string& answer) { lblFormShare.SetCaption(answer); }

void TfrmMain::AskSharedFile(const std::string& question) {
    frmCustomDlg->lblMessage.SetCaption(question);
    frmCustomDlg->ShowModal();
}
