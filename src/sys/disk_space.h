#pragma once
// Free disk space of a drive given as the drive part of a path ("C:" or "C:\").
#include <string>

// Bytes free to the calling user through the extended system call, looked up at run time;
// false and -1 when the call is missing or fails.
bool DiskFreeBytesEx(const std::string& drive, long long& bytes);
// Free clusters times cluster size through the classic call; false and -1 when it fails.
bool DiskFreeBytesClassic(const std::string& drive, long long& bytes);
// The extended call, else the classic one; false and -1 when both fail.
bool DiskFreeBytes(const std::string& drive, long long& bytes);
