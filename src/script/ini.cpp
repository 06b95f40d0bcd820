#include "script/ini.h"

#include "edge/system_info.h"
#include "script/ini_document.h"
#include "base/text.h"

// INI files are read and written by the program's own reader and writer (script/ini_document.h),
// which follows the system's profile functions byte for byte but decodes and encodes the file's
// text itself: the system's functions would use the system's code page, which is not the one the
// files are written in on Windows of another language. Writing is in ini_windows.cpp.

std::string ProfileFile(const std::string& file) {
    if (file.find_first_of("\\/:") != std::string::npos) return file;
    std::string folder = WindowsDirectory();
    if (folder.empty()) return file;
    return AddDelimiter(folder, "B") + file;
}

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& file) {
    // Such a name would reach the system cut down to another one, and read another file.
    if (TooLongForTheSystem(file)) return defaultValue;
    IniDocument document;
    document.Load(ProfileFile(file));
    return document.Get(section, key, defaultValue);
}
