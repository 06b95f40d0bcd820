// The face a font is made with: never one the system lacks.
#include <gtest/gtest.h>

#include <set>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/font_face.h"
#include "ui/form.h"
#include "ui_test_util.h"

namespace {

TEST(FontFace, AMissingFaceFallsBackToOneTheSystemHas) {
    struct Case {
        const char* requested;
        std::set<std::string> system;
        const char* expected;
    };
    const Case cases[] = {
        {"ＭＳ Ｐゴシック", {"ＭＳ Ｐゴシック", "MS PGothic"}, "ＭＳ Ｐゴシック"},
        {"ＭＳ Ｐゴシック", {"MS PGothic", "Yu Gothic UI"}, "MS PGothic"},
        {"ＭＳ ゴシック", {"MS Gothic", "MS UI Gothic"}, "MS Gothic"},
        {"ＭＳ Ｐ明朝", {"MS PGothic", "Yu Gothic UI", "MS UI Gothic"}, "Yu Gothic UI"},
        {"ＭＳ 明朝", {"MS Gothic", "MS UI Gothic"}, "MS UI Gothic"},
        {"メイリオ", {"Meiryo", "Yu Gothic UI"}, "Meiryo"},
        {"Times New Roman", {"Times New Roman", "Yu Gothic UI"}, "Times New Roman"},
        {"Tahoma", {"Yu Gothic UI"}, "Yu Gothic UI"},
        {"Tahoma", {}, "Tahoma"},  // nothing better: the system's own choice
    };
    for (const Case& c : cases) {
        auto exists = [&](const std::string& face) { return c.system.count(face) == 1; };
        EXPECT_EQ(ChooseFontFace(c.requested, exists), c.expected) << c.requested;
    }
}

TEST(FontFace, TheWindowsGetFacesThisSystemHas) {
    // The faces the program's windows ask for are all present here (in the test prefix through
    // Wine's replacements), so they stay; a face unknown to the system is replaced.
    for (const char* face : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "Times New Roman"})
        EXPECT_EQ(ResolveFontFace(face), face);
    ASSERT_FALSE(FontFaceExists("Orvant No Such Face"));

    Application app;
    Form form("TfrmUiFontFace");
    Label label;
    label.Create(form, 8, 8, 200, 20, "セットアップ");
    Font font;
    font.Name = "Orvant No Such Face";
    label.SetFont(font);
    std::string face = FontOf(label.Handle()).face;
    EXPECT_NE(face, "Orvant No Such Face");
    EXPECT_TRUE(FontFaceExists(face)) << face;
}

}  // namespace
