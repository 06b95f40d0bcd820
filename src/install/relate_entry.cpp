#include "install/relate_entry.h"

#include "core/state.h"
#include "install/script_values.h"
#include "script/folders.h"
#include "base/text.h"

const char* const kAssociationQuestionTitle = "関連付けの確認";

std::vector<RelateEntry> ReadRelateEntries(const ScriptValues& script) {
    std::vector<RelateEntry> entries;
    for (int i = 1; i <= 20; ++i) {
        std::string name = script.Read("Relate", "Name" + std::to_string(i));
        if (name.empty()) continue;
        std::string file = script.Read("Relate", "File" + std::to_string(i));
        if (!file.empty()) entries.push_back(RelateEntry{name, file});
    }
    return entries;
}

RelateAssociation ParseAssociation(const RelateEntry& entry) {
    RelateAssociation association;
    association.extension = GetField(entry.Name, ",", 1);
    association.description = GetField(entry.Name, ",", 2);
    if (association.description.empty()) association.description = entry.Name + " File";
    std::string file = ExpandMacros(entry.File);
    association.verb = GetField(file, ",", 1);
    association.program = GetField(file, ",", 2);
    association.option1 = GetField(file, ",", 3);
    association.option2 = GetField(file, ",", 4);
    association.iconIndex = GetField(file, ",", 5);
    association.command = AssociationCommand(association.program, association.option1, association.option2);
    return association;
}

std::string AssociationCommand(const std::string& program, const std::string& option1,
                               const std::string& option2) {
    std::string command = FindMbcs(" ", program) != 0 ? "\"" + program + "\"" : program;
    // Option 1, then a space and option 2; no trailing blank when option 2 is empty.
    std::string options = option1.empty() ? option2 : (option2.empty() ? option1 : option1 + " " + option2);
    if (!options.empty()) command += " " + options;
    return command;
}

std::vector<AssociationValue> AssociationValues(const RelateAssociation& association) {
    std::string type = association.extension + "_auto_file";
    return {{"." + association.extension, type},
            {type, association.description},
            {type + "\\DefaultIcon", association.program + "," + association.iconIndex},
            {type + "\\shell\\" + association.verb + "\\command", association.command}};
}

std::string AssociationQuestion(const RelateAssociation& association) {
    return "拡張子 *." + association.extension + " を\r\n" + association.program +
           "\r\nに関連付けします。よろしいですか？";
}

bool RecordPreviousAssociation(std::array<std::string, 20>& slots, const std::string& extension,
                               bool hadDefault, const std::string& previousDefault) {
    // The extension is compared whole: "do" must not count as recorded because "doc" is.
    for (const std::string& slot : slots) {
        if (!slot.empty() && EqualsNoCase(GetField(slot, ",", 1), extension)) return false;
    }
    for (std::string& slot : slots) {
        if (slot.empty()) {
            slot = extension + "," + (hadDefault ? previousDefault : std::string());
            return true;
        }
    }
    return false;
}
