#pragma once
// TfrmMain: the wizard. Its pages are overlapping group boxes that are shown and hidden; the event
// button carries the next action in its caption. Start-up runs on its first activation, and the
// install and uninstall runs work inside the event button's click.
#include <string>

#include "core/run_ui.h"
#include "sys/win_reboot.h"
#include "ui/controls.h"
#include "ui/folder_dialog.h"
#include "ui/form.h"

class TfrmMain : public Form, public RunUi {
public:
    TfrmMain();

    // Pages.
    GroupBox fraTitle;
    Label lblTitleA1;
    Label lblTitleA2;
    Image imgTitle1;
    Label lblTitleMessage;
    GroupBox fraReadme;
    Memo txtReadme;
    CheckBox chkEULARead;
    GroupBox grpMessage;
    Label lblMessage;
    GroupBox grpSetupFolder;
    Edit txtFolder;
    Button btnRefer;
    GroupBox grpOption;
    CheckBox chkOverWrite;
    GroupBox fraShortCut;
    CheckBox chkSCutDesktop;
    CheckBox chkSCutStartMenu;
    CheckBox chkSCutStartUp;
    CheckBox chkSCutSendTo;
    Label lblUnSetupInfo;
    GroupBox fraSelectType;
    Label lblSelectTypeMsg;
    RadioButton optSelectType1;
    RadioButton optSelectType2;
    Button btnEvent;
    Button btnEnd;
    Label lblFormShare;
    TFolderDialog dlgFolder;
    TWinReboot WinReboot;

    // The first parameter of the command line (an uninstall log's path selects uninstall mode).
    void SetCommandLineParameter(const std::string& parameter) { parameter_ = parameter; }
    // The program file whose folder is the distribution (tests start from another folder).
    void SetProgramFile(const std::string& path) { programFile_ = path; }
    // A folder to propose instead of the script's (the command line's /D=), and whether the
    // program may restart Windows at all (not with /NORESTART).
    void SetInstallFolder(const std::string& folder) { installFolder_ = folder; }
    void SetRestartAllowed(bool allowed) { restartAllowed_ = allowed; }

    // Visibility of the title page, the readme page and the three options-page boxes.
    void ShowPage(bool title, bool readme, bool options);
    // A run's wait for the user: btnEvent enabled until its click disables it again.
    void WaitForEventClick();

    void btnEventClick();
    void btnEndClick();
    void btnReferClick();
    void txtFolderChange();
    void chkEULAReadClick();

    // RunUi: the runs drive the progress window through the wizard.
    void ShowStatus(const std::string& text) override;
    void ProcessMessages() override;
    void Pause(long milliseconds) override;
    bool AbortRequested() override;
    void EnableAbort(bool enabled) override;
    void ShowProgressFrame(bool visible) override;
    int SetProgressPosition(int percent) override;
    void SetProgressLabel(const std::string& text) override;
    std::string SharedAnswer() override;
    void SetSharedAnswer(const std::string& answer) override;
    void AskSharedFile(const std::string& question) override;

protected:
    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;

private:
    void CreateControls();
    // Start-up (once, on the first activation).
    void Startup();
    void ShowFatalPage(const std::string& fatalText);
    void PrepareUninstallPage();
    void RunPreChecks(const std::string& proposedFolder);
    void StopInstall(const std::string& title, const std::string& text);
    // The click's steps.
    bool RunInstallChecker();
    std::string TitleText() const;
    void ShowAgreementPage();
    void LeaveAgreementPage();
    bool ShowReadmePage();
    void ApplyScrollBars(const std::string& value);
    std::string ScriptFileBesideProgram(const std::string& value) const;
    void Dispatch(const std::string& caption);
    // The runs, with the window work around their engines.
    void InstallRun();
    void UninstallRun();
    void ReportRunError(const std::string& text);
    // The end of both runs: details page, "次へ(&N)" wait, completion page (waits for its button).
    void ShowFailureDetails(const std::string& detail, const std::string& frameCaption);
    void FinishStatus(const std::string& completionLines);
    void ShowCompletionPage(const std::string& message, const std::string& option1, const std::string& option2,
                            const std::string& finishCaption);
    void EndProgram();

    std::string parameter_;
    std::string programFile_;
    std::string installFolder_;
    bool restartAllowed_ = true;
    bool runStarted_ = false;
};
