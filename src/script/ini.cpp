#include "script/ini.h"

#include <windows.h>

#include <vector>

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& file) {
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

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    FlushIniCache(file);
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool DeleteIniSection(const std::string& section, const std::string& file) {
    FlushIniCache(file);
    return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != 0;
}
