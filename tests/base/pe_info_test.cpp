#include "base/pe_info.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/test_pe_image.h"

namespace {

using test_pe::Image;
using test_pe::ImageRecipe;
using test_pe::Put16;
using test_pe::Put32;

ImageRecipe ProgramRecipe(bool plus) {
    ImageRecipe recipe;
    recipe.plus = plus;
    recipe.subsystem = plus ? 3 : 2;
    recipe.strings = {{"CompanyName", "オルヴァント"}, {"ProductName", "Sample App"}, {"ProductVersion", "2.5"},
                    {"LegalCopyright", "(C) 2026"}, {"Comments", "ignored"}, {"OriginalFilename", "APP.EXE"}};
    recipe.exports = {"DllCanUnloadNow", "DllRegisterServer"};
    if (plus) recipe.exports = {"DllRegisterServerEx"};
    return recipe;
}

TEST(PeInfo, ReadsHeadersVersionAndExports) {
    for (bool plus : {false, true}) {
        PeInfo info;
        ASSERT_TRUE(ReadPeInfoFromBytes(test_pe::MakeImage(ProgramRecipe(plus)).bytes, info)) << plus;
        EXPECT_EQ(info.bits, plus ? 64 : 32);
        EXPECT_EQ(info.machine, plus ? 0x8664 : 0x14C);
        EXPECT_EQ(info.gui, !plus);
        EXPECT_EQ(info.exportsDllRegisterServer, !plus);  // a longer name is no match
        const PeVersionRecord& v = info.version;
        EXPECT_TRUE(v.present && v.hasFixed);
        EXPECT_EQ(v.productName, "Sample App");
        EXPECT_EQ(v.companyName, "オルヴァント");
        EXPECT_EQ(v.productVersionText, "2.5");
        EXPECT_EQ(v.legalCopyright, "(C) 2026");
        EXPECT_EQ(v.originalFilename, "APP.EXE");
        EXPECT_EQ(v.fileDescription, "");
        EXPECT_EQ(std::vector<int>(v.fileVersion, v.fileVersion + 4), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(std::vector<int>(v.productVersion, v.productVersion + 4), (std::vector<int>{5, 6, 7, 8}));
    }
}

struct Damage {
    const char* what;
    std::function<void(Image&)> change;
    bool pe;
    bool record;  // a version record is found
    const char* product;
    bool exports;
};

TEST(PeInfo, DamagedFilesLoseOnlyWhatIsBroken) {
    const uint32_t sub = 0x80000000u;
    const size_t table = test_pe::kRaw;  // the resource directories start the section
    const Damage cases[] = {
        {"intact", [](Image&) {}, true, true, "Sample App", true},
        {"no MZ", [](Image& i) { i.bytes[0] = 'X'; }, false, false, "", false},
        {"header offset past the end", [](Image& i) { Put32(i.bytes, 0x3C, 0xFFFFFFF0); }, false, false, "", false},
        {"no PE signature", [](Image& i) { i.bytes[0x41] = 'X'; }, false, false, "", false},
        {"unknown optional header", [](Image& i) { Put16(i.bytes, 0x58, 0x107); }, false, false, "", false},
        {"section data past the end", [](Image& i) { Put32(i.bytes, i.section + 20, 0xFFFFFF00); }, true, false, "", false},
        {"directory points at itself", [&](Image& i) { Put32(i.bytes, table + 28, sub); }, true, false, "", true},
        {"record outside the image", [&](Image& i) { Put32(i.bytes, table + test_pe::kLeaf, 0x7FFFFFFF); }, true, false, "", true},
        {"record length below a header", [](Image& i) { Put16(i.bytes, i.version, 4); }, true, false, "", true},
        {"wrong record key", [](Image& i) { i.bytes[i.version + 6] = 'X'; }, true, false, "", true},
        {"string table of length 0", [](Image& i) { Put16(i.bytes, i.version + 0x5C + 0x24, 0); }, true, true, "", true},
        {"key without an end", [](Image& i) { Put16(i.bytes, i.version + 0x5C + 0x24 + 0x18, 10); }, true, true, "", true},
        {"huge name count", [](Image& i) { Put32(i.bytes, i.exports + 24, 0xFFFFFFFF); }, true, true, "Sample App", false},
        {"name outside the image", [](Image& i) { Put32(i.bytes, i.exports + 44, 0xFFFFFFF0); }, true, true, "Sample App", false},
    };
    for (const Damage& c : cases) {
        Image image = test_pe::MakeImage(ProgramRecipe(false));
        c.change(image);
        PeInfo info;
        EXPECT_EQ(ReadPeInfoFromBytes(image.bytes, info), c.pe) << c.what;
        EXPECT_EQ(info.version.present, c.record) << c.what;
        EXPECT_EQ(info.version.productName, c.product) << c.what;
        EXPECT_EQ(info.exportsDllRegisterServer, c.exports) << c.what;
    }
}

TEST(PeInfo, CutFilesKeepWhatTheyHoldWhole) {
    Image image = test_pe::MakeImage(ProgramRecipe(false));
    size_t recordEnd = image.version + static_cast<uint8_t>(image.bytes[image.version]) +
                       (static_cast<uint8_t>(image.bytes[image.version + 1]) << 8);
    for (size_t cut = 0; cut <= image.bytes.size(); ++cut) {
        PeInfo info;
        bool pe = ReadPeInfoFromBytes(std::string_view(image.bytes).substr(0, cut), info);
        EXPECT_EQ(pe, cut >= 0x58 + 224) << cut;
        EXPECT_EQ(info.version.productName == "Sample App", cut >= recordEnd) << cut;
        EXPECT_EQ(info.exportsDllRegisterServer, cut == image.bytes.size()) << cut;
    }
}

}  // namespace
