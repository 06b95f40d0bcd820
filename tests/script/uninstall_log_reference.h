#pragma once
// The uninstall log written the literal, slow way, through the system's profile functions alone:
// one write per key, each preceded by a flush, and each item's number found by reading the keys
// back from the file. Kept only to prove that the program's one-piece writer leaves the same bytes
// (tests and bench/ use it). Under code page 932 the system writes the file in code page 932.
#include <windows.h>

#include <string>

#include "script/uninstall_log.h"

// A value of the log as the system reads it; the fallback when the key is absent.
std::string ReferenceLogValue(const std::string& section, const std::string& key, const std::string& fallback,
                              const std::string& logPath);

// LogSlot reading the log file key by key.
long ReferenceLogSlot(const std::string& item, const std::string& section, const std::string& keyPrefix,
                      const std::string& logPath);

// Deletes the old log and writes every key with WritePrivateProfileStringW, in the documented order.
// Under "Setup Only." nothing is touched. Returns 0.
DWORD WriteUninstallLogKeyByKey(const UninstallLogContent& content, const std::string& logPath);
