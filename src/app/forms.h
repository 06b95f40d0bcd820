#pragma once
// The program's four windows, created once by the program entry in this order. The runs, the
// close logic and the progress window reach each other through these.
class TfrmBack;
class TfrmMain;
class TfrmStatus;
class TfrmCustomDlg;

extern TfrmBack* frmBack;
extern TfrmMain* frmMain;
extern TfrmStatus* frmStatus;
extern TfrmCustomDlg* frmCustomDlg;
