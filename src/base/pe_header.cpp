#include "base/pe_header.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kPe32Magic = 0x10B;
constexpr uint32_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kSymbolSize = 18;

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// Reads size bytes at offset; bytes past the end mean "no PE", a failing read an I/O error.
PeStatus ReadAt(ByteSource& file, uint64_t offset, size_t size, std::vector<uint8_t>& out) {
    if (offset > file.Size() || file.Size() - offset < size) return PeStatus::kNotPe;
    out.resize(size);
    return file.Read(offset, out.data(), size) ? PeStatus::kOk : PeStatus::kReadError;
}

// The end of the sections' raw data and of the COFF symbol and string tables.
PeStatus LayoutEnd(ByteSource& file, uint64_t sectionTable, uint32_t sectionCount,
                   const std::vector<uint8_t>& coff, uint64_t& end) {
    std::vector<uint8_t> sections;
    PeStatus status = ReadAt(file, sectionTable, sectionCount * kSectionHeaderSize, sections);
    if (status != PeStatus::kOk) return status;
    end = sectionTable + sections.size();
    for (uint32_t i = 0; i < sectionCount; ++i) {
        size_t at = i * kSectionHeaderSize;
        uint64_t rawSize = Le32(sections, at + 16), rawPointer = Le32(sections, at + 20);
        if (rawSize != 0) end = std::max(end, rawPointer + rawSize);
    }
    uint64_t symbols = Le32(coff, 8), symbolCount = Le32(coff, 12);
    if (symbols != 0) {
        uint64_t strings = symbols + symbolCount * kSymbolSize;
        std::vector<uint8_t> length;
        status = ReadAt(file, strings, 4, length);
        if (status == PeStatus::kReadError) return status;
        end = std::max(end, strings + (status == PeStatus::kOk ? Le32(length, 0) : 0));
    }
    return PeStatus::kOk;
}

}  // namespace

PeStatus ReadPeHeaderFields(ByteSource& file, PeHeaderFields& fields) {
    std::vector<uint8_t> dos, coff, optional;
    PeStatus status = ReadAt(file, 0, 64, dos);
    if (status != PeStatus::kOk) return status;
    if (dos[0] != 'M' || dos[1] != 'Z') return PeStatus::kNotPe;
    uint64_t pe = Le32(dos, 0x3C);
    // Signature and file header, then the optional header of the size the file header gives.
    if ((status = ReadAt(file, pe, 24, coff)) != PeStatus::kOk) return status;
    if (coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 || coff[3] != 0) return PeStatus::kNotPe;
    coff.erase(coff.begin(), coff.begin() + 4);
    uint32_t sectionCount = Le16(coff, 2), optionalSize = Le16(coff, 16);
    if ((status = ReadAt(file, pe + 24, optionalSize, optional)) != PeStatus::kOk) return status;
    if (optional.size() < 2) return PeStatus::kNotPe;
    uint32_t magic = Le16(optional, 0);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return PeStatus::kNotPe;
    size_t countAt = magic == kPe32Magic ? 92 : 108;
    size_t securityAt = countAt + 4 + kSecurityDirectory * 8;
    if (optional.size() < securityAt + 8 || Le32(optional, countAt) <= kSecurityDirectory)
        return PeStatus::kNotPe;
    fields.checksumOffset = pe + 24 + 64;
    fields.securityOffset = pe + 24 + securityAt;
    fields.checksum = Le32(optional, 64);
    fields.securityAddress = Le32(optional, securityAt);
    fields.securitySize = Le32(optional, securityAt + 4);
    return LayoutEnd(file, pe + 24 + optionalSize, sectionCount, coff, fields.imageEnd);
}
