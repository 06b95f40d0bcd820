// The folder sources of the running system (Windows).
#include "script/folders.h"

#include <windows.h>
#include <shlobj.h>

#include "edge/fileops.h"
#include "edge/handles.h"
#include "edge/wide.h"
#include "sys/registry.h"

namespace {

std::string FromCall(UINT (*call)(LPWSTR, UINT)) {
    UINT length = call(nullptr, 0);
    if (length == 0) return std::string();
    std::wstring buffer(length + 1, L'\0');
    length = call(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return std::string();
    return Narrow(buffer.substr(0, length));
}

std::string TempPathFromSystem() { return SystemTemporaryFolder(); }

std::string ProgramFilesDirFromRegistry() {
    RegistryKey key;
    // Opened with creation allowed, as the folder lookup has always done.
    if (key.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_QUERY_VALUE) !=
        ERROR_SUCCESS)
        return std::string();
    std::string value;
    if (!key.QueryString("ProgramFilesDir", value)) return std::string();
    return value;
}

UINT WindowsDirectoryCall(LPWSTR buffer, UINT size) { return GetWindowsDirectoryW(buffer, size); }
UINT SystemDirectoryCall(LPWSTR buffer, UINT size) { return GetSystemDirectoryW(buffer, size); }

}  // namespace

std::string GetSpecialFolder(int csidl) {
    // The shell allocator frees what the shell allocated; the path call fills MAX_PATH characters.
    ComPtr<IMalloc> malloc;
    if (FAILED(SHGetMalloc(malloc.OutTyped())) || !malloc) return std::string();
    std::string result;
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &items)) && items) {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(items, path)) result = Narrow(path);
        malloc->Free(items);
    }
    return result;
}

FolderSources FolderSources::System() {
    FolderSources sources;
    sources.specialFolder = GetSpecialFolder;
    sources.tempPath = TempPathFromSystem;
    sources.windowsDirectory = [] { return FromCall(WindowsDirectoryCall); };
    sources.systemDirectory = [] { return FromCall(SystemDirectoryCall); };
    sources.programFilesDirFromRegistry = ProgramFilesDirFromRegistry;
    sources.fileExists = FileExists;
    sources.folderExists = FolderExists;
    return sources;
}

FolderSources FolderSources::ForProgram(int) {
    // The checks on Windows have always used this machine's own folders.
    return System();
}
