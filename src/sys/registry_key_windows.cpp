// The registry key's calls to the system (Windows); the rest of the registry layer is in
// sys/registry.cpp.
#include <vector>

#include "base/text.h"
#include "edge/wide.h"
#include "sys/registry.h"

// Names too long for the system are refused here: cut down on their way, they could name another
// key (a megabyte-long path under Software came out as Software itself, and was deleted).
LONG RegistryKey::Open(HKEY parent, const std::string& keyPath, REGSAM access) {
    Close();
    if (TooLongForTheSystem(keyPath)) return ERROR_FILENAME_EXCED_RANGE;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(parent, Wide(NormalizeKeyPath(keyPath)).c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS) key_ = key;
    return result;
}

LONG RegistryKey::Create(HKEY parent, const std::string& keyPath, REGSAM access) {
    Close();
    if (TooLongForTheSystem(keyPath)) return ERROR_FILENAME_EXCED_RANGE;
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(parent, Wide(NormalizeKeyPath(keyPath)).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) key_ = key;
    return result;
}

void RegistryKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

bool RegistryKey::QueryString(const std::string& name, std::string& value) const {
    if (!key_ || TooLongForTheSystem(name)) return false;
    std::wstring wideName = Wide(name);
    // Ask for the size first; retry while another writer makes the value grow meanwhile.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
        // Room for a terminating zero, also after a value stored without one or with an odd size.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD got = size;
        LONG result = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
        size_t count = got / sizeof(wchar_t);
        buffer[count < buffer.size() ? count : buffer.size() - 1] = L'\0';
        value = Narrow(buffer.data());  // up to the terminating zero, which the stored size includes
        return true;
    }
    return false;
}

bool RegistryKey::QueryDword(const std::string& name, DWORD& value) const {
    if (!key_ || TooLongForTheSystem(name)) return false;
    DWORD type = 0, data = 0, size = sizeof(data);
    if (RegQueryValueExW(key_, Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof(data)) return false;
    value = data;
    return true;
}

bool RegistryKey::ValueExists(const std::string& name) const {
    if (!key_ || TooLongForTheSystem(name)) return false;
    return RegQueryValueExW(key_, Wide(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

LONG RegistryKey::SetValue(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (!key_) return ERROR_INVALID_HANDLE;
    if (TooLongForTheSystem(name)) return ERROR_FILENAME_EXCED_RANGE;
    return RegSetValueExW(key_, Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegistryKey::SetText(const std::string& name, DWORD type, const std::string& value) {
    std::wstring text = Wide(value);
    // The terminating zero is part of the stored value.
    return SetValue(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG RegistryKey::SetString(const std::string& name, const std::string& value) {
    return SetText(name, REG_SZ, value);
}

LONG RegistryKey::SetExpandString(const std::string& name, const std::string& value) {
    return SetText(name, REG_EXPAND_SZ, value);
}

LONG RegistryKey::SetDword(const std::string& name, DWORD value) {
    return SetValue(name, REG_DWORD, &value, sizeof(value));
}

LONG RegistryKey::SetBinary(const std::string& name, const void* data, DWORD size) {
    return SetValue(name, REG_BINARY, data, size);
}

LONG RegistryKey::DeleteValue(const std::string& name) {
    if (!key_) return ERROR_INVALID_HANDLE;
    if (TooLongForTheSystem(name)) return ERROR_FILENAME_EXCED_RANGE;
    return RegDeleteValueW(key_, Wide(name).c_str());
}

namespace {

// The name of the first subkey from index on, or false when there is none (or it cannot be read).
bool SubkeyName(HKEY key, DWORD index, std::string& name) {
    DWORD maxLength = 0;  // characters, without the terminating zero
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxLength, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> buffer(maxLength + 2, L'\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    if (RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name = Narrow(std::wstring(buffer.data(), length));
    return true;
}

LONG DeleteTreeUnder(HKEY parent, const std::string& name) {
    LONG firstError = ERROR_SUCCESS;
    {
        RegistryKey key;
        LONG result = key.Open(parent, name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE);
        if (result != ERROR_SUCCESS) return result;
        // Children first. A child that cannot be deleted is stepped over, so the loop ends.
        DWORD index = 0;
        std::string child;
        while (SubkeyName(key.Handle(), index, child)) {
            LONG childResult = DeleteTreeUnder(key.Handle(), child);
            if (childResult != ERROR_SUCCESS) {
                if (firstError == ERROR_SUCCESS) firstError = childResult;
                ++index;
            }
        }
    }
    LONG result = RegDeleteKeyW(parent, Wide(name).c_str());
    return firstError != ERROR_SUCCESS ? firstError : result;
}

}  // namespace

LONG DeleteTree(HKEY root, const std::string& keyPath) {
    std::string path = NormalizeKeyPath(keyPath);
    if (path.empty()) return ERROR_INVALID_PARAMETER;  // never the root itself
    return DeleteTreeUnder(root, path);
}
