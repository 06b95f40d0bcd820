#pragma once
// Files as a user finds them on disk, read and written through the system's W functions (paths
// are UTF-8), and INI files as the program keeps them: code page 932 bytes. An INI file is read
// here by the test itself, not by the system's profile functions, which would take its bytes in
// the system's code page: a value comes back as the bytes stored, so that a test compares bytes
// (e2e::SameCp932) whatever the system's code page.
#include <string>
#include <vector>

namespace e2e {

bool FileExists(const std::string& path);
// A folder, with or without its trailing backslash.
bool FolderExists(const std::string& path);
// The whole file; "" when it cannot be read.
std::string ReadBytes(const std::string& path);
// Writes the file anew; false when it cannot be written whole.
bool WriteBytes(const std::string& path, const std::string& bytes);

// The value of a key of an INI file of code page 932 bytes, as stored (blanks around it dropped);
// found false, and "", when the file, section or key is missing. Section and key names are
// matched without regard to ASCII letter case; the first section and key of a name count, as the
// system's profile functions do.
std::string IniValue(const std::string& path, const std::string& section, const std::string& key,
                     bool* found = nullptr);
// The section names of the file in their order, as stored.
std::vector<std::string> IniSections(const std::string& path);
// Sets a key to a value (UTF-8, written as code page 932 bytes, as a distributor's editor saves
// the file), adding the key at the end of its section and the section at the end of the file
// when missing. False when the file cannot be written.
bool SetIniValue(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value);
// Removes a section with its keys; true also when there was none.
bool RemoveIniSection(const std::string& path, const std::string& section);

}  // namespace e2e
