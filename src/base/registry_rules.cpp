#include "base/registry_rules.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Path = std::vector<std::string_view>;

// Key names compare without regard to the case of ASCII letters, as the registry's names do for
// every name these rules know.
bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view candidate : names)
        if (Same(name, candidate)) return true;
    return false;
}

bool Is(const Path& path, size_t i, std::string_view name) { return path.size() > i && Same(path[i], name); }

// The components of a key path: separators at either end and doubled ones count for nothing.
Path Split(std::string_view keyPath) {
    Path parts;
    size_t start = 0;
    while (start <= keyPath.size()) {
        size_t end = keyPath.find('\\', start);
        if (end == std::string_view::npos) end = keyPath.size();
        if (end > start) parts.push_back(keyPath.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

Path From(const Path& path, size_t first) { return Path(path.begin() + static_cast<std::ptrdiff_t>(first), path.end()); }

KeyVerdict SharedIf(bool shared) { return shared ? KeyVerdict::Shared : KeyVerdict::Own; }

// The file types and extensions that Windows itself registers: every program's shell menus and
// programs hang off them.
bool IsSystemType(std::string_view name) {
    return OneOf(name, {"*", "AllFilesystemObjects", "Directory", "Drive", "Folder", "Network", "Printers",
                        "DesktopBackground", "LibraryFolder", "Unknown", "exefile", "lnkfile", "batfile", "comfile",
                        "cmdfile", "dllfile", "sysfile", "inifile", "txtfile", "regfile", "inffile", "htmlfile",
                        "piffile", "scrfile", "Msi.Package", "http", "https", "ftp", "file", "mailto", ".exe", ".lnk",
                        ".bat", ".com", ".cmd", ".dll", ".sys", ".msi", ".msc", ".cpl", ".scr", ".pif", ".reg",
                        ".inf", ".ini", ".txt", ".url", ".vbs", ".js", ".ps1", ".zip", ".htm", ".html"});
}

bool IsStandardVerb(std::string_view verb) {
    return OneOf(verb, {"open", "opennew", "edit", "print", "printto", "explore", "find", "runas", "runasuser",
                        "openas", "properties", "cmd", "Powershell"});
}

// Below a file type that Windows owns: the type, its standard subkeys (shell, shellex,
// DefaultIcon, ...), its standard verbs with everything below them and the handler categories are
// shared; a program's own verb or handler below them is its own.
KeyVerdict SystemTypeKey(const Path& c) {
    if (c.size() <= 2) return KeyVerdict::Shared;
    if (Is(c, 1, "shell")) return SharedIf(IsStandardVerb(c[2]));
    if (Is(c, 1, "shellex")) return SharedIf(c.size() == 3);
    if (Is(c, 1, "OpenWithList") || Is(c, 1, "OpenWithProgids")) return KeyVerdict::Own;
    return SharedIf(c.size() == 3);
}

// A path below the classes root, the Wow6432Node of its 32-bit view folded in.
KeyVerdict ClassesKey(Path c) {
    if (!c.empty() && Same(c[0], "Wow6432Node")) c.erase(c.begin());
    if (c.empty()) return KeyVerdict::Shared;
    std::string_view first = c[0];
    if (OneOf(first, {"Installer", "Component Categories", "Record", "Media Type", "MediaFoundation",
                      "DirectShow", "Filter", "Protocols", "PackagedCom", "Extensions", "Local Settings"}))
        return KeyVerdict::Shared;
    // Collections of classes, interfaces and libraries: each entry is its program's own.
    if (OneOf(first, {"CLSID", "Interface", "TypeLib", "AppID", "Applications"})) return SharedIf(c.size() == 1);
    if (Same(first, "MIME")) return SharedIf(c.size() <= 3);
    if (Same(first, "SystemFileAssociations")) return c.size() == 1 ? KeyVerdict::Shared : SystemTypeKey(From(c, 1));
    if (IsSystemType(first)) return SystemTypeKey(c);
    return KeyVerdict::Own;  // an extension or a file type of a program
}

// SOFTWARE\Microsoft\...: Microsoft's products and Windows itself.
KeyVerdict MicrosoftKey(const Path& p) {
    if (p.size() <= 3) return KeyVerdict::Shared;
    if (OneOf(p[2], {".NETFramework", "Cryptography", "Ole", "COM3", "Rpc", "SystemCertificates", "Windows Defender",
                     "WindowsRuntime", "Windows Search", "Fusion", "NET Framework Setup", "Security Center",
                     "SecurityManager", "Windows Script Host", "WBEM", "Tracing", "DirectX", "Shared Tools",
                     "Input", "CTF", "IMEJP", "IME", "Speech", "Driver Signing", "Non-Driver Signing"}))
        return KeyVerdict::Shared;
    if (!Is(p, 2, "Windows") && !Is(p, 2, "Windows NT")) return SharedIf(p.size() <= 4);
    if (!Is(p, 3, "CurrentVersion")) return SharedIf(p.size() <= 4);
    if (p.size() <= 5) return KeyVerdict::Shared;  // CurrentVersion; Uninstall, Run, App Paths, Explorer, ...
    if (OneOf(p[4], {"Installer", "Component Based Servicing", "SideBySide", "Policies", "Group Policy",
                     "WindowsUpdate", "Authentication", "Setup", "Winlogon", "Fonts", "FontSubstitutes",
                     "Internet Settings", "ProfileList", "Svchost", "Time Zones", "SharedDLLs"}))
        return KeyVerdict::Shared;
    if (Same(p[4], "Explorer") || Same(p[4], "Shell Extensions")) return SharedIf(p.size() == 6);
    return KeyVerdict::Own;  // Uninstall\<program>, App Paths\<program>.exe, ...
}

KeyVerdict SoftwareKey(const Path& p) {
    if (p.size() < 2) return KeyVerdict::TooShort;
    if (Is(p, 1, "Microsoft")) return MicrosoftKey(p);
    if (Is(p, 1, "Policies")) return SharedIf(p.size() == 2 || Is(p, 2, "Microsoft"));
    if (Is(p, 1, "Clients") || Is(p, 1, "ODBC")) return SharedIf(p.size() <= 3);
    if (OneOf(p[1], {"RegisteredApplications", "Windows"})) return KeyVerdict::Shared;
    return KeyVerdict::Own;  // a maker's or a program's own key
}

KeyVerdict SystemHiveKey(const Path& p) {
    if (p.size() < 2) return KeyVerdict::TooShort;
    bool controlSet = Same(p[1], "CurrentControlSet") ||
                      (p[1].size() == 13 && Same(p[1].substr(0, 10), "ControlSet"));
    if (!controlSet) return KeyVerdict::Shared;  // Setup, Select, MountedDevices, ...
    if (p.size() <= 3) return KeyVerdict::Shared;
    if (Is(p, 2, "Services")) return KeyVerdict::Own;  // a service of its own
    if (Is(p, 2, "Enum") || Is(p, 2, "Hardware Profiles")) return KeyVerdict::Shared;
    if (Is(p, 2, "Control")) {
        if (OneOf(p[3], {"Session Manager", "Class", "Network", "DeviceClasses", "CriticalDeviceDatabase", "SafeBoot",
                         "Lsa", "SecurityProviders", "Nls", "Terminal Server", "Windows", "ComputerName"}))
            return KeyVerdict::Shared;
        return SharedIf(p.size() <= 5);
    }
    return SharedIf(p.size() <= 3);
}

// A user's hive: HKEY_CURRENT_USER, or a hive under HKEY_USERS without its own name.
KeyVerdict UserKey(const Path& p) {
    if (p.size() < 2) return KeyVerdict::TooShort;
    if (Is(p, 0, "Software")) {
        if (Is(p, 1, "Classes")) return ClassesKey(From(p, 2));
        if (Is(p, 1, "Wow6432Node")) {
            Path folded = p;
            folded.erase(folded.begin() + 1);
            if (folded.size() == 1) return KeyVerdict::Shared;
            return UserKey(folded);
        }
        return SoftwareKey(p);
    }
    if (OneOf(p[0], {"Control Panel", "Keyboard Layout", "Volatile Environment", "Environment", "EUDC", "Printers",
                     "Network", "System", "SAM", "SECURITY", "HARDWARE"}))
        return KeyVerdict::Shared;
    if (Same(p[0], "AppEvents")) return SharedIf(p.size() <= 3);
    return KeyVerdict::Own;
}

KeyVerdict MachineKey(const Path& p) {
    if (p.size() < 2) return KeyVerdict::TooShort;
    if (Is(p, 0, "SOFTWARE")) {
        if (Is(p, 1, "Classes")) return ClassesKey(From(p, 2));
        if (Is(p, 1, "Wow6432Node")) {
            Path folded = p;
            folded.erase(folded.begin() + 1);
            if (folded.size() == 1) return KeyVerdict::Shared;
            return MachineKey(folded);
        }
        return SoftwareKey(p);
    }
    if (Is(p, 0, "SYSTEM")) return SystemHiveKey(p);
    if (OneOf(p[0], {"SAM", "SECURITY", "HARDWARE", "BCD00000000", "COMPONENTS", "DRIVERS", "SCHEMA"}))
        return KeyVerdict::Shared;
    return KeyVerdict::Own;
}

}  // namespace

KeyVerdict JudgeRegistryKey(KeyRoot root, std::string_view keyPath) {
    Path p = Split(keyPath);
    switch (root) {
    case KeyRoot::ClassesRoot:
        if (p.empty()) return KeyVerdict::TooShort;
        return ClassesKey(p);
    case KeyRoot::LocalMachine:
        return MachineKey(p);
    case KeyRoot::CurrentUser:
        return UserKey(p);
    case KeyRoot::Users: {
        if (p.size() < 2) return KeyVerdict::TooShort;  // HKEY_USERS or a whole user's hive
        std::string_view hive = p[0];
        if (hive.size() > 8 && Same(hive.substr(hive.size() - 8), "_Classes")) return ClassesKey(From(p, 1));
        return UserKey(From(p, 1));
    }
    }
    return KeyVerdict::TooShort;
}
