#include "script/ini.h"

#include <windows.h>

#include "edge/wide.h"
#include "script/ini_document.h"
#include "base/text.h"

// INI files are read and written by the program's own reader and writer (script/ini_document.h),
// which follows the system's profile functions byte for byte but decodes and encodes the file's
// text itself: the system's functions would use the system's code page, which is not the one the
// files are written in on Windows of another language.

namespace {

// Where the system's profile functions look for a file: a name without any folder is in the
// Windows folder, everything else as given.
std::string ProfileFile(const std::string& file) {
    if (file.find_first_of("\\/:") != std::string::npos) return file;
    UINT size = GetWindowsDirectoryW(nullptr, 0);
    std::wstring folder(size, L'\0');
    UINT length = size ? GetWindowsDirectoryW(folder.data(), size) : 0;
    if (length == 0 || length >= size) return file;
    return AddDelimiter(Narrow(folder.substr(0, length)), "B") + file;
}

}  // namespace

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& file) {
    // Such a name would reach the system cut down to another one, and read another file.
    if (TooLongForTheSystem(file)) return defaultValue;
    IniDocument document;
    document.Load(ProfileFile(file));
    return document.Get(section, key, defaultValue);
}

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
