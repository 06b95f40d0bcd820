#include "sys/disk_space.h"

#include <windows.h>

#include <cmath>

#include "edge/wide.h"
#include "base/text.h"
#include "edge/handles.h"

namespace {

using FreeSpaceEx = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

}  // namespace

bool DiskFreeBytesEx(const std::string& drive, long long& bytes) {
    std::wstring root = Wide(AddDelimiter(drive, "B"));
    bytes = -1;
    // Windows 95 before OSR2 lacks the extended call.
    LibraryHandle kernel(LoadLibraryW(L"KERNEL32.DLL"));
    if (!kernel.Valid()) return false;
    FARPROC proc = GetProcAddress(kernel.Get(), "GetDiskFreeSpaceExW");
    if (!proc) return false;
    auto freeSpaceEx = reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void (*)()>(proc));
    ULARGE_INTEGER toCaller = {}, total = {}, totalFree = {};
    if (!freeSpaceEx(root.c_str(), &toCaller, &total, &totalFree)) return false;
    bytes = static_cast<long long>(toCaller.QuadPart);
    return true;
}

bool DiskFreeBytesClassic(const std::string& drive, long long& bytes) {
    std::wstring root = Wide(AddDelimiter(drive, "B"));
    bytes = -1;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return false;
    // Unsigned factors: a count above 2^31 clusters is still a positive amount of space.
    double product = static_cast<double>(sectorsPerCluster) * static_cast<double>(freeClusters) *
                     static_cast<double>(bytesPerSector);
    bytes = std::llround(product);
    return true;
}

bool DiskFreeBytes(const std::string& drive, long long& bytes) {
    return DiskFreeBytesEx(drive, bytes) || DiskFreeBytesClassic(drive, bytes);
}
