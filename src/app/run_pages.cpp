// The wizard pages that both runs show at their end: the failure details, the "次へ(&N)" wait of
// the progress window and the completion page with its choice.
#include "app/forms.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "core/state.h"
#include "base/text.h"
#include "base/utf.h"
#include "ui/application.h"

namespace {

// The details memo wraps its lines, at a cost that grows with the square of a line's length: a
// path of a megabyte from a broken script or log would freeze the program for many minutes. A
// line longer than any real path is shown cut, the cut marked by an ellipsis.
constexpr size_t kLongestShownLine = 1024;

// Lines are cut at the width that code page 932 bytes once measured: a wide character counts two.
std::string WithLongLinesCut(const std::string& text) {
    std::string shown;
    size_t width = 0;
    bool cut = false;
    size_t at = 0;
    while (at < text.size()) {
        char c = text[at];
        if (c == '\r' || c == '\n') {
            shown += c;
            ++at;
            width = 0;
            cut = false;
            continue;
        }
        size_t start = at;
        NextCodePoint(text, at);
        if (cut) continue;
        std::string character = text.substr(start, at - start);
        size_t characterWidth = DisplayWidth(character);
        if (width + characterWidth > kLongestShownLine) {
            shown += "…";
            cut = true;
            continue;
        }
        shown += character;
        width += characterWidth;
    }
    return shown;
}

}  // namespace

void TfrmMain::ShowFailureDetails(const std::string& detail, const std::string& frameCaption) {
    txtReadme.SetCaption("");
    txtReadme.SetCaption(WithLongLinesCut(detail));
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
