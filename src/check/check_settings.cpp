// The single keys that start-up, the wizard and the end of the install read.
#include "check/check_util.h"
#include "check/checks.h"
#include "check/messages.h"
#include "core/state.h"
#include "install/install_log.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "sys/registry.h"

namespace {

bool Present(const ScriptContext& context, const std::string& section, const std::string& key) {
    return context.Document().KeyLine(section, key) != 0;
}

void CheckTitle(ScriptContext& context) {
    if (IsSetupOnly(g_state.UnSetupTitle)) return;  // no Add/Remove Programs entry at all
    int line = context.Line("Title", "UnSetupKey");
    std::string name = FileNamePart(DecideUninstallEntry(context.Script()).keyPath);
    if (!Present(context, "Title", "UnSetupKey"))
        context.Warning(line, Say(Msg::UnSetupKeyMissing, {name}));
    else if (context.Read("Title", "UnSetupKey").empty())
        context.Warning(line, Say(Msg::UnSetupKeyEmpty, {name}));
}

void CheckProgramId(ScriptContext& context) {
    int line = context.Line("ProgramID", "ID");
    if (!Present(context, "ProgramID", "ID"))
        context.Warning(line, Say(Msg::ProgramIdMissing));
    else if (g_state.ProgramId.empty())
        context.Warning(line, Say(Msg::ProgramIdEmpty));
}

bool IsFlagList(const std::string& value) {
    return value.size() == 7 && value[1] == ',' && value[3] == ',' && value[5] == ',';
}

void CheckExtend(ScriptContext& context) {
    if (g_state.SetupWord == g_state.UnSetupWord)
        context.Error(context.Line("Extend", "UnSetupString"), Say(Msg::SameWords, {g_state.SetupWord}));
    long speed = 0;
    std::string speedText = context.Read("Extend", "SetupSpeed", "350");
    if (!TryStrToInt32(speedText, speed))
        context.Warning(context.Line("Extend", "SetupSpeed"), Say(Msg::SpeedNotNumber, {speedText}));
    std::string enabled = context.Read("Extend", "Enabled");
    if (enabled != "False" && EqualsNoCase(enabled, "False"))
        context.Warning(context.Line("Extend", "Enabled"), Say(Msg::EnabledCase, {enabled}));
    std::string option = context.Read("Extend", "UnSetupOption");
    if (!option.empty() && option != "DeleteAll" && !IsFlagList(option))
        context.Warning(context.Line("Extend", "UnSetupOption"), Say(Msg::UnSetupOptionForm, {option}));
    std::string checker = context.Read("Extend", "InstallChecker");
    if (!checker.empty() && !FileExists(context.SourceFolder() + RemoveDelimiter(checker, "T")))
        context.Error(context.Line("Extend", "InstallChecker"), Say(Msg::CheckerMissing, {checker}));
}

// [EULA] and [Readme]: a file beside the script, read as written (one leading "\" dropped).
void CheckPage(ScriptContext& context, const std::string& section) {
    std::string file = context.Read(section, "File");
    int line = context.Line(section, "File");
    if (!file.empty()) {
        std::string path = context.SourceFolder() + RemoveDelimiter(file, "T");
        if (!FileExists(path))
            context.Error(line, Say(Msg::PageFileMissing, {section, file}));
        else
            CheckNameCase(context, section, "File", line, path);
    }
    std::string bars = context.Read(section, "ScrollBars", "ssVertical");
    if (bars != "ssVertical" && bars != "ssHorizontal" && bars != "ssBoth")
        context.Warning(context.Line(section, "ScrollBars"), Say(Msg::ScrollBarsValue, {section, bars}));
}

void CheckDefaultFolder(ScriptContext& context) {
    if (Present(context, "DefaultFolder", "Folder")) {
        std::string folder = context.Read("DefaultFolder", "Folder");
        int line = context.Line("DefaultFolder", "Folder");
        // (App) and (Set) are judged with the macros.
        std::string expanded = ExpandMacros(folder);
        size_t bad = 0;
        for (const char* character : {"<", ">", "\"", "|", "?", "*"})
            if ((bad = FindMbcs(character, folder)) != 0) break;
        if (bad != 0)
            context.Error(line, Say(Msg::FolderBadCharacter, {"Folder", folder, folder.substr(bad - 1, 1)}));
        else if (!ContainsNoCase(folder, "(App)") && !ContainsNoCase(folder, "(Set)") && !IsFullPath(expanded))
            context.Error(line, Say(Msg::FolderNotFull, {"Folder", folder, expanded}));
    }
    std::string registry = context.Read("DefaultFolder", "ReferRegistry");
    if (!registry.empty()) {
        int line = context.Line("DefaultFolder", "ReferRegistry");
        std::string keyPath = GetField(registry, ",", 1);
        if (keyPath.empty() || GetField(registry, ",", 2).empty())
            context.Error(line, Say(Msg::ReferRegistryForm, {registry}));
        else
            CheckRoot(context, "DefaultFolder", "ReferRegistry", line, keyPath, SplitScriptKey(keyPath));
    }
    std::string ini = context.Read("DefaultFolder", "ReferIniFile");
    if (!ini.empty() && (GetField(ini, ",", 1).empty() || GetField(ini, ",", 2).empty() || GetField(ini, ",", 3).empty()))
        context.Error(context.Line("DefaultFolder", "ReferIniFile"), Say(Msg::ReferIniFileForm, {ini}));
}

void CheckCaution(ScriptContext& context) {
    for (const char* key : {"UnInstallCheckEx", "UnInstallCheck"}) {
        std::string value = context.Read("Caution", key);
        if (ContainsNoCase(value, "IDCheck") && GetField(value, ":", 2).empty())
            context.Error(context.Line("Caution", key), Say(Msg::IdCheckWithoutId, {key}));
    }
}

}  // namespace

void CheckSettings(ScriptContext& context) {
    CheckTitle(context);
    CheckExtend(context);
    CheckDefaultFolder(context);
    CheckProgramId(context);
    CheckCaution(context);
    CheckPage(context, "EULA");
    std::string checkBox = context.Read("EULA", "CheckBox");
    if (checkBox != "Hide" && EqualsNoCase(checkBox, "Hide"))
        context.Warning(context.Line("EULA", "CheckBox"), Say(Msg::CheckBoxCase, {checkBox}));
    CheckPage(context, "Readme");
}
