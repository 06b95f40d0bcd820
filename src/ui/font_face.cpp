#include "ui/font_face.h"

#include <windows.h>

#include "edge/wide.h"

namespace {

struct FaceName {
    const char* japanese;
    const char* english;
};

const FaceName kEnglishNames[] = {
    {"ＭＳ Ｐゴシック", "MS PGothic"},
    {"ＭＳ ゴシック", "MS Gothic"},
    {"ＭＳ Ｐ明朝", "MS PMincho"},
    {"ＭＳ 明朝", "MS Mincho"},
    {"メイリオ", "Meiryo"},
};

// Japanese faces of every Windows 10 and 11, in the order they are tried.
const char* const kLastResorts[] = {"Yu Gothic UI", "MS UI Gothic"};

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

}  // namespace

bool FontFaceExists(const std::string& face) {
    std::wstring name = Wide(face);
    if (name.empty() || name.size() >= LF_FACESIZE) return false;
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, name.c_str(), LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    EnumFontFamiliesExW(screen, &font, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

std::string ChooseFontFace(const std::string& requested,
                           const std::function<bool(const std::string& face)>& exists) {
    if (exists(requested)) return requested;
    for (const FaceName& name : kEnglishNames)
        if (requested == name.japanese && exists(name.english)) return name.english;
    for (const char* face : kLastResorts)
        if (exists(face)) return face;
    return requested;
}

std::string ResolveFontFace(const std::string& requested) {
    return ChooseFontFace(requested, FontFaceExists);
}
