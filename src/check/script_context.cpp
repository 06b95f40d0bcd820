#include "check/script_context.h"

#include "app/startup_rules.h"
#include "check/check_util.h"
#include "check/known_names.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "base/text.h"
#include "script/uninstall_log.h"

bool ScriptContext::Load(const std::string& scriptPath, const std::string& installFolder) {
    scriptPath_ = scriptPath;
    if (!FileExists(scriptPath) || !script_.Load(scriptPath)) return false;

    // What start-up determines before it reads the script.
    ResetProgramState();
    WindowsVersion version = QueryWindowsVersion();
    g_state.PlatformKind = version.PlatformKind;
    g_state.OsName = version.OsName;
    g_state.SetupMode = "SETUP";
    g_state.SourceFolder = PathFolder(scriptPath);
    g_state.ScriptPath = scriptPath;
    DetermineFolders(g_state, folderSources_.specialFolder ? folderSources_ : FolderSources::System());
    // A folder that is no Windows path (the native builder's, "/dist/") is never the install's
    // source: a single file's distribution is read from the work folder in the temporary folder.
    if (!IsFullPath(g_state.SourceFolder)) g_state.SourceDriveRoot = CopyHead(g_state.TempFolder, 2) + "\\";

    g_state.SetupWord = Read("Extend", "SetupString", "インストール");
    g_state.UnSetupWord = Read("Extend", "UnSetupString", "アンインストール");
    g_state.SetupSpeed = ParseSetupSpeed(Read("Extend", "SetupSpeed", "350"));
    g_state.SetupTitle = Read("Title", "Setup", "Orvant Setup");
    g_state.UnSetupTitle = Read("Title", "UnSetup", g_state.SetupTitle);
    g_state.ProgramId = Read("ProgramID", "ID");

    // The proposal is expanded while "(App)" is still its own text, as on the options page.
    std::string folder = installFolder;
    if (folder.empty()) folder = ExpandMacros(ProposeInstallFolder(scriptPath, g_state.ProgramId, g_state.WindowsFolder));
    g_state.InstallFolder = AddDelimiter(folder, "B");
    g_state.InstallDriveRoot = CopyHead(g_state.InstallFolder, 2) + "\\";
    g_state.UninstallLogPath = g_state.InstallFolder + kUninstallLogName;
    return true;
}

const std::string& ScriptContext::SourceFolder() const { return g_state.SourceFolder; }

std::string ScriptContext::ResolveSource(const SourceQuery& query) const {
    if (resolver_) return resolver_(query);
    std::string path = SourceFolder() + query.sourceName;
    return !query.sourceName.empty() && FileExists(path) ? path : std::string();
}

const std::string& ScriptContext::InstallFolder() const { return g_state.InstallFolder; }

std::vector<ListEntry> ScriptContext::List(const std::string& section, const std::string& prefix) const {
    std::vector<ListEntry> entries;
    for (long n = 1;; ++n) {
        std::string key = prefix + IntToStr(n);
        std::string value = Read(section, key);
        if (value.empty()) break;
        entries.push_back(ListEntry{n, key, value, Line(section, key)});
    }
    return entries;
}

std::vector<ListEntry> ScriptContext::Entries(const std::string& section, const std::string& word) const {
    const KnownSection* known = FindKnownSection(section);
    if (!known || known->numbered.empty()) return {};
    long last = known->lastNumber > 0 ? known->lastNumber
                                      : static_cast<long>(List(section, known->numbered.front()).size());
    std::vector<ListEntry> entries;
    for (long n = 1; n <= last; ++n) {
        std::string key = word + IntToStr(n);
        std::string value = Read(section, key);
        if (!value.empty()) entries.push_back(ListEntry{n, key, value, Line(section, key)});
    }
    return entries;
}

int ScriptContext::Line(const std::string& section, const std::string& key) const {
    if (int line = Document().KeyLine(section, key)) return line;
    if (int line = Document().SectionLine(section)) return line;
    return 1;
}
