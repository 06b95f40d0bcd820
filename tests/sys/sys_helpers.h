#pragma once
// Helpers of the system-service tests: scratch registry keys, direct registry reads (independent of
// the registry layer under test), the delayed-move list, test binaries and data, shortcut reading.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

// HKEY_CURRENT_USER\Software\OrvantTest\Sys\<name>: removed before and after the test.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& Path() const { return path_; }  // without root, no leading backslash

private:
    std::string path_;
};

// Raw registry access through the system calls alone.
bool RawKeyExists(HKEY root, const std::string& path);
bool RawCreateKey(HKEY root, const std::string& path);
bool RawSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
bool RawSetString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
bool RawGetDword(HKEY root, const std::string& path, const std::string& name, DWORD& value);
// Type and bytes of a value, its strings as UTF-8 (zeros kept); false when absent.
bool RawGetValue(HKEY root, const std::string& path, const std::string& name, DWORD& type, std::string& data);
void RawDeleteValue(HKEY root, const std::string& path, const std::string& name);
void RawDeleteTree(HKEY root, const std::string& path);

// Entries of PendingFileRenameOperations, in order (pairs: source, destination).
std::vector<std::string> PendingRenames();
// Removes every pair whose source or destination contains the text (case-insensitive).
void RemovePendingRenames(const std::string& containing);

// Windows paths of the test binaries and of the data made at build time.
std::string SysBinary(const std::string& name);
std::string SysData(const std::string& name);

std::string FileBytes(const std::string& path);
bool MakeFile(const std::string& path, const std::string& bytes = "x");

struct ShortcutInfo {
    std::string target, arguments, workFolder;
};
// Reads a .lnk file back through the shell's link object; false when it cannot be loaded.
bool ReadShortcut(const std::string& path, ShortcutInfo& info);

// A file opened without sharing for the lifetime of the object.
class LockedFile {
public:
    explicit LockedFile(const std::string& path);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    bool IsLocked() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// COM initialised (apartment model) for the lifetime of the object, as the program does at start.
class ComScope {
public:
    ComScope() : result_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};
