// The uninstall run's window work around the uninstall engine: the progress window, the failure
// details, the completion page and the restart.
#include <cmath>
#include <exception>

#include "app/forms.h"
#include "app/exit_codes.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "app/grad_box.h"
#include "app/run_log.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "ui/application.h"
#include "uninstall/uninstall_run.h"

void TfrmMain::UninstallRun() {
    if (runStarted_) return;
    runStarted_ = true;
    try {
        const std::string& U = g_state.UnSetupWord;
        g_state.StatusText = UninstallEngine::OpeningStatus();
        g_state.StatusTail.clear();
        g_state.RestartNeeded = false;
        bool othersVisible = chkSCutStartMenu.Visible() || chkSCutStartUp.Visible() || chkSCutSendTo.Visible();
        UninstallOptions options =
            OptionsFromCheckBoxes(chkSCutDesktop.Checked(), othersVisible, chkSCutStartMenu.Checked());
        for (CheckBox* box : {&chkSCutDesktop, &chkSCutStartMenu, &chkSCutStartUp, &chkSCutSendTo})
            box->SetEnabled(false);

        Hide();
        frmStatus->Show();
        btnEnd.Hide();
        btnEvent.SetLeft(static_cast<int>(RoundHalfEven((ClientWidth() - btnEvent.Width()) / 2.0L)));
        ShowStatus(g_state.StatusText);

        g_state.InstallFolder = txtFolder.Caption();
        UninstallEngine engine(*this, g_state.ScriptPath, g_state.InstallFolder, options);
        unsigned errorsBefore = ErrorMessageCount();
        UninstallOutcome outcome = engine.Run();
        g_state.ExitCode = UninstallExitCode(outcome, ErrorMessageCount() != errorsBefore, outcome.restartNeeded);
        if (outcome.stopped) {
            EndProgram();
            return;
        }

        if (outcome.HasDetails()) TheRunLog().Write(outcome.failureDetail);
        if (outcome.HasDetails() &&
            ShowMessageBox(UninstallDetailsQuestion(U), "情報", MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            ShowFailureDetails(outcome.failureDetail, "削除処理失敗　詳細表示");
        FinishStatus(UninstallCompletionText(U));

        CompletionPage page = UninstallCompletionPage(outcome.restartNeeded, U);
        g_state.RestartNeeded = outcome.restartNeeded;
        ShowCompletionPage(page.message, page.option1, page.option2, U + "完了(&E)");

        if (g_state.RestartNeeded && optSelectType2.Checked()) g_state.RestartNeeded = false;
        if (g_state.RestartNeeded && restartAllowed_) g_state.RestartNeeded = WinReboot.RestartWindows(EWX_REBOOT);
        EndProgram();
    } catch (const std::exception& error) {
        ReportRunError(error.what());
    }
}
