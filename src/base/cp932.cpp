#include "base/cp932.h"

#include <vector>

#include "base/utf.h"

namespace {

#include "base/cp932_table.inc"

constexpr unsigned char kFirstTrail = 0x40;
constexpr unsigned char kLastTrail = 0xFC;

const char16_t* RowOf(unsigned char lead) {
    return kCp932Double[lead < 0xA0 ? lead - 0x81 : lead - 0xE0 + 31];  // 31 rows 81-9F, then E0-FC
}

// The character of a lead byte and the byte after it (not NUL).
char16_t DecodePair(unsigned char lead, unsigned char trail) {
    if (trail < kFirstTrail || trail > kLastTrail) return kCp932Default;
    char16_t c = RowOf(lead)[trail - kFirstTrail];
    return c ? c : kCp932Default;  // a row ends after its last defined character
}

// The form of every BMP character: 0 none, below 0x100 one byte, else two bytes. ASCII is itself.
std::vector<unsigned short> BuildForms() {
    std::vector<unsigned short> forms(0x10000, 0);
    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(b)) && !forms[kCp932Single[b - 0x80]])
            forms[kCp932Single[b - 0x80]] = static_cast<unsigned short>(b);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
        const char16_t* row = RowOf(static_cast<unsigned char>(lead));
        // Undefined pairs hold U+30FB too; its first form, 81 45, is the real one.
        for (unsigned trail = kFirstTrail; trail <= kLastTrail && row[trail - kFirstTrail]; ++trail) {
            char16_t c = row[trail - kFirstTrail];
            if (!forms[c]) forms[c] = static_cast<unsigned short>(lead << 8 | trail);
        }
    }
    for (const Cp932Preferred& p : kCp932Preferred) forms[p.character] = p.code;
    return forms;
}

const std::vector<unsigned short>& Forms() {
    static const std::vector<unsigned short> forms = BuildForms();  // built once, thread-safely
    return forms;
}

void Put(std::string& out, unsigned form) {
    if (form >= 0x100) out += static_cast<char>(form >> 8);
    out += static_cast<char>(form & 0xFF);
}

// Encodes into out when it is not null; false when a character has no form.
bool Encode(std::string_view utf8, std::string* out) {
    const std::vector<unsigned short>& forms = Forms();
    bool exact = true;
    size_t at = 0;
    while (at < utf8.size()) {
        char32_t c = NextCodePoint(utf8, at);  // U+FFFD for bytes that are no UTF-8: no form
        unsigned form = c < 0x80 ? c : c < 0x10000 ? forms[c] : 0;
        if (c >= 0x80 && !form) {
            if (!out) return false;
            exact = false;
            form = '?';
        }
        if (out) Put(*out, form);
    }
    return exact;
}

}  // namespace

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (IsCp932LeadByte(b) && i + 1 < bytes.size() && bytes[i + 1] != '\0') {
            AppendUtf8(out, DecodePair(b, static_cast<unsigned char>(bytes[++i])));
        } else {
            AppendUtf8(out, kCp932Single[b - 0x80]);  // a lead byte alone is U+30FB
        }
    }
    return out;
}

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    return Encode(utf8, &out);
}

bool IsCp932Encodable(std::string_view utf8) { return Encode(utf8, nullptr); }

std::string TextFileToUtf8(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
    bool little = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE";
    bool big = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF";
    if (!little && !big) return Cp932ToUtf8(bytes);
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(little ? (a | (b << 8)) : ((a << 8) | b));
    }
    return Utf16ToUtf8(units);
}
