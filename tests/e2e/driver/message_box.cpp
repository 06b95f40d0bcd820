#include "driver/message_box.h"

namespace e2e {

std::string MsgBox::Text() const {
    Window text = dialog_.FindControlById(kTextId);
    return text ? text.Text() : std::string();
}

std::vector<BoxButton> MsgBox::Buttons() const {
    std::vector<BoxButton> buttons;
    for (const Window& button : dialog_.Controls("Button"))
        if (button.Visible()) buttons.push_back({button.Id(), button.Text()});
    return buttons;
}

std::vector<int> MsgBox::ButtonIds() const {
    std::vector<int> ids;
    for (const BoxButton& button : Buttons()) ids.push_back(button.id);
    return ids;
}

std::string MsgBox::Describe() const {
    if (!dialog_.Exists()) return "message box (closed)";
    std::string text = "message box titled " + Quoted(Title()) + " saying " + Quoted(Text()) + " with buttons";
    for (const BoxButton& button : Buttons()) {
        text += " ";
        text += std::to_string(button.id) + "=" + Quoted(button.caption);
    }
    return text;
}

bool MsgBox::Answer(int buttonId, DWORD timeoutMs, Where where) const {
    if (!dialog_) {
        Fail("Answer: no message box (waiting for it failed)", where);
        return false;
    }
    Window button;
    for (const Window& candidate : dialog_.Controls("Button"))
        if (candidate.Id() == buttonId && candidate.Visible()) button = candidate;
    if (!button) {
        Fail("Answer: no button " + std::to_string(buttonId) + " in the " + Describe(), where);
        return false;
    }
    if (!button.Click(timeoutMs, where)) return false;
    return dialog_.WaitGone(timeoutMs, where);
}

}  // namespace e2e
