#pragma once
// A small Windows program image built byte by byte for tests: headers and one section that holds
// a version record and an export table.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"

namespace test_pe {

struct ImageRecipe {
    bool plus = false;  // PE32+ (64-bit)
    uint16_t subsystem = 2;
    std::vector<std::pair<std::string, std::string>> strings;  // version strings; none: no record
    std::vector<std::string> exports;
    size_t extra = 0;  // bytes appended, to make the file larger
};

struct Image {
    std::string bytes;
    size_t section = 0;  // file offset of the section table's entry
    size_t version = 0;  // file offsets of the version record and of the export directory
    size_t exports = 0;
};

constexpr uint32_t kRaw = 0x200, kAddress = 0x1000;

inline void Put16(std::string& b, size_t at, uint32_t v) {
    b[at] = static_cast<char>(v);
    b[at + 1] = static_cast<char>(v >> 8);
}
inline void Put32(std::string& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
inline void Align(std::string& b) { b.resize((b.size() + 3) & ~size_t(3), '\0'); }

inline std::string Utf16z(const std::string& utf8) {
    std::string out;
    for (char16_t unit : Utf8ToUtf16(utf8) + u'\0') out += {static_cast<char>(unit), static_cast<char>(unit >> 8)};
    return out;
}

// length, value length, type, key, value, children: each part on a 4-byte boundary.
inline std::string Block(const std::string& key, uint16_t type, const std::string& value, uint16_t valueLength,
                         const std::vector<std::string>& children = {}) {
    std::string b(6, '\0');
    b += Utf16z(key);
    Align(b);
    b += value;
    for (const std::string& child : children) {
        Align(b);
        b += child;
    }
    Put16(b, 0, static_cast<uint32_t>(b.size()));
    Put16(b, 2, valueLength);
    Put16(b, 4, type);
    return b;
}

inline std::string VersionRecord(const ImageRecipe& recipe) {
    std::vector<std::string> strings;
    for (const auto& [key, value] : recipe.strings)
        strings.push_back(Block(key, 1, Utf16z(value), static_cast<uint16_t>(Utf8ToUtf16(value).size() + 1)));
    std::string fixed(52, '\0');
    Put32(fixed, 0, 0xFEEF04BD);
    Put32(fixed, 8, 0x00010002);  // file version 1.2.3.4
    Put32(fixed, 12, 0x00030004);
    Put32(fixed, 16, 0x00050006);  // product version 5.6.7.8
    Put32(fixed, 20, 0x00070008);
    std::string table = Block("041104B0", 1, "", 0, strings);
    return Block("VS_VERSION_INFO", 0, fixed, 52, {Block("StringFileInfo", 1, "", 0, {table})});
}

// Section offsets of the resource leaf (the record's address and size) and of the record.
constexpr size_t kLeaf = 0x50, kRecord = 0x60;

// The section: resource directories (an icon type 3 that is no directory, then the version type
// 16 with name 1 and language 0x411), the record, then the export directory and its names.
inline std::string SectionData(const ImageRecipe& recipe, size_t& version, size_t& exports) {
    std::string s(kRecord, '\0');
    const uint32_t sub = 0x80000000u;
    Put16(s, 14, 2);
    Put32(s, 16, 3);
    Put32(s, 20, kLeaf);
    Put32(s, 24, 16);
    Put32(s, 28, sub | 0x20);
    for (size_t at : {0x20, 0x38}) {
        Put16(s, at + 14, 1);  // one entry with an id
        Put32(s, at + 16, at == 0x20 ? 1 : 0x411);
        Put32(s, at + 20, at == 0x20 ? (sub | 0x38) : kLeaf);
    }
    std::string record = recipe.strings.empty() ? std::string() : VersionRecord(recipe);
    Put32(s, kLeaf, kAddress + kRecord);
    Put32(s, kLeaf + 4, static_cast<uint32_t>(record.size()));
    version = s.size();
    s += record;
    Align(s);
    exports = s.size();
    s.resize(s.size() + 40 + 4 * recipe.exports.size(), '\0');
    Put32(s, exports + 24, static_cast<uint32_t>(recipe.exports.size()));
    Put32(s, exports + 32, static_cast<uint32_t>(kAddress + exports + 40));
    for (size_t i = 0; i < recipe.exports.size(); ++i) {
        Put32(s, exports + 40 + 4 * i, static_cast<uint32_t>(kAddress + s.size()));
        s += recipe.exports[i] + '\0';
    }
    return s;
}

inline Image MakeImage(const ImageRecipe& recipe) {
    Image image;
    std::string section = SectionData(recipe, image.version, image.exports);
    std::string& b = image.bytes;
    b.assign(kRaw, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, 0x40);
    b.replace(0x40, 4, std::string("PE\0\0", 4));
    uint32_t optionalSize = recipe.plus ? 240 : 224;
    Put16(b, 0x44, recipe.plus ? 0x8664 : 0x14C);
    Put16(b, 0x46, 1);
    Put16(b, 0x54, optionalSize);
    Put16(b, 0x56, 0x0102);
    size_t optional = 0x58;
    Put16(b, optional, recipe.plus ? 0x20B : 0x10B);
    Put16(b, optional + 68, recipe.subsystem);
    size_t count = optional + (recipe.plus ? 108 : 92);
    Put32(b, count, 16);
    if (!recipe.exports.empty()) Put32(b, count + 4, static_cast<uint32_t>(kAddress + image.exports));
    if (!recipe.strings.empty()) Put32(b, count + 4 + 2 * 8, kAddress);
    image.section = optional + optionalSize;
    Put32(b, image.section + 8, static_cast<uint32_t>(section.size()));
    Put32(b, image.section + 12, kAddress);
    Put32(b, image.section + 16, static_cast<uint32_t>(section.size()));
    Put32(b, image.section + 20, kRaw);
    b += section;
    b.append(recipe.extra, '\0');
    image.version += kRaw;
    image.exports += kRaw;
    return image;
}

}  // namespace test_pe
