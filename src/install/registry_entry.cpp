#include "install/registry_entry.h"

#include "script/folders.h"
#include "script/text.h"

RegistryValueSpec ParseRegistryValue(const std::string& scriptValue) {
    std::string value = scriptValue;
    // "(Pdd)" marks a folder value that is stored without its trailing backslash.
    bool pathWithoutDelimiter = FindNoCase("(Pdd)", value) != 0;
    if (pathWithoutDelimiter) value = ReplaceMacro(value, "(Pdd)", "");
    value = ExpandMacros(value);

    RegistryValueSpec spec;
    if (value.empty()) return spec;
    std::string type = CopyHead(value, 5);
    std::string data = CopyFrom(value, 6);
    if (pathWithoutDelimiter) data = RemoveDelimiter(data, "B");

    long number = 0;
    if (type == "(Str)") {
        spec.kind = RegistryValueKind::String;
        spec.text = data;
    } else if (type == "(Exp)") {
        spec.kind = RegistryValueKind::ExpandString;
        spec.text = data;
    } else if (type == "(Int)" || type == "(Dwd)") {
        spec.kind = RegistryValueKind::Dword;
        spec.number = TryStrToInt32(data, number) ? static_cast<DWORD>(number) : 0;
    } else if (type == "(Bin)") {
        // The data are hexadecimal digits; anything else writes nothing.
        if (TryStrToInt32("$" + data, number)) {
            spec.kind = RegistryValueKind::Binary;
            spec.number = static_cast<DWORD>(number);
        }
    } else {
        // No known type: the whole value is the string (type part and data together).
        spec.kind = RegistryValueKind::String;
        spec.text = type + data;
    }
    return spec;
}
