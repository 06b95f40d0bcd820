#pragma once
// Single values of INI files, read and written as the system's profile-string functions do, by the
// program's own INI document (the file is loaded, changed and saved in one piece).
#include <string>

// Where the system's profile functions look for a file: a name without any folder is in the
// Windows folder, everything else as given.
std::string ProfileFile(const std::string& file);

// Reads a value of any length; an absent key gives the default.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& file);
// Flushes the system's cached copy of the file first, so that nothing written through it earlier is
// lost. False when the file cannot be read or written, or a text is too long for any INI file.
bool WriteIniValue(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file);
// Deletes a whole section (profile write with no key).
bool DeleteIniSection(const std::string& section, const std::string& file);
// Drops the system's cached copy of the file.
void FlushIniCache(const std::string& file);
