#include "sys/win_reboot.h"

#include "edge/wide.h"
#include "edge/handles.h"

namespace {

ExitWindowsCall g_exitWindows;

}  // namespace

void SetExitWindowsCall(ExitWindowsCall call) { g_exitWindows = std::move(call); }

bool TWinReboot::SetShutdownPrivilege(const std::string& name, bool enable) {
    Handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Out())) {
        token.Detach();
        return false;
    }
    TOKEN_PRIVILEGES privileges = {};
    if (!LookupPrivilegeValueW(nullptr, Wide(name).c_str(), &privileges.Privileges[0].Luid)) return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    TOKEN_PRIVILEGES previous = {};
    DWORD previousLength = 0;
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(previous), &previous, &previousLength))
        return false;
    // The call also "succeeds" when the token does not hold the privilege at all.
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

bool TWinReboot::RestartWindows(UINT flags) {
    SetShutdownPrivilege("SeShutdownPrivilege", true);
    BOOL accepted = g_exitWindows ? g_exitWindows(flags, 0) : ExitWindowsEx(flags, 0);
    SetShutdownPrivilege("SeShutdownPrivilege", false);
    return accepted != FALSE;
}
