// The folders the system names, asked of the running system (Windows).
#include "sys/guarded_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "base/text.h"
#include "edge/wide.h"
#include "sys/registry.h"

namespace {

// A shell folder of the system by CSIDL number (the call's buffer is the MAX_PATH it asks for).
std::string ShellFolderOf(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
    return Narrow(path);
}

std::string EnvironmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return "";
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size) return "";
    value.resize(length);
    return Narrow(value);
}

// The program-files, common-files and profile roots as the system records them, in both views.
void AddRegistryFolders(std::vector<std::string>& folders) {
    struct Place {
        const char* key;
        const char* value;
    };
    static const Place kPlaces[] = {
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir (x86)"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramW6432Dir"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir (x86)"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonW6432Dir"},
        {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProfilesDirectory"},
        {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProgramData"},
        {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "Public"},
    };
    for (REGSAM view : {static_cast<REGSAM>(KEY_WOW64_64KEY), static_cast<REGSAM>(KEY_WOW64_32KEY)}) {
        for (const Place& place : kPlaces) {
            RegistryKey key;
            std::string value;
            if (key.Open(HKEY_LOCAL_MACHINE, place.key, KEY_QUERY_VALUE | view) != ERROR_SUCCESS ||
                !key.QueryString(place.value, value))
                continue;
            std::wstring wide = Wide(value);
            DWORD size = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
            std::wstring expanded(size, L'\0');
            if (size != 0 && ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), size) == size)
                folders.push_back(Narrow(expanded.substr(0, size - 1)));
        }
    }
}

}  // namespace

const std::vector<std::string>& SystemRootFolders() {
    static const std::vector<std::string> folders = [] {
        std::vector<std::string> list;
        for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                          CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE, CSIDL_APPDATA,
                          CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_FONTS, CSIDL_PERSONAL,
                          CSIDL_COMMON_DOCUMENTS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
                          CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU})
            list.push_back(ShellFolderOf(csidl));
        for (const wchar_t* name : {L"SystemRoot", L"windir", L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",
                                    L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"CommonProgramW6432",
                                    L"USERPROFILE", L"ALLUSERSPROFILE", L"PUBLIC", L"ProgramData", L"APPDATA",
                                    L"LOCALAPPDATA"})
            list.push_back(EnvironmentValue(name));
        AddRegistryFolders(list);
        // The system folder of the other view: SysWOW64 for a 64-bit program, and the real system
        // folder, which a 32-bit program reaches as Sysnative only.
        using Wow64DirectoryCall = UINT(WINAPI*)(LPWSTR, UINT);
        auto call = reinterpret_cast<Wow64DirectoryCall>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemWow64DirectoryW")));
        wchar_t wow64[MAX_PATH] = L"";
        UINT length = call ? call(wow64, MAX_PATH) : 0;
        if (length > 0 && length < MAX_PATH) list.push_back(Narrow(wow64));
        std::string windows = ShellFolderOf(CSIDL_WINDOWS);
        if (!windows.empty()) list.push_back(AddDelimiter(windows, "B") + "Sysnative");
        return list;
    }();
    return folders;
}
