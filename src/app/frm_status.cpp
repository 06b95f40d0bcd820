#include "app/frm_status.h"

#include "app/control_ids.h"
#include "app/forms.h"
#include "app/frm_back.h"
#include "app/frm_main.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "ui/application.h"

TfrmStatus::TfrmStatus() : Form("TfrmStatus") {
    SetCaption("進行状況");
    SetBorderStyle(BorderStyle::Single, true);
    SetClientSize(492, 298);
    SetCenteredOnScreen();

    grpMessage.Create(*this, 8, 8, 481, 249, "メッセージ", IDC_STATUS_GRP_MESSAGE);
    lblMessage.Create(grpMessage, 8, 16, 457, 225, "", IDC_STATUS_LBL_MESSAGE);
    lblMessage.SetWordWrap(true);
    lblMessage.SetShowAccelChar(false);
    fraStatus.Create(grpMessage, 8, 200, 465, 41, "進行状況", IDC_STATUS_FRA_STATUS);
    fraStatus.Hide();
    lblStatus.Create(fraStatus, 368, 16, 88, 17, "0%(0/0)", IDC_STATUS_LBL_STATUS);
    Font counterFont = GetFont();
    counterFont.Height = -13;
    lblStatus.SetFont(counterFont);
    lblStatus.SetAlignment(TextAlign::Center);
    lblStatus.SetVerticalCenter(true);
    prgStatus.Create(fraStatus, 8, 16, 353, 17, IDC_STATUS_PRG_STATUS);
    prgStatus.SetMin(0);
    prgStatus.SetMax(100);
    prgStatus.SetStep(5);
    btnAbort.Create(*this, 168, 264, 161, 25, "中断(&A)", IDC_STATUS_BTN_ABORT);
    btnAbort.SetEnabled(false);
    btnAbort.OnClick = [this] { btnAbortClick(); };
}

void TfrmStatus::FormCreate() { DisableSystemClose(); }

void TfrmStatus::btnAbortClick() {
    // A click that was on its way when the run disabled the button comes too late.
    if (!btnAbort.Enabled()) return;
    std::string caption = btnAbort.Caption();
    if (caption == "中断(&A)") {
        int answer = ShowMessageBox("ここで処理を中断すると、すでにコピー済みのファイルなどは削除されません。\r\n"
                                    "一度、処理を完了してから、" + g_state.UnSetupWord + "することをおすすめします。\r\n\r\n"
                                    "本当にここで処理を中断しますか？",
                                    "中断の確認", MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) return;
        frmMain->SetEnabled(false);
        frmBack->SetEnabled(true);
        Close();
        ShowMessageBox("処理を中断しました。", "中断", MB_OK | MB_ICONEXCLAMATION);
        frmMain->SetModalResult(mrOk);
    } else if (caption == "次へ(&N)") {
        btnAbort.SetEnabled(false);
    }
}

void TfrmStatus::WaitForNext() {
    btnAbort.SetCaption("次へ(&N)");
    btnAbort.SetEnabled(true);
    btnAbort.SetFocus();
    while (btnAbort.Enabled() && !Application::Terminated()) {
        Sleep(100);
        ProcessMessages();
    }
}
