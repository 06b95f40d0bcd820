// Shared counts and COM self-registration (Windows).
#include "sys/shared_dll.h"

#include <windows.h>

#include "core/state.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "sys/error_text.h"
#include "sys/registry.h"
#include "sys/server_host.h"

const char* const kSharedDllsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

namespace {

// The counts key with full access, created when missing; read-only when the user may not write
// there, so that counts can still be read.
RegistryKey OpenCountsKey() {
    RegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kSharedDllsKey) != ERROR_SUCCESS)
        key.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_READ);
    return key;
}

void ReportCountNotStored(const std::string& path, LONG error) {
    ShowMessageBox(path + "の共有カウントを更新できませんでした。\r\n\r\n" + SystemErrorText(static_cast<DWORD>(error)),
                   "共有DLLカウントエラー", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

long long GetSharedCount(const std::string& path) {
    RegistryKey key = OpenCountsKey();
    DWORD count = 0;
    if (!key.QueryDword(path, count)) return 0;
    return count;
}

long long SharedCountReader::Get(const std::string& path) {
    if (!key_.IsOpen()) key_.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_READ);
    DWORD count = 0;
    return key_.IsOpen() && key_.QueryDword(path, count) ? count : 0;
}

long long ChangeSharedCount(const std::string& path, bool raise) {
    const long long kLargestCount = 0xFFFFFFFFLL;
    long long count = GetSharedCount(path);
    RegistryKey key = OpenCountsKey();
    LONG result;
    if (raise) {
        if (count == 0 && FileExists(path)) count = 1;
        if (count < kLargestCount) ++count;
        result = key.SetDword(path, static_cast<DWORD>(count));
    } else {
        --count;
        result = count > 0 ? key.SetDword(path, static_cast<DWORD>(count)) : key.DeleteValue(path);
        if (count <= 0 && result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;  // nothing to delete
    }
    if (!key.IsOpen()) result = ERROR_ACCESS_DENIED;
    if (result != ERROR_SUCCESS) ReportCountNotStored(path, result);
    return count;
}

bool RegisterServer(const std::string& path, bool registerServer) {
    // The entry point runs in a host process: a server that crashes cannot take the run with it.
    ServerOutcome outcome = CallServerEntry(path, registerServer);
    if (outcome == ServerOutcome::TimedOut) {
        const char* entry = registerServer ? "DllRegisterServer" : "DllUnregisterServer";
        ShowMessageBox(path + "の" + entry + "関数が制限時間内に終わらなかったため、中止しました。",
                       "OCX/DLL登録エラー(Procedure)", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (outcome == ServerOutcome::LoadFailed) {
        if (g_state.SetupMode == "SETUP")
            ShowMessageBox(path + "の読み込みに失敗しました。", "OCX/DLL登録エラー(LoadLibrary)",
                           MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!registerServer) {
        // What unregistration returns is not reported; a crash is, since the server's entries
        // may be left behind.
        if (outcome == ServerOutcome::Crashed)
            ShowMessageBox(path + "のDllUnregisterServer関数が失敗しました。", "OCX/DLL登録エラー(Procedure)",
                           MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (outcome == ServerOutcome::EntryMissing) {
        ShowMessageBox(path + "のDllRegisterServerエントリが見つかりません。", "OCX/DLL登録エラー(GetProcAddress)",
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (outcome != ServerOutcome::Succeeded) {
        ShowMessageBox(path + "のDllRegisterServer関数が失敗しました。", "OCX/DLL登録エラー(Procedure)",
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
