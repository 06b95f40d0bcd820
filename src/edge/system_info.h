#pragma once
// What the program asks the system about itself: its version and its Windows folder.
// Windows: system_info.cpp. Elsewhere (the native distribution builder) system_info_posix.cpp
// answers for a default Windows installation (edge/default_windows.h).
#include <string>

#include "edge/platform.h"

struct SystemVersionInfo {
    bool ok = false;  // false when the query failed
    DWORD platformId = 0;
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
};
SystemVersionInfo QuerySystemVersion();

// The Windows folder (GetWindowsDirectory) without its trailing "\"; empty when the system names none.
std::string WindowsDirectory();
