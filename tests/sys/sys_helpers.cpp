#include "sys_helpers.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "base/text.h"
#include "support/test_env.h"

namespace {

const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kPendingValue = "PendingFileRenameOperations";

struct RawKey {
    HKEY key = nullptr;
    ~RawKey() {
        if (key) RegCloseKey(key);
    }
};

bool OpenRaw(HKEY root, const std::string& path, REGSAM access, RawKey& key) {
    return RegOpenKeyExA(root, path.c_str(), 0, access, &key.key) == ERROR_SUCCESS;
}

void RawDeleteTreeUnder(HKEY parent, const std::string& name) {
    {
        RawKey key;
        if (!OpenRaw(parent, name, KEY_ALL_ACCESS, key)) return;
        char child[512];
        for (;;) {
            DWORD length = sizeof(child);
            if (RegEnumKeyExA(key.key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            std::string childName(child, length);
            RawDeleteTreeUnder(key.key, childName);
            RawKey check;
            if (OpenRaw(key.key, childName, KEY_READ, check)) break;  // could not delete: stop
        }
    }
    RegDeleteKeyA(parent, name.c_str());
}

std::string EnvFolder(const char* name) {
    std::string value = EnvValue(name);
    EXPECT_FALSE(value.empty()) << name << " is not set: run the test through CTest";
    return WindowsPathOf(value);
}

}  // namespace

ScratchKey::ScratchKey(const std::string& name) : path_("Software\\OrvantTest\\Sys\\" + name) {
    RawDeleteTree(HKEY_CURRENT_USER, path_);
}

ScratchKey::~ScratchKey() { RawDeleteTree(HKEY_CURRENT_USER, path_); }

bool RawKeyExists(HKEY root, const std::string& path) {
    RawKey key;
    return OpenRaw(root, path, KEY_READ, key);
}

bool RawCreateKey(HKEY root, const std::string& path) {
    RawKey key;
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr) ==
           ERROR_SUCCESS;
}

bool RawSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    RawKey key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

bool RawSetString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    RawKey key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RawGetValue(HKEY root, const std::string& path, const std::string& name, DWORD& type, std::string& data) {
    RawKey key;
    if (!OpenRaw(root, path, KEY_READ, key)) return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    data.assign(size, '\0');
    if (size == 0) return true;
    return RegQueryValueExA(key.key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
           ERROR_SUCCESS;
}

bool RawGetDword(HKEY root, const std::string& path, const std::string& name, DWORD& value) {
    DWORD type = 0;
    std::string data;
    if (!RawGetValue(root, path, name, type, data) || type != REG_DWORD || data.size() != 4) return false;
    memcpy(&value, data.data(), 4);
    return true;
}

void RawDeleteValue(HKEY root, const std::string& path, const std::string& name) {
    RawKey key;
    if (OpenRaw(root, path, KEY_ALL_ACCESS, key)) RegDeleteValueA(key.key, name.c_str());
}

void RawDeleteTree(HKEY root, const std::string& path) { RawDeleteTreeUnder(root, path); }

std::vector<std::string> PendingRenames() {
    std::vector<std::string> entries;
    DWORD type = 0;
    std::string data;
    if (!RawGetValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, type, data)) return entries;
    // A list of zero-terminated strings; the list ends with an extra zero. Empty destinations
    // (deletions) are empty strings inside the list, so split by pairs of the known count.
    size_t at = 0;
    while (at < data.size()) {
        size_t end = data.find('\0', at);
        if (end == std::string::npos) end = data.size();
        entries.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    // Drop the list terminator(s) after the last complete pair.
    while (entries.size() % 2 != 0 && !entries.empty() && entries.back().empty()) entries.pop_back();
    while (entries.size() >= 2 && entries[entries.size() - 1].empty() && entries[entries.size() - 2].empty())
        entries.resize(entries.size() - 2);
    return entries;
}

void RemovePendingRenames(const std::string& containing) {
    std::vector<std::string> entries = PendingRenames();
    std::string kept;
    size_t keptPairs = 0;
    for (size_t i = 0; i + 1 < entries.size(); i += 2) {
        if (ContainsNoCase(entries[i], containing) || ContainsNoCase(entries[i + 1], containing)) continue;
        kept += entries[i];
        kept += '\0';
        kept += entries[i + 1];
        kept += '\0';
        ++keptPairs;
    }
    RawKey key;
    if (!OpenRaw(HKEY_LOCAL_MACHINE, kSessionManager, KEY_ALL_ACCESS, key)) return;
    if (keptPairs == 0) {
        RegDeleteValueA(key.key, kPendingValue);
        return;
    }
    kept += '\0';
    RegSetValueExA(key.key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                   static_cast<DWORD>(kept.size()));
}

std::string SysBinary(const std::string& name) { return EnvFolder("SETUP_SYS_BIN") + "\\" + name; }

std::string SysData(const std::string& name) { return EnvFolder("SETUP_SYS_DATA") + "\\" + name; }

std::string FileBytes(const std::string& path) { return ReadTextFile(path); }

bool MakeFile(const std::string& path, const std::string& bytes) { return WriteTextFile(path, bytes); }

bool ReadShortcut(const std::string& path, ShortcutInfo& info) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(path.size() + 1, L'\0');
        int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
        wide.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char buffer[MAX_PATH * 4] = {};
            link->GetPath(buffer, sizeof(buffer), nullptr, SLGP_RAWPATH);
            info.target = buffer;
            buffer[0] = '\0';
            link->GetArguments(buffer, sizeof(buffer));
            info.arguments = buffer;
            buffer[0] = '\0';
            link->GetWorkingDirectory(buffer, sizeof(buffer));
            info.workFolder = buffer;
            ok = true;
        }
        file->Release();
    }
    link->Release();
    return ok;
}

LockedFile::LockedFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

LockedFile::~LockedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}
