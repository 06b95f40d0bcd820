// The checks of the script's text, its sections and keys, and the numbering of its lists.
#include <cstdio>
#include <cstring>
#include <map>

#include "check/checks.h"
#include "check/known_names.h"
#include "check/messages.h"
#include "base/text.h"

namespace {

bool StartsWith(const std::string& bytes, const char* mark) { return bytes.compare(0, std::strlen(mark), mark) == 0; }

// Whether the bytes are UTF-8 with at least one character beyond ASCII; line is the first such line.
bool IsUtf8Text(const std::string& bytes, int& line) {
    bool beyondAscii = false;
    int current = 1;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c == '\n' || (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++current;
            ++i;
            continue;
        }
        size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        if (length == 0 || c > 0xF4 || i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        if (!beyondAscii) line = current;
        beyondAscii = true;
        i += length;
    }
    return beyondAscii;
}

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
bool IsCp932Single(unsigned char c) { return c < 0x80 || (c >= 0xA1 && c <= 0xDF); }

// One finding per line that holds a byte which is no code page 932 text.
void CheckCp932(ScriptContext& context, const std::string& bytes) {
    int line = 1;
    size_t lineStart = 0;
    int reportedLine = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
            continue;
        }
        bool pair = IsCp932Lead(c) && i + 1 < bytes.size() && IsCp932Trail(static_cast<unsigned char>(bytes[i + 1]));
        if (pair) {
            ++i;
            continue;
        }
        if (IsCp932Single(c) || reportedLine == line) continue;
        char hex[8];
        std::snprintf(hex, sizeof(hex), "%02X", c);
        context.Error(line, Say(Msg::NotCp932, {IntToStr(static_cast<long long>(i - lineStart + 1)), hex}));
        reportedLine = line;
    }
}

bool IsComment(const std::string& key) { return !key.empty() && key[0] == ';'; }

// A near name makes an unknown one a slip of the pen, whose lines are lost: an error.
void ReportUnknown(ScriptContext& context, int line, const std::string& nearest, const std::string& plain,
                   const std::string& withNear) {
    if (nearest.empty())
        context.Warning(line, plain);
    else
        context.Error(line, withNear);
}

// The read keys of a numbered word in a known section: number -> key.
std::map<long, IniDocument::OutlineLine> NumberedKeys(const ScriptContext& context, const KnownSection& section,
                                                     const std::string& word) {
    std::map<long, IniDocument::OutlineLine> keys;
    for (const IniDocument::OutlineLine& line : context.Document().Outline()) {
        if (line.isSection || !line.read || FindKnownSection(line.section) != &section) continue;
        std::string keyWord;
        long number = 0;
        if (SplitNumberedKey(line.key, keyWord, number) && EqualsNoCase(keyWord, word) && !line.value.empty())
            keys.emplace(number, line);
    }
    return keys;
}

// Numbers past the last one of a list that reads a fixed range.
void CheckFixedRange(ScriptContext& context, const KnownSection& section) {
    for (const char* word : section.numbered) {
        std::string first = std::string(word) + "1";
        std::string last = word + IntToStr(section.lastNumber);
        for (const auto& [number, line] : NumberedKeys(context, section, word))
            if (number > section.lastNumber)
                context.Error(line.line, Say(Msg::PastLast, {section.name, line.key, first, last}));
    }
}

// A list read up to its leading word's first empty value.
void CheckList(ScriptContext& context, const KnownSection& section) {
    std::string leading = section.numbered.front();
    long end = static_cast<long>(context.List(section.name, leading).size()) + 1;
    std::string endKey = leading + IntToStr(end);

    auto leadingKeys = NumberedKeys(context, section, leading);
    std::string hidden;
    int firstHiddenLine = 0;
    for (const auto& [number, line] : leadingKeys) {
        if (number <= end) continue;
        hidden += (hidden.empty() ? "" : ", ") + line.key;
        if (firstHiddenLine == 0) firstHiddenLine = line.line;
    }
    if (!hidden.empty()) {
        bool present = context.Document().KeyLine(section.name, endKey) != 0;
        context.Error(firstHiddenLine, Say(present ? Msg::GapEmpty : Msg::GapMissing, {section.name, endKey, hidden}));
    }
    // Keys of the other words go with the leading key of their number.
    for (size_t w = 1; w < section.numbered.size(); ++w) {
        for (const auto& [number, line] : NumberedKeys(context, section, section.numbered[w])) {
            if (number < end || leadingKeys.count(number)) continue;
            context.Error(line.line, Say(Msg::Orphan, {section.name, line.key, leading + IntToStr(number)}));
        }
    }
}

}  // namespace

void CheckEncoding(ScriptContext& context) {
    const std::string bytes = context.Document().ToBytes();
    int line = 1;
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        context.Error(1, Say(Msg::Utf8WithMark));
    else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF"))
        context.Error(1, Say(Msg::Utf16));
    else if (IsUtf8Text(bytes, line))
        context.Error(line, Say(Msg::Utf8WithoutMark));
    else
        CheckCp932(context, bytes);
}

void CheckNames(ScriptContext& context) {
    const IniDocument& document = context.Document();
    const KnownSection* known = nullptr;
    bool sectionRead = false;
    for (const IniDocument::OutlineLine& line : document.Outline()) {
        if (line.isSection) {
            known = FindKnownSection(line.section);
            sectionRead = line.read;
            if (!line.read) {
                context.Error(line.line, Say(Msg::DuplicateSection,
                                             {line.section, IntToStr(document.SectionLine(line.section))}));
            } else if (!known) {
                std::string nearest = NearestSection(line.section);
                ReportUnknown(context, line.line, nearest, Say(Msg::UnknownSection, {line.section}),
                              Say(Msg::UnknownSectionNear, {line.section, nearest}));
            }
            continue;
        }
        if (IsComment(line.key)) continue;
        if (line.section.empty() && line.read) {
            context.Error(line.line, Say(Msg::OutsideSection, {line.key}));
            continue;
        }
        if (!known || !sectionRead) continue;
        if (!line.hasValue) {
            context.Error(line.line, Say(Msg::NoEquals, {known->name, line.key}));
        } else if (!line.read) {
            context.Error(line.line, Say(Msg::DuplicateKey, {known->name, line.key,
                                                             IntToStr(document.KeyLine(line.section, line.key))}));
        } else if (!IsKnownKey(*known, line.key)) {
            std::string nearest = NearestKey(*known, line.key);
            ReportUnknown(context, line.line, nearest, Say(Msg::UnknownKey, {known->name, line.key}),
                          Say(Msg::UnknownKeyNear, {known->name, line.key, nearest}));
        }
    }
}

void CheckNumbering(ScriptContext& context) {
    for (const KnownSection& section : KnownSections()) {
        if (section.numbered.empty() || context.Document().SectionLine(section.name) == 0) continue;
        if (section.lastNumber > 0)
            CheckFixedRange(context, section);
        else
            CheckList(context, section);
    }
}

void RunChecks(ScriptContext& context) {
    CheckEncoding(context);
    CheckNames(context);
    CheckNumbering(context);
    CheckMacros(context);
    CheckEntries(context);
    CheckSettings(context);
}
