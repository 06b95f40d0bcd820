#pragma once
// Single values of INI files through the system's profile-string functions.
#include <string>

// Reads a value of any length; an absent key gives the default.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& file);
// Flushes the system's cached copy of the file first, so a read through another path sees the value.
bool WriteIniValue(const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file);
// Deletes a whole section (profile write with no key).
bool DeleteIniSection(const std::string& section, const std::string& file);
// Drops the system's cached copy of the file.
void FlushIniCache(const std::string& file);
