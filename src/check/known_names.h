#pragma once
// The sections and keys SETUP.EXE reads from an install script, and the nearest of them to a name
// it does not know.
#include <string>
#include <vector>

struct KnownSection {
    const char* name;
    std::vector<const char*> keys;      // single keys
    std::vector<const char*> numbered;  // words of numbered keys (File1, File2, …); the first leads
    long lastNumber;                    // 0: read up to the first empty value; else the last number read
};

const std::vector<KnownSection>& KnownSections();
// The known section of that name (letter case ignored, as the profile functions do), or null.
const KnownSection* FindKnownSection(const std::string& name);

// A numbered key taken apart: "File12" is the word File and the number 12. False for a name
// without a number, or whose number has a leading zero or is 0.
bool SplitNumberedKey(const std::string& key, std::string& word, long& number);

// Whether a key is read in the section: one of its keys, or one of its words with a number
// (whatever the number; the numbering checks judge that).
bool IsKnownKey(const KnownSection& section, const std::string& key);

// The candidate nearest to the name when it is close enough to be a slip of the pen; else empty.
std::string NearestName(const std::string& name, const std::vector<std::string>& candidates);
// The nearest known section name, and the nearest known key of a section (with the number kept).
std::string NearestSection(const std::string& name);
std::string NearestKey(const KnownSection& section, const std::string& key);
