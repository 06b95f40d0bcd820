#include "edge/default_windows.h"

#include "edge/shell_folders.h"

namespace {

const char kWindows[] = "C:\\Windows";
const char kUser[] = "C:\\Users\\User";
const char kRoaming[] = "C:\\Users\\User\\AppData\\Roaming";
const char kStartMenu[] = "C:\\Users\\User\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
const char kCommonStartMenu[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
const char kProgramFiles[] = "C:\\Program Files";
const char kProgramFilesX86[] = "C:\\Program Files (x86)";

}  // namespace

std::string DefaultShellFolder(int csidl, int programBits) {
    std::string programFiles = programBits == 64 ? kProgramFiles : kProgramFilesX86;
    switch (csidl) {
    case CSIDL_WINDOWS: return kWindows;
    case CSIDL_SYSTEM: return DefaultSystemDirectory();
    case CSIDL_SYSTEMX86: return std::string(kWindows) + "\\SysWOW64";
    case CSIDL_FONTS: return std::string(kWindows) + "\\Fonts";
    case CSIDL_PROGRAM_FILES: return programFiles;
    case CSIDL_PROGRAM_FILESX86: return kProgramFilesX86;
    case CSIDL_PROGRAM_FILES_COMMON: return programFiles + "\\Common Files";
    case CSIDL_PROGRAM_FILES_COMMONX86: return std::string(kProgramFilesX86) + "\\Common Files";
    case CSIDL_PROFILE: return kUser;
    case CSIDL_APPDATA: return kRoaming;
    case CSIDL_LOCAL_APPDATA: return std::string(kUser) + "\\AppData\\Local";
    case CSIDL_COMMON_APPDATA: return "C:\\ProgramData";
    case CSIDL_PERSONAL: return std::string(kUser) + "\\Documents";
    case CSIDL_DESKTOPDIRECTORY: return std::string(kUser) + "\\Desktop";
    case CSIDL_SENDTO: return std::string(kRoaming) + "\\Microsoft\\Windows\\SendTo";
    case CSIDL_STARTMENU: return kStartMenu;
    case CSIDL_PROGRAMS: return std::string(kStartMenu) + "\\Programs";
    case CSIDL_STARTUP: return std::string(kStartMenu) + "\\Programs\\Startup";
    case CSIDL_COMMON_DOCUMENTS: return "C:\\Users\\Public\\Documents";
    case CSIDL_COMMON_DESKTOPDIRECTORY: return "C:\\Users\\Public\\Desktop";
    case CSIDL_COMMON_STARTMENU: return kCommonStartMenu;
    case CSIDL_COMMON_PROGRAMS: return std::string(kCommonStartMenu) + "\\Programs";
    case CSIDL_COMMON_STARTUP: return std::string(kCommonStartMenu) + "\\Programs\\Startup";
    default: return "";
    }
}

std::string DefaultWindowsDirectory() { return kWindows; }

std::string DefaultSystemDirectory() { return std::string(kWindows) + "\\system32"; }

std::string DefaultTemporaryFolder() { return std::string(kUser) + "\\AppData\\Local\\Temp\\"; }

std::vector<std::string> DefaultSystemFolders() {
    // Sysnative: the real system folder as a 32-bit program reaches it.
    std::vector<std::string> folders = {"C:\\Users", "C:\\Users\\Public", DefaultTemporaryFolder(),
                                        std::string(kWindows) + "\\Sysnative"};
    for (int csidl = 0; csidl <= 0x3F; ++csidl)
        for (int bits : {32, 64})
            if (std::string folder = DefaultShellFolder(csidl, bits); !folder.empty()) folders.push_back(folder);
    return folders;
}

std::vector<std::string> DefaultSystemFiles() {
    std::vector<std::string> files;
    for (const char* name : {"explorer.exe", "hh.exe", "notepad.exe", "regedit.exe", "write.exe"})
        files.push_back(std::string(kWindows) + "\\" + name);
    for (const char* name : {"cmd.exe", "msiexec.exe", "notepad.exe", "regsvr32.exe", "rundll32.exe", "shfolder.dll",
                             "write.exe"})
        files.push_back(DefaultSystemDirectory() + "\\" + name);
    return files;
}
