#pragma once
// Standard folders and the path macros that name them in script values.
#include <functional>
#include <string>
#include <vector>

struct ProgramState;

// File-system path of a shell folder by CSIDL number, without a trailing backslash; empty on failure.
std::string GetSpecialFolder(int csidl);

// Where the folder determination gets its answers; tests replace single sources to drive fallbacks.
struct FolderSources {
    std::function<std::string(int csidl)> specialFolder;        // GetSpecialFolder
    std::function<std::string()> tempPath;                      // GetTempPathA, empty on failure
    std::function<std::string()> windowsDirectory;              // GetWindowsDirectoryA
    std::function<std::string()> systemDirectory;               // GetSystemDirectoryA
    std::function<std::string()> programFilesDirFromRegistry;   // HKLM ...\CurrentVersion ProgramFilesDir
    std::function<bool(const std::string& path)> fileExists;
    std::function<bool(const std::string& folder)> folderExists;
    // The running system's. On a system that is no Windows (the native distribution builder):
    // those of a default Windows installation (edge/default_windows.h) as a 32-bit program gets them.
    static FolderSources System();
    // The folders a program of that bitness (32 or 64) would get: on Windows this machine's own
    // (System()), elsewhere a default Windows installation's.
    static FolderSources ForProgram(int programBits);
};

// Determines every folder value of the state in the documented order. Returns the fatal-error lines
// ("【致命的エラー → …】" + CR LF each) for a Windows or system folder that no source gives.
std::string DetermineFolders(ProgramState& state, const FolderSources& sources);

// Every occurrence of one macro replaced by one value (case-insensitive match).
std::string ReplaceMacro(const std::string& text, const std::string& macro, const std::string& value);
// The macros of the table, in expansion order ("(App)", "(Prg)", …).
std::vector<std::string> MacroNames();
// Every macro of the table replaced by its current value in g_state, in the table's order.
std::string ExpandMacros(const std::string& text);
