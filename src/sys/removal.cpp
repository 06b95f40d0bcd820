#include "sys/removal.h"

#include <vector>

#include "base/registry_rules.h"
#include "base/text.h"
#include "sys/registry.h"

// The decisions of what a removal refuses; the removals themselves are in removal_windows.cpp.

namespace {

// The non-empty components of a path split at its backslashes (double-byte aware).
std::vector<std::string> PathComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsPathDelimiterAt(path, i)) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// The root of a log's key as the shared-key rules name it.
KeyRoot RuleRootOf(const std::string& rootMacro) {
    HKEY root = RootKeyOf(rootMacro);
    if (root == HKEY_CLASSES_ROOT) return KeyRoot::ClassesRoot;
    if (root == HKEY_LOCAL_MACHINE) return KeyRoot::LocalMachine;
    if (root == HKEY_USERS) return KeyRoot::Users;
    return KeyRoot::CurrentUser;
}

}  // namespace

bool IsRootOrEmptyFolder(const std::string& folder) {
    std::string text = folder;
    while (!text.empty() && IsPathDelimiterAt(text, text.size() - 1) && text.size() > 2) text.pop_back();
    if (text.empty() || text == "\\" || text == "\\\\") return true;
    if (text.size() == 2 && text[1] == ':') return true;
    if (text.size() == 3 && text[1] == ':' && text[2] == '\\') return true;
    if (text.size() > 2 && text[0] == '\\' && text[1] == '\\') return PathComponents(text).size() <= 2;
    return false;
}

bool IsProtectedRegistryKey(const std::string& rootMacro, const std::string& keyPath) {
    return JudgeRegistryKey(RuleRootOf(rootMacro), keyPath) != KeyVerdict::Own;
}

bool IsSharedSystemRegistryKey(const std::string& rootMacro, const std::string& keyPath) {
    return JudgeRegistryKey(RuleRootOf(rootMacro), keyPath) == KeyVerdict::Shared;
}
