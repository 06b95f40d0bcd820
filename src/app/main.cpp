// Program entry: one instance, the four windows, the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/forms.h"
#include "app/frm_main.h"
#include "app/startup_rules.h"
#include "ui/application.h"
#include "ui/frm_back.h"
#include "ui/frm_custom_dlg.h"
#include "ui/frm_status.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A second instance, in either mode, leaves silently while the first one runs.
    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "ORVSETUP");
    if (running) {
        CloseHandle(running);
        PostQuitMessage(0);
        return 0;
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "ORVSETUP");
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    {
        Application application;
        application.SetTitle("Orvant Setup Nova");
        frmBack = &application.CreateForm<TfrmBack>();
        frmMain = &application.CreateForm<TfrmMain>();
        frmStatus = &application.CreateForm<TfrmStatus>();
        frmCustomDlg = &application.CreateForm<TfrmCustomDlg>();
        frmMain->SetCommandLineParameter(FirstParameter(GetCommandLineA()));
        frmBack->SetWizard(frmMain);
        application.Run();
        frmBack = nullptr;
        frmMain = nullptr;
        frmStatus = nullptr;
        frmCustomDlg = nullptr;
    }
    CoUninitialize();
    if (mutex) CloseHandle(mutex);
    return 0;
}
