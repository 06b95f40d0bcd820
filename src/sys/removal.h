#pragma once
// Removal of files, folders and registry keys, and deletion at the next start of Windows.
// Results are Windows error codes (0 = success) unless said otherwise; nothing here shows a message
// except a failed scheduling of a deletion at restart.
#include <string>

#include "edge/platform.h"

// The window that owns the shell's delete operations (the wizard); NULL until set.
void SetOperationOwnerWindow(HWND owner);
HWND OperationOwnerWindow();

// Deletes a file, or everything a wildcard in the last path element matches (subfolders with their
// contents), through the shell, for good. A COM server is unregistered first. A path that names no
// file and holds no wildcard gives 2; a single file that is still there afterwards is never 0.
// A wildcard directly in a drive root, a share root or a path without a folder is refused with 5.
DWORD DeleteFiles(const std::string& path);

// An empty folder text, a drive ("C:", "C:\", "\") or a share root ("\\server\share\"): places
// where a wildcard deletion would take everything, so DeleteFiles and RemoveFolder refuse them.
bool IsRootOrEmptyFolder(const std::string& folder);

// Deletes the files matching each pattern of the list ("*.INI|*.GID|", the last "|" optional)
// inside the folder, then removes the folder; the result is that of the removal alone (145 when
// something remains). An empty folder text or a drive or share root is refused with 5.
DWORD RemoveFolder(const std::string& folder, const std::string& patterns);

// Deletes the key with all its subkeys, trying up to 99 times; failures are ignored. A root, a
// whole hive or a key directly below one is refused, and so is every key that Windows or every
// program shares, however the log spells it (base/registry_rules.h). Always true.
bool DeleteRegistryKey(const std::string& rootMacro, const std::string& keyPath);
// Whether DeleteRegistryKey would refuse the key.
bool IsProtectedRegistryKey(const std::string& rootMacro, const std::string& keyPath);
// Whether the key is one that Windows and every program share (refused for that reason).
bool IsSharedSystemRegistryKey(const std::string& rootMacro, const std::string& keyPath);

// The 8.3 form of an existing path; empty when the system cannot give it.
std::string ShortPathOf(const std::string& path);

// Arranges for Windows to delete the file or folder at its next start, by the platform kind:
// "NT" through the system's delayed move, "notNT" through the [Rename] section of WININIT.INI in
// the Windows folder, nothing for any other kind. False (after a message) when it could not be
// arranged.
bool DeleteAtRestart(const std::string& path);
// Adds "name=value" to the [Rename] section of WININIT.INI in the Windows folder, which Windows
// 95/98/Me carries out at its next start: "Nul=path" deletes, "destination=source" moves. False
// (after a message) when the file could not be read or written.
bool AddWininitRename(const std::string& name, const std::string& value);
