#include "install/registry_entry.h"

#include "script/folders.h"
#include "script/text.h"

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
