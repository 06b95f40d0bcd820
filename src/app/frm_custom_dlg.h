#pragma once
// TfrmCustomDlg: the four-button question before a shared file that no program uses any more is
// deleted. The answer goes as a word into the wizard's hidden label lblFormShare: "Yes", "No",
// or the lasting "Delete" and "Save".
#include "ui/controls.h"
#include "ui/form.h"

class TfrmCustomDlg : public Form {
public:
    TfrmCustomDlg();

    Label lblMessage;
    Button btnYes;
    Button btnNo;
    Button btnDelete;
    Button btnSave;

private:
    void Answer(const char* word);
};
