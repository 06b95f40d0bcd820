#include "ui/application.h"

#include <commctrl.h>

#include "edge/wide.h"
#include "sys/system_library.h"
#include "ui/form.h"

namespace {

Application* g_current = nullptr;
// The quit state is the thread's, not an object's: any loop may see WM_QUIT.
bool g_terminated = false;
int g_exitCode = 0;

void RememberQuit(WPARAM exitCode) {
    g_terminated = true;
    g_exitCode = static_cast<int>(exitCode);
}

// Enter and Escape go to the form before the dialog manager sees them, so that a form without
// a cancel button really ignores Escape.
bool HandleDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
        return false;
    if (!msg.hwnd) return false;
    Form* form = Form::FromHandle(GetAncestor(msg.hwnd, GA_ROOT));
    return form && form->DialogKey(msg.wParam);
}

BOOL CALLBACK LoadFirstIcon(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR icon) {
    *reinterpret_cast<HICON*>(icon) = LoadIconW(module, name);
    return FALSE;  // the first one only
}

void ProcessMessage(MSG& msg) {
    if (HandleDialogKey(msg)) return;
    // Tab, arrow keys and mnemonics between the controls of our forms.
    if (msg.hwnd) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (root && Form::FromHandle(root) && IsDialogMessageW(root, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

Application::Application() : previous_(g_current) {
    g_current = this;
    g_terminated = false;
    g_exitCode = 0;
    InitCommonControlClasses(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
}

Application::~Application() {
    // Forms go in reverse order of creation: later forms are owned by the main form.
    while (!forms_.empty()) forms_.pop_back();
    if (g_current == this) g_current = previous_;
}

Application* Application::Current() { return g_current; }

HICON Application::Icon() {
    HICON icon = nullptr;
    // RT_GROUP_ICON is a resource number in a pointer, which suits the W call as well.
    EnumResourceNamesW(GetModuleHandleW(nullptr), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON),
                       LoadFirstIcon, reinterpret_cast<LONG_PTR>(&icon));
    return icon;
}

void Application::Run() {
    if (mainForm_) mainForm_->Show();
    while (!g_terminated) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            RememberQuit(msg.wParam);
            break;
        }
        if (got == -1) break;
        ProcessMessage(msg);
    }
}

void Application::Terminate() { PostQuitMessage(0); }

bool Application::Terminated() { return g_terminated; }

int Application::ExitCode() { return g_exitCode; }

void Application::BringToFront() {
    HWND target = GetActiveWindow();
    if (!target && mainForm_) target = mainForm_->Handle();
    if (target) SetForegroundWindow(target);
}

void Application::HandleException(const std::exception& error) {
    if (OnException) {
        OnException(error);
        return;
    }
    MessageBoxW(GetActiveWindow(), Wide(error.what()).c_str(), Wide(title_).c_str(), MB_OK | MB_ICONERROR);
}

void ReportException(const std::exception& error) noexcept {
    try {
        if (Application* app = Application::Current()) {
            app->HandleException(error);
            return;
        }
        MessageBoxW(GetActiveWindow(), Wide(error.what()).c_str(), L"", MB_OK | MB_ICONERROR);
    } catch (...) {
        // The error box itself failed; nothing sensible is left to do.
    }
}

bool ProcessOneMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT)
        RememberQuit(msg.wParam);
    else
        ProcessMessage(msg);
    return true;
}

void ProcessMessages() {
    while (ProcessOneMessage()) {
    }
}
