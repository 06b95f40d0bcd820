#pragma once
// The request to restart Windows, with the privilege that Windows NT requires for it.
#include <windows.h>

#include <functional>
#include <string>

// The call that asks Windows to shut down; tests install their own so that nothing restarts.
using ExitWindowsCall = std::function<BOOL(UINT flags, DWORD reason)>;
// An empty call restores the system's ExitWindowsEx.
void SetExitWindowsCall(ExitWindowsCall call);

class TWinReboot {
public:
    // Asks Windows to end the session with the flags (EWX_REBOOT to restart), without forcing
    // programs to close; true when Windows accepted the request. No message on refusal.
    bool RestartWindows(UINT flags);
    // Enables or disables one privilege of the process's token; true when the token was adjusted.
    bool SetShutdownPrivilege(const std::string& name, bool enable);
};
