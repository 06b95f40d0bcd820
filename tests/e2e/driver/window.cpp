#include "driver/window.h"

#include <commctrl.h>

#include "edge/wide.h"

namespace e2e {

namespace {

std::string ClassOf(HWND hwnd) {
    // Class names are at most 256 characters; the call truncates safely.
    wchar_t name[257] = {};
    GetClassNameW(hwnd, name, 257);
    return Narrow(name);
}

std::string StoredCaption(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return Narrow(text);
}

bool SendWithTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                     DWORD_PTR& result) {
    return SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

}  // namespace

std::string WindowText(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return {};
    // Only an edit field keeps its text apart from the window's caption; every other window's text
    // is read without sending the program a message (which waits while it sleeps in a loop).
    if (_stricmp(ClassOf(hwnd).c_str(), "Edit") != 0) return StoredCaption(hwnd);
    // The text may grow between asking its length and reading it: retry with the larger size.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD_PTR length = 0;
        if (!SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, kMessageTimeout, length)) break;
        std::wstring text(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendWithTimeout(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             kMessageTimeout, copied))
            break;
        if (copied + 1 < text.size() || attempt == 2) {
            text.resize(copied < length ? copied : length);
            return Narrow(text);
        }
    }
    return StoredCaption(hwnd);
}

Window::Window(HWND hwnd) : hwnd_(hwnd) {
    if (hwnd_) className_ = ClassOf(hwnd_);
}

bool Window::Exists() const { return hwnd_ && IsWindow(hwnd_); }

std::string Window::Text() const { return WindowText(hwnd_); }

int Window::Id() const { return Exists() ? GetDlgCtrlID(hwnd_) : 0; }

bool Window::Enabled() const { return Exists() && IsWindowEnabled(hwnd_); }

bool Window::Visible() const { return Exists() && IsWindowVisible(hwnd_); }

int Window::CheckState() const {
    DWORD_PTR state = BST_UNCHECKED;
    if (!Exists() || !SendWithTimeout(hwnd_, BM_GETCHECK, 0, 0, kMessageTimeout, state)) return BST_UNCHECKED;
    return static_cast<int>(state);
}

int Window::ProgressPos() const {
    DWORD_PTR position = 0;
    if (!Exists() || !SendWithTimeout(hwnd_, PBM_GETPOS, 0, 0, kMessageTimeout, position)) return -1;
    return static_cast<int>(position);
}

bool Window::Focused() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return Exists() && GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info) && info.hwndFocus == hwnd_;
}

RECT Window::ScreenRect() const {
    RECT rect{};
    if (Exists()) GetWindowRect(hwnd_, &rect);
    return rect;
}

Window Window::TopLevel() const {
    if (!Exists()) return {};
    return Window(GetAncestor(hwnd_, GA_ROOT));
}

std::string Window::Describe() const {
    if (!hwnd_) return "(no window)";
    std::string text = (className_.empty() ? std::string("window") : className_);
    if (!Exists()) return text + " (destroyed)";
    text += " ";
    text += Quoted(Text());
    if (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) {
        text += " id ";
        text += std::to_string(Id());
        Window top = TopLevel();
        if (top.hwnd_ != hwnd_) {
            text += " in ";
            text += top.ClassName();
            text += " ";
            text += Quoted(top.Text());
        }
    }
    return text;
}

std::vector<Window> Window::Controls(const std::string& className) const {
    std::vector<HWND> handles;
    if (Exists()) EnumChildWindows(hwnd_, CollectChild, reinterpret_cast<LPARAM>(&handles));
    std::vector<Window> controls;
    for (HWND handle : handles) {
        Window control(handle);
        if (className.empty() || _stricmp(control.className_.c_str(), className.c_str()) == 0)
            controls.push_back(control);
    }
    return controls;
}

Window Window::FindControl(const std::string& className, const std::string& caption) const {
    for (const Window& control : Controls(className))
        if (caption.empty() || control.Text() == caption) return control;
    return {};
}

Window Window::FindControlById(int id) const {
    for (const Window& control : Controls())
        if (control.Id() == id) return control;
    return {};
}

Window Window::FindControlByIndex(const std::string& className, int index) const {
    std::vector<Window> controls = Controls(className);
    if (index < 0 || static_cast<size_t>(index) >= controls.size()) return {};
    return controls[static_cast<size_t>(index)];
}

Window Window::WaitFor(const std::function<Window()>& find, const std::string& what, DWORD timeoutMs,
                       const Where& where) const {
    Window found;
    if (PollUntil([&] { return static_cast<bool>(found = find()); }, timeoutMs)) return found;
    std::string seen;
    for (const Window& control : Controls()) {
        seen += "\n  " + control.ClassName() + " id " + std::to_string(control.Id()) + " " +
                Quoted(control.Text()) + (control.Visible() ? "" : " (hidden)");
    }
    Fail("no control " + what + " in " + Describe() + " within " + std::to_string(timeoutMs) +
             " ms; its controls:" + (seen.empty() ? std::string(" none") : seen),
         where);
    return {};
}

Window Window::Control(const std::string& className, const std::string& caption, DWORD timeoutMs,
                       Where where) const {
    return WaitFor([&] { return FindControl(className, caption); },
                   (className.empty() ? std::string("of any class") : className) +
                       CaptionPart(caption),
                   timeoutMs, where);
}

Window Window::ControlById(int id, DWORD timeoutMs, Where where) const {
    return WaitFor([&] { return FindControlById(id); }, "with id " + std::to_string(id), timeoutMs, where);
}

Window Window::ControlByIndex(const std::string& className, int index, DWORD timeoutMs, Where where) const {
    return WaitFor([&] { return FindControlByIndex(className, index); },
                   className + " number " + std::to_string(index), timeoutMs, where);
}

bool Window::Usable() const {
    if (!Exists() || !IsWindowVisible(hwnd_)) return false;
    // A user cannot use a control of a disabled window (a modal box stands in front of it).
    for (HWND h = hwnd_; h; h = (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
        if (!IsWindowEnabled(h)) return false;
    return true;
}

std::string Window::UsabilityReport() const {
    if (!Exists()) return "it no longer exists";
    Window top = TopLevel();
    return "visible " + YesNo(Visible()) + ", enabled " + YesNo(Enabled()) + ", its window enabled " +
           YesNo(top.Enabled());
}

bool Window::RequireUsable(const char* action, DWORD timeoutMs, const Where& where) const {
    if (!hwnd_) {
        Fail(std::string(action) + ": no window (an earlier look-up failed)", where);
        return false;
    }
    if (PollUntil([&] { return Usable(); }, timeoutMs)) return true;
    Fail(std::string(action) + ": " + Describe() + " cannot be used within " + std::to_string(timeoutMs) +
             " ms (" + UsabilityReport() + ")",
         where);
    return false;
}

bool Window::Click(DWORD timeoutMs, Where where) const {
    if (!RequireUsable("Click", timeoutMs, where)) return false;
    if (PostMessageW(hwnd_, BM_CLICK, 0, 0)) return true;
    Fail("Click: BM_CLICK could not be posted to " + Describe(), where);
    return false;
}

bool Window::SetChecked(bool checked, DWORD timeoutMs, Where where) const {
    if (!RequireUsable("SetChecked", timeoutMs, where)) return false;
    if (Checked() == checked) return true;
    if (!Click(timeoutMs, where)) return false;
    return WaitChecked(checked, timeoutMs, where);
}

bool Window::Type(const std::string& text, DWORD timeoutMs, Where where) const {
    if (!RequireUsable("Type", timeoutMs, where)) return false;
    if (_stricmp(className_.c_str(), "Edit") == 0 && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & ES_READONLY)) {
        Fail("Type: " + Describe() + " is read-only", where);
        return false;
    }
    DWORD_PTR result = 0;
    std::wstring wide = Wide(text);
    if (!SendMessageTimeoutW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL,
                             timeoutMs, &result)) {
        Fail("Type: " + Describe() + " did not take the text " + Quoted(text) + " within " +
                 std::to_string(timeoutMs) + " ms",
             where);
        return false;
    }
    std::string shown = Text();
    if (shown == text) return true;
    Fail("Type: typed " + Quoted(text) + " into " + Describe() + ", but it shows " + Quoted(shown), where);
    return false;
}

bool Window::PressKey(int virtualKey, Where where) const {
    if (!Exists()) {
        Fail("PressKey: " + Describe() + " does not exist", where);
        return false;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = hwnd_;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1LL << 30) | (1LL << 31);
    Window receiver(target);
    if (!PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), down)) {
        Fail("PressKey: the key could not be posted to " + receiver.Describe(), where);
        return false;
    }
    // The key may already have closed the window; then there is nobody left to release it to.
    PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), up);
    return true;
}

bool Window::PressAltF4(Where where) const {
    HWND top = Exists() ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
    if (!top) {
        Fail("PressAltF4: " + Describe() + " does not exist", where);
        return false;
    }
    UINT scan = MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC);
    // Bit 29: the Alt key is down.
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (1LL << 29);
    LPARAM up = down | (1LL << 30) | (1LL << 31);
    if (!PostMessageW(top, WM_SYSKEYDOWN, VK_F4, down)) {
        Fail("PressAltF4: the key could not be posted to " + Describe(), where);
        return false;
    }
    PostMessageW(top, WM_SYSKEYUP, VK_F4, up);  // the window may be gone already
    return true;
}

bool Window::SystemClose(Where where) const {
    if (Exists() && PostMessageW(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0)) return true;
    Fail("SystemClose: " + Describe() + " does not exist", where);
    return false;
}

bool Window::PostClose(Where where) const {
    if (Exists() && PostMessageW(hwnd_, WM_CLOSE, 0, 0)) return true;
    Fail("PostClose: " + Describe() + " does not exist", where);
    return false;
}

bool Window::WaitText(const std::string& text, DWORD timeoutMs, Where where) const {
    std::string seen;
    return WaitUntil([&] { return (seen = Text()) == text; }, [&] { return Describe() + " to show the text " + Quoted(text); },
                     [&] { return Quoted(seen) + (Exists() ? "" : " (window destroyed)"); }, timeoutMs, where);
}

bool Window::WaitEnabled(bool enabled, DWORD timeoutMs, Where where) const {
    return WaitUntil([&] { return Exists() && Enabled() == enabled; }, [&] { return Describe() + (enabled ? " to become enabled" : " to become disabled"); },
                     [&] { return Exists() ? "enabled " + YesNo(Enabled()) : "window destroyed"; }, timeoutMs,
                     where);
}

bool Window::WaitVisible(bool visible, DWORD timeoutMs, Where where) const {
    return WaitUntil([&] { return Exists() && Visible() == visible; }, [&] { return Describe() + (visible ? " to become visible" : " to become hidden"); },
                     [&] { return Exists() ? "visible " + YesNo(Visible()) : "window destroyed"; }, timeoutMs,
                     where);
}

bool Window::WaitChecked(bool checked, DWORD timeoutMs, Where where) const {
    return WaitUntil([&] { return Exists() && Checked() == checked; }, [&] { return Describe() + (checked ? " to become checked" : " to become unchecked"); },
                     [&] { return "check state " + std::to_string(CheckState()); }, timeoutMs, where);
}

bool Window::WaitProgress(int position, DWORD timeoutMs, Where where) const {
    int seen = -1;
    return WaitUntil([&] { return (seen = ProgressPos()) == position; }, [&] { return Describe() + " to reach position " + std::to_string(position); },
                     [&] { return "position " + std::to_string(seen); }, timeoutMs, where);
}

bool Window::WaitGone(DWORD timeoutMs, Where where) const {
    return WaitUntil([&] { return !Exists(); }, [&] { return Describe() + " to close"; },
                     [&] { return Exists() ? "still there, visible " + YesNo(Visible()) : "gone"; }, timeoutMs,
                     where);
}

}  // namespace e2e
