#include "check/known_names.h"

#include <algorithm>

#include "base/text.h"

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// Edits (insert, delete, replace, swap of neighbours) between two names, letter case ignored.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t cost = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && AsciiLower(a[i - 1]) == AsciiLower(b[j - 2]) &&
                AsciiLower(a[i - 2]) == AsciiLower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

const std::vector<KnownSection>& KnownSections() {
    static const std::vector<KnownSection> sections = {
        {"Title",
         {"Setup", "UnSetup", "Program", "CopyRight1", "CopyRight2", "UnSetupKey", "UnSetupDisplay", "Version",
          "Publisher"},
         {},
         0},
        {"Extend",
         {"SetupString", "UnSetupString", "SetupSpeed", "Enabled", "RejectOS", "InstallChecker", "UnSetupOption"},
         {},
         0},
        {"DefaultFolder", {"Folder", "ReferRegistry", "ReferIniFile"}, {}, 0},
        {"ProgramID", {"ID"}, {}, 0},
        {"Caution", {"UnInstallCheckEx", "UnInstallCheck"}, {}, 0},
        {"EULA", {"File", "ScrollBars", "CheckBox"}, {}, 0},
        {"Readme", {"File", "Title", "ScrollBars"}, {}, 0},
        {"TopMessage", {}, {"Message"}, 5},
        {"MakeFolder", {}, {"Folder"}, 0},
        {"CopyFile", {}, {"File"}, 0},
        {"ShortCut", {}, {"Make", "Name"}, 0},
        {"Registry", {}, {"Key", "Name", "Value"}, 0},
        {"IniFile", {}, {"Data"}, 0},
        {"DeleteRegistry", {}, {"Key"}, 0},
        {"AddDeleteFile", {}, {"File"}, 0},
        {"Relate", {}, {"Name", "File"}, 20},
        {"ExecuteFile", {"File"}, {}, 0},
    };
    return sections;
}

const KnownSection* FindKnownSection(const std::string& name) {
    for (const KnownSection& section : KnownSections())
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

bool SplitNumberedKey(const std::string& key, std::string& word, long& number) {
    size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
    if (digits == key.size() || digits == 0 || key[digits] == '0' || key.size() - digits > 9) return false;
    word = key.substr(0, digits);
    number = std::stol(key.substr(digits));
    return true;
}

bool IsKnownKey(const KnownSection& section, const std::string& key) {
    for (const char* known : section.keys)
        if (SameName(known, key)) return true;
    std::string word;
    long number = 0;
    if (!SplitNumberedKey(key, word, number)) return false;
    for (const char* known : section.numbered)
        if (SameName(known, word)) return true;
    return false;
}

std::string NearestName(const std::string& name, const std::vector<std::string>& candidates) {
    std::string best;
    size_t bestDistance = 0;
    for (const std::string& candidate : candidates) {
        size_t distance = Distance(name, candidate);
        if (best.empty() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    // Two slips at most, one in three letters: "CopyFiles" is CopyFile, "(Ap)" is (App), "Title" is
    // not File.
    if (best.empty() || bestDistance > 2 || bestDistance * 3 > std::max(name.size(), best.size())) return {};
    return best;
}

std::string NearestSection(const std::string& name) {
    std::vector<std::string> names;
    for (const KnownSection& section : KnownSections()) names.push_back(section.name);
    return NearestName(name, names);
}

std::string NearestKey(const KnownSection& section, const std::string& key) {
    std::vector<std::string> names(section.keys.begin(), section.keys.end());
    // A numbered word keeps the key's own number: "Flie3" is File3, "File03" is File3.
    size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
    std::string word = key.substr(0, digits);
    std::string number = key.substr(digits);
    while (number.size() > 1 && number[0] == '0') number.erase(0, 1);
    if (!number.empty() && number != "0") {
        std::vector<std::string> words(section.numbered.begin(), section.numbered.end());
        std::string nearestWord = NearestName(word, words);
        for (const std::string& known : words)
            if (SameName(known, word)) nearestWord = known;
        if (!nearestWord.empty()) return nearestWord + number;
    }
    for (const char* numbered : section.numbered) names.push_back(std::string(numbered) + "1");
    return NearestName(key, names);
}
