// The registry key on a system that is no Windows (the native distribution builder): there is no
// registry, so no key is there and none can be made; every value reads as absent.
#include "sys/registry.h"

LONG RegistryKey::Open(HKEY, const std::string&, REGSAM) {
    Close();
    return ERROR_FILE_NOT_FOUND;
}

LONG RegistryKey::Create(HKEY, const std::string&, REGSAM) {
    Close();
    return ERROR_ACCESS_DENIED;
}

void RegistryKey::Close() { key_ = nullptr; }

bool RegistryKey::QueryString(const std::string&, std::string&) const { return false; }
bool RegistryKey::QueryDword(const std::string&, DWORD&) const { return false; }
bool RegistryKey::ValueExists(const std::string&) const { return false; }

LONG RegistryKey::SetString(const std::string&, const std::string&) { return ERROR_INVALID_HANDLE; }
LONG RegistryKey::SetExpandString(const std::string&, const std::string&) { return ERROR_INVALID_HANDLE; }
LONG RegistryKey::SetDword(const std::string&, DWORD) { return ERROR_INVALID_HANDLE; }
LONG RegistryKey::SetBinary(const std::string&, const void*, DWORD) { return ERROR_INVALID_HANDLE; }
LONG RegistryKey::DeleteValue(const std::string&) { return ERROR_INVALID_HANDLE; }

LONG DeleteTree(HKEY, const std::string&) { return ERROR_FILE_NOT_FOUND; }
