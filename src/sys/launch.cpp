#include "sys/launch.h"

#include <shellapi.h>

#include "edge/wide.h"
#include "edge/fileops.h"
#include "sys/error_text.h"
#include "edge/handles.h"

namespace {

// One turn of the message queue: everything that is waiting. False when the program was asked to
// quit; the request is then left for the caller to pass on to the main loop.
bool PumpMessages(int& quitCode) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

void ShowLaunchFailed(const std::string& path, const std::string& arguments, DWORD code) {
    ShowMessageBox(LaunchFailedText(path, arguments, code), "警告", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

bool WaitWhilePumping(HANDLE process, unsigned long timeLimit) {
    // Sleeps until the program ends or a message arrives, so the wait costs no processor time.
    DWORD start = GetTickCount();
    auto left = [&]() -> DWORD {
        if (timeLimit == 0) return INFINITE;
        DWORD spent = GetTickCount() - start;
        return spent >= timeLimit ? 0 : timeLimit - spent;
    };
    int quitCode = 0;
    bool quitting = false;
    bool ended = true;
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        if (timeLimit != 0 && left() == 0) {
            ended = false;
            break;
        }
        if (!quitting && !PumpMessages(quitCode)) quitting = true;
        if (quitting)
            WaitForSingleObject(process, left());
        else
            MsgWaitForMultipleObjects(1, &process, FALSE, left(), QS_ALLINPUT);
    }
    if (quitting) PostQuitMessage(quitCode);
    return ended;
}

std::string LaunchFailedText(const std::string& path, const std::string& arguments, DWORD code) {
    return "プログラム実行失敗\r\n" + path + " " + arguments + "\r\n\r\n" + SystemErrorText(code);
}

DWORD RunProgram(const std::string& path, const std::string& arguments, int showCommand, bool wait,
                 unsigned long timeLimit) {
    STARTUPINFOW startup = {};
    GetStartupInfoW(&startup);
    startup.cb = sizeof(startup);
    startup.wShowWindow = static_cast<WORD>(showCommand);
    // The installer's own reserved data and standard handles mean nothing to the new program
    // (handles are not inherited).
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);

    // The system may write into the command line, so it goes in a buffer of its own.
    std::wstring commandLine = Wide(arguments);
    PROCESS_INFORMATION process = {};
    DWORD result = 0;
    if (!CreateProcessW(Wide(path).c_str(), arguments.empty() ? nullptr : commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
        result = GetLastError();
        if (result == 0) result = ERROR_GEN_FAILURE;
    } else {
        Handle processHandle(process.hProcess);
        Handle threadHandle(process.hThread);
        if (wait && !WaitWhilePumping(process.hProcess, timeLimit)) {
            TerminateProcess(process.hProcess, ERROR_TIMEOUT);
            WaitForSingleObject(process.hProcess, INFINITE);
            return ERROR_TIMEOUT;
        }
    }
    if (result != 0) ShowLaunchFailed(path, arguments, result);
    return result;
}

DWORD OpenProgram(const std::string& path, const std::string& arguments) {
    std::wstring parameters = Wide(arguments);
    HINSTANCE instance = ShellExecuteW(GetDesktopWindow(), L"open", Wide(path).c_str(),
                                       arguments.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
    INT_PTR value = reinterpret_cast<INT_PTR>(instance);
    if (value <= 32) ShowLaunchFailed(path, arguments, static_cast<DWORD>(value));
    return 0;
}
