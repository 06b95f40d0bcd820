#include "sys_helpers.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "base/text.h"
#include "edge/handles.h"
#include "edge/wide.h"
#include "support/test_env.h"

namespace {

const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t* const kPendingValue = L"PendingFileRenameOperations";

struct RawKey {
    HKEY key = nullptr;
    ~RawKey() {
        if (key) RegCloseKey(key);
    }
};

bool OpenRaw(HKEY root, const std::string& path, REGSAM access, RawKey& key) {
    return RegOpenKeyExW(root, Wide(path).c_str(), 0, access, &key.key) == ERROR_SUCCESS;
}

bool CreateRaw(HKEY root, const std::string& path, RawKey& key) {
    return RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr) ==
           ERROR_SUCCESS;
}

void RawDeleteTreeUnder(HKEY parent, const std::string& name) {
    {
        RawKey key;
        if (!OpenRaw(parent, name, KEY_ALL_ACCESS, key)) return;
        wchar_t child[512];
        for (;;) {
            DWORD length = 512;
            if (RegEnumKeyExW(key.key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            std::string childName = Narrow(std::wstring_view(child, length));
            RawDeleteTreeUnder(key.key, childName);
            RawKey check;
            if (OpenRaw(key.key, childName, KEY_READ, check)) break;  // could not delete: stop
        }
    }
    RegDeleteKeyW(parent, Wide(name).c_str());
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
    return CreateRaw(root, path, key);
}

bool RawSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    RawKey key;
    if (!CreateRaw(root, path, key)) return false;
    return RegSetValueExW(key.key, Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

bool RawSetString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    RawKey key;
    if (!CreateRaw(root, path, key)) return false;
    std::wstring text = Wide(value);
    return RegSetValueExW(key.key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RawGetValue(HKEY root, const std::string& path, const std::string& name, DWORD& type, std::string& data) {
    RawKey key;
    if (!OpenRaw(root, path, KEY_READ, key)) return false;
    std::wstring wideName = Wide(name);
    DWORD size = 0;
    if (RegQueryValueExW(key.key, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    data.assign(size, '\0');
    if (size != 0 && RegQueryValueExW(key.key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                      &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
        data = Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)));
    return true;
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
    if (OpenRaw(root, path, KEY_ALL_ACCESS, key)) RegDeleteValueW(key.key, Wide(name).c_str());
}

void RawDeleteTree(HKEY root, const std::string& path) { RawDeleteTreeUnder(root, path); }

std::vector<std::string> PendingRenames() {
    std::vector<std::string> entries;
    DWORD type = 0;
    std::string data;
    if (!RawGetValue(HKEY_LOCAL_MACHINE, kSessionManager, Narrow(kPendingValue), type, data)) return entries;
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
        RegDeleteValueW(key.key, kPendingValue);
        return;
    }
    kept += '\0';
    std::wstring list = Wide(kept);
    RegSetValueExW(key.key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                   static_cast<DWORD>(list.size() * sizeof(wchar_t)));
}

std::string SysBinary(const std::string& name) { return EnvFolder("SETUP_SYS_BIN") + "\\" + name; }

std::string SysData(const std::string& name) { return EnvFolder("SETUP_SYS_DATA") + "\\" + name; }

std::string FileBytes(const std::string& path) {
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file.Valid() && ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool MakeFile(const std::string& path, const std::string& bytes) {
    FileHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size());
    return file.Close() && ok;
}

bool ReadShortcut(const std::string& path, ShortcutInfo& info) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ))) {
            wchar_t buffer[MAX_PATH * 4] = {};
            link->GetPath(buffer, MAX_PATH * 4, nullptr, SLGP_RAWPATH);
            info.target = Narrow(buffer);
            buffer[0] = L'\0';
            link->GetArguments(buffer, MAX_PATH * 4);
            info.arguments = Narrow(buffer);
            buffer[0] = L'\0';
            link->GetWorkingDirectory(buffer, MAX_PATH * 4);
            info.workFolder = Narrow(buffer);
            ok = true;
        }
        file->Release();
    }
    link->Release();
    return ok;
}

LockedFile::LockedFile(const std::string& path)
    : handle_(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

LockedFile::~LockedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}
