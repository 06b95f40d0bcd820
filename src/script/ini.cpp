#include "script/ini.h"

#include <windows.h>

#include <vector>

#include "script/text.h"

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& file) {
    // Such a name would reach the system cut down to another one, and read another key.
    for (const std::string* name : {&section, &key, &file})
        if (TooLongForTheSystem(*name)) return defaultValue;
    // A value that fills the buffer may have been cut: read again with a larger one. A quoted
    // value cut by the buffer also loses its last character with the closing quote, so a length
    // one short of full is no proof either. Doubling keeps a value of megabytes to a few calls.
    for (DWORD size = 256;; size *= 2) {
        std::vector<char> buffer(size, '\0');
        DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                buffer.data(), size, file.c_str());
        if (length + 2 < size) return std::string(buffer.data(), length);
    }
}

void FlushIniCache(const std::string& file) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

// The profile functions would cut a name of 64 KB or more down to a shorter one and write into
// another section, key or file; a value of 32 KB or more they delete or write cut, and answer
// success. Such writes are refused.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    for (const std::string* text : {&section, &key, &value, &file})
        if (TooLongForTheSystem(*text)) return false;
    FlushIniCache(file);
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool DeleteIniSection(const std::string& section, const std::string& file) {
    if (TooLongForTheSystem(section) || TooLongForTheSystem(file)) return false;
    FlushIniCache(file);
    return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != 0;
}
