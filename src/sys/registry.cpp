#include "sys/registry.h"

#include "base/cp932.h"
#include "base/text.h"

// The key's calls to the system are in sys/registry_key_windows.cpp (Windows) and
// sys/registry_key_posix.cpp (elsewhere: no key is there).

std::string KeyCreateFailedText(const std::string& keyPath) {
    return "ｷｰ " + keyPath + " の作成に失敗しました";
}

std::string ValueWriteFailedText(const std::string& valueName) {
    return "'" + valueName + "' の設定に失敗しました";
}

std::string NormalizeKeyPath(const std::string& keyPath) {
    return RemoveDelimiter(RemoveDelimiter(keyPath, "T"), "B");
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.Detach();
    }
    return *this;
}

HKEY RegistryKey::Detach() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
}

namespace {

void RaiseOnFailure(LONG result, const std::string& name) {
    if (result != ERROR_SUCCESS) throw RegistryError(ValueWriteFailedText(name), result);
}

}  // namespace

void RegistryKey::WriteString(const std::string& name, const std::string& value) {
    RaiseOnFailure(SetString(name, value), name);
}

void RegistryKey::WriteExpandString(const std::string& name, const std::string& value) {
    RaiseOnFailure(SetExpandString(name, value), name);
}

void RegistryKey::WriteDword(const std::string& name, DWORD value) {
    RaiseOnFailure(SetDword(name, value), name);
}

void RegistryKey::WriteBinary(const std::string& name, const void* data, DWORD size) {
    RaiseOnFailure(SetBinary(name, data, size), name);
}

RegistryKey CreateKeyOrRaise(HKEY root, const std::string& keyPath) {
    RegistryKey key;
    LONG result = key.Create(root, keyPath);
    if (result != ERROR_SUCCESS) throw RegistryError(KeyCreateFailedText(keyPath), result);
    return key;
}

bool KeyExists(HKEY root, const std::string& keyPath) {
    RegistryKey key;
    return key.Open(root, keyPath, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

HKEY RootKeyOf(const std::string& rootMacro) {
    if (rootMacro == "(Class)") return HKEY_CLASSES_ROOT;
    if (rootMacro == "(Local)") return HKEY_LOCAL_MACHINE;
    if (rootMacro == "(Users)") return HKEY_USERS;
    return HKEY_CURRENT_USER;
}

namespace {

// The root macro's place is counted in bytes of the script's code page 932 text: seven bytes, the
// first "(" and the seventh ")". A text that code page 932 cannot hold came from no script; its
// own bytes are counted then.
struct Cp932View {
    std::string bytes;
    bool encoded;
    explicit Cp932View(const std::string& value) : encoded(Utf8ToCp932(value, bytes)) {
        if (!encoded) bytes = value;
    }
    std::string Text(size_t from, size_t count = std::string::npos) const {
        std::string part = from < bytes.size() ? bytes.substr(from, count) : std::string();
        return encoded ? Cp932ToUtf8(part) : part;
    }
};

}  // namespace

RootedKey SplitScriptKey(const std::string& value) {
    Cp932View view(value);
    const std::string& b = view.bytes;
    bool hasRoot = (!b.empty() && b[0] == '(') || (b.size() >= 7 && b[6] == ')');
    RootedKey key;
    key.root = hasRoot ? view.Text(0, 7) : "(Cuser)";
    std::string path = hasRoot ? view.Text(7) : value;
    key.keyPath = RemoveDelimiter(RemoveDelimiter(path, "T"), "B");
    return key;
}

RootedKey SplitLogKey(const std::string& value) {
    Cp932View view(value);
    const std::string& b = view.bytes;
    bool hasRoot = b.size() >= 7 && b[0] == '(' && b[6] == ')';
    RootedKey key;
    key.root = hasRoot ? view.Text(0, 7) : "(Cuser)";
    key.keyPath = hasRoot ? view.Text(7) : value;
    return key;
}
