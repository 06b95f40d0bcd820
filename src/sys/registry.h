#pragma once
// The registry layer of the program: an owning HKEY wrapper, the root macros of scripts and logs,
// and the one error this layer raises.
//
// Key paths may be written with a leading or trailing backslash ("\SOFTWARE\...\SharedDLLs",
// "(Local)\Software\Firm\App\"); such a path is taken relative to the root key, as scripts and
// logs expect.
#include <stdexcept>
#include <string>

#include "edge/platform.h"

// Raised where a run cannot go on without the registry: a key that cannot be created or a value
// that cannot be written. The text is what the user is shown.
class RegistryError : public std::runtime_error {
public:
    RegistryError(const std::string& text, LONG code) : std::runtime_error(text), code_(code) {}
    LONG Code() const { return code_; }

private:
    LONG code_;
};

// "ｷｰ <path> の作成に失敗しました" and "'<name>' の設定に失敗しました".
std::string KeyCreateFailedText(const std::string& keyPath);
std::string ValueWriteFailedText(const std::string& valueName);

// A key path without one leading and one trailing backslash (double-byte aware).
std::string NormalizeKeyPath(const std::string& keyPath);

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(RegistryKey&& other) noexcept : key_(other.Detach()) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Windows error codes, 0 on success; the previous key is closed first.
    LONG Open(HKEY parent, const std::string& keyPath, REGSAM access = KEY_ALL_ACCESS);
    // Creates every missing level of the path.
    LONG Create(HKEY parent, const std::string& keyPath, REGSAM access = KEY_ALL_ACCESS);
    void Close();
    HKEY Detach();
    HKEY Handle() const { return key_; }
    bool IsOpen() const { return key_ != nullptr; }

    // A REG_SZ or REG_EXPAND_SZ value (unexpanded); false when absent or of another type.
    bool QueryString(const std::string& name, std::string& value) const;
    // A REG_DWORD value; false when absent or of another type.
    bool QueryDword(const std::string& name, DWORD& value) const;
    bool ValueExists(const std::string& name) const;

    LONG SetString(const std::string& name, const std::string& value);
    LONG SetExpandString(const std::string& name, const std::string& value);
    LONG SetDword(const std::string& name, DWORD value);
    LONG SetBinary(const std::string& name, const void* data, DWORD size);
    LONG DeleteValue(const std::string& name);

    // The same writes, raising RegistryError with ValueWriteFailedText on failure.
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    void WriteDword(const std::string& name, DWORD value);
    void WriteBinary(const std::string& name, const void* data, DWORD size);

private:
    LONG SetValue(const std::string& name, DWORD type, const void* data, DWORD size);
    LONG SetText(const std::string& name, DWORD type, const std::string& value);
    HKEY key_ = nullptr;
};

// Opens the key with full access, creating every missing level; raises RegistryError with
// KeyCreateFailedText when that fails.
RegistryKey CreateKeyOrRaise(HKEY root, const std::string& keyPath);

bool KeyExists(HKEY root, const std::string& keyPath);
// Deletes the key with all its subkeys, deepest first; 0 on success, else the first error.
LONG DeleteTree(HKEY root, const std::string& keyPath);

// Root macros, compared exactly: "(Class)" HKEY_CLASSES_ROOT, "(Local)" HKEY_LOCAL_MACHINE,
// "(Users)" HKEY_USERS, anything else HKEY_CURRENT_USER.
HKEY RootKeyOf(const std::string& rootMacro);

struct RootedKey {
    std::string root;     // seven bytes such as "(Local)", or "(Cuser)"
    std::string keyPath;
};

// A "Key" value of the install script's registry section: it begins with a root macro when its
// first byte is "(" OR its seventh byte is ")". The key path loses one leading and one trailing
// backslash.
RootedKey SplitScriptKey(const std::string& value);
// A registry entry of the uninstall log: it begins with a root macro only when its first byte is
// "(" AND its seventh byte is ")". The key path is the rest as written.
RootedKey SplitLogKey(const std::string& value);
