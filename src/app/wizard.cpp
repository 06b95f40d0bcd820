// The wizard's pages and buttons: the one-shot pages (title, agreement, readme, options), the
// distributor's checker program, and the dispatch of the event button on its caption.
#include "app/frm_main.h"
#include "app/startup_rules.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "script/ini.h"
#include "base/text.h"
#include "sys/disk_space.h"
#include "sys/launch.h"
#include "sys/removal.h"
#include "ui/application.h"

void TfrmMain::btnEventClick() {
    const std::string caption = btnEvent.Caption();
    const std::string& S = g_state.SetupWord;
    const std::string& script = g_state.ScriptPath;

    if (g_state.ShowTitlePage) {
        g_state.ShowTitlePage = false;
        fraTitle.Show();
        lblTitleMessage.SetCaption(TitleText());
        btnEvent.SetCaption(S + "続行(&C)");
        btnEnd.SetCaption(S + "終了(&E)");
        btnEvent.SetEnabled(true);
        btnEnd.SetEnabled(true);
        btnEvent.SetFocus();
        return;
    }
    if (!RunInstallChecker()) return;
    if (fraTitle.Visible()) {
        // A short blink between the title page and the next one.
        fraTitle.Hide();
        Hide();
        ::ProcessMessages();
        Pause(1000);
        Show();
    }
    if (g_state.ShowEulaPage) {
        g_state.ShowEulaPage = false;
        std::string file = ScriptFileBesideProgram(ReadIniValue("EULA", "File", "", script));
        if (!file.empty() && FileExists(file) && txtReadme.LoadFromFile(file)) {
            ShowAgreementPage();
            return;
        }
    }
    LeaveAgreementPage();
    if (g_state.ShowReadmePage) {
        g_state.ShowReadmePage = false;
        if (ShowReadmePage()) return;
    }
    if (g_state.ShowOptionsPage) {
        g_state.ShowOptionsPage = false;
        ShowPage(false, false, true);
        btnEvent.SetCaption(S + "開始(&S)");
        btnEnd.SetCaption(S + "終了(&E)");
        btnEvent.SetEnabled(true);
        btnEnd.SetEnabled(true);
    }
    Dispatch(caption);
}

void TfrmMain::Dispatch(const std::string& caption) {
    const std::string& S = g_state.SetupWord;
    const std::string& U = g_state.UnSetupWord;
    // The start captions differ only by the script's words; the mode decides which run may start,
    // so a script whose two words are equal never starts an uninstall from the installer.
    bool uninstallMode = g_state.SetupMode == "UNSETUP";
    if (caption == U + "開始(&S)" && uninstallMode) {
        UninstallRun();
    } else if (caption == S + "開始(&S)" && !uninstallMode) {
        InstallRun();
    } else if (caption == S + "完了(&E)" || caption == U + "完了(&E)" || caption == "続行(&C)") {
        btnEvent.SetEnabled(false);
    } else if (caption == S + "続行(&C)") {
        ShowPage(false, false, true);
        btnEvent.SetCaption(S + "開始(&S)");
    }
}

std::string TfrmMain::TitleText() const {
    const std::string& S = g_state.SetupWord;
    std::string P = ReadIniValue("Title", "Program", "", g_state.ScriptPath);
    std::string text = "　" + P + " " + S + "プログラムへようこそ。この" + S + "プログラムは、あなたのコンピュータに " + P +
                       " を" + S + "します。\r\n\r\n　" + S +
                       "を開始する前に、必ず、すべてのWindowsプログラムを終了させてください。\r\n\r\n　「" + S +
                       "終了(E)」を選択すると、" + S + "を行わずに" + S + "プログラムを終了します。" + S +
                       "を続行する場合は、「" + S + "続行(C)」を選択してください。\r\n";
    if (g_state.PlatformKind == "NT") {
        text += "\r\n【注意】\r\n　Administrator権限での" + S + "を推奨します。Administrator権限を持たないユーザーでの" + S +
                "は、正常に処理が行われない場合があります。";
    }
    return text;
}

std::string TfrmMain::ScriptFileBesideProgram(const std::string& value) const {
    if (value.empty()) return std::string();
    return g_state.SourceFolder + RemoveDelimiter(value, "T");
}

void TfrmMain::ApplyScrollBars(const std::string& value) {
    if (value == "ssVertical")
        txtReadme.SetScrollBars(ssVertical);
    else if (value == "ssHorizontal")
        txtReadme.SetScrollBars(ssHorizontal);
    else if (value == "ssBoth")
        txtReadme.SetScrollBars(ssBoth);
}

void TfrmMain::ShowAgreementPage() {
    const std::string& script = g_state.ScriptPath;
    fraReadme.SetCaption("使用許諾契約書");
    btnEvent.SetCaption("同意する(&A)");
    btnEvent.SetEnabled(false);
    btnEnd.SetCaption("同意しない(&N)");
    btnEnd.SetEnabled(true);
    txtReadme.SetColor(RGB(255, 255, 255));
    ApplyScrollBars(ReadIniValue("EULA", "ScrollBars", "ssVertical", script));
    if (ReadIniValue("EULA", "CheckBox", "", script) != "Hide") {
        // The user must tick the box before the agree button works.
        chkEULARead.SetChecked(false);
        chkEULARead.Show();
        txtReadme.SetHeight(txtReadme.Height() - Scaled(24));
    } else {
        btnEvent.SetEnabled(true);
        btnEvent.SetFocus();
    }
    ShowPage(false, true, false);
    if (!btnEvent.Enabled()) chkEULARead.SetFocus();
}

void TfrmMain::LeaveAgreementPage() {
    txtReadme.SetColor(clWindow);
    if (chkEULARead.Visible()) {
        txtReadme.SetHeight(txtReadme.Height() + Scaled(24));
        chkEULARead.Hide();
    }
}

bool TfrmMain::ShowReadmePage() {
    const std::string& script = g_state.ScriptPath;
    const std::string& S = g_state.SetupWord;
    std::string file = ScriptFileBesideProgram(ReadIniValue("Readme", "File", "", script));
    if (file.empty() || !FileExists(file) || !txtReadme.LoadFromFile(file)) return false;
    fraReadme.SetCaption(ReadIniValue("Readme", "Title", "", script));
    btnEvent.SetCaption(S + "続行(&C)");
    btnEnd.SetCaption(S + "終了(&E)");
    btnEvent.SetEnabled(true);
    btnEnd.SetEnabled(true);
    btnEvent.SetFocus();
    ApplyScrollBars(ReadIniValue("Readme", "ScrollBars", "ssVertical", script));
    ShowPage(false, true, false);
    return true;
}

bool TfrmMain::RunInstallChecker() {
    if (!HasInstallChecker()) return true;
    SetEnabled(false);
    CheckerVerdict verdict = RunInstallCheckerProgram();
    SetEnabled(true);
    if (Application::Current()) Application::Current()->BringToFront();
    if (verdict.allowed) return true;
    ShowMessageBox(verdict.message, "警告", MB_OK | MB_ICONEXCLAMATION);
    btnEnd.SetFocus();
    btnEvent.SetEnabled(false);
    return false;
}

void TfrmMain::btnEndClick() { SetModalResult(mrOk); }

void TfrmMain::btnReferClick() {
    if (dlgFolder.Execute()) txtFolder.SetCaption(AddDelimiter(dlgFolder.Directory(), "B"));
}

void TfrmMain::txtFolderChange() {
    std::string drive = DrivePart(txtFolder.Caption());
    if (drive.empty() || !FolderExists(drive)) {
        grpSetupFolder.SetCaption("インストールフォルダ(空き容量：不明)");
        return;
    }
    long long bytes = -1;
    if (DiskFreeBytesEx(drive, bytes) || DiskFreeBytesClassic(drive, bytes))
        grpSetupFolder.SetCaption("インストールフォルダ(空き容量：" + FormatThousands(bytes) + "Byte)");
    else
        grpSetupFolder.SetCaption("インストールフォルダ(空き容量：関数失敗<致命的エラー>");
}

void TfrmMain::chkEULAReadClick() { btnEvent.SetEnabled(chkEULARead.Checked()); }
