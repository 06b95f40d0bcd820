#include "base/text.h"

#include "base/utf.h"

namespace {

char SideOf(const std::string& side) { return side.empty() ? '\0' : side[0]; }

char32_t UpperOf(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;  // Latin-1, but the division sign
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x137) return c & ~1u;  // Latin Extended-A: upper even, lower odd
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c : c - 1;
    if (c >= 0x14A && c <= 0x177) return c & ~1u;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c : c - 1;
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;  // Greek, final sigma too
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;  // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;  // full-width Latin
    return c;
}

}  // namespace

std::string CopyHead(const std::string& text, long long n) {
    if (n <= 0) return std::string();
    if (static_cast<unsigned long long>(n) >= text.size()) return text;
    return text.substr(0, static_cast<size_t>(n));
}

std::string CopyTail(const std::string& text, long long n) {
    if (n <= 0) return std::string();
    if (static_cast<unsigned long long>(n) >= text.size()) return text;
    return text.substr(text.size() - static_cast<size_t>(n));
}

std::string CopyFrom(const std::string& text, long long p) {
    if (p <= 1) return text;
    if (static_cast<unsigned long long>(p) > text.size()) return std::string();
    return text.substr(static_cast<size_t>(p - 1));
}

bool TooLongForTheSystem(const std::string& name) {
    // UTF-16 units: one per character, two for one beyond the basic plane.
    size_t units = 0;
    for (unsigned char c : name) units += (c & 0xC0) == 0x80 ? 0 : (c >= 0xF0 ? 2 : 1);
    return units >= 32767;
}

bool IsPathDelimiterAt(const std::string& text, size_t index0) { return index0 < text.size() && text[index0] == '\\'; }

std::string AddDelimiter(const std::string& text, const std::string& side) {
    switch (SideOf(side)) {
    case 'T':
        return !text.empty() && text.front() == '\\' ? text : "\\" + text;
    case 'B':
        return !text.empty() && text.back() == '\\' ? text : text + "\\";
    default:
        return text;
    }
}

std::string RemoveDelimiter(const std::string& text, const std::string& side) {
    if (text.empty()) return text;
    switch (SideOf(side)) {
    case 'T':
        return text.front() == '\\' ? text.substr(1) : text;
    case 'B':
        return text.back() == '\\' ? text.substr(0, text.size() - 1) : text;
    default:
        return text;
    }
}

std::string GetField(const std::string& text, const std::string& separator, long long n) {
    std::string field;
    if (n < 1) return field;
    long long counter = 1;
    for (char c : text) {
        if (separator.size() == 1 && c == separator[0]) {
            ++counter;
            if (counter > n) break;
        } else if (counter == n) {
            field += c;
        }
    }
    return field;
}

size_t FindMbcs(const std::string& needle, const std::string& haystack) {
    if (needle.empty()) return 0;
    size_t at = haystack.find(needle);
    return at == std::string::npos ? 0 : at + 1;
}

std::string UpperCase(const std::string& text) {
    std::string upper;
    upper.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        unsigned char first = static_cast<unsigned char>(text[at]);
        if (first < 0x80) {
            upper += first >= 'a' && first <= 'z' ? static_cast<char>(first - 0x20) : static_cast<char>(first);
            ++at;
            continue;
        }
        size_t start = at;
        char32_t c = NextCodePoint(text, at);
        // A byte that starts no character stays as it is.
        if (c == 0xFFFD && at - start == 1)
            upper += text[start];
        else
            AppendUtf8(upper, UpperOf(c));
    }
    return upper;
}

std::string FullWidth(const std::string& text) {
    std::string wide;
    for (char c : text) {
        if (c == ' ')
            AppendUtf8(wide, 0x3000);
        else if (c > ' ' && c <= '~')
            AppendUtf8(wide, static_cast<char32_t>(c) - 0x21 + 0xFF01);
        else
            wide += c;
    }
    return wide;
}

size_t DisplayWidth(const std::string& text) {
    size_t width = 0, at = 0;
    while (at < text.size()) {
        char32_t c = NextCodePoint(text, at);
        // One column per single code page 932 byte: ASCII, half-width katakana, and the bytes 0x80,
        // 0xA0 and 0xFD-0xFF that the code page maps to U+0080 and U+F8F0-U+F8F3.
        bool single = c <= 0x80 || (c >= 0xFF61 && c <= 0xFF9F) || (c >= 0xF8F0 && c <= 0xF8F3);
        width += single ? 1 : 2;
    }
    return width;
}

size_t FindNoCase(const std::string& needle, const std::string& haystack) {
    return FindMbcs(UpperCase(needle), UpperCase(haystack));
}

bool ContainsNoCase(const std::string& haystack, const std::string& needle) {
    return FindNoCase(needle, haystack) != 0;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

std::string FileNamePart(const std::string& path) {
    size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string FolderPart(const std::string& path) {
    size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string DrivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && static_cast<unsigned char>(path[0]) < 0x80) return path.substr(0, 2);
    return std::string();
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string result;
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size())
        result.append(text, start, at - start).append(to);
    result.append(text, start, std::string::npos);
    return result;
}

std::string IntToStr(long long value) { return std::to_string(value); }

bool TryStrToInt32(const std::string& text, long& value) {
    if (text.empty()) return false;
    size_t p = 0;
    if (text[0] == '$' || (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))) {
        p = text[0] == '$' ? 1 : 2;
        if (p >= text.size() || text.size() - p > 8) return false;
        unsigned long bits = 0;
        for (; p < text.size(); ++p) {
            char c = text[p];
            int digit = (c >= '0' && c <= '9')   ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
            if (digit < 0) return false;
            bits = (bits << 4) | static_cast<unsigned long>(digit);
        }
        value = static_cast<long>(static_cast<int>(bits & 0xFFFFFFFFul));
        return true;
    }
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        p = 1;
    }
    if (p >= text.size()) return false;
    long long magnitude = 0;
    for (; p < text.size(); ++p) {
        char c = text[p];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL) return false;
    }
    if (negative) magnitude = -magnitude;
    if (magnitude > 2147483647LL || magnitude < -2147483648LL) return false;
    value = static_cast<long>(magnitude);
    return true;
}

std::string FormatThousands(long long value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string result;
    int count = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        if (count > 0 && count % 3 == 0) result.insert(result.begin(), ',');
        result.insert(result.begin(), digits[i]);
        ++count;
    }
    return value < 0 ? "-" + result : result;
}

std::vector<std::string> CommandLineParameters(const std::string& commandLine) {
    std::vector<std::string> parameters;
    size_t p = 0;
    while (true) {
        while (p < commandLine.size() && (commandLine[p] == ' ' || commandLine[p] == '\t')) ++p;
        if (p >= commandLine.size()) return parameters;
        // A double quote or a blank is never the second byte of a double-byte character.
        std::string parameter;
        bool quoted = false;
        for (; p < commandLine.size(); ++p) {
            char c = commandLine[p];
            if (c == '"')
                quoted = !quoted;
            else if ((c == ' ' || c == '\t') && !quoted)
                break;
            else
                parameter += c;
        }
        parameters.push_back(parameter);
    }
}
