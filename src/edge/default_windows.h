#pragma once
// A default Windows installation: 64-bit Windows 10 on drive C:, with one user, "User". What the
// native distribution builder assumes of the machine a distribution is installed on, since the
// system it runs on is no Windows: its folders as a program of either bitness gets them (its
// version is in system_info_posix.cpp).
//
//   Windows folder (Win)          C:\Windows\ and its system folder (Sys) C:\Windows\system32\,
//                                 the name GetSystemDirectory gives programs of both bitnesses
//   Program Files (Prg)           C:\Program Files\ for a 64-bit program, and for a 32-bit one
//                                 C:\Program Files (x86)\ (the one most distributions need)
//   temporary folder (Tmp)        C:\Users\User\AppData\Local\Temp\ (where the work folder is)
//   desktop, documents            C:\Users\User\Desktop\, C:\Users\User\Documents\ (Dsk, Myd)
//   Start menu (Smn)              C:\Users\User\AppData\Roaming\Microsoft\Windows\Start Menu\ with
//                                 Programs\ (Sta) and Programs\Startup\ (Sup) below it
//   Send To (Sen)                 C:\Users\User\AppData\Roaming\Microsoft\Windows\SendTo\ folder
//   all users' (C_Dsk), (C_Myd)   C:\Users\Public\Desktop\, C:\Users\Public\Documents\ folders
//   all users' (C_Smn)            C:\ProgramData\Microsoft\Windows\Start Menu\ with (C_Sta), (C_Sup)
#include <string>
#include <vector>

// The shell folder of a CSIDL number as a program of that bitness (32 or 64) gets it, without a
// trailing "\"; empty for a number the determination does not use.
std::string DefaultShellFolder(int csidl, int programBits);
std::string DefaultWindowsDirectory();    // "C:\Windows"
std::string DefaultSystemDirectory();     // "C:\Windows\system32"
std::string DefaultTemporaryFolder();     // with its trailing "\"
// Every folder of the installation above, of both bitnesses, and SysWOW64: what no removal may take.
std::vector<std::string> DefaultSystemFolders();
// The programs of Windows itself that scripts start (Notepad, WordPad, Explorer, the registry
// editor, the help viewer, the command prompt, ...), in the Windows and system folders.
std::vector<std::string> DefaultSystemFiles();
