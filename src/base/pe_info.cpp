#include "base/pe_info.h"

#include <algorithm>
#include <vector>

#include "base/utf.h"

namespace {

constexpr uint32_t kPe32Magic = 0x10B;
constexpr uint32_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kFileDll = 0x2000;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kSubdirectoryBit = 0x80000000u;
constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr size_t kFixedSize = 52;
// Real libraries export a few thousand names at most (ordinals are 16-bit); more is hostile.
constexpr uint32_t kMaxExportNames = 0x10000;
constexpr std::string_view kRegisterName{"DllRegisterServer\0", 18};

uint32_t Le16(std::string_view b, size_t at) {
    return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8);
}

uint32_t Le32(std::string_view b, size_t at) {
    return Le16(b, at) | (Le16(b, at + 2) << 16);
}

size_t Align4(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

struct Section {
    uint32_t address = 0;  // where it is mapped (relative to the image)
    uint32_t size = 0;     // bytes of the file that it maps
    uint32_t raw = 0;      // their file offset
};

struct Directory {
    uint32_t address = 0;
    uint32_t size = 0;
};

class PeReader {
public:
    explicit PeReader(ByteSource& file) : file_(file) {}
    bool ReadHeaders(PeInfo& info);
    bool ExportsRegisterServer();
    void ReadVersion(PeVersionRecord& record);

private:
    bool ReadAt(uint64_t offset, uint64_t size, std::string& out);
    // The bytes of the section that holds rva, from rva on (0: none holds it).
    uint32_t Available(uint64_t rva) const;
    // size bytes at rva, when one section holds them whole.
    bool ReadRva(uint64_t rva, uint64_t size, std::string& out);
    bool ResourceEntry(uint32_t directory, bool wantVersion, uint32_t& target);

    ByteSource& file_;
    std::vector<Section> sections_;
    Directory exports_;
    Directory resources_;
};

bool PeReader::ReadAt(uint64_t offset, uint64_t size, std::string& out) {
    if (offset > file_.Size() || file_.Size() - offset < size) return false;
    out.resize(static_cast<size_t>(size));
    return file_.Read(offset, out.data(), out.size());
}

uint32_t PeReader::Available(uint64_t rva) const {
    for (const Section& section : sections_)
        if (rva >= section.address && rva - section.address < section.size)
            return static_cast<uint32_t>(section.size - (rva - section.address));
    return 0;
}

bool PeReader::ReadRva(uint64_t rva, uint64_t size, std::string& out) {
    if (size == 0 || Available(rva) < size) return false;
    for (const Section& section : sections_)
        if (rva >= section.address && rva - section.address < section.size)
            return ReadAt(section.raw + (rva - section.address), size, out);
    return false;
}

bool PeReader::ReadHeaders(PeInfo& info) {
    std::string dos, coff, optional, table;
    if (!ReadAt(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    uint64_t pe = Le32(dos, 0x3C);
    if (!ReadAt(pe, 24, coff) || coff.compare(0, 4, std::string_view("PE\0\0", 4)) != 0) return false;
    uint32_t sectionCount = Le16(coff, 6), optionalSize = Le16(coff, 20);
    if (!ReadAt(pe + 24, optionalSize, optional) || optional.size() < 72) return false;
    uint32_t magic = Le16(optional, 0);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return false;
    info.machine = static_cast<uint16_t>(Le16(coff, 4));
    info.bits = magic == kPe32Magic ? 32 : 64;
    info.subsystem = static_cast<uint16_t>(Le16(optional, 68));
    info.gui = info.subsystem == 2;
    info.dll = (Le16(coff, 22) & kFileDll) != 0;
    // The directories that the header declares and holds.
    size_t countAt = magic == kPe32Magic ? 92 : 108;
    uint32_t directories = optional.size() >= countAt + 4 ? Le32(optional, countAt) : 0;
    auto directory = [&](uint32_t index) {
        size_t at = countAt + 4 + index * 8;
        if (index >= directories || optional.size() < at + 8) return Directory{};
        return Directory{Le32(optional, at), Le32(optional, at + 4)};
    };
    exports_ = directory(kExportDirectory);
    resources_ = directory(kResourceDirectory);
    if (ReadAt(pe + 24 + optionalSize, sectionCount * 40ull, table)) {
        for (uint32_t i = 0; i < sectionCount; ++i) {
            size_t at = i * 40;
            Section section{Le32(table, at + 12), Le32(table, at + 16), Le32(table, at + 20)};
            uint32_t virtualSize = Le32(table, at + 8);
            // Raw bytes past the virtual size are padding the loader does not map.
            if (virtualSize != 0) section.size = std::min(section.size, virtualSize);
            sections_.push_back(section);
        }
    }
    return true;
}

bool PeReader::ExportsRegisterServer() {
    std::string directory, names, name;
    if (exports_.address == 0 || !ReadRva(exports_.address, 40, directory)) return false;
    uint32_t count = std::min(Le32(directory, 24), kMaxExportNames);
    if (count == 0 || !ReadRva(Le32(directory, 32), count * 4ull, names)) return false;
    for (uint32_t i = 0; i < count; ++i)
        if (ReadRva(Le32(names, i * 4), kRegisterName.size(), name) && name == kRegisterName) return true;
    return false;
}

// In the resource directory at the given offset: the version type's entry (wantVersion), else
// the first entry. target is its offset field (subdirectory bit included).
bool PeReader::ResourceEntry(uint32_t directory, bool wantVersion, uint32_t& target) {
    std::string header, entries;
    uint64_t at = static_cast<uint64_t>(resources_.address) + directory;
    if (!ReadRva(at, 16, header)) return false;
    uint64_t count = Le16(header, 12) + Le16(header, 14);
    if (count == 0 || !ReadRva(at + 16, count * 8, entries)) return false;
    for (size_t i = 0; i < count; ++i) {
        if (wantVersion && Le32(entries, i * 8) != kVersionType) continue;
        target = Le32(entries, i * 8 + 4);
        return true;
    }
    return false;
}

// One block of the version record: a length, a value length, a type, a UTF-16 key, then the
// value and the children, each on a 4-byte boundary of the record.
struct Block {
    std::u16string key;
    size_t value = 0;     // offset of the value
    size_t children = 0;  // offset of the first child
    size_t end = 0;
    uint32_t valueLength = 0;
};

bool ParseBlock(std::string_view data, size_t at, size_t limit, Block& block) {
    if (at > limit || limit - at < 6) return false;
    size_t length = Le16(data, at);
    if (length < 6) return false;
    block.end = std::min(at + length, limit);
    block.valueLength = Le16(data, at + 2);
    bool text = Le16(data, at + 4) == 1;
    block.key.clear();
    size_t next = at + 6;
    for (;; next += 2) {
        if (next + 2 > block.end) return false;
        char16_t unit = static_cast<char16_t>(Le16(data, next));
        if (unit == 0) break;
        block.key.push_back(unit);
    }
    block.value = std::min(Align4(next + 2), block.end);
    size_t valueBytes = text ? block.valueLength * 2ull : block.valueLength;
    block.children = std::min(Align4(block.value + valueBytes), block.end);
    return true;
}

// The text of a string block: from its value to its end or the first NUL. The value length is
// not trusted: compilers disagree on whether it counts bytes or characters.
std::string BlockText(std::string_view data, const Block& block) {
    std::u16string text;
    for (size_t at = block.value; at + 2 <= block.end; at += 2) {
        char16_t unit = static_cast<char16_t>(Le16(data, at));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return Utf16ToUtf8(text);
}

std::string* StringField(PeVersionRecord& record, const std::u16string& key) {
    if (key == u"ProductName") return &record.productName;
    if (key == u"CompanyName") return &record.companyName;
    if (key == u"FileDescription") return &record.fileDescription;
    if (key == u"ProductVersion") return &record.productVersionText;
    if (key == u"FileVersion") return &record.fileVersionText;
    if (key == u"LegalCopyright") return &record.legalCopyright;
    if (key == u"OriginalFilename") return &record.originalFilename;
    if (key == u"InternalName") return &record.internalName;
    return nullptr;
}

// The strings of the first table (the first language) of a StringFileInfo block.
bool ReadStrings(std::string_view data, const Block& info, PeVersionRecord& record) {
    Block table, string;
    if (!ParseBlock(data, info.children, info.end, table)) return false;
    bool any = false;
    for (size_t at = table.children; ParseBlock(data, at, table.end, string); at = Align4(string.end)) {
        if (std::string* field = StringField(record, string.key)) {
            *field = BlockText(data, string);
            any = true;
        }
    }
    return any;
}

void ReadFixed(std::string_view data, const Block& root, PeVersionRecord& record) {
    if (root.valueLength < kFixedSize || root.end - root.value < kFixedSize) return;
    if (Le32(data, root.value) != kFixedSignature) return;
    auto split = [&](size_t at, uint16_t* parts) {
        uint32_t high = Le32(data, at), low = Le32(data, at + 4);
        parts[0] = static_cast<uint16_t>(high >> 16);
        parts[1] = static_cast<uint16_t>(high);
        parts[2] = static_cast<uint16_t>(low >> 16);
        parts[3] = static_cast<uint16_t>(low);
    };
    split(root.value + 8, record.fileVersion);
    split(root.value + 16, record.productVersion);
    record.hasFixed = true;
}

void ParseVersion(std::string_view data, PeVersionRecord& record) {
    Block root, child;
    if (!ParseBlock(data, 0, data.size(), root) || root.key != u"VS_VERSION_INFO") return;
    ReadFixed(data, root, record);
    bool strings = false;
    for (size_t at = root.children; ParseBlock(data, at, root.end, child); at = Align4(child.end))
        if (child.key == u"StringFileInfo" && !strings) strings = ReadStrings(data, child, record);
    record.present = record.hasFixed || strings;
}

void PeReader::ReadVersion(PeVersionRecord& record) {
    uint32_t types = 0, names = 0, languages = 0;
    if (resources_.address == 0 || !ResourceEntry(0, true, types) || !(types & kSubdirectoryBit)) return;
    if (!ResourceEntry(types & ~kSubdirectoryBit, false, names) || !(names & kSubdirectoryBit)) return;
    if (!ResourceEntry(names & ~kSubdirectoryBit, false, languages) || (languages & kSubdirectoryBit)) return;
    std::string leaf, data;
    if (!ReadRva(static_cast<uint64_t>(resources_.address) + languages, 16, leaf)) return;
    // A record's length field is 16-bit: more than 64 KiB is never needed.
    uint64_t size = std::min<uint64_t>(Le32(leaf, 4), 0x10000);
    size = std::min<uint64_t>(size, Available(Le32(leaf, 0)));
    if (!ReadRva(Le32(leaf, 0), size, data)) return;
    ParseVersion(data, record);
}

}  // namespace

bool ReadPeInfo(ByteSource& file, PeInfo& info) {
    PeReader reader(file);
    PeInfo read;
    if (!reader.ReadHeaders(read)) return false;
    read.exportsDllRegisterServer = reader.ExportsRegisterServer();
    reader.ReadVersion(read.version);
    info = std::move(read);
    return true;
}

bool ReadPeInfoFromBytes(std::string_view bytes, PeInfo& info) {
    MemorySource source(bytes);
    return ReadPeInfo(source, info);
}

bool ReadPeInfoFromFile(const std::string& utf8Path, PeInfo& info) {
    FileSource source;
    return source.Open(utf8Path) && ReadPeInfo(source, info);
}
