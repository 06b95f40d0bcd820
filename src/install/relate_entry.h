#pragma once
// File associations of the install script's [Relate] section.
#include <array>
#include <string>
#include <vector>

struct RelateEntry;
class ScriptValues;

// [Relate] Name1 … Name20 with File1 … File20: all twenty numbers are read, an entry needs both
// values, and the entries are packed without gaps whatever numbers they had.
std::vector<RelateEntry> ReadRelateEntries(const ScriptValues& script);

struct RelateAssociation {
    std::string extension;    // without the dot
    std::string description;
    std::string verb;
    std::string program;      // unquoted
    std::string option1;
    std::string option2;
    std::string iconIndex;
    std::string command;      // the "shell\<verb>\command" default value
};

// Splits a [Relate] pair; the "File" value is macro-expanded first.
RelateAssociation ParseAssociation(const RelateEntry& entry);

// The program, quoted when it holds a space, then a space and the options when there are any.
std::string AssociationCommand(const std::string& program, const std::string& option1,
                               const std::string& option2);

// A default value that an association writes under HKEY_CLASSES_ROOT.
struct AssociationValue {
    std::string keyPath;
    std::string value;
};
// In the order written: "." + extension, its file type, the type's icon and the verb's command.
std::vector<AssociationValue> AssociationValues(const RelateAssociation& association);

// The question asked before an association is written.
std::string AssociationQuestion(const RelateAssociation& association);
extern const char* const kAssociationQuestionTitle;  // "関連付けの確認"

// Records the extension's previous file type in the first empty slot, unless a slot already
// records this extension (then the first install's record is kept) or no slot is empty. True when
// a slot was filled.
bool RecordPreviousAssociation(std::array<std::string, 20>& slots, const std::string& extension,
                               bool hadDefault, const std::string& previousDefault);
