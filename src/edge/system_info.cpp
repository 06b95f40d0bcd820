#include "edge/system_info.h"

#include "edge/wide.h"

SystemVersionInfo QuerySystemVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    bool ok = GetVersionExW(&info) != FALSE;
#pragma GCC diagnostic pop
    return {ok, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

std::string WindowsDirectory() {
    UINT size = GetWindowsDirectoryW(nullptr, 0);
    std::wstring folder(size, L'\0');
    UINT length = size ? GetWindowsDirectoryW(folder.data(), size) : 0;
    if (length == 0 || length >= size) return "";
    return Narrow(folder.substr(0, length));
}
