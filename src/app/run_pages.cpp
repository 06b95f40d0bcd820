// The wizard pages that both runs show at their end: the failure details, the "次へ(&N)" wait of
// the progress window and the completion page with its choice.
#include "app/forms.h"
#include "app/frm_main.h"
#include "core/state.h"
#include "ui/application.h"
#include "ui/frm_status.h"

void TfrmMain::ShowFailureDetails(const std::string& detail, const std::string& frameCaption) {
    txtReadme.SetCaption("");
    txtReadme.SetCaption(detail);
    txtReadme.SetScrollBars(ssVertical);
    btnEvent.SetCaption("続行(&C)");
    btnEvent.SetEnabled(true);
    fraReadme.SetCaption(frameCaption);
    ShowPage(false, true, false);
    Show();
    frmStatus->Hide();
    ::ProcessMessages();
    WaitForEventClick();
    ShowPage(false, false, false);
    Hide();
    ::ProcessMessages();
    Pause(500);
    frmStatus->Show();
}

void TfrmMain::FinishStatus(const std::string& completionLines) {
    g_state.StatusText += completionLines;
    ShowStatus(g_state.StatusText);
    MessageBeep(0);
    frmStatus->WaitForNext();
}

void TfrmMain::ShowCompletionPage(const std::string& message, const std::string& option1,
                                  const std::string& option2, const std::string& finishCaption) {
    lblSelectTypeMsg.SetCaption(message);
    optSelectType1.SetCaption(option1);
    optSelectType2.SetCaption(option2);
    optSelectType2.SetEnabled(!option2.empty());
    optSelectType2.SetVisible(!option2.empty());
    btnEvent.SetCaption(finishCaption);
    btnEvent.SetEnabled(true);
    ShowPage(false, false, false);
    fraSelectType.Show();
    Show();
    frmStatus->Hide();
    ::ProcessMessages();
    WaitForEventClick();
    // Hidden again, so that closing tells the shell about the run's changes.
    Hide();
    frmStatus->Hide();
    ::ProcessMessages();
}
