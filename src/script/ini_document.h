#pragma once
// An INI file held in memory. It reads and changes values by the rules of the system's
// profile-string functions and writes the file in one piece, with the bytes that the same
// changes made one key at a time through WriteIniValue would have left on disk.
//
// Why: every profile-string call rereads and rewrites the whole file, so logs and scripts of
// thousands of keys cost minutes key by key; here they cost milliseconds.
//
// The rules followed (those of the platform the program is tested on):
// - A UTF-8 or UTF-16 byte-order mark selects that encoding, as for the profile functions; any
//   other file is code page 932 (the scripts' and logs' code page, on every system). Text that
//   code page 932 cannot hold turns such a file into UTF-16 with its mark when it is saved.
//   Lines end at any run of CR and LF.
// - Blanks (tab, LF, VT, FF, CR, space and ^Z) are trimmed around section names, key names and
//   values. "[name]" starts a section (up to the last "]"; text behind it is ignored); keys
//   before any section belong to a section without a name, which the section name "" finds.
// - Names compare case-insensitively for the ASCII letters only.
// - The first section of a name wins: later sections of the same name are never searched. In a
//   section, the first key of a name wins. A line without "=" is a key without value.
// - Get strips one pair of equal enclosing quotes (" or ') from the value, or from the default,
//   whose trailing spaces are removed first.
// - Set appends a new section or key at the end; a key set again keeps its place; the value's
//   leading blanks are dropped. Saving writes "[name]" and "key=value" lines ending in CR LF,
//   without blank lines; comments and unusual lines come back the way the platform rewrites them.
#include <string>
#include <unordered_map>
#include <vector>

#include "edge/platform.h"

class IniDocument {
public:
    // Replaces the content with the file's (a full path). A missing file gives an empty document
    // and true; false when the file exists but cannot be read (the document is then empty).
    bool Load(const std::string& path);
    // Replaces the content with the bytes of a file.
    void LoadBytes(const std::string& bytes);

    // As the profile functions read the same file: the value, or the default when the key is
    // absent or has no "=". Names and values are UTF-8.
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& defaultValue) const;
    // As WriteIniValue: sets the key (an empty value keeps the key). Always true.
    bool Set(const std::string& section, const std::string& key, const std::string& value);
    // As the profile write with no value: removes the key, true when there was one.
    bool DeleteKey(const std::string& section, const std::string& key);
    // As the profile write with no key: removes the section, true when there was one.
    bool DeleteSection(const std::string& section);

    // True when a change was made since the last load.
    bool Changed() const { return changed_; }
    // The file's bytes as the key-by-key writes would have left them.
    std::string ToBytes() const;
    // Writes the file in one piece (replacing it) and drops the system's cached copy of it.
    // An unchanged document of a file that did not exist writes nothing, as the profile
    // functions would not have created it. Returns a Windows error code, 0 on success.
    DWORD Save(const std::string& path) const;

    // The file's section headers and key lines as loaded, in file order, for tools that point at
    // lines of a script. Empty lines and comments are left out; names and values are as written
    // (blanks trimmed, quotes kept).
    struct OutlineLine {
        int line = 0;            // 1-based, as an editor counts (CR LF, LF and a lone CR end a line)
        bool isSection = false;
        std::string section;     // a header's name, or the section a key stands in ("" before any)
        std::string key;         // empty for a header
        std::string value;
        bool hasValue = false;
        bool read = false;       // Get answers from it: the first section and key of its name
    };
    std::vector<OutlineLine> Outline() const;
    // The line Get answers a key from, and the line of the section it searches; 0 when there is none.
    int KeyLine(const std::string& section, const std::string& key) const;
    int SectionLine(const std::string& section) const;

    // Counts the complete rereads done after changes whose lines the platform would read back
    // differently (callers that cache values use it to notice that others may have changed).
    unsigned RereadCount() const { return rereadCount_; }

private:
    enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

    struct Key {
        std::u16string name;
        std::u16string value;
        bool hasValue = false;
        int line = 0;  // where it stood when loaded; 0 for a key set since
    };
    struct Section {
        std::u16string name;
        int line = 0;
        std::vector<Key> keys;
        std::unordered_map<std::u16string, size_t> keyIndex;  // folded name -> first key
    };

    void Parse(const std::u16string& text);
    void KeepEncodable(const std::u16string& text);
    void Reread();
    void AfterChange(bool lineReadsBack);
    bool ReadsBackUnchanged(const Section& section, const Key& key, bool newSection) const;
    std::u16string SaveText() const;
    std::string Encode(const std::u16string& text) const;  // with the byte-order mark, if any
    size_t MarkLength() const;
    std::u16string Decode(const std::string& bytes, Encoding encoding) const;
    const Section* FindSection(const std::u16string& trimmedName) const;
    void AddSection(Section section);
    void RebuildIndexes();

    std::vector<Section> sections_;
    std::unordered_map<std::u16string, size_t> sectionIndex_;  // folded name -> first section
    Encoding encoding_ = Encoding::Ansi;
    std::string bytes_;          // the file's bytes while bytesValid_
    bool bytesValid_ = true;
    bool existed_ = false;       // loaded from an existing file
    bool changed_ = false;
    bool treeReadsBack_ = true;  // saving and reading the tree again gives the same tree
    unsigned rereadCount_ = 0;
};

// The name beside an INI file under which Save writes it before it takes the file's place.
std::string SaveFileName(const std::string& path);
// Removes what an interrupted save left there (a file, or an empty folder of that name).
void RemoveStaleSaveFile(const std::string& path);
