#include "check/plan.h"

#include "app/startup_rules.h"
#include "check/check_util.h"
#include "check/messages.h"
#include "core/state.h"
#include "install/completion.h"
#include "install/install_log.h"
#include "install/registry_entry.h"
#include "install/relate_entry.h"
#include "install/shortcut_entry.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "sys/registry.h"
#include "sys/guarded_folders.h"
#include "sys/removal.h"
#include "sys/shared_dll.h"
#include "uninstall/uninstall_run.h"

namespace {

class PlanText {
public:
    void Heading(Msg heading) { Raw("\n" + Say(heading)); }
    void Line(Msg tag, const std::string& what, const std::vector<std::string>& notes = {}) {
        text_ += "  " + Say(tag) + " " + what;
        for (size_t i = 0; i < notes.size(); ++i) text_ += (i == 0 ? "  (" : ", ") + notes[i];
        if (!notes.empty()) text_ += ")";
        text_ += "\n";
    }
    void Value(HKEY root, const std::string& keyPath, const std::string& name, const RegistryValueSpec& value) {
        std::string shown = name.empty() ? Say(Msg::DefaultValueName) : name;
        Line(Msg::TagValue, RootName(root) + "\\" + NormalizeKeyPath(keyPath) + " [" + shown + "] " + TypeAndData(value));
    }
    void LogEntry(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& meaning) {
        text_ += "  [" + section + "] " + key + "=" + value + "  -- " + meaning + "\n";
    }
    void Raw(const std::string& line) { text_ += line + "\n"; }
    const std::string& Text() const { return text_; }

private:
    static std::string TypeAndData(const RegistryValueSpec& value) {
        switch (value.kind) {
        case RegistryValueKind::String: return "REG_SZ " + value.text;
        case RegistryValueKind::ExpandString: return "REG_EXPAND_SZ " + value.text;
        case RegistryValueKind::Dword: return "REG_DWORD " + IntToStr(static_cast<long long>(value.number));
        case RegistryValueKind::Binary: return "REG_BINARY " + LittleEndianBytes(value.number);
        case RegistryValueKind::None: break;
        }
        return "(" + Say(Msg::NoteNothingWritten) + ")";
    }

    std::string text_;
};

// Everything the run appends to the uninstall log, gathered while the plan is written.
struct PlanState {
    RemovalLists lists;
    RestoreRelateSlots relateSlots{};
};

std::string BoxList(const ShortcutBoxes& boxes) {
    std::string list;
    for (const auto& [ticked, macro] : {std::pair{boxes.desktop, "(Dsk)"}, std::pair{boxes.startMenu, "(Sta)"},
                                        std::pair{boxes.startUp, "(Sup)"}, std::pair{boxes.sendTo, "(Sen)"}})
        if (ticked) list += (list.empty() ? "" : " ") + std::string(macro);
    return list.empty() ? Say(Msg::PlanNoBoxes) : Say(Msg::PlanBoxes, {list});
}

void PlanFolders(const ScriptContext& context, PlanText& plan, PlanState& state) {
    plan.Heading(Msg::PlanFolders);
    plan.Line(Msg::TagFolder, context.InstallFolder(), {Say(Msg::NoteInstallFolder)});
    for (const ListEntry& entry : context.List("MakeFolder", "Folder")) {
        std::string folder = ExpandMacros(AddDelimiter(entry.value, "B"));
        plan.Line(Msg::TagFolder, folder);
        state.lists.FolderLog.Append(folder);
    }
}

void PlanFiles(const ScriptContext& context, PlanText& plan, PlanState& state) {
    plan.Heading(Msg::PlanFiles);
    long disk = 1;
    for (const PlannedCopy& copy : PlanCopies(context)) {
        if (copy.disk != disk) plan.Line(Msg::TagDiskChange, IntToStr(disk = copy.disk));
        std::string what = copy.parsed.sourceName + " -> " + copy.destination;
        if (!copy.found) {
            plan.Line(Msg::TagMissing, what);
            continue;
        }
        std::vector<std::string> notes;
        if (HasSharedFlag(copy.parsed)) notes.push_back(Say(Msg::NoteShared));
        if (HasRegisterFlag(copy.parsed)) notes.push_back(Say(Msg::NoteRegistered));
        plan.Line(copy.compressed ? Msg::TagExpand : Msg::TagCopy, what, notes);
        state.lists.FileLog.Append(FileLogItem(copy.destination, copy.parsed.options));
    }
    state.lists.FileLog.Append(g_state.UninstallLogPath);
}

void PlanShortcuts(const ScriptContext& context, PlanText& plan, PlanState& state) {
    plan.Heading(Msg::PlanShortcuts);
    ShortcutBoxes boxes = DecideShortcutBoxes(context.ScriptPath());
    for (const ListEntry& entry : context.List("ShortCut", "Make")) {
        std::string name = context.Read("ShortCut", "Name" + IntToStr(entry.number), "Default");
        if (!ShortcutSelected(name, boxes)) {
            plan.Line(Msg::TagSkip, entry.key, {Say(Msg::NoteBoxNotOffered, {BoxMacro(GoverningBox(name))})});
            continue;
        }
        ShortcutPlan link = PlanShortcut(entry.value, name);
        std::vector<std::string> notes;
        if (!link.arguments.empty()) notes.push_back(Say(Msg::NoteArguments, {link.arguments}));
        if (!link.workFolder.empty()) notes.push_back(Say(Msg::NoteWorkFolder, {AddDelimiter(link.workFolder, "B")}));
        plan.Line(Msg::TagLink, link.linkPath + ".lnk -> " + link.target, notes);
        state.lists.ShortcutLog.Append(link.linkPath + ".lnk");
    }
}

void PlanRegistry(const ScriptContext& context, PlanText& plan) {
    plan.Heading(Msg::PlanRegistry);
    for (const ListEntry& entry : context.List("Registry", "Key")) {
        std::string number = IntToStr(entry.number);
        RootedKey rooted = SplitScriptKey(entry.value);
        std::string value = context.Read("Registry", "Value" + number);
        if (value.empty())
            plan.Line(Msg::TagKey, RootName(RootKeyOf(rooted.root)) + "\\" + NormalizeKeyPath(rooted.keyPath));
        else
            plan.Value(RootKeyOf(rooted.root), rooted.keyPath, context.Read("Registry", "Name" + number),
                       ParseRegistryValue(value));
    }
}

void PlanIniEntries(const ScriptContext& context, PlanText& plan) {
    plan.Heading(Msg::PlanIniEntries);
    for (const ListEntry& entry : context.List("IniFile", "Data")) {
        std::string value = ExpandMacros(entry.value);
        std::string file = GetField(value, ",", 4);
        // The profile functions put a file without a folder into the Windows folder.
        if (FolderPart(file).empty()) file = g_state.WindowsFolder + file;
        plan.Line(Msg::TagIni, file + " [" + GetField(value, ",", 1) + "] " + GetField(value, ",", 2) + "=" +
                                   GetField(value, ",", 3));
    }
}

// The removal lists the script names itself; they land in the log as they are.
void CollectRemovals(const ScriptContext& context, PlanState& state) {
    for (const ListEntry& entry : context.List("DeleteRegistry", "Key")) state.lists.RegistryLog.Append(entry.value);
    for (const ListEntry& entry : context.List("AddDeleteFile", "File"))
        state.lists.AddDeleteLog.Append(ExpandMacros(entry.value));
}

void PlanAssociations(const ScriptContext& context, PlanText& plan, PlanState& state) {
    plan.Heading(Msg::PlanAssociations);
    for (const RelateEntry& entry : ReadRelateEntries(context.Script())) {
        RelateAssociation association = ParseAssociation(entry);
        if (association.extension.empty()) continue;
        // The earlier file type is the one this machine has now.
        RegistryKey key;
        std::string previous;
        bool hadDefault = key.Open(HKEY_CLASSES_ROOT, "." + association.extension, KEY_READ) == ERROR_SUCCESS &&
                          key.QueryString("", previous);
        RecordPreviousAssociation(state.relateSlots, association.extension, hadDefault, previous);
        for (const AssociationValue& value : AssociationValues(association))
            plan.Value(HKEY_CLASSES_ROOT, value.keyPath, "", RegistryValueSpec{RegistryValueKind::String, value.value, 0});
    }
}

void PlanFinishing(const ScriptContext& context, PlanText& plan) {
    plan.Heading(Msg::PlanFinishing);
    plan.Line(Msg::TagCopy, "SETUP.EXE -> " + g_state.WindowsFolder + UninstallerFileName(kSixtyFourBitBuild), {Say(Msg::NoteWhenNewer)});
    if (!g_state.ProgramId.empty())
        plan.Line(Msg::TagIni, g_state.WindowsFolder + "OVSET98.INI [" + g_state.ProgramId + "] Folder=" + g_state.InstallFolder);
    if (!IsSetupOnly(g_state.UnSetupTitle)) {
        plan.Line(Msg::TagLog, g_state.UninstallLogPath);
        UninstallEntry entry = DecideUninstallEntry(context.Script());
        for (const NamedRegistryValue& value : UninstallEntryValues(entry))
            plan.Value(HKEY_LOCAL_MACHINE, entry.keyPath, value.name, value.value);
    }
    InstallCompletionPage page = BuildInstallCompletionPage(context.Read("ExecuteFile", "File"), false, g_state.SetupWord);
    if (page.restartOffered) plan.Line(Msg::TagRestart, "ExitWindowsEx");
    if (!page.execute.program.empty()) {
        std::vector<std::string> notes;
        if (!page.execute.arguments.empty()) notes.push_back(Say(Msg::NoteArguments, {page.execute.arguments}));
        plan.Line(page.execute.createProcess ? Msg::TagStart : Msg::TagOpen, page.execute.program, notes);
    }
}

std::string FileMeaning(const std::string& value) {
    LogEntry entry = SplitLogEntry(value);
    std::string meaning;
    if (HasLogOption(entry.Options, "/S"))
        meaning = Say(Msg::UndoFileShared);
    else if (HasLogOption(entry.Options, "/C"))
        meaning = Say(Msg::UndoFileAsk);
    else if (HasLogOption(entry.Options, "/L"))
        return Say(Msg::UndoFileKeep);
    else if (IsServerFile(entry.Path) &&
             (ContainsNoCase(entry.Path, g_state.WindowsFolder) || ContainsNoCase(entry.Path, g_state.SystemFolder)))
        meaning = Say(Msg::UndoFileServer);
    else
        meaning = Say(Msg::UndoFile);
    if (HasLogOption(entry.Options, "/F")) meaning += Say(Msg::UndoAtRestart);
    return meaning;
}

std::string AddDeleteMeaning(const std::string& value) {
    std::string path = SplitLogEntry(value).Path;
    if (path.find_first_of("*?") == std::string::npos) return Say(Msg::UndoAddDelete);
    bool refused = IsRootOrEmptyFolder(FolderPart(path)) || IsProtectedFolder(FolderPart(path));
    return refused ? Say(Msg::UndoRefused) : Say(Msg::UndoWildcard);
}

std::string RegistryMeaning(const std::string& value) {
    RootedKey rooted = SplitLogKey(value);
    if (IsProtectedRegistryKey(rooted.root, rooted.keyPath)) return Say(Msg::UndoRefused);
    return Say(Msg::UndoKey, {RootName(RootKeyOf(rooted.root)) + "\\" + NormalizeKeyPath(rooted.keyPath)});
}

std::string RestoreMeaning(const std::string& value) {
    std::string extension = GetField(value, ",", 1);
    std::string previous = CopyFrom(value, static_cast<long long>(extension.size()) + 2);
    return previous.empty() ? Say(Msg::UndoRestoreNone, {extension}) : Say(Msg::UndoRestore, {extension, previous});
}

// The log's lists in the order the uninstall replays them.
void PlanUninstall(const ScriptContext& context, PlanText& plan, const PlanState& state) {
    if (IsSetupOnly(g_state.UnSetupTitle)) {
        plan.Raw("\n" + Say(Msg::PlanNoUninstall));
        return;
    }
    plan.Raw("\n" + Say(Msg::PlanUninstall, {g_state.UninstallLogPath}));
    UninstallLogContent content;
    content.InstallFolder = g_state.InstallFolder;
    content.UnSetupTitle = g_state.UnSetupTitle;
    content.SetupWord = g_state.SetupWord;
    content.UnSetupWord = g_state.UnSetupWord;
    content.UnSetupOption = context.Read("Extend", "UnSetupOption");
    content.UninstallKeyPath = DecideUninstallEntry(context.Script()).keyPath;
    content.ProgramId = g_state.ProgramId;
    content.Lists = state.lists;
    content.RestoreRelateKeys = state.relateSlots;
    IniDocument log = BuildUninstallLog(content);

    if (!g_state.ProgramId.empty())
        plan.LogEntry("ProgramID", "ID", g_state.ProgramId, Say(Msg::UndoProgramId, {g_state.ProgramId}));
    auto list = [&](const LogList& which, auto meaning, bool lastFirst) {
        std::vector<std::string> values = ReadNumberedList(log, which);
        for (size_t i = 0; i < values.size(); ++i) {
            size_t n = lastFirst ? values.size() - 1 - i : i;
            plan.LogEntry(which.Section, which.KeyPrefix + IntToStr(static_cast<long long>(n + 1)), values[n],
                          meaning(values[n]));
        }
    };
    list(kFileList, FileMeaning, false);
    list(kAddDeleteList, AddDeleteMeaning, false);
    list(kShortcutList, [](const std::string&) { return Say(Msg::UndoShortcut); }, false);
    list(kFolderList, [](const std::string&) { return Say(Msg::UndoFolder); }, true);
    list(kRegistryList, RegistryMeaning, false);
    for (int slot = 1; slot <= 20; ++slot) {
        std::string value = log.Get(kRestoreRelateList.Section, kRestoreRelateList.KeyPrefix + IntToStr(slot), "");
        if (!value.empty())
            plan.LogEntry(kRestoreRelateList.Section, kRestoreRelateList.KeyPrefix + IntToStr(slot), value,
                          RestoreMeaning(value));
    }
    plan.LogEntry("UnSetupRegistryKey", "Key", content.UninstallKeyPath,
                  Say(Msg::UndoUninstallKey, {content.UninstallKeyPath}));
    plan.LogEntry("SetupFolder", "Folder", g_state.InstallFolder,
                  UninstallEngine::IsProtectedInstallFolder(g_state.InstallFolder) ? Say(Msg::UndoProtectedFolder)
                                                                                  : Say(Msg::UndoInstallFolder));
}

}  // namespace

std::string BuildPlan(const ScriptContext& context, const std::string& scriptName) {
    PlanText plan;
    PlanState state;
    plan.Raw(Say(Msg::PlanTitle, {scriptName, context.InstallFolder()}));
    plan.Raw(Say(Msg::PlanAssumptions, {BoxList(DecideShortcutBoxes(context.ScriptPath()))}));
    if (FileExists(g_state.UninstallLogPath)) plan.Raw(Say(Msg::NoteEarlierLog));
    PlanFolders(context, plan, state);
    PlanFiles(context, plan, state);
    PlanShortcuts(context, plan, state);
    PlanRegistry(context, plan);
    PlanIniEntries(context, plan);
    CollectRemovals(context, state);
    PlanAssociations(context, plan, state);
    PlanFinishing(context, plan);
    PlanUninstall(context, plan, state);
    return plan.Text();
}
