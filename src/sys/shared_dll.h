#pragma once
// Reference counts that Windows keeps for shared files, and the self-registration entry points of
// COM servers (OCX and DLL files).
#include <string>

#include "sys/registry.h"

// Where the counts live, under HKEY_LOCAL_MACHINE.
extern const char* const kSharedDllsKey;

// The stored count for the path (exactly as given), or 0 when absent or not a DWORD. Counts are
// unsigned 32-bit values, as Windows keeps them.
long long GetSharedCount(const std::string& path);
// The same answers through one key opened at the first question, for a run that asks about
// thousands of files (an uninstall); a key that is not there yet is looked for again.
class SharedCountReader {
public:
    long long Get(const std::string& path);

private:
    RegistryKey key_;
};
// Raises or lowers the count and returns the new value. Raising a file that is already present
// without a count counts that file as one earlier user; a count at the largest 32-bit value stays
// there (it never wraps round to 0, which would free the file). Lowering to 0 or below deletes
// the value. When the count cannot be stored, the user is told and the computed value is still
// returned.
long long ChangeSharedCount(const std::string& path, bool raise);

// Loads the library and calls DllRegisterServer (register) or DllUnregisterServer (not register);
// true only when registration was asked for and succeeded. Failures of registration are shown in
// install mode; unregistration never shows anything.
bool RegisterServer(const std::string& path, bool registerServer);

// True when the path contains ".OCX" or ".DLL" anywhere (case-insensitive).
bool IsServerFile(const std::string& path);
