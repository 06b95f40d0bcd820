#include "sys/shared_dll.h"

#include "base/text.h"

// The counts and the registration itself are in shared_dll_windows.cpp.

bool IsServerFile(const std::string& path) {
    return FindNoCase(".OCX", path) != 0 || FindNoCase(".DLL", path) != 0;
}
