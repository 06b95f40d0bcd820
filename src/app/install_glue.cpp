// The install run's window work around the install engine: the progress window in place of the
// wizard, the failure details, the completion text and page, and the launch or restart.
#include <exception>

#include "app/forms.h"
#include "app/exit_codes.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "app/run_log.h"
#include "core/state.h"
#include "install/completion.h"
#include "install/install_engine.h"
#include "edge/fileops.h"
#include "sys/launch.h"
#include "ui/application.h"

void TfrmMain::InstallRun() {
    if (runStarted_) return;
    runStarted_ = true;
    try {
        const std::string& S = g_state.SetupWord;
        InstallOptions options;
        options.folderText = txtFolder.Caption();
        options.overwriteAuto = chkOverWrite.Checked();
        options.shortcuts = {chkSCutDesktop.Checked(), chkSCutStartMenu.Checked(), chkSCutStartUp.Checked(),
                             chkSCutSendTo.Checked()};

        Hide();
        ::ProcessMessages();
        Pause(500);
        frmStatus->Show();
        btnEnd.Hide();
        btnEvent.SetLeft((ClientWidth() - btnEvent.Width()) / 2);
        ShowStatus(OpeningStatusText(S));
        Pause(1000);

        unsigned errorsBefore = ErrorMessageCount();
        InstallResult result = RunInstall(*this, options);
        bool errorsShown = ErrorMessageCount() != errorsBefore;
        if (result.ended != InstallEnd::Completed) {
            g_state.ExitCode = InstallExitCode(result, false, errorsShown, false);
            // An abort has told the program to close already.
            if (result.ended == InstallEnd::Refused) EndProgram();
            return;
        }

        if (result.FailureCount != 0) TheRunLog().Write(result.FailureDetail);
        if (result.FailureCount != 0 &&
            ShowMessageBox(kFailureQuestionText, kFailureQuestionTitle, kFailureQuestionFlags) == IDYES)
            ShowFailureDetails(result.FailureDetail, kFailureDetailsFrameCaption);
        FinishStatus(CompletionStatusLines(S, g_state.UnSetupWord, result.SetupOnly));

        InstallCompletionPage page = BuildInstallCompletionPage(result.ExecuteFile, result.LockedFileFound, S);
        g_state.RestartNeeded = page.restartOffered;
        g_state.ExitCode = InstallExitCode(result, false, errorsShown, page.restartOffered);
        ShowCompletionPage(page.text, page.option1Caption, page.option2Visible ? page.option2Caption : "",
                           page.finishCaption);

        switch (DecideFinalAction(page, optSelectType2.Checked())) {
        case FinalAction::Restart:
            if (restartAllowed_) g_state.RestartNeeded = WinReboot.RestartWindows(EWX_REBOOT);
            break;
        case FinalAction::RunProgram:
            g_state.RestartNeeded = false;
            if (RunProgram(page.execute.program, page.execute.arguments, SW_SHOWNORMAL, false) >= 1)
                ShowMessageBox(kLaunchFailedText, kLaunchFailedTitle, MB_OK | MB_ICONEXCLAMATION);
            break;
        case FinalAction::OpenProgram:
            g_state.RestartNeeded = false;
            OpenProgram(page.execute.program, page.execute.arguments);
            break;
        case FinalAction::None:
            g_state.RestartNeeded = false;
            break;
        }
        EndProgram();
    } catch (const std::exception& error) {
        ReportRunError(error.what());
    }
}
