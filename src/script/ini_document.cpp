#include "script/ini_document.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/cp932.h"
#include "base/utf.h"
#include "edge/fileops.h"

// Saving is in ini_document_windows.cpp.

namespace {

// The blanks that the profile functions trim; ^Z is one because old CD-ROM files end in it.
bool IsBlank(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

std::u16string TrimBlanks(const std::u16string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::u16string SkipLeadingBlanks(const std::u16string& text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return text.substr(begin);
}

// Names match case-insensitively for the ASCII letters alone, as on the platform.
std::u16string Fold(const std::u16string& name) {
    std::u16string folded = name;
    for (char16_t& c : folded)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return folded;
}

// A stored text ends at its first zero character, as the platform keeps C strings.
std::u16string UpToZero(std::u16string text) {
    size_t zero = text.find(u'\0');
    if (zero != std::u16string::npos) text.resize(zero);
    return text;
}

// The value of a C string argument: it ends at its first zero.
std::u16string Widen(const std::string& text) { return UpToZero(Utf8ToUtf16(text)); }

std::string Narrowed(const std::u16string& text) { return Utf16ToUtf8(text); }

// One pair of equal enclosing quotes is removed from what a read returns.
std::u16string StripQuotes(const std::u16string& value) {
    if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// The platform drops the default's trailing spaces (spaces only, and never its first character).
std::u16string TrimDefault(const std::u16string& value) {
    if (value.empty()) return value;
    size_t last = value.size() - 1;
    while (last > 0 && value[last] == u' ') --last;
    return value.substr(0, last + 1);
}

// What one line of the file holds after the platform has read it.
struct LineContent {
    enum Kind { Empty, Section, Key } kind = Empty;
    std::u16string name;
    std::u16string value;
    bool hasValue = false;
    size_t rawNameLength = 0;  // before cutting at a zero character
    bool cut = false;          // a zero character cut the name or the value
};

LineContent ReadLine(const char16_t* begin, const char16_t* end) {
    LineContent line;
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    if (begin >= end) return line;
    if (*begin == u'[') {
        // The name runs to the last "]" of the line.
        const char16_t* close = end;
        while (close > begin && close[-1] != u']') --close;
        if (close > begin) {
            line.kind = LineContent::Section;
            line.name = TrimBlanks(std::u16string(begin + 1, close - 1));
            line.cut = line.name.find(u'\0') != std::u16string::npos;
            line.name = UpToZero(line.name);
            return line;
        }
    }
    line.kind = LineContent::Key;
    const char16_t* equals = begin;
    while (equals < end && *equals != u'=') ++equals;
    if (equals < end) {
        const char16_t* nameEnd = equals;
        while (nameEnd > begin && IsBlank(nameEnd[-1])) --nameEnd;
        const char16_t* valueBegin = equals + 1;
        while (valueBegin < end && IsBlank(*valueBegin)) ++valueBegin;
        line.rawNameLength = static_cast<size_t>(nameEnd - begin);
        line.name = UpToZero(std::u16string(begin, nameEnd));
        line.value = UpToZero(std::u16string(valueBegin, end));
        line.hasValue = true;
    } else {
        line.rawNameLength = static_cast<size_t>(end - begin);
        line.name = UpToZero(std::u16string(begin, end));
    }
    line.cut = std::find(begin, end, u'\0') != end;
    return line;
}

}  // namespace

bool IniDocument::Load(const std::string& path) {
    std::string bytes;
    DWORD error = ReadWholeFile(path, bytes);
    if (error != ERROR_SUCCESS) {
        LoadBytes(std::string());
        existed_ = false;
        return error == ERROR_FILE_NOT_FOUND;
    }
    LoadBytes(bytes);
    return true;
}

void IniDocument::LoadBytes(const std::string& bytes) {
    sections_.clear();
    sectionIndex_.clear();
    bytes_ = bytes;
    bytesValid_ = true;
    existed_ = true;
    changed_ = false;
    treeReadsBack_ = true;
    encoding_ = Encoding::Ansi;
    // An empty file holds nothing, not even the section without a name.
    if (bytes.empty()) return;

    size_t mark = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding_ = Encoding::Utf8;
        mark = 3;
    } else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
        encoding_ = Encoding::Utf16Le;
        mark = 2;
    } else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) {
        encoding_ = Encoding::Utf16Be;
        mark = 2;
    }
    std::u16string text = Decode(bytes.substr(mark), encoding_);
    Parse(text);
    // Text that the encoder would not give back unchanged must be reread after the first change.
    if (Decode(Encode(text).substr(MarkLength()), encoding_) != text) treeReadsBack_ = false;
}

std::u16string IniDocument::Decode(const std::string& bytes, Encoding encoding) const {
    switch (encoding) {
        case Encoding::Utf8:
            return Utf8ToUtf16(bytes);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            // A last odd byte is not dropped: the platform reads it as a character whose other
            // byte is zero.
            std::u16string text((bytes.size() + 1) / 2, u'\0');
            for (size_t i = 0; i < text.size(); ++i) {
                unsigned char a = static_cast<unsigned char>(bytes[2 * i]);
                unsigned char b = 2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0;
                text[i] = encoding == Encoding::Utf16Le ? static_cast<char16_t>(a | (b << 8))
                                                        : static_cast<char16_t>((a << 8) | b);
            }
            return text;
        }
        case Encoding::Ansi:
            break;
    }
    return Utf8ToUtf16(Cp932ToUtf8(bytes));
}

size_t IniDocument::MarkLength() const {
    switch (encoding_) {
        case Encoding::Utf8:
            return 3;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            return 2;
        case Encoding::Ansi:
            break;
    }
    return 0;
}

std::string IniDocument::Encode(const std::u16string& text) const {
    switch (encoding_) {
        case Encoding::Utf8:
            return "\xEF\xBB\xBF" + Utf16ToUtf8(text);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            std::string bytes = encoding_ == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
            for (char16_t c : text) {
                char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
                if (encoding_ == Encoding::Utf16Le) {
                    bytes += low;
                    bytes += high;
                } else {
                    bytes += high;
                    bytes += low;
                }
            }
            return bytes;
        }
        case Encoding::Ansi:
            break;
    }
    std::string bytes;
    Utf8ToCp932(Utf16ToUtf8(text), bytes);
    return bytes;
}

// A file without a byte-order mark is code page 932. Text that code page 932 cannot hold (a
// folder named "José") makes the file UTF-16 with its mark, which the system's profile functions
// read too: nothing is lost, and a file that code page 932 holds keeps its bytes.
void IniDocument::KeepEncodable(const std::u16string& text) {
    if (encoding_ != Encoding::Ansi || IsCp932Encodable(Utf16ToUtf8(text))) return;
    encoding_ = Encoding::Utf16Le;
    bytesValid_ = false;
}

void IniDocument::Parse(const std::u16string& text) {
    sections_.clear();
    sectionIndex_.clear();
    treeReadsBack_ = true;
    AddSection(Section{});  // keys before the first section header
    bool previousKey = false;
    bool previousKeyNamed = false;
    const char16_t* next = text.data();
    const char16_t* end = text.data() + text.size();
    int lineNumber = 1;
    while (next < end) {
        const char16_t* begin = next;
        int number = lineNumber;
        while (next < end && !IsLineBreak(*next)) ++next;
        const char16_t* lineEnd = next;
        for (; next < end && IsLineBreak(*next); ++next) {
            if (*next == u'\n' || next + 1 == end || next[1] != u'\n') ++lineNumber;
        }
        LineContent line = ReadLine(begin, lineEnd);
        if (line.kind == LineContent::Empty) continue;
        // Text behind a zero character is lost when the file is saved: a key may lose its
        // whole name and read back differently.
        if (line.cut) treeReadsBack_ = false;
        if (line.kind == LineContent::Section) {
            // A section without a name is not written back as a header: its keys would join the
            // section before it once the file is saved and read again.
            if (line.name.empty()) treeReadsBack_ = false;
            Section section;
            section.name = line.name;
            section.line = number;
            AddSection(std::move(section));
            previousKey = false;
            continue;
        }
        // Of several lines in a row with an empty name, the platform keeps only the first.
        if (line.rawNameLength == 0 && previousKey && !previousKeyNamed) continue;
        Section& section = sections_.back();
        section.keyIndex.emplace(Fold(line.name), section.keys.size());
        section.keys.push_back(Key{line.name, line.value, line.hasValue, number});
        previousKey = true;
        previousKeyNamed = !line.name.empty();
    }
}

void IniDocument::AddSection(Section section) {
    sectionIndex_.emplace(Fold(section.name), sections_.size());
    sections_.push_back(std::move(section));
}

void IniDocument::RebuildIndexes() {
    sectionIndex_.clear();
    for (size_t s = 0; s < sections_.size(); ++s) {
        Section& section = sections_[s];
        sectionIndex_.emplace(Fold(section.name), s);
        section.keyIndex.clear();
        for (size_t k = 0; k < section.keys.size(); ++k)
            section.keyIndex.emplace(Fold(section.keys[k].name), k);
    }
}

const IniDocument::Section* IniDocument::FindSection(const std::u16string& trimmedName) const {
    auto found = sectionIndex_.find(Fold(trimmedName));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

std::string IniDocument::Get(const std::string& section, const std::string& key,
                             const std::string& defaultValue) const {
    const Key* found = nullptr;
    if (const Section* inSection = FindSection(TrimBlanks(Widen(section)))) {
        auto at = inSection->keyIndex.find(Fold(TrimBlanks(Widen(key))));
        if (at != inSection->keyIndex.end()) found = &inSection->keys[at->second];
    }
    std::u16string value = found && found->hasValue ? found->value : TrimDefault(Widen(defaultValue));
    return Narrowed(StripQuotes(value));
}

bool IniDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    // New sections and keys keep their names as given, less leading blanks; lookups trim both ends.
    std::u16string sectionName = SkipLeadingBlanks(Widen(section));
    std::u16string keyName = SkipLeadingBlanks(Widen(key));
    std::u16string text = SkipLeadingBlanks(Widen(value));
    KeepEncodable(sectionName + keyName + text);

    bool newSection = false;
    auto foundSection = sectionIndex_.find(Fold(TrimBlanks(sectionName)));
    size_t s;
    if (foundSection == sectionIndex_.end()) {
        Section created;
        created.name = sectionName;
        AddSection(std::move(created));
        s = sections_.size() - 1;
        newSection = true;
    } else {
        s = foundSection->second;
    }
    Section& target = sections_[s];
    auto foundKey = target.keyIndex.find(Fold(TrimBlanks(keyName)));
    size_t k;
    if (foundKey == target.keyIndex.end()) {
        target.keyIndex.emplace(Fold(keyName), target.keys.size());
        target.keys.push_back(Key{keyName, std::u16string(), false});
        k = target.keys.size() - 1;
    } else {
        k = foundKey->second;
    }
    Key& entry = target.keys[k];
    if (entry.hasValue && entry.value == text) return true;  // the platform leaves the file alone
    entry.value = text;
    entry.hasValue = true;
    AfterChange(ReadsBackUnchanged(target, entry, newSection));
    return true;
}

bool IniDocument::DeleteKey(const std::string& section, const std::string& key) {
    std::u16string sectionName = Fold(Widen(section));
    std::u16string keyName = Fold(Widen(key));
    for (Section& candidate : sections_) {
        if (Fold(candidate.name) != sectionName) continue;
        for (size_t k = 0; k < candidate.keys.size(); ++k) {
            if (Fold(candidate.keys[k].name) != keyName) continue;
            candidate.keys.erase(candidate.keys.begin() + static_cast<std::ptrdiff_t>(k));
            RebuildIndexes();
            AfterChange(false);
            return true;
        }
    }
    return false;
}

bool IniDocument::DeleteSection(const std::string& section) {
    std::u16string name = Fold(Widen(section));
    for (size_t s = 0; s < sections_.size(); ++s) {
        if (Fold(sections_[s].name) != name) continue;
        sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(s));
        RebuildIndexes();
        AfterChange(false);
        return true;
    }
    return false;
}

bool IniDocument::ReadsBackUnchanged(const Section& section, const Key& key, bool newSection) const {
    auto readBack = [this](const std::u16string& line) {
        for (char16_t c : line)
            if (IsLineBreak(c)) return LineContent{};
        std::u16string decoded = Decode(Encode(line).substr(MarkLength()), encoding_);
        if (decoded != line) return LineContent{};
        return ReadLine(decoded.data(), decoded.data() + decoded.size());
    };
    if (newSection) {
        if (section.name.empty()) return false;
        LineContent header = readBack(u"[" + section.name + u"]");
        if (header.kind != LineContent::Section || header.name != section.name) return false;
    }
    // An empty key name may be dropped next to another one; leave that to a full reread.
    if (key.name.empty()) return false;
    std::u16string line = key.name;
    if (key.hasValue) line += u"=" + key.value;
    LineContent content = readBack(line);
    return content.kind == LineContent::Key && content.name == key.name &&
           content.hasValue == key.hasValue && content.value == key.value;
}

void IniDocument::AfterChange(bool lineReadsBack) {
    changed_ = true;
    if (!treeReadsBack_ || !lineReadsBack) {
        // The platform rereads the file before its next call: do the same, so that the next read
        // or write sees what it would see.
        Reread();
        return;
    }
    bytesValid_ = false;
    // A saved file always starts with the section without a name when read again.
    if (sections_.empty() || !sections_.front().name.empty()) {
        sections_.insert(sections_.begin(), Section{});
        RebuildIndexes();
    }
}

void IniDocument::Reread() {
    bytes_ = Encode(SaveText());
    bytesValid_ = true;
    ++rereadCount_;
    if (bytes_.empty()) {
        sections_.clear();
        sectionIndex_.clear();
        treeReadsBack_ = true;
        return;
    }
    Parse(Decode(bytes_.substr(MarkLength()), encoding_));
}

std::u16string IniDocument::SaveText() const {
    std::u16string text;
    for (const Section& section : sections_) {
        if (!section.name.empty()) text += u"[" + section.name + u"]\r\n";
        for (const Key& key : section.keys) {
            text += key.name;
            if (key.hasValue) {
                text += u'=';
                text += key.value;
            }
            text += u"\r\n";
        }
    }
    return text;
}

std::vector<IniDocument::OutlineLine> IniDocument::Outline() const {
    std::vector<OutlineLine> lines;
    for (size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        bool sectionRead = sectionIndex_.at(Fold(section.name)) == s;
        std::string name = Narrowed(section.name);
        if (section.line > 0) lines.push_back(OutlineLine{section.line, true, name, "", "", false, sectionRead});
        for (size_t k = 0; k < section.keys.size(); ++k) {
            const Key& key = section.keys[k];
            if (key.line == 0) continue;
            bool keyRead = sectionRead && section.keyIndex.at(Fold(key.name)) == k;
            lines.push_back(OutlineLine{key.line, false, name, Narrowed(key.name), Narrowed(key.value),
                                        key.hasValue, keyRead});
        }
    }
    return lines;
}

int IniDocument::KeyLine(const std::string& section, const std::string& key) const {
    const Section* inSection = FindSection(TrimBlanks(Widen(section)));
    if (!inSection) return 0;
    auto at = inSection->keyIndex.find(Fold(TrimBlanks(Widen(key))));
    return at == inSection->keyIndex.end() ? 0 : inSection->keys[at->second].line;
}

int IniDocument::SectionLine(const std::string& section) const {
    const Section* found = FindSection(TrimBlanks(Widen(section)));
    return found ? found->line : 0;
}

std::string IniDocument::ToBytes() const { return bytesValid_ ? bytes_ : Encode(SaveText()); }
