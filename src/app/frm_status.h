#pragma once
// TfrmStatus: the progress window that stands in place of the wizard while a run works. Its one
// button first offers to abort ("中断(&A)") and at the end releases the run's last wait ("次へ(&N)").
#include "ui/controls.h"
#include "ui/form.h"

class TfrmStatus : public Form {
public:
    TfrmStatus();

    GroupBox grpMessage;
    Label lblMessage;
    GroupBox fraStatus;
    Label lblStatus;
    ProgressBar prgStatus;
    Button btnAbort;

    // The run's "次へ(&N)" wait: caption, enable, focus, then 100 ms sleeps and message pumps
    // until the button's click disables it again (or the program is ending).
    void WaitForNext();

protected:
    void FormCreate() override;

private:
    void btnAbortClick();
};
