#include "check/check_util.h"

#include <cstdio>

#include "check/messages.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "base/text.h"
#include "sys/expand.h"
#include "sys/registry.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsMacroCharacter(char c) { return IsAsciiLetter(c) || c == '_'; }

}  // namespace

bool IsFullPath(const std::string& path) {
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
    return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    std::string base = UpperCase(AddDelimiter(folder, "B"));
    std::string text = UpperCase(path);
    return text.size() > base.size() && text.compare(0, base.size(), base) == 0;
}

std::string RootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS) return "HKEY_USERS";
    return "HKEY_CURRENT_USER";
}

bool IsExactRoot(const std::string& rootMacro) {
    return rootMacro == "(Class)" || rootMacro == "(Local)" || rootMacro == "(Users)" || rootMacro == "(Cuser)";
}

std::vector<MacroToken> MacroTokens(const std::string& text) {
    std::vector<MacroToken> tokens;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '(') continue;  // never a byte of another character in UTF-8
        size_t end = i + 1;
        while (end < text.size() && end - i <= 8 && IsMacroCharacter(text[end])) ++end;
        if (end > i + 1 && end < text.size() && text[end] == ')')
            tokens.push_back(MacroToken{i, text.substr(i, end - i + 1)});
    }
    return tokens;
}

const char* BoxMacro(ShortcutBox box) {
    switch (box) {
    case ShortcutBox::Desktop: return "(Dsk)";
    case ShortcutBox::StartMenu: return "(Sta)";
    case ShortcutBox::StartUp: return "(Sup)";
    case ShortcutBox::SendTo: return "(Sen)";
    case ShortcutBox::None: break;
    }
    return "";
}

std::string LittleEndianBytes(DWORD number) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02X %02X %02X %02X", static_cast<unsigned>(number & 0xFF),
                  static_cast<unsigned>((number >> 8) & 0xFF), static_cast<unsigned>((number >> 16) & 0xFF),
                  static_cast<unsigned>((number >> 24) & 0xFF));
    return text;
}

std::vector<PlannedCopy> PlanCopies(const ScriptContext& context) {
    std::vector<PlannedCopy> copies;
    long disk = 1;
    for (const ListEntry& entry : context.List("CopyFile", "File")) {
        PlannedCopy copy;
        copy.entry = entry;
        copy.parsed = ParseCopyEntry(ExpandMacros(entry.value));
        if (copy.parsed.diskChange) ++disk;
        copy.disk = disk;
        copy.source = context.ResolveSource(SourceQuery{copy.parsed.sourceName, copy.parsed.destination, disk});
        copy.found = !copy.source.empty();
        if (!copy.found) copy.source = context.SourceFolder() + copy.parsed.sourceName;
        copy.compressed = IsCompressedName(copy.source);
        copy.destination = copy.found && copy.compressed ? ExpandedDestination(copy.source, copy.parsed.destination)
                                                         : copy.parsed.destination;
        copies.push_back(copy);
    }
    return copies;
}

bool Installs(const std::vector<PlannedCopy>& copies, const std::string& path) {
    for (const PlannedCopy& copy : copies)
        if (copy.found && EqualsNoCase(copy.destination, path)) return true;
    return false;
}

void CheckNameCase(ScriptContext& context, const std::string& section, const std::string& key, int line,
                   const std::string& path) {
    std::string onDisk = NameOnDisk(path);
    std::string named = PathFileName(path);
    if (!onDisk.empty() && onDisk != named) context.Warning(line, Say(Msg::WrongCase, {section, key, named, onDisk}));
}

void CheckRoot(ScriptContext& context, const std::string& section, const std::string& key, int line,
               const std::string& value, const RootedKey& rooted) {
    if (value.empty() || value[0] != '(' || IsExactRoot(CopyHead(value, 7))) return;
    size_t close = FindMbcs(")", value);
    std::string token = close != 0 ? value.substr(0, close) : CopyHead(value, 7);
    context.Error(line, Say(Msg::BadRoot, {section, key, token, RootName(RootKeyOf(rooted.root)) + "\\" + rooted.keyPath}));
}
