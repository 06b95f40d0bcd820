// Start-up: runs once, on the wizard's first activation, and leads to the title page, the
// uninstall page or the fatal-error page.
#include "app/exit_codes.h"
#include "app/forms.h"
#include "app/frm_back.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "app/startup_rules.h"
#include "base/text.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "script/ini.h"
#include "sys/server_host.h"
#include "ui/application.h"

void TfrmMain::FormActivate() {
    // Every path of start-up gives the event button a caption, so this runs only once.
    if (!btnEvent.Caption().empty()) return;
    Startup();
}

void TfrmMain::Startup() {
    g_state.ShowTitlePage = g_state.ShowEulaPage = g_state.ShowReadmePage = g_state.ShowOptionsPage = false;
    DisableSystemClose();

    std::string program = programFile_.empty() ? ProgramFilePath() : programFile_;
    std::string proposedFolder;
    // A single file shows its extraction in the progress window before the first page.
    bool extracting = false;
    ExtractProgress progress = [this, &extracting](const std::string& name, uint64_t done, uint64_t total) {
        if (!extracting) {
            extracting = true;
            Hide();
            frmStatus->lblMessage.SetCaption("セットアップファイルを展開しています．．．");
            frmStatus->fraStatus.SetVisible(true);
            frmStatus->btnAbort.SetVisible(false);
            frmStatus->Show();
        }
        frmStatus->lblStatus.SetCaption(name);
        frmStatus->prgStatus.SetPosition(total ? static_cast<int>(done * 100 / total) : 100);
        ::ProcessMessages();
    };
    std::string fatal =
        PrepareProgramState(program, parameter_, proposedFolder, programFile_.empty() ? progress : ExtractProgress());
    if (extracting) {
        frmStatus->Hide();
        frmStatus->btnAbort.SetVisible(true);
        frmStatus->lblStatus.SetCaption("");
        Show();
    }
    lblTitleA2.SetCaption("Orvant Setup Nova(on " + g_state.OsName + ")");
    if (!fatal.empty()) {
        g_state.ExitCode = kExitFailed;
        ShowFatalPage(fatal);
        return;
    }
    // The work folder's copy hosts the servers: the medium may be gone after a disk change.
    if (programFile_.empty()) SetServerHost(g_state.WorkFolder + "SETUPB.EXE");
    bool uninstall = g_state.SetupMode == "UNSETUP";

    const std::string& script = g_state.ScriptPath;
    frmBack->SetBanner(BuildBanner(ReadIniValue("Title", "CopyRight1", "", script),
                                   ReadIniValue("Title", "CopyRight2", "", script)));
    // A folder given on the command line takes the proposed one's place (install mode only).
    if (!uninstall && !installFolder_.empty()) proposedFolder = AddDelimiter(installFolder_, "B");
    txtFolder.SetCaption(proposedFolder);

    bool changeable = ReadIniValue("Extend", "Enabled", "", script) != "False";
    if (!uninstall) {
        ShortcutBoxes boxes = DecideShortcutBoxes(script);
        const std::pair<CheckBox*, bool> concerned[] = {{&chkSCutDesktop, boxes.desktop},
                                                        {&chkSCutStartMenu, boxes.startMenu},
                                                        {&chkSCutStartUp, boxes.startUp},
                                                        {&chkSCutSendTo, boxes.sendTo}};
        for (const auto& [box, used] : concerned) {
            if (!used) continue;
            box->SetChecked(true);
            box->SetEnabled(changeable);
        }
    }
    g_state.PageMessage = uninstall ? BuildUninstallPageMessage(g_state.UnSetupWord)
                                    : BuildInstallPageMessage(script, g_state.SetupWord);
    lblMessage.SetCaption(g_state.PageMessage);
    if (!uninstall) {
        txtFolder.SetEnabled(changeable);
        btnRefer.SetEnabled(changeable);
        chkOverWrite.SetEnabled(changeable);
    }
    const std::string& title = uninstall ? g_state.UnSetupTitle : g_state.SetupTitle;
    frmBack->SetTitles(title);
    SetCaption(title);

    grpSetupFolder.SetCaption(g_state.SetupWord + "フォルダ");
    grpOption.SetCaption(g_state.SetupWord + "オプション");
    btnEnd.SetCaption(g_state.SetupWord + "終了(&E)");
    txtFolderChange();

    if (uninstall) {
        PrepareUninstallPage();
        return;
    }
    g_state.ShowTitlePage = g_state.ShowEulaPage = g_state.ShowReadmePage = g_state.ShowOptionsPage = true;
    btnEventClick();
    RunPreChecks(txtFolder.Caption());
}

void TfrmMain::ShowFatalPage(const std::string& fatalText) {
    lblMessage.SetCaption(fatalText + "\r\n" + "処理は続行できません。");
    btnEvent.SetCaption("処理開始(&S)");
    btnEvent.SetEnabled(false);
    btnEnd.SetCaption("終了(&E)");
    btnEnd.SetEnabled(true);
    ShowPage(false, false, true);
    btnEnd.SetFocus();
}

void TfrmMain::PrepareUninstallPage() {
    const std::string& U = g_state.UnSetupWord;
    grpSetupFolder.SetCaption(U + "フォルダ");
    txtFolder.SetReadOnly(true);
    txtFolder.SetEnabled(true);
    btnRefer.SetEnabled(false);
    btnEvent.SetCaption(U + "開始(&S)");
    btnEvent.SetEnabled(true);
    btnEnd.SetCaption(U + "終了(&E)");
    btnEnd.SetEnabled(true);
    grpOption.SetCaption(U + "オプション");

    chkOverWrite.Hide();
    fraShortCut.SetCaption("ファイルの追加削除");
    fraShortCut.SetTop(chkOverWrite.Top());
    fraShortCut.SetHeight(grpOption.Height() - Scaled(24));

    const std::string& value = g_state.UnSetupOptionValue;
    if (value == "DeleteAll") {
        chkSCutDesktop.SetCaption(U + "フォルダ以下の全ファイル・フォルダ");
        chkSCutDesktop.SetWidth(fraShortCut.Width() - Scaled(16));
        chkSCutDesktop.SetChecked(true);
        chkSCutDesktop.SetEnabled(true);
        for (CheckBox* box : {&chkSCutStartMenu, &chkSCutStartUp, &chkSCutSendTo}) {
            box->SetChecked(false);
            box->Hide();
        }
    } else {
        auto flag = [&value](int position) { return CopyHead(CopyFrom(value, position), 1) == "1"; };
        chkSCutDesktop.SetCaption("*.INIファイル");
        chkSCutDesktop.SetChecked(flag(1));
        chkSCutDesktop.SetEnabled(true);
        chkSCutStartMenu.SetCaption("*.GIDファイル");
        chkSCutStartMenu.SetChecked(flag(3));
        chkSCutStartMenu.SetEnabled(true);
        chkSCutStartUp.SetCaption("");
        chkSCutStartUp.SetChecked(flag(5));
        chkSCutStartUp.SetEnabled(false);
        chkSCutSendTo.SetCaption("");
        chkSCutSendTo.SetChecked(flag(7));
        chkSCutSendTo.SetEnabled(false);
    }
    lblUnSetupInfo.SetTop(chkSCutDesktop.Top() + chkSCutDesktop.Height() + Scaled(2));
    lblUnSetupInfo.SetCaption("　" + U + "フォルダの中で、コピーされたファイル以外に追加削除するファイルをチェック(選択)してください。");
    lblUnSetupInfo.Show();
    ShowPage(false, false, true);
    btnEvent.SetFocus();
}

void TfrmMain::StopInstall(const std::string& title, const std::string& text) {
    ShowMessageBox(text, title, MB_OK | MB_ICONEXCLAMATION);
    btnEnd.SetFocus();
    btnEvent.SetEnabled(false);
}

void TfrmMain::RunPreChecks(const std::string& proposedFolder) {
    PreCheckResult result = ::RunPreChecks(g_state.ScriptPath, proposedFolder, g_state.OsName, g_state.WindowsFolder,
                                           g_state.SetupWord, g_state.UnSetupWord);
    if (!result.fired) return;
    if (result.stop)
        StopInstall(result.title, result.text);
    else
        ShowMessageBox(result.text, result.title, MB_OK | MB_ICONEXCLAMATION);
}
