// Macros that are unknown, or that cannot be used where they stand.
#include "check/check_util.h"
#include "check/checks.h"
#include "check/known_names.h"
#include "check/messages.h"
#include "script/folders.h"
#include "base/text.h"

namespace {

enum class Expansion {
    AtInstall,  // the run expands the value
    AtStartup,  // start-up expands it, before the install folder is known
    Never,      // the value is taken as written
};

enum class Prefix { None, Root, DiskChange, ValueType };

struct MacroPlace {
    const char* section;
    const char* word;  // a key, or the word of numbered keys
    bool numbered;
    Expansion expansion;
    Prefix prefix;  // a token of its own allowed at the start of the value
};

const MacroPlace kPlaces[] = {
    {"DefaultFolder", "Folder", false, Expansion::AtStartup, Prefix::None},
    {"DefaultFolder", "ReferIniFile", false, Expansion::AtStartup, Prefix::None},
    {"DefaultFolder", "ReferRegistry", false, Expansion::Never, Prefix::Root},
    {"Caution", "UnInstallCheckEx", false, Expansion::Never, Prefix::None},
    {"Caution", "UnInstallCheck", false, Expansion::Never, Prefix::None},
    {"EULA", "File", false, Expansion::Never, Prefix::None},
    {"Readme", "File", false, Expansion::Never, Prefix::None},
    {"Extend", "InstallChecker", false, Expansion::Never, Prefix::None},
    {"MakeFolder", "Folder", true, Expansion::AtInstall, Prefix::None},
    {"CopyFile", "File", true, Expansion::AtInstall, Prefix::DiskChange},
    {"ShortCut", "Make", true, Expansion::AtInstall, Prefix::None},
    {"ShortCut", "Name", true, Expansion::AtInstall, Prefix::None},
    {"Registry", "Key", true, Expansion::Never, Prefix::Root},
    {"Registry", "Name", true, Expansion::Never, Prefix::None},
    {"Registry", "Value", true, Expansion::AtInstall, Prefix::ValueType},
    {"IniFile", "Data", true, Expansion::AtInstall, Prefix::None},
    {"DeleteRegistry", "Key", true, Expansion::Never, Prefix::Root},
    {"AddDeleteFile", "File", true, Expansion::AtInstall, Prefix::None},
    {"Relate", "Name", true, Expansion::Never, Prefix::None},
    {"Relate", "File", true, Expansion::AtInstall, Prefix::None},
    {"ExecuteFile", "File", false, Expansion::AtInstall, Prefix::None},
};

std::string Inner(const std::string& token) { return token.substr(1, token.size() - 2); }

bool IsFolderMacro(const std::string& token) {
    for (const std::string& macro : MacroNames())
        if (EqualsNoCase(macro, token)) return true;
    return false;
}

std::string NearestMacro(const std::string& token) {
    std::vector<std::string> inner;
    for (const std::string& macro : MacroNames()) inner.push_back(Inner(macro));
    std::string nearest = NearestName(Inner(token), inner);
    return nearest.empty() ? nearest : "(" + nearest + ")";
}

void CheckToken(ScriptContext& context, const MacroPlace& place, const ListEntry& entry, const MacroToken& token) {
    const std::string& section = place.section;
    if (EqualsNoCase(Inner(token.text), "Dch")) {
        if (place.prefix != Prefix::DiskChange || token.at != 0 || token.text != "(Dch)")
            context.Error(entry.line, Say(Msg::DchMisplaced, {section, entry.key, token.text}));
        return;
    }
    // Roots and value types are judged with the entries.
    if (token.at == 0 && (place.prefix == Prefix::Root || place.prefix == Prefix::ValueType)) return;
    if (IsFolderMacro(token.text)) {
        if (place.expansion == Expansion::Never)
            context.Error(entry.line, Say(Msg::MacroNotExpanded, {section, entry.key, token.text}));
        else if (place.expansion == Expansion::AtStartup && EqualsNoCase(token.text, "(App)"))
            context.Error(entry.line, Say(Msg::AppAtStartup, {section, entry.key}));
        else if (place.expansion == Expansion::AtStartup && EqualsNoCase(token.text, "(Set)"))
            context.Error(entry.line, Say(Msg::SetAtStartup, {section, entry.key}));
        return;
    }
    if (place.expansion == Expansion::Never) return;
    // Text in parentheses is common in names and values; a token is taken for a macro when it is
    // close to one, or when a path begins with it.
    std::string nearest = NearestMacro(token.text);
    if (!nearest.empty())
        context.Error(entry.line, Say(Msg::UnknownMacroNear, {section, entry.key, token.text, nearest}));
    else if (token.at == 0)
        context.Warning(entry.line, Say(Msg::UnknownMacro, {section, entry.key, token.text}));
}

std::vector<ListEntry> ValuesOf(const ScriptContext& context, const MacroPlace& place) {
    if (place.numbered) return context.Entries(place.section, place.word);
    if (context.Document().KeyLine(place.section, place.word) == 0) return {};
    return {ListEntry{0, place.word, context.Read(place.section, place.word), context.Line(place.section, place.word)}};
}

}  // namespace

void CheckMacros(ScriptContext& context) {
    for (const MacroPlace& place : kPlaces) {
        for (const ListEntry& entry : ValuesOf(context, place)) {
            // "(Pdd)" is taken out of a registry value before anything else.
            std::string value = place.prefix == Prefix::ValueType ? ReplaceMacro(entry.value, "(Pdd)", "") : entry.value;
            for (const MacroToken& token : MacroTokens(value)) CheckToken(context, place, entry, token);
        }
    }
}
