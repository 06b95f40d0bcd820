#include "support/wizard_harness.h"

#include <windows.h>

#include "app/forms.h"
#include "app/frm_back.h"
#include "app/frm_custom_dlg.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "core/state.h"
#include "script/ini.h"
#include "support/test_env.h"

WizardHarness::WizardHarness() {
    ResetProgramState();
    dist_ = ScratchFolder("wizard-dist");
    application_ = std::make_unique<Application>();
    application_->SetTitle("Orvant Setup Nova");
    frmBack = &application_->CreateForm<TfrmBack>();
    frmMain = &application_->CreateForm<TfrmMain>();
    frmStatus = &application_->CreateForm<TfrmStatus>();
    frmCustomDlg = &application_->CreateForm<TfrmCustomDlg>();
    frmMain->SetProgramFile(dist_ + "SETUP.EXE");
}

WizardHarness::~WizardHarness() {
    if (frmMain) frmMain->Hide();
    Pump(20);
    application_.reset();
    frmBack = nullptr;
    frmMain = nullptr;
    frmStatus = nullptr;
    frmCustomDlg = nullptr;
    ResetProgramState();
}

void WizardHarness::WriteScript(const std::string& text) {
    WriteTextFile(dist_ + "SETUP.INI", Cp932Bytes(text));
    FlushIniCache(dist_ + "SETUP.INI");
}

void WizardHarness::Pump(int milliseconds) {
    DWORD start = GetTickCount();
    do {
        ProcessMessages();
        Sleep(5);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

bool WizardHarness::Start(const std::string& parameter) {
    frmMain->SetCommandLineParameter(parameter);
    frmMain->Show();
    DWORD start = GetTickCount();
    while (frmMain->btnEvent.Caption().empty() && GetTickCount() - start < 5000) Pump(10);
    return !frmMain->btnEvent.Caption().empty();
}
