// The system as the native distribution builder takes it: a default Windows installation
// (edge/default_windows.h).
#include "edge/system_info.h"

#include "edge/default_windows.h"

// Windows 10 as GetVersionEx gives it to the program, whose manifest names that version.
SystemVersionInfo QuerySystemVersion() { return {true, VER_PLATFORM_WIN32_NT, 10, 0, 19045}; }

std::string WindowsDirectory() { return DefaultWindowsDirectory(); }
