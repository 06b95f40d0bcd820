#include "script/ini_differential.h"

#include <windows.h>

#include <random>
#include <utility>

#include "base/cp932.h"
#include "base/utf.h"
#include "edge/handles.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "script/ini_document.h"

namespace inidiff {
namespace {

// Reproducible everywhere: the engine is fully specified and no distribution class is used.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : engine_(seed) {}
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(engine_() % n); }
    bool Chance(size_t percent) { return Below(100) < percent; }
    const std::string& Pick(const std::vector<std::string>& list) { return list[Below(list.size())]; }

private:
    std::mt19937_64 engine_;
};

// Two bytes "\xFD" + letter stand for a character that code page 932 cannot hold; a file saved as
// UTF-8 or UTF-16 gets the character, an ANSI file keeps the two bytes.
const char kWideMark = '\xFD';
const std::vector<std::string> kWideOnly{"\xFD" "A", "\xFD" "B", "\xFD" "C", "\xFD" "D", "\xFD" "E", "\xFD" "F"};
wchar_t WideOnly(char letter) {
    switch (letter) {
        case 'A': return 0x00A0;  // no-break space
        case 'B': return 0x0085;  // next line
        case 'C': return 0x2003;  // em space
        case 'D': return 0xFEFF;  // a byte-order mark inside the text
        case 'E': return 0x00E9;  // e acute, whose capital follows
        default: return 0x00C9;
    }
}

// The pieces' literals are UTF-8; the files hold them as code page 932 bytes.
std::vector<std::string> Cp932List(std::vector<std::string> list) {
    for (std::string& piece : list) piece = Cp932Of(piece);
    return list;
}

// Name pieces: ASCII in both cases, double-byte characters whose trail byte is "\", "[", "]" or
// "|" (ソ 表 能 ー ‐ ゾ ポ), full-width and Greek and Cyrillic letters that have a case, half-width
// katakana, and full-width look-alikes of the syntax characters. ("=" is never a trail byte.)
const std::vector<std::string> kNamePieces = Cp932List({
    "a", "b", "K", "k", "Ab", "aB", "File", "FILE", "file", "x1", "Key2", "9", "(App)", ".", "_",
    "ソ", "表", "能", "ー", "‐", "ゾ", "ポ", "Ａ", "ａ", "Α", "α", "Б", "б", "＝", "［", "］", "ｱ", "ｶﾞ", "キー"});
// Bytes that no careful writer puts into a name: lone lead bytes, bytes outside code page 932,
// the syntax characters themselves, a full-width space.
const std::vector<std::string> kHostilePieces = Cp932List({"\x81", "\x80", "\xA0", "\xFE", "\xFF", "=", "[", "]", ";",
                                                         "\"", "'", "\\", "|", "　", "\xFD" "A", "\xFD" "B",
                                                         "\xFD" "E", "\xFD" "F"});
const std::vector<std::string> kValuePieces = Cp932List({"v", "値", "C:\\Program Files\\", "表\\", "0,0,0,0", "=", "[",
                                                       "]", ";", " ", "\t", "\"", "'", "x y", "ソ|ポ", "　", "1"});
// Blanks that the profile functions trim, and some that look like blanks but are not trimmed.
const std::vector<std::string> kBlanks{" ", "  ", "\t", " \t", "\x0b", "\x0c", "\x1a"};
const std::vector<std::string> kOtherBlanks = Cp932List({"　", "\xFD" "A", "\xFD" "B", "\xFD" "C", "\xFD" "D"});
const std::vector<std::string> kLineEnds{"\r\n", "\n", "\r", "\n\r", "\r\r\n", "\r\n\r\n"};
const std::vector<std::string> kFallbacks = Cp932List({"", "d", "  d  ", "\"q\"", "'q'  ", "表 ", "\"", "a\x81 ", " ",
                                                     "\"x'"});
const std::vector<std::string> kAbsent = Cp932List({"absent", "zz", "", "File10000", "ソソ"});

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Flips the case of some ASCII letters, never of a trail byte.
std::string FlipCase(Dice& dice, std::string text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLead(c)) {
            ++i;
        } else if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && dice.Chance(60)) {
            text[i] = static_cast<char>(c ^ 0x20);
        }
    }
    return text;
}

std::string Blank(Dice& dice) { return dice.Pick(dice.Chance(90) ? kBlanks : kOtherBlanks); }

std::string Blanks(Dice& dice) {
    if (dice.Chance(50)) return {};
    std::string blanks = Blank(dice);
    if (dice.Chance(30)) blanks += Blank(dice);
    return blanks;
}

std::string Name(Dice& dice) {
    std::string name;
    size_t pieces = 1 + dice.Below(3);
    for (size_t i = 0; i < pieces; ++i) name += dice.Pick(kNamePieces);
    if (dice.Chance(15)) name.insert(dice.Chance(50) ? 0 : name.size(), dice.Pick(kHostilePieces));
    if (dice.Chance(2)) name.insert(name.size() / 2, std::string(1, '\0'));
    return name;
}

std::string Value(Dice& dice) {
    std::string value;
    if (dice.Chance(4)) {
        // Long enough to need more than one buffer of 256 bytes.
        size_t length = 200 + dice.Below(500);
        while (value.size() < length) value += dice.Pick(kValuePieces);
    } else {
        size_t pieces = dice.Below(6);
        for (size_t i = 0; i < pieces; ++i) value += dice.Pick(dice.Chance(85) ? kValuePieces : kHostilePieces);
    }
    if (dice.Chance(1)) value.insert(value.size() / 2, std::string(1, '\0'));
    if (!dice.Chance(25)) return value;
    static const std::vector<std::string> quotes{"\"", "'"};
    std::string open = dice.Pick(quotes);
    switch (dice.Below(5)) {
        case 0: return open + value + (open == "\"" ? "'" : "\"");
        case 1: return open;
        case 2: return open + value + open + " x";
        case 3: return Blanks(dice) + open + value + open + Blanks(dice);
        default: return open + value + open;
    }
}

std::string SectionLine(Dice& dice, const std::string& name) {
    switch (dice.Below(12)) {
        case 0: return Blanks(dice) + "[" + name;  // never closed
        case 1: {
            static const std::vector<std::string> tails{"x", "]", " ; note", "]]", "\t=1", "[", "]x]"};
            return "[" + name + "]" + dice.Pick(tails);
        }
        case 2: return "[" + Blanks(dice) + name + Blanks(dice) + "]";
        case 3: {
            static const std::vector<std::string> empty{"[]", "[ ]", "[\t]", "[　]"};
            return dice.Pick(empty);
        }
        default: return Blanks(dice) + "[" + name + "]" + Blanks(dice);
    }
}

std::string KeyLine(Dice& dice, const std::string& name) {
    switch (dice.Below(12)) {
        case 0: return Blanks(dice) + name + Blanks(dice);  // without "="
        case 1: return Blanks(dice) + "=" + Value(dice);
        case 2: {
            static const std::vector<std::string> comments{";", "#", "//"};
            return dice.Pick(comments) + name + "=" + Value(dice);
        }
        case 3: return name + "==" + Value(dice);
        default: return Blanks(dice) + name + Blanks(dice) + "=" + Blanks(dice) + Value(dice) + Blanks(dice);
    }
}

// The name as written at one place of the file or of a lookup: case and blanks may differ.
std::string Variant(Dice& dice, const std::string& name) {
    switch (dice.Below(8)) {
        case 0:
        case 1: return FlipCase(dice, name);
        case 2: return Blank(dice) + name + Blanks(dice);
        case 3: return Blanks(dice) + FlipCase(dice, name) + Blank(dice);
        default: return name;
    }
}

// Code page 932 text with the marks of characters it cannot hold, as UTF-16.
std::wstring ToWide(const std::string& text) {
    std::wstring wide;
    size_t begin = 0;
    auto flush = [&](size_t end) {
        if (end <= begin) return;
        int length = static_cast<int>(end - begin);
        int size = MultiByteToWideChar(932, 0, text.data() + begin, length, nullptr, 0);
        std::wstring part(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(932, 0, text.data() + begin, length, part.data(), size);
        wide += part;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLead(c)) {
            ++i;
        } else if (text[i] == kWideMark && i + 1 < text.size()) {
            flush(i);
            wide += WideOnly(text[i + 1]);
            begin = i + 2;
            ++i;
        }
    }
    flush(text.size());
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    int length = static_cast<int>(wide.size());
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string Utf16(const std::wstring& wide, bool bigEndian) {
    std::string bytes;
    for (wchar_t c : wide) {
        char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// The text saved the way an editor might: mostly ANSI, sometimes UTF-8 or UTF-16 with or
// without a byte-order mark, sometimes a mark that lies about the bytes behind it.
std::string Encode(Dice& dice, const std::string& text) {
    size_t roll = dice.Below(100);
    if (roll < 80) return text;
    if (roll < 86) return "\xEF\xBB\xBF" + Utf8(ToWide(text));
    if (roll < 88) return "\xEF\xBB\xBF" + text;
    if (roll < 93) return "\xFF\xFE" + Utf16(ToWide(text), false);
    if (roll < 95) return "\xFE\xFF" + Utf16(ToWide(text), true);
    if (roll < 97) return Utf16(ToWide(text), false);
    static const std::vector<std::string> halfMarks{"\xEF\xBB", "\xFF", "\xFE", "\xEF"};
    return dice.Pick(halfMarks) + text;
}

// Never an odd number of bytes behind a UTF-16 mark (ANSI bytes may begin like one): the platform
// then reads one byte past the end of its buffer, and its answer changes from call to call.
bool OddBehindUtf16Mark(const std::string& bytes) {
    bool mark = bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
    return mark && bytes.size() % 2 != 0;
}

// The names of a file: its sections and keys, and the pairs of a section and a key written in it.
struct Names {
    std::vector<std::string> sections;
    std::vector<std::string> keys;
    std::vector<std::pair<std::string, std::string>> written;
};

Lookup MakeLookup(Dice& dice, const Names& names) {
    const std::vector<std::string>& sections = names.sections;
    const std::vector<std::string>& keys = names.keys;
    Lookup lookup;
    lookup.fallback = dice.Pick(kFallbacks);
    size_t roll = dice.Below(100);
    if (roll < 55 && !names.written.empty()) {
        const auto& [section, key] = names.written[dice.Below(names.written.size())];
        lookup.section = Variant(dice, section);
        lookup.key = Variant(dice, key);
    } else if (roll < 65) {
        lookup.section = Variant(dice, dice.Pick(sections));
        lookup.key = Variant(dice, dice.Pick(keys));
    } else if (roll < 70) {
        lookup.section = dice.Chance(50) ? std::string() : Blank(dice);
        lookup.key = Variant(dice, dice.Pick(keys));
    } else if (roll < 80) {
        lookup.section = Variant(dice, dice.Pick(sections));
        lookup.key = dice.Pick(kAbsent);
    } else if (roll < 88) {
        lookup.section = dice.Pick(kAbsent);
        lookup.key = dice.Pick(keys);
    } else {
        lookup.section = Name(dice);
        lookup.key = Name(dice);
    }
    // The arguments are C strings: they end at a zero byte, as the program's would.
    for (std::string* text : {&lookup.section, &lookup.key}) text->resize(std::string(text->c_str()).size());
    return lookup;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FileHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    if (!bytes.empty() && !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return false;
    return written == bytes.size() && file.Close();
}

}  // namespace

std::string Cp932Of(const std::string& literal) {
    std::string bytes;
    size_t at = 0;
    while (at < literal.size()) {
        size_t start = at;
        char32_t c = NextCodePoint(literal, at);
        std::string character = literal.substr(start, at - start), encoded;
        if (c == 0xFFFD && at - start == 1)
            bytes += character;
        else if (Utf8ToCp932(character, encoded))
            bytes += encoded;
        else
            bytes += "?";
    }
    return bytes;
}

std::string SystemProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                                const std::string& path) {
    std::wstring wideFallback = Wide(fallback), widePath = Wide(path);
    // One call with a buffer that any answer fits (the platform may cut a quoted value that just
    // overflows a buffer without saying so): no value is cut, so the answer is the system's own.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(widePath.c_str(), GetFileExInfoStandard, &data);
    DWORD size = static_cast<DWORD>(2 * (data.nFileSizeLow + wideFallback.size()) + 16);
    std::vector<wchar_t> buffer(size, L'\0');
    DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), wideFallback.c_str(),
                                            buffer.data(), size, widePath.c_str());
    return Narrow(std::wstring_view(buffer.data(), length));
}

GeneratedFile Generate(std::uint64_t seed, int lookups) {
    Dice dice(seed);
    GeneratedFile file;
    file.seed = seed;
    // Few names per file, so that sections and keys repeat.
    Names names;
    names.sections.resize(1 + dice.Below(4));
    names.keys.resize(2 + dice.Below(5));
    for (std::string& name : names.sections) name = Name(dice);
    for (std::string& name : names.keys) name = Name(dice);
    std::string section;  // keys before the first section belong to the section without a name

    size_t lineEnd = dice.Below(4);  // CR LF, LF, CR, or any mixture
    size_t lines = dice.Below(26);
    std::string text;
    for (size_t i = 0; i < lines; ++i) {
        size_t roll = dice.Below(100);
        if (roll < 22) {
            section = dice.Pick(names.sections);
            text += SectionLine(dice, Variant(dice, section));
        } else if (roll < 28) {
            text += Blanks(dice);
        } else {
            const std::string& key = dice.Pick(names.keys);
            names.written.emplace_back(section, key);
            text += KeyLine(dice, Variant(dice, key));
        }
        bool last = i + 1 == lines;
        if (last && dice.Chance(30)) break;  // no line end after the last line
        text += lineEnd < 3 ? kLineEnds[lineEnd] : dice.Pick(kLineEnds);
    }
    file.bytes = Encode(dice, text);
    if (OddBehindUtf16Mark(file.bytes)) file.bytes += '\n';
    for (int i = 0; i < lookups; ++i) file.lookups.push_back(MakeLookup(dice, names));
    return file;
}

std::optional<Difference> Compare(const std::string& path, const std::string& bytes,
                                  const std::vector<Lookup>& lookups) {
    // The system keeps a copy of the files it read lately: drop it, or it may answer from the
    // file that was here before.
    if (!WriteFileBytes(path, bytes)) return Difference{Lookup{}, "<the file could not be written>", ""};
    FlushIniCache(path);
    IniDocument document;
    if (!document.Load(path)) return Difference{Lookup{}, "", "<the document could not load the file>"};
    for (const Lookup& lookup : lookups) {
        std::string section = Cp932ToUtf8(lookup.section), key = Cp932ToUtf8(lookup.key),
                    fallback = Cp932ToUtf8(lookup.fallback);
        std::string system = SystemProfileString(section, key, fallback, path);
        std::string mine = document.Get(section, key, fallback);
        if (system != mine) return Difference{lookup, system, mine};
    }
    return std::nullopt;
}

std::string Shrink(const std::string& path, const std::string& bytes, const Lookup& lookup) {
    std::string smallest = bytes;
    // Pieces from half the file down to single bytes; bounded so that a report never takes long.
    int tries = 4000;
    for (size_t piece = smallest.size() / 2; piece >= 1 && tries > 0; piece /= 2) {
        for (size_t at = 0; at + piece <= smallest.size() && tries > 0; --tries) {
            std::string candidate = smallest.substr(0, at) + smallest.substr(at + piece);
            if (!OddBehindUtf16Mark(candidate) && Compare(path, candidate, {lookup}))
                smallest = candidate;
            else
                at += piece;
        }
    }
    return smallest;
}

std::string Printable(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            text += "\\x";
            text += kHex[c >> 4];
            text += kHex[c & 15];
        }
    }
    return text;
}

std::string Describe(const GeneratedFile& file, const Difference& difference, const std::string& smallest) {
    const Lookup& lookup = difference.lookup;
    return "seed " + std::to_string(file.seed) + ": lookup [" + Printable(lookup.section) + "] \"" +
           Printable(lookup.key) + "\" default \"" + Printable(lookup.fallback) + "\"\n  system:   \"" +
           Printable(difference.system) + "\"\n  document: \"" + Printable(difference.document) +
           "\"\n  file:     \"" + Printable(file.bytes) + "\"\n  smallest file with the same difference: \"" +
           Printable(smallest) + "\"\n";
}

}  // namespace inidiff
