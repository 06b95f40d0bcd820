#pragma once
// The places a program of this build gets on 64-bit Windows, and the machine seen from outside
// the program, so that a test can tell where a write really landed.
//
// A 32-bit program runs under WoW64: its Program Files folder is "C:\Program Files (x86)\"; the
// system folder it is shown, C:\windows\system32, is C:\windows\syswow64 on disk; what it writes
// below HKEY_LOCAL_MACHINE\Software (Add/Remove entries, shared-file counts, COM classes) is
// stored in the 32-bit view of the registry, under Software\WOW6432Node. HKEY_CURRENT_USER\Software
// and the file types and program identifiers under HKEY_CLASSES_ROOT are shared by both views. A
// 64-bit program gets every place under its own name.
#include <windows.h>

#include <string>

namespace places {

inline constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

// A UTF-8 name for the system's W functions (the black-box tests include this header without the
// program's own conversion).
inline std::wstring WideName(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

// The uninstaller copy that an install by a program of this build leaves in the Windows folder.
inline std::string Uninstaller() { return kThirtyTwoBit ? "UNOVNOVA.EXE" : "UNOVNOVA64.EXE"; }

// The Program Files folder a program of this build is given.
inline std::string ProgramFiles() { return kThirtyTwoBit ? "C:\\Program Files (x86)\\" : "C:\\Program Files\\"; }

// The folder on disk that holds what a program of this build copies into its system folder.
inline std::string SystemFolderOnDisk() { return kThirtyTwoBit ? "C:\\windows\\syswow64\\" : "C:\\windows\\system32\\"; }

// The name of a key of the 32-bit view as a 64-bit program sees it: "SOFTWARE\X" becomes
// "SOFTWARE\WOW6432Node\X".
inline std::string ThirtyTwoBitName(const std::string& key) {
    size_t first = key.find('\\');
    return first == std::string::npos ? key : key.substr(0, first) + "\\WOW6432Node" + key.substr(first);
}

// The name a 64-bit program sees for a key below HKEY_LOCAL_MACHINE\Software of this build's
// programs.
inline std::string MachineKey(const std::string& key) { return kThirtyTwoBit ? ThirtyTwoBitName(key) : key; }

// Where a key, or a value of it, is stored as a 64-bit program sees the registry: under the key's
// own name, under its name in the 32-bit view (ThirtyTwoBitName), "<both views>" or
// "<nowhere>".
inline std::string StoredAs(HKEY root, const std::string& key, const char* value = nullptr) {
    auto holds = [&](const std::string& name) {
        HKEY handle;
        if (RegOpenKeyExW(root, WideName(name).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS)
            return false;
        bool found = !value ||
                     RegQueryValueExW(handle, WideName(value).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(handle);
        return found;
    };
    std::string wow = ThirtyTwoBitName(key);
    bool own = holds(key), redirected = holds(wow);
    if (own && redirected) return "<both views>";
    return own ? key : redirected ? wow : "<nowhere>";
}

// Where a file of the system folder lies on disk, looked at with the file system redirection of a
// 32-bit program turned off: the folder (SystemFolderOnDisk of one build or the other),
// "<both folders>" or "<nowhere>".
inline std::string OnDisk(const std::string& name) {
    PVOID redirection = nullptr;
    BOOL off = Wow64DisableWow64FsRedirection(&redirection);
    auto exists = [&](const char* folder) {
        return GetFileAttributesW(WideName(folder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    bool native = exists("C:\\windows\\system32\\"), wow = exists("C:\\windows\\syswow64\\");
    if (off) Wow64RevertWow64FsRedirection(redirection);
    if (native && wow) return "<both folders>";
    return native ? "C:\\windows\\system32\\" : wow ? "C:\\windows\\syswow64\\" : "<nowhere>";
}

}  // namespace places
