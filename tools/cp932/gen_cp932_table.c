/* Prints src/base/cp932_table.inc: code page 932 as the system converts it, asked character by
 * character. MultiByteToWideChar(932, 0) gives every single byte and every two-byte pair,
 * WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS) the preferred form of every BMP code point.
 * The layout the decoder in src/base/cp932.cpp relies on is checked here; when the system answers
 * otherwise, this program says what differs and prints nothing.
 * Build and run: see tools/cp932/README.md. */
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#define CP 932
#define FIRST_TRAIL 0x40
#define LAST_TRAIL 0xFC
#define TRAILS (LAST_TRAIL - FIRST_TRAIL + 1)
#define LEADS 60

static WCHAR single[256];
static WCHAR rows[LEADS][TRAILS];
static WCHAR defaultChar;
static int failures;

static int IsLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
static int RowOf(int lead) { return lead < 0xA0 ? lead - 0x81 : lead - 0xE0 + 31; }

static void Fail(const char* what, unsigned code, unsigned got) {
    fprintf(stderr, "unexpected: %s (code %04X, got %04X)\n", what, code, got);
    ++failures;
}

static int Decode(const unsigned char* bytes, int length, WCHAR* out) {
    return MultiByteToWideChar(CP, 0, (const char*)bytes, length, out, 4);
}

static void ReadSingleBytes(void) {
    for (int b = 0; b < 256; ++b) {
        unsigned char byte = (unsigned char)b;
        WCHAR out[4];
        if (Decode(&byte, 1, out) != 1) Fail("a single byte is not one character", b, 0);
        single[b] = out[0];
        if (b < 0x80 && out[0] != b) Fail("ASCII byte changed", b, out[0]);
        if (!!IsDBCSLeadByteEx(CP, byte) != IsLead(b)) Fail("lead bytes other than 81-9F, E0-FC", b, 0);
        if (IsLead(b) && out[0] != defaultChar) Fail("a lone lead byte is not the default character", b, out[0]);
    }
}

/* A pair of valid lead and trail bytes is one character (an undefined one the default character).
 * Any other trail byte is taken with the lead and gives the default character; a NUL is not taken. */
static void ReadPair(int lead, int trail) {
    unsigned char bytes[2] = {(unsigned char)lead, (unsigned char)trail};
    WCHAR out[4];
    int n = Decode(bytes, 2, out);
    unsigned code = (unsigned)(lead << 8 | trail);
    if (trail == 0) {
        if (n != 2 || out[0] != defaultChar || out[1] != 0) Fail("lead byte and NUL", code, out[0]);
    } else if (n != 1) {
        Fail("a pair is not one character", code, (unsigned)n);
    } else if (trail < FIRST_TRAIL || trail > LAST_TRAIL) {
        if (out[0] != defaultChar) Fail("lead byte with an invalid trail byte", code, out[0]);
    } else {
        if (out[0] == 0) Fail("a pair is NUL, which ends a row", code, 0);
        rows[RowOf(lead)][trail - FIRST_TRAIL] = out[0];
    }
}

/* The first form in byte order of every character (0: none); single bytes come before pairs. */
static unsigned firstForm[0x10000];

static void FindFirstForms(void) {
    for (int b = 0x80; b < 256; ++b)
        if (!IsLead(b) && !firstForm[single[b]]) firstForm[single[b]] = (unsigned)b;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead)) continue;
        for (int t = 0; t < TRAILS; ++t) {
            WCHAR c = rows[RowOf(lead)][t];
            if (!firstForm[c]) firstForm[c] = (unsigned)(lead << 8 | (t + FIRST_TRAIL));
        }
    }
}

/* The system's preferred form of a character, 0 when it has no exact one. */
static unsigned PreferredForm(WCHAR c) {
    char out[4];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP, WC_NO_BEST_FIT_CHARS, &c, 1, out, sizeof out, NULL, &usedDefault);
    if (usedDefault || n < 1) return 0;
    return n == 1 ? (unsigned char)out[0] : (unsigned)((unsigned char)out[0] << 8 | (unsigned char)out[1]);
}

static void PutUtf8(unsigned c) {
    if (c < 0x80) {
        putchar((int)c);
    } else if (c < 0x800) {
        putchar(0xC0 | (c >> 6));
        putchar(0x80 | (c & 0x3F));
    } else {
        putchar(0xE0 | (c >> 12));
        putchar(0x80 | ((c >> 6) & 0x3F));
        putchar(0x80 | (c & 0x3F));
    }
}

/* A character inside a u"" or u'' literal: itself when it is visible, else an escape. */
static void PutLiteralChar(unsigned c) {
    int hidden = c < 0xA0 || c == '"' || c == '\'' || c == '\\' || c == 0x3000 || (c >= 0xD800 && c <= 0xF8FF) || c >= 0xFFF0;
    if (hidden) printf("\\u%04X", c);
    else PutUtf8(c);
}

static const char* WineVersion(void) {
    typedef const char*(CDECL * Getter)(void);
    Getter get = (Getter)(void (*)(void))GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    return get ? get() : "Windows";
}

static void PrintHeader(void) {
    printf("// Code page 932 (Microsoft's Shift-JIS) as the system converts it, made by\n"
           "// tools/cp932/gen_cp932_table.c under Wine %s (see tools/cp932/README.md); do not edit.\n"
           "//\n"
           "// kCp932Single: each byte 0x80-0xFF on its own (0x00-0x7F are ASCII); a lead byte alone, at\n"
           "// the end of the text or before a NUL, is kCp932Default.\n"
           "// kCp932Double: one row per lead byte (0x81-0x9F, then 0xE0-0xFC), the characters of the\n"
           "// trail bytes 0x40-0xFC, 64 to a line. An undefined pair is kCp932Default (as is the real one\n"
           "// at 81 45); a row ends after its last other character. A lead byte with any other trail\n"
           "// byte but NUL takes that byte with it and gives kCp932Default.\n"
           "// kCp932Preferred: characters with several forms whose preferred form (the one the system\n"
           "// writes) is not the first in byte order.\n\n",
           WineVersion());
    printf("constexpr char16_t kCp932Default = u'");
    PutLiteralChar(defaultChar);
    printf("';\n\n");
}

static void PrintSingle(void) {
    printf("constexpr char16_t kCp932Single[128] = {\n");
    for (int b = 0x80; b < 256; ++b)
        printf("%s0x%04X,%s", b % 8 == 0 ? "    " : " ", single[b], b % 8 == 7 ? "\n" : "");
    printf("};\n\n");
}

static void PrintDouble(void) {
    printf("constexpr char16_t kCp932Double[%d][%d] = {\n", LEADS, TRAILS + 1);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead)) continue;
        const WCHAR* row = rows[RowOf(lead)];
        int end = TRAILS;
        while (end > 0 && row[end - 1] == defaultChar) --end;
        printf("    // %02X\n", lead);
        if (end == 0) printf("    u\"\",\n");
        for (int t = 0; t < end; ++t) {
            if (t % 64 == 0) printf("    u\"");
            PutLiteralChar(row[t]);
            if (t == end - 1) printf("\",\n");
            else if (t % 64 == 63) printf("\"\n");
        }
    }
    printf("};\n\n");
}

/* Characters whose preferred form is not their first one, with that form. */
static WCHAR preferredChar[0x10000];
static unsigned preferredCode[0x10000];
static int preferredCount;

/* Checks every BMP code point against the tables and collects the exceptions to "first form". */
static void FindPreferredForms(void) {
    for (unsigned c = 0; c < 0x10000; ++c) {
        unsigned preferred = PreferredForm((WCHAR)c), first = c < 0x80 ? c : firstForm[c];
        if (c < 0x80) {
            if (preferred != c) Fail("ASCII not written as itself", c, preferred);
        } else if (preferred == 0) {
            if (first) Fail("a decoded character has no form", c, first);
        } else if (!first) {
            Fail("a written character is never decoded", c, preferred);
        } else if (preferred != first) {
            unsigned char bytes[2] = {(unsigned char)(preferred >> 8), (unsigned char)preferred};
            WCHAR back[4];
            if (preferred < 0x100 || Decode(bytes, 2, back) != 1 || back[0] != c) Fail("a preferred form decodes otherwise", c, preferred);
            preferredChar[preferredCount] = (WCHAR)c;
            preferredCode[preferredCount++] = preferred;
        }
    }
}

static void PrintPreferred(void) {
    printf("struct Cp932Preferred {\n    char16_t character;\n    unsigned short code;\n};\n");
    printf("constexpr Cp932Preferred kCp932Preferred[] = {\n");
    for (int i = 0; i < preferredCount; ++i) {
        printf("%s{u'", i % 6 == 0 ? "    " : " ");
        PutLiteralChar(preferredChar[i]);
        printf("', 0x%04X},%s", preferredCode[i], i % 6 == 5 || i == preferredCount - 1 ? "\n" : "");
    }
    printf("};\n");
}

int main(void) {
    CPINFOEXW info;
    if (!GetCPInfoExW(CP, 0, &info)) {
        fprintf(stderr, "code page 932 is not installed\n");
        return 1;
    }
    defaultChar = info.UnicodeDefaultChar;
    ReadSingleBytes();
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        if (IsLead(lead))
            for (int trail = 0; trail < 256; ++trail) ReadPair(lead, trail);
    FindFirstForms();
    FindPreferredForms();
    if (failures) return 1;
    _setmode(_fileno(stdout), _O_BINARY);
    PrintHeader();
    PrintSingle();
    PrintDouble();
    PrintPreferred();
    fprintf(stderr, "%d characters with a preferred form after the first\n", preferredCount);
    return 0;
}
