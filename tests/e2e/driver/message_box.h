#pragma once
// A message box of the program under test: a top-level "#32770" window whose text is the static
// control 65535 and whose buttons carry the ids IDOK, IDCANCEL, IDYES, IDNO...
#include <string>
#include <vector>

#include "driver/window.h"

namespace e2e {

struct BoxButton {
    int id;
    std::string caption;
};

class MsgBox {
public:
    // The static control that holds a message box's text.
    static constexpr int kTextId = 65535;

    MsgBox() = default;
    explicit MsgBox(Window dialog) : dialog_(dialog) {}
    explicit operator bool() const { return static_cast<bool>(dialog_); }

    Window Dialog() const { return dialog_; }
    std::string Title() const { return dialog_.Text(); }
    std::string Text() const;
    // The visible buttons in creation order, with their captions ("はい(&Y)", "いいえ(&N)"...).
    std::vector<BoxButton> Buttons() const;
    std::vector<int> ButtonIds() const;
    // Presses the button with that id and waits until the box has closed.
    bool Answer(int buttonId, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    // Title, text and buttons on one line, for failure messages.
    std::string Describe() const;

private:
    Window dialog_;
};

}  // namespace e2e
