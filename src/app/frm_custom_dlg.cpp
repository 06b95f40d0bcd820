#include "app/frm_custom_dlg.h"

#include "app/control_ids.h"
#include "app/forms.h"
#include "app/frm_main.h"

TfrmCustomDlg::TfrmCustomDlg() : Form("TfrmCustomDlg") {
    SetCaption("ファイル削除の確認");
    // No close box and no cancel button: the question is answered through one of the buttons.
    SetBorderStyle(BorderStyle::Dialog, false);
    SetClientSize(426, 121);
    SetCenteredOnScreen();
    lblMessage.Create(*this, 8, 8, 409, 73, "lblMessage", IDC_CUSTOM_LBL_MESSAGE);
    lblMessage.SetWordWrap(true);
    lblMessage.SetShowAccelChar(false);
    btnYes.Create(*this, 8, 88, 97, 25, "はい(&Y)", IDC_CUSTOM_BTN_YES);
    btnNo.Create(*this, 112, 88, 97, 25, "いいえ(&N)", IDC_CUSTOM_BTN_NO);
    btnDelete.Create(*this, 216, 88, 97, 25, "すべて削除(&D)", IDC_CUSTOM_BTN_DELETE);
    btnSave.Create(*this, 320, 88, 97, 25, "すべて保存(&A)", IDC_CUSTOM_BTN_SAVE);
    btnYes.OnClick = [this] { Answer("Yes"); };
    btnNo.OnClick = [this] { Answer("No"); };
    btnDelete.OnClick = [this] { Answer("Delete"); };
    btnSave.OnClick = [this] { Answer("Save"); };
}

void TfrmCustomDlg::Answer(const char* word) {
    frmMain->lblFormShare.SetCaption(word);
    SetModalResult(mrOk);
}
