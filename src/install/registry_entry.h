#pragma once
// A "Value" of the install script's [Registry] section: its type prefix and data, decided before
// anything is written.
#include <string>

#include "edge/platform.h"

class RegistryKey;

enum class RegistryValueKind {
    None,          // nothing is written: an empty value, or "(Bin)" data that is no number
    String,        // REG_SZ
    ExpandString,  // REG_EXPAND_SZ
    Dword,         // REG_DWORD
    Binary,        // REG_BINARY, the four bytes of the number, least significant first
};

struct RegistryValueSpec {
    RegistryValueKind kind = RegistryValueKind::None;
    std::string text;   // String and ExpandString
    DWORD number = 0;   // Dword and Binary
};

// "(Pdd)" removed (and then one trailing "\" of the data), macros expanded, the first five bytes
// taken as the type. An unknown type writes the whole value as a string.
RegistryValueSpec ParseRegistryValue(const std::string& scriptValue);

// A value with its name, as the install writes it under a key.
struct NamedRegistryValue {
    std::string name;  // empty: the key's default value
    RegistryValueSpec value;
};

// Writes the value under the name (nothing for None). A failure raises RegistryError, except for
// Binary, whose failure is not an error of the run.
void WriteRegistryValue(RegistryKey& key, const std::string& name, const RegistryValueSpec& value);
