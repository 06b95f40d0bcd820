#pragma once
// One window of the program under test, seen from outside: found by class, caption, control id or
// position, read and operated the way a user would (only what is visible and enabled can be used).
#include <windows.h>

#include <string>
#include <vector>

#include "driver/common.h"

namespace e2e {

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd);

    HWND Handle() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    // The window still exists (it has not been destroyed).
    bool Exists() const;

    // Reading. Texts come through WM_GETTEXT, so edit fields of another process read correctly.
    std::string Text() const;
    std::string ClassName() const { return className_; }
    int Id() const;
    bool Enabled() const;
    // Visible on screen: the window and all its parents are shown.
    bool Visible() const;
    // Check box or radio button: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int CheckState() const;
    bool Checked() const { return CheckState() == BST_CHECKED; }
    // Progress bar position.
    int ProgressPos() const;
    // The control has the keyboard focus of its program's user-interface thread.
    bool Focused() const;
    RECT ScreenRect() const;
    // The top-level window that holds this control (itself for a top-level window).
    Window TopLevel() const;
    // Class, caption and id, for failure messages.
    std::string Describe() const;

    // Controls, searched recursively in creation order; hidden controls are included.
    std::vector<Window> Controls(const std::string& className = {}) const;
    // Immediate look-ups: an empty Window when there is no such control. An empty class or caption
    // matches any; captions compare exactly (with their "&" accelerator marks).
    Window FindControl(const std::string& className, const std::string& caption = {}) const;
    Window FindControlById(int id) const;
    // The index-th control (from 0) of that class.
    Window FindControlByIndex(const std::string& className, int index) const;
    // The same, waiting for the control to exist; a failure when it does not.
    Window Control(const std::string& className, const std::string& caption = {}, DWORD timeoutMs = kWait,
                   Where where = Where::current()) const;
    Window ControlById(int id, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    Window ControlByIndex(const std::string& className, int index, DWORD timeoutMs = kWait,
                          Where where = Where::current()) const;

    // Acting. Each action first waits until the control can be used (visible, enabled, and its
    // window enabled, i.e. no modal box in front of it) and fails otherwise.
    // Click a button, check box or radio button (posted BM_CLICK: the driver never blocks on a
    // handler that opens a modal box).
    bool Click(DWORD timeoutMs = kWait, Where where = Where::current()) const;
    // Click a check box until it has the wanted state.
    bool SetChecked(bool checked, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    // Replace the text of an edit field (WM_SETTEXT, so the program gets EN_CHANGE). Returns after
    // the program's change handler has run.
    bool Type(const std::string& text, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    // Press and release a key (virtual-key code) on the control that has the keyboard focus in
    // this window's thread, as a keyboard would send it.
    bool PressKey(int virtualKey, Where where = Where::current()) const;
    // Alt+F4 on this window, as the keyboard sends it.
    bool PressAltF4(Where where = Where::current()) const;
    // The title bar's close command (WM_SYSCOMMAND SC_CLOSE), as the close box or system menu
    // sends it. Note: the window manager does not check a greyed Close item for this message.
    bool SystemClose(Where where = Where::current()) const;
    // WM_CLOSE, as the task manager's "End task" and taskkill send it; it reaches a window also
    // while a modal window of its program disables it.
    bool PostClose(Where where = Where::current()) const;

    // Waiting; on time-out a failure that says what was seen last.
    bool WaitText(const std::string& text, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    bool WaitEnabled(bool enabled = true, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    bool WaitVisible(bool visible = true, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    bool WaitChecked(bool checked = true, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    bool WaitProgress(int position, DWORD timeoutMs = kWait, Where where = Where::current()) const;
    // Until the window is destroyed.
    bool WaitGone(DWORD timeoutMs = kWait, Where where = Where::current()) const;

private:
    bool Usable() const;
    std::string UsabilityReport() const;
    bool RequireUsable(const char* action, DWORD timeoutMs, const Where& where) const;
    Window WaitFor(const std::function<Window()>& find, const std::string& what, DWORD timeoutMs,
                   const Where& where) const;

    HWND hwnd_ = nullptr;
    std::string className_;
};

// Text of a window through WM_GETTEXT with a time-out; the window's stored caption when the
// program does not answer.
std::string WindowText(HWND hwnd);

}  // namespace e2e
