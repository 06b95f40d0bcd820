#pragma once
// The uninstall log written the literal, slow way: one profile write per key, each preceded by a
// flush, and each item's number found by reading the keys back from the file. Kept only to prove
// that the program's one-piece writer leaves the same bytes (tests and bench/ use it).
#include <windows.h>

#include <string>

#include "script/uninstall_log.h"

// LogSlot reading the log file key by key.
long ReferenceLogSlot(const std::string& item, const std::string& section, const std::string& keyPrefix,
                      const std::string& logPath);

// Deletes the old log and writes every key with WriteIniValue, in the documented order.
// Under "Setup Only." nothing is touched. Returns 0.
DWORD WriteUninstallLogKeyByKey(const UninstallLogContent& content, const std::string& logPath);
