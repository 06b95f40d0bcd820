// Writing single INI values (Windows): the document is saved in one piece (ini_document_windows.cpp).
#include <windows.h>

#include "edge/wide.h"
#include "script/ini.h"
#include "script/ini_document.h"
#include "base/text.h"

void FlushIniCache(const std::string& file) {
    // Another program may have written the file through the system's cache.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, Wide(file).c_str());
}

// A name of 64 KB or more, or a value of 32 KB or more, the system's functions would cut or drop
// while answering success: such writes are refused as they always were.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    for (const std::string* text : {&section, &key, &value, &file})
        if (TooLongForTheSystem(*text)) return false;
    std::string path = ProfileFile(file);
    FlushIniCache(path);
    IniDocument document;
    if (!document.Load(path)) return false;
    document.Set(section, key, value);
    return document.Save(path) == ERROR_SUCCESS;
}

bool DeleteIniSection(const std::string& section, const std::string& file) {
    if (TooLongForTheSystem(section) || TooLongForTheSystem(file)) return false;
    std::string path = ProfileFile(file);
    FlushIniCache(path);
    IniDocument document;
    if (!document.Load(path)) return false;
    // The system's function succeeds also when there is no such section.
    document.DeleteSection(section);
    return document.Save(path) == ERROR_SUCCESS;
}
