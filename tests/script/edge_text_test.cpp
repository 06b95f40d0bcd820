// The conversions at the edges, through the program's real code: every code page 932 character
// read from a script and written into an uninstall log comes out as the bytes it went in as, and
// the characters whose code page 932 form ends in "\" stay whole in the paths the program compares.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/text.h"
#include "edge/fileops.h"
#include "install/script_values.h"
#include "script/uninstall_log.h"
#include "support/test_env.h"

namespace {

std::string Hex(unsigned code) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04X", code);
    return text;
}

struct Character {
    unsigned code;      // the byte, or lead byte * 256 + trail byte
    std::string bytes;
};

// Every character code page 932 defines: the single bytes but the three no value can hold (NUL,
// CR, LF), and the defined pairs.
std::vector<Character> EveryCharacter() {
    std::vector<Character> characters;
    for (unsigned code = 1; code < 0x10000; ++code) {
        unsigned lead = code >> 8, trail = code & 0xFF;
        std::string bytes;
        if (code < 0x100) {
            if (code == '\r' || code == '\n' || IsCp932LeadByte(static_cast<unsigned char>(code))) continue;
            bytes = std::string(1, static_cast<char>(code));
        } else {
            if (!IsCp932LeadByte(static_cast<unsigned char>(lead)) || trail < 0x40 || trail > 0xFC) continue;
            bytes = {static_cast<char>(lead), static_cast<char>(trail)};
            if (Cp932ToUtf8(bytes) == "・" && code != 0x8145) continue;  // an undefined pair
        }
        characters.push_back({code, bytes});
    }
    return characters;
}

// The lines of a section of a code page 932 file, up to the next section.
std::vector<std::string> SectionLines(const std::string& bytes, const std::string& header) {
    std::vector<std::string> lines;
    size_t at = bytes.find(header + "\r\n");
    if (at == std::string::npos) return lines;
    at += header.size() + 2;
    for (size_t end; at < bytes.size() && bytes[at] != '['; at = end + 2) {
        end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(at, end - at));
    }
    return lines;
}

}  // namespace

// Script (code page 932) → inside (UTF-8) → log (code page 932): the same bytes, or for a
// character with several forms the one Windows writes.
TEST(EdgeText, EveryCodePage932CharacterComesThroughScriptAndLogUnchanged) {
    std::string folder = ScratchFolder("edgetext");
    std::vector<Character> characters = EveryCharacter();
    ASSERT_GT(characters.size(), 7000u);
    std::string script = "[Chars]\r\n";
    for (size_t i = 0; i < characters.size(); ++i)
        script += "K" + std::to_string(i) + "=a" + characters[i].bytes + "b\r\n";
    ASSERT_TRUE(WriteTextFile(folder + "SETUP.INI", script));

    ScriptValues values;
    ASSERT_TRUE(values.Load(folder + "SETUP.INI"));
    UninstallLogContent content;
    for (size_t i = 0; i < characters.size(); ++i) {
        std::string inside = values.Read("Chars", "K" + std::to_string(i));
        content.Lists.FileLog.Append("C:\\App\\" + Hex(static_cast<unsigned>(i)) + "\\" + inside);
    }
    ASSERT_EQ(WriteUninstallLog(content, folder + kUninstallLogName), 0u);

    std::vector<std::string> lines = SectionLines(ReadTextFile(folder + kUninstallLogName), "[DeleteFile]");
    ASSERT_EQ(lines.size(), characters.size());
    int duplicates = 0;
    for (size_t i = 0; i < characters.size(); ++i) {
        const Character& character = characters[i];
        std::string preferred;
        ASSERT_TRUE(Utf8ToCp932(Cp932ToUtf8(character.bytes), preferred));
        if (preferred != character.bytes) ++duplicates;
        std::string expected =
            "File" + std::to_string(i + 1) + "=C:\\App\\" + Hex(static_cast<unsigned>(i)) + "\\a" + preferred + "b";
        ASSERT_EQ(lines[i], expected) << "code page 932 character " << Hex(character.code);
    }
    EXPECT_GT(duplicates, 0) << "the NEC and IBM forms of the same characters";
    RemoveTree(folder);
}

// ソ 表 能 十 予 end in the byte "\" in code page 932: in every path the program compares they are
// whole characters.
TEST(EdgeText, CharactersEndingInBackslashStayWholeInComparedPaths) {
    std::string folder = ScratchFolder("edgepaths");
    std::string root = CanonicalPath(folder);
    for (const std::string c : {"ソ", "表", "能", "十", "予"}) {
        std::string place = folder + c + "\\" + c + c;
        ASSERT_TRUE(ForceFolders(place + "\\")) << c;
        EXPECT_EQ(FolderPart(place + "\\" + c + ".TXT"), place + "\\") << c;
        EXPECT_EQ(FileNamePart(place + "\\" + c + ".TXT"), c + ".TXT") << c;
        EXPECT_EQ(FolderPart(folder + c), folder) << c;
        std::string canonical = root + "\\" + c + "\\" + c + c;
        for (const std::string& spelling : {place, place + "\\", folder + c + "\\.\\" + c + c + "\\..\\" + c + c,
                                            folder + c + "\\\\" + c + c + "/", folder + c + "/" + c + c})
            EXPECT_EQ(CanonicalPath(spelling), canonical) << spelling;
        EXPECT_EQ(CanonicalPath(place + "\\new" + c), canonical + "\\NEW" + c) << "a tail that does not exist";
        EXPECT_TRUE(IsSameOrInside(place + "\\x" + c, folder + c)) << c;
        EXPECT_TRUE(IsSameOrInside(place, place + "\\")) << c;
        EXPECT_FALSE(IsSameOrInside(folder + c, place)) << c;
        EXPECT_FALSE(IsSameOrInside(folder + c + c, folder + c)) << "a sibling whose name starts alike: " << c;
    }
    RemoveTree(folder);
}
