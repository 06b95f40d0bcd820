// Closing the wizard: when to ask, and the clean-up on the way out.
#include <windows.h>

#include "app/cleanup.h"
#include "app/forms.h"
#include "app/exit_codes.h"
#include "app/frm_back.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "sys/removal.h"
#include "ui/application.h"

void TfrmMain::FormCloseQuery(bool& canClose) {
    // The work is over (a run ended, an abort or a stop was confirmed): no question.
    if (frmBack && frmBack->Enabled()) return;
    // The agreement's decline button and the start-up error page leave at once.
    std::string end = btnEnd.Caption();
    if (end == "同意しない(&N)" || end == "終了(&E)") return;
    // Nothing can be started any more (a pre-check or the checker refused).
    if (!btnEvent.Enabled()) return;
    int answer = ShowMessageBox(g_state.SetupWord + "/" + g_state.UnSetupWord + "は終了していません。\r\n終了してもよろしいですか？",
                                "終了確認", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) {
        canClose = false;
        return;
    }
    if (frmBack) frmBack->SetEnabled(true);
    SetModalResult(mrOk);
}

void TfrmMain::FormClose() {
    ::ProcessMessages();
    RemoveWorkFolders(g_state.TempFolder);
    // After a run (which hid the wizard) the shell learns about new associations and files.
    if (!Visible()) CallSafely([] { NotifyShellOfChanges(); });
}

void TfrmMain::EndProgram() {
    if (frmBack) frmBack->SetEnabled(true);
    if (frmStatus) frmStatus->Close();
    SetModalResult(mrOk);
}

void TfrmMain::ReportRunError(const std::string& text) {
    g_state.ExitCode = kExitFailed;
    std::string title = Application::Current() ? Application::Current()->Title() : "Orvant Setup Nova";
    ShowMessageBox(text, title, MB_OK | MB_ICONSTOP);
    EndProgram();
}
