#include "sys/shared_dll.h"

#include <windows.h>

#include "core/state.h"
#include "script/fileops.h"
#include "script/text.h"
#include "sys/error_text.h"
#include "sys/registry.h"
#include "sys/handles.h"

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

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

ServerEntry FindEntry(HMODULE module, const char* name) {
    FARPROC proc = GetProcAddress(module, name);
    // Through a generic function pointer: the entry's real type is known only by convention.
    return reinterpret_cast<ServerEntry>(reinterpret_cast<void (*)()>(proc));
}

HMODULE LoadServer(const std::string& path) {
    // No system box for a missing dependency; the server's own folder is searched for its DLLs.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetErrorMode(previousMode);
    return module;
}

}  // namespace

long long GetSharedCount(const std::string& path) {
    RegistryKey key = OpenCountsKey();
    DWORD count = 0;
    if (!key.QueryDword(path, count)) return 0;
    return count;
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
    LibraryHandle library(LoadServer(path));
    if (!library.Valid()) {
        if (g_state.SetupMode == "SETUP")
            ShowMessageBox(path + "の読み込みに失敗しました。", "OCX/DLL登録エラー(LoadLibrary)",
                           MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!registerServer) {
        if (ServerEntry entry = FindEntry(library.Get(), "DllUnregisterServer")) entry();
        return false;
    }
    ServerEntry entry = FindEntry(library.Get(), "DllRegisterServer");
    if (!entry) {
        ShowMessageBox(path + "のDllRegisterServerエントリが見つかりません。", "OCX/DLL登録エラー(GetProcAddress)",
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (entry() != S_OK) {
        ShowMessageBox(path + "のDllRegisterServer関数が失敗しました。", "OCX/DLL登録エラー(Procedure)",
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool IsServerFile(const std::string& path) {
    return FindNoCase(".OCX", path) != 0 || FindNoCase(".DLL", path) != 0;
}
