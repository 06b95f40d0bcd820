#include "script/folders.h"

#include <vector>

#include "core/state.h"
#include "edge/shell_folders.h"
#include "base/text.h"

// The system's folder sources are in folders_windows.cpp; elsewhere (the native distribution
// builder) folders_posix.cpp gives those of a default Windows installation.

namespace {

struct MacroEntry {
    const char* macro;
    std::string ProgramState::*value;
};

// Expansion order; no macro is a substring of another.
const MacroEntry kMacros[] = {
    {"(App)", &ProgramState::InstallFolder},
    {"(Prg)", &ProgramState::ProgramFilesFolder},
    {"(Win)", &ProgramState::WindowsFolder},
    {"(Sys)", &ProgramState::SystemFolder},
    {"(Tmp)", &ProgramState::TempFolder},
    {"(Boo)", &ProgramState::WindowsDriveRoot},
    {"(Set)", &ProgramState::InstallDriveRoot},
    {"(Edr)", &ProgramState::SourceDriveRoot},
    {"(Smn)", &ProgramState::StartMenuFolder},
    {"(Sta)", &ProgramState::ProgramsFolder},
    {"(Dsk)", &ProgramState::DesktopFolder},
    {"(Sup)", &ProgramState::StartupFolder},
    {"(Sen)", &ProgramState::SendToFolder},
    {"(Myd)", &ProgramState::DocumentsFolder},
    {"(C_Smn)", &ProgramState::CommonStartMenuFolder},
    {"(C_Sta)", &ProgramState::CommonProgramsFolder},
    {"(C_Dsk)", &ProgramState::CommonDesktopFolder},
    {"(C_Sup)", &ProgramState::CommonStartupFolder},
    {"(C_Myd)", &ProgramState::CommonDocumentsFolder},
};

}  // namespace

std::string DetermineFolders(ProgramState& state, const FolderSources& sources) {
    std::string fatal;
    auto shell = [&](int csidl) { return AddDelimiter(sources.specialFolder(csidl), "B"); };

    std::string temp = sources.tempPath();
    state.TempFolder = temp.empty() ? state.SourceFolder : AddDelimiter(temp, "B");

    state.WindowsFolder = shell(CSIDL_WINDOWS);
    if (state.WindowsFolder == "\\") {
        std::string windows = sources.windowsDirectory();
        if (windows.empty())
            fatal += "【致命的エラー → Windowsフォルダ取得失敗】\r\n";
        state.WindowsFolder = AddDelimiter(windows, "B");
    }
    state.SystemFolder = shell(CSIDL_SYSTEM);
    if (state.SystemFolder == "\\") {
        std::string system = sources.systemDirectory();
        if (system.empty())
            fatal += "【致命的エラー → WindowsSystemフォルダ取得失敗】\r\n";
        state.SystemFolder = AddDelimiter(system, "B");
    }
    state.ShfolderPresent = sources.fileExists(state.SystemFolder + "Shfolder.dll");

    std::string windowsDrive = DrivePart(state.WindowsFolder);
    state.ProgramFilesFolder = shell(CSIDL_PROGRAM_FILES);
    if (state.ProgramFilesFolder == "\\") {
        state.ProgramFilesFolder = AddDelimiter(sources.programFilesDirFromRegistry(), "B");
        if (state.ProgramFilesFolder == "\\" || !sources.folderExists(state.ProgramFilesFolder))
            state.ProgramFilesFolder = windowsDrive + "\\Program Files\\";
    }
    state.DocumentsFolder = shell(CSIDL_PERSONAL);
    if (state.DocumentsFolder == "\\") state.DocumentsFolder = windowsDrive + "\\My Documents\\";
    state.CommonDocumentsFolder = state.DocumentsFolder;

    state.InstallFolder = "(App)";
    state.WindowsDriveRoot = CopyHead(state.WindowsFolder, 2) + "\\";
    state.SourceDriveRoot = CopyHead(state.SourceFolder, 2) + "\\";

    state.StartMenuFolder = shell(CSIDL_STARTMENU);
    state.CommonStartMenuFolder = state.StartMenuFolder;
    state.ProgramsFolder = shell(CSIDL_PROGRAMS);
    state.CommonProgramsFolder = state.ProgramsFolder;
    state.DesktopFolder = shell(CSIDL_DESKTOPDIRECTORY);
    state.CommonDesktopFolder = state.DesktopFolder;
    state.StartupFolder = shell(CSIDL_STARTUP);
    state.CommonStartupFolder = state.StartupFolder;
    state.SendToFolder = shell(CSIDL_SENDTO);

    if (state.PlatformKind == "NT") {
        state.CommonStartMenuFolder = shell(CSIDL_COMMON_STARTMENU);
        state.CommonProgramsFolder = shell(CSIDL_COMMON_PROGRAMS);
        state.CommonDesktopFolder = shell(CSIDL_COMMON_DESKTOPDIRECTORY);
        state.CommonStartupFolder = shell(CSIDL_COMMON_STARTUP);
    }
    if (state.PlatformKind == "NT" || state.ShfolderPresent)
        state.CommonDocumentsFolder = shell(CSIDL_COMMON_DOCUMENTS);
    return fatal;
}

std::string ReplaceMacro(const std::string& text, const std::string& macro, const std::string& value) {
    std::string result = text;
    size_t searchFrom = 0;  // 0-based; the search goes on behind each inserted value
    bool valueEndsWithDelimiter = !value.empty() && IsPathDelimiterAt(value, value.size() - 1);
    while (true) {
        size_t found = FindNoCase(macro, result.substr(searchFrom));
        if (found == 0 || macro.empty()) break;
        size_t at = searchFrom + found - 1;
        std::string left = result.substr(0, at);
        std::string right = result.substr(at + macro.size());
        if (valueEndsWithDelimiter && !right.empty() && IsPathDelimiterAt(right, 0)) right.erase(0, 1);
        result = left + value + right;
        searchFrom = left.size() + value.size();
    }
    return result;
}

std::vector<std::string> MacroNames() {
    std::vector<std::string> names;
    for (const MacroEntry& entry : kMacros) names.push_back(entry.macro);
    return names;
}

std::string ExpandMacros(const std::string& text) {
    std::string result = text;
    for (const MacroEntry& entry : kMacros) {
        if (FindNoCase(entry.macro, result) != 0) result = ReplaceMacro(result, entry.macro, g_state.*entry.value);
    }
    return result;
}
