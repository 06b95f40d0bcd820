// The entries of the install run's sections, judged with the install engine's own parsers.
#include <set>

#include "app/startup_rules.h"
#include "check/check_util.h"
#include "check/checks.h"
#include "check/messages.h"
#include "core/state.h"
#include "install/completion.h"
#include "install/registry_entry.h"
#include "install/relate_entry.h"
#include "install/shortcut_entry.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "base/text.h"
#include "sys/registry.h"
#include "sys/guarded_folders.h"
#include "sys/removal.h"

namespace {

// The text behind the n-th comma (n from 1), or empty.
std::string AfterComma(const std::string& value, int n) {
    size_t at = 0;
    for (int i = 0; i < n; ++i) {
        at = value.find(',', at);
        if (at == std::string::npos) return {};
        ++at;
    }
    return value.substr(at);
}

long FieldCount(const std::string& value) {
    long count = 1;
    for (char c : value)
        if (c == ',') ++count;
    return count;
}

// The path is the expanded one; the message names it as the script writes it.
void CheckInstalled(ScriptContext& context, const std::vector<PlannedCopy>& copies, const std::string& section,
                    const ListEntry& entry, const std::string& path, const std::string& written) {
    if (path.empty() || Installs(copies, path) || IsPathDelimiterAt(path, path.size() - 1)) return;
    if (EqualsNoCase(AddDelimiter(path, "B"), context.InstallFolder())) return;
    if (IsInsideFolder(path, context.InstallFolder()))
        context.Error(entry.line, Say(Msg::NotInstalledInFolder, {section, entry.key, written}));
    else if (!PathExists(path))
        context.Warning(entry.line, Say(Msg::NotInstalledElsewhere, {section, entry.key, written}));
}

// The flags of an options field: "/S", "/W" and "/R" in any order, nothing else.
bool OnlyKnownOptions(const std::string& options) {
    std::string rest = options;
    while (!rest.empty() && rest.back() == ' ') rest.pop_back();
    if (rest.empty()) return true;
    if (rest[0] != '/') return false;
    for (size_t i = 0; i < rest.size(); i += 2) {
        if (rest[i] != '/' || i + 1 >= rest.size()) return false;
        char flag = static_cast<char>(rest[i + 1] & ~0x20);
        if (flag != 'S' && flag != 'W' && flag != 'R') return false;
    }
    return true;
}

std::string SeenOptions(const CopyEntry& entry) {
    std::string seen;
    if (HasSharedFlag(entry)) seen += "/S";
    if (HasAlwaysWriteFlag(entry)) seen += "/W";
    if (HasRegisterFlag(entry)) seen += "/R";
    return seen.empty() ? Say(Msg::NoOption) : seen;
}

// The name a compressed file records is the one its entry implies when only the last letter is
// restored (APP.DL_ → APP.DLL), or, for a name that had "_" appended, when the "_" is dropped.
bool ImpliedName(const std::string& compressed, const std::string& expanded) {
    std::string extension = GetField(FileNamePart(compressed), ".", 2);
    bool sameLength = expanded.size() == compressed.size() && expanded.back() != '_' &&
                      EqualsNoCase(expanded.substr(0, expanded.size() - 1), compressed.substr(0, compressed.size() - 1));
    if (sameLength) return true;
    return extension.size() != 3 && EqualsNoCase(expanded + "_", compressed);
}

void CheckCopyFile(ScriptContext& context, const std::vector<PlannedCopy>& copies) {
    for (const PlannedCopy& copy : copies) {
        const ListEntry& entry = copy.entry;
        const std::string& name = copy.parsed.sourceName;
        if (!IsFullPath(copy.parsed.destination))
            context.Error(entry.line, Say(Msg::NotFullPath, {"CopyFile", entry.key, GetField(entry.value, ",", 1)}));
        if (!copy.found && copy.disk > 1) {
            context.Warning(entry.line, Say(Msg::SourceOnLaterDisk, {entry.key, name, IntToStr(copy.disk)}));
        } else if (!copy.found) {
            context.Error(entry.line, Say(Msg::SourceMissing, {entry.key, name}));
        } else {
            CheckNameCase(context, "CopyFile", entry.key, entry.line, copy.source);
            std::string expanded = FileNamePart(copy.destination);
            if (copy.compressed && copy.parsed.newName.empty() && !ImpliedName(name, expanded))
                context.Error(entry.line, Say(Msg::CompressedName, {entry.key, name, expanded}));
        }
        if (!OnlyKnownOptions(copy.parsed.options))
            context.Warning(entry.line, Say(Msg::UnknownOption, {entry.key, copy.parsed.options, SeenOptions(copy.parsed)}));
        std::string extra = AfterComma(entry.value, 2);
        if (!extra.empty()) context.Warning(entry.line, Say(Msg::OptionExtraField, {entry.key, extra}));
    }
}

void CheckMakeFolder(ScriptContext& context) {
    // The install folder is made with its parents; every other folder one level at a time.
    std::set<std::string> made;
    for (std::string folder = context.InstallFolder(); folder.size() > 3;
         folder = FolderPart(RemoveDelimiter(folder, "B")))
        made.insert(UpperCase(folder));
    for (const ListEntry& entry : context.List("MakeFolder", "Folder")) {
        std::string folder = ExpandMacros(AddDelimiter(entry.value, "B"));
        if (!IsFullPath(folder)) {
            context.Error(entry.line, Say(Msg::NotFullPath, {"MakeFolder", entry.key, entry.value}));
            continue;
        }
        std::string parent = FolderPart(RemoveDelimiter(folder, "B"));
        // Inside the install folder nothing else makes the parent; outside, the user's machine may have it.
        if (parent.size() > 3 && !made.count(UpperCase(parent)) && !FolderExists(parent)) {
            if (IsInsideFolder(folder, context.InstallFolder()))
                context.Error(entry.line, Say(Msg::ParentNotMade, {entry.key, entry.value}));
            else
                context.Warning(entry.line, Say(Msg::ParentMaybeMissing, {entry.key, entry.value}));
        }
        made.insert(UpperCase(folder));
    }
}

void CheckShortCut(ScriptContext& context, const std::vector<PlannedCopy>& copies) {
    ShortcutBoxes offered = DecideShortcutBoxes(context.ScriptPath());
    for (const ListEntry& entry : context.List("ShortCut", "Make")) {
        std::string nameKey = "Name" + IntToStr(entry.number);
        std::string name = context.Read("ShortCut", nameKey, "Default");
        ShortcutPlan plan = PlanShortcut(entry.value, name);
        if (name.empty()) {
            context.Error(context.Line("ShortCut", nameKey), Say(Msg::ShortcutEmptyName, {nameKey, entry.key}));
            continue;
        }
        if (!ShortcutSelected(name, offered)) {
            context.Error(entry.line, Say(Msg::ShortcutNeverMade, {entry.key, BoxMacro(GoverningBox(name))}));
            continue;
        }
        if (context.Document().KeyLine("ShortCut", nameKey) == 0)
            context.Warning(entry.line, Say(Msg::MakeWithoutName, {entry.key, nameKey, FileNamePart(plan.target)}));
        CheckInstalled(context, copies, "ShortCut", entry, plan.target, GetField(entry.value, ",", 1));
    }
}

bool IsValueType(const std::string& type) {
    return type == "(Str)" || type == "(Exp)" || type == "(Int)" || type == "(Dwd)" || type == "(Bin)";
}

void CheckRegistryValue(ScriptContext& context, const ListEntry& entry) {
    std::string raw = ReplaceMacro(entry.value, "(Pdd)", "");
    std::string value = ExpandMacros(raw);
    std::string type = CopyHead(value, 5);
    std::string data = CopyFrom(value, 6);
    long number = 0;
    if (type == "(Int)" || type == "(Dwd)") {
        if (!TryStrToInt32(data, number)) context.Error(entry.line, Say(Msg::NotNumber, {entry.key, type, data}));
    } else if (type == "(Bin)") {
        RegistryValueSpec parsed = ParseRegistryValue(entry.value);
        if (parsed.kind == RegistryValueKind::None)
            context.Error(entry.line, Say(Msg::BinNotHex, {entry.key, data}));
        else if (data.size() % 2 != 0)
            context.Warning(entry.line, Say(Msg::BinOdd, {entry.key, data, LittleEndianBytes(parsed.number)}));
    } else if (!IsValueType(type)) {
        std::vector<MacroToken> tokens = MacroTokens(raw);
        if (!tokens.empty() && tokens.front().at == 0 && ExpandMacros(tokens.front().text) == tokens.front().text)
            context.Error(entry.line, Say(Msg::UnknownType, {entry.key, tokens.front().text}));
    }
}

void CheckRegistry(ScriptContext& context) {
    for (const ListEntry& entry : context.List("Registry", "Key")) {
        CheckRoot(context, "Registry", entry.key, entry.line, entry.value, SplitScriptKey(entry.value));
        std::string number = IntToStr(entry.number);
        std::string value = context.Read("Registry", "Value" + number);
        if (!value.empty()) {
            CheckRegistryValue(context, ListEntry{entry.number, "Value" + number, value, context.Line("Registry", "Value" + number)});
        } else if (!context.Read("Registry", "Name" + number).empty()) {
            context.Warning(context.Line("Registry", "Name" + number),
                            Say(Msg::NameUnused, {"Name" + number, "Value" + number}));
        }
    }
}

void CheckDeleteRegistry(ScriptContext& context) {
    for (const ListEntry& entry : context.List("DeleteRegistry", "Key")) {
        RootedKey rooted = SplitLogKey(entry.value);
        CheckRoot(context, "DeleteRegistry", entry.key, entry.line, entry.value, rooted);
        std::string name = RootName(RootKeyOf(rooted.root)) + "\\" + rooted.keyPath;
        if (IsSharedSystemRegistryKey(rooted.root, rooted.keyPath))
            context.Error(entry.line, Say(Msg::DeleteShared, {entry.key, name}));
        else if (IsProtectedRegistryKey(rooted.root, rooted.keyPath))
            context.Error(entry.line, Say(Msg::DeleteRefused, {entry.key, name}));
    }
}

void CheckIniFile(ScriptContext& context) {
    for (const ListEntry& entry : context.List("IniFile", "Data")) {
        std::string value = ExpandMacros(entry.value);
        if (FieldCount(value) > 4) {
            context.Error(entry.line, Say(Msg::IniComma, {entry.key, AfterComma(entry.value, 4)}));
        } else if (FieldCount(value) < 4 || GetField(value, ",", 1).empty() || GetField(value, ",", 2).empty() ||
                   GetField(value, ",", 4).empty()) {
            context.Error(entry.line, Say(Msg::IniFields, {entry.key, entry.value}));
        }
    }
}

void CheckAddDeleteFile(ScriptContext& context) {
    for (const ListEntry& entry : context.List("AddDeleteFile", "File")) {
        std::string path = GetField(ExpandMacros(entry.value), ",", 1);
        std::string written = GetField(entry.value, ",", 1);
        if (!IsFullPath(path)) {
            context.Error(entry.line, Say(Msg::NotFullPath, {"AddDeleteFile", entry.key, written}));
        } else if (path.find_first_of("*?") != std::string::npos) {
            // Decided on the places, as the uninstall decides: "(App)..\*.*" is Program Files.
            if (IsRootOrEmptyFolder(FolderPart(path)) || IsProtectedFolder(FolderPart(path)))
                context.Error(entry.line, Say(Msg::WildcardRefused, {entry.key, written}));
            else if (!IsSameOrInside(FolderPart(path), context.InstallFolder()))
                context.Error(entry.line, Say(Msg::WildcardOutside, {entry.key, written}));
        }
    }
}

void CheckRelate(ScriptContext& context, const std::vector<PlannedCopy>& copies) {
    for (long n = 1; n <= 20; ++n) {
        std::string nameKey = "Name" + IntToStr(n), fileKey = "File" + IntToStr(n);
        std::string name = context.Read("Relate", nameKey);
        std::string file = context.Read("Relate", fileKey);
        if (name.empty() != file.empty()) {
            const std::string& given = name.empty() ? fileKey : nameKey;
            context.Error(context.Line("Relate", given), Say(Msg::Orphan, {"Relate", given, name.empty() ? nameKey : fileKey}));
        }
        if (name.empty() || file.empty()) continue;
        ListEntry nameEntry{n, nameKey, name, context.Line("Relate", nameKey)};
        ListEntry fileEntry{n, fileKey, file, context.Line("Relate", fileKey)};
        RelateAssociation association = ParseAssociation(RelateEntry{name, file});
        if (association.extension.empty())
            context.Error(nameEntry.line, Say(Msg::RelateNoExtension, {nameKey}));
        else if (association.extension[0] == '.')
            context.Error(nameEntry.line, Say(Msg::RelateDot, {nameKey, association.extension}));
        if (FieldCount(name) > 2) context.Warning(nameEntry.line, Say(Msg::RelateNameFields, {nameKey, AfterComma(name, 2)}));
        long fields = FieldCount(ExpandMacros(file));
        if (association.program.empty())
            context.Error(fileEntry.line, Say(Msg::RelateNoProgram, {fileKey}));
        else if (fields != 5)
            context.Warning(fileEntry.line, Say(Msg::RelateFileFields, {fileKey, IntToStr(fields)}));
        CheckInstalled(context, copies, "Relate", fileEntry, association.program, GetField(file, ",", 2));
    }
}

void CheckExecuteFile(ScriptContext& context, const std::vector<PlannedCopy>& copies) {
    std::string value = context.Read("ExecuteFile", "File");
    ListEntry entry{0, "File", value, context.Line("ExecuteFile", "File")};
    if (value.empty() || value == "WINDOWS_REBOOT") return;
    if (EqualsNoCase(value, "WINDOWS_REBOOT")) {
        context.Error(entry.line, Say(Msg::RebootCase, {value}));
        return;
    }
    ExecuteFileSpec parsed = ParseExecuteFile(value);
    if (!parsed.mode.empty() && !parsed.createProcess) context.Warning(entry.line, Say(Msg::ExecuteMode, {parsed.mode}));
    CheckInstalled(context, copies, "ExecuteFile", entry, parsed.program, GetField(value, ",", 1));
}

}  // namespace

void CheckEntries(ScriptContext& context) {
    std::vector<PlannedCopy> copies = PlanCopies(context);
    CheckMakeFolder(context);
    CheckCopyFile(context, copies);
    CheckShortCut(context, copies);
    CheckRegistry(context);
    CheckIniFile(context);
    CheckDeleteRegistry(context);
    CheckAddDeleteFile(context);
    CheckRelate(context, copies);
    CheckExecuteFile(context, copies);
}
