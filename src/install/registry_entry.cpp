#include "install/registry_entry.h"

#include "script/folders.h"
#include "base/text.h"
#include "sys/registry.h"

RegistryValueSpec ParseRegistryValue(const std::string& scriptValue) {
    std::string value = scriptValue;
    // "(Pdd)" marks a folder value that is stored without its trailing backslash.
    bool pathWithoutDelimiter = FindNoCase("(Pdd)", value) != 0;
    if (pathWithoutDelimiter) value = ReplaceMacro(value, "(Pdd)", "");
    value = ExpandMacros(value);

    RegistryValueSpec item;
    if (value.empty()) return item;
    std::string type = CopyHead(value, 5);
    std::string data = CopyFrom(value, 6);
    if (pathWithoutDelimiter) data = RemoveDelimiter(data, "B");

    long number = 0;
    if (type == "(Str)") {
        item.kind = RegistryValueKind::String;
        item.text = data;
    } else if (type == "(Exp)") {
        item.kind = RegistryValueKind::ExpandString;
        item.text = data;
    } else if (type == "(Int)" || type == "(Dwd)") {
        item.kind = RegistryValueKind::Dword;
        item.number = TryStrToInt32(data, number) ? static_cast<DWORD>(number) : 0;
    } else if (type == "(Bin)") {
        // The data are hexadecimal digits; anything else writes nothing.
        if (TryStrToInt32("$" + data, number)) {
            item.kind = RegistryValueKind::Binary;
            item.number = static_cast<DWORD>(number);
        }
    } else {
        // No known type: the whole value is the string (type part and data together).
        item.kind = RegistryValueKind::String;
        item.text = type + data;
    }
    return item;
}

void WriteRegistryValue(RegistryKey& key, const std::string& name, const RegistryValueSpec& value) {
    switch (value.kind) {
    case RegistryValueKind::String: key.WriteString(name, value.text); break;
    case RegistryValueKind::ExpandString: key.WriteExpandString(name, value.text); break;
    case RegistryValueKind::Dword: key.WriteDword(name, value.number); break;
    case RegistryValueKind::Binary: {
        // Four bytes, least significant first; a failure here is not an error of the run.
        BYTE bytes[4] = {static_cast<BYTE>(value.number), static_cast<BYTE>(value.number >> 8),
                         static_cast<BYTE>(value.number >> 16), static_cast<BYTE>(value.number >> 24)};
        key.SetBinary(name, bytes, sizeof(bytes));
        break;
    }
    case RegistryValueKind::None: break;
    }
}
