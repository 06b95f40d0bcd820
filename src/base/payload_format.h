#pragma once
// The bytes of a single file, and the pieces the payload writer and reader share (the builder's
// tests use them to forge damaged files).
//
//   [plain program]  the plain SETUP.EXE, its CheckSum and security directory cleared
//   [entry data]     each entry raw-deflated on its own (level 9), or stored, in index order
//   [index]          raw-deflated; field by field, little-endian: the name length (2 bytes) and
//                    name (UTF-8) of every entry, then every entry's method (1), then its size (8),
//                    stored size (8), CRC-32 (4) and last-write time (8: 100-ns units since 1601,
//                    UTC, as Windows counts; 0 unknown). The entries' data lie one after the other
//                    in index order from the end of the plain program, so their offsets are known.
//   [0..7 zeros]     so that the file's length is a multiple of 8 and a signer adds no padding
//   [trailer]        kTrailerSize bytes, little-endian:
//                      0 start magic (8)          48 content size (8)
//                      8 plain length (8)         56 plain program's CheckSum (4)
//                     16 index offset (8)         60 its security directory: address (4)
//                     24 index stored size (8)    64 and size (4)
//                     32 index size (8)           68 CRC-32 of every byte before the trailer (4)
//                     40 entry count (8)          72 plain program's last-write time (8, as an
//                                                    entry's; 0 unknown)
//                                                 80 version (4)
//                                                 84 trailer size (4)
//                                                 88 CRC-32 of the trailer's bytes 0..87 (4)
//                                                 92 end magic (8)
//   [signature]      when signed: where the security directory points, after the trailer
//
// The last 20 bytes (version, trailer size, trailer CRC, end magic) keep their place in every
// version, so that a reader finds the trailer of a newer one and can name it as such.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_stream.h"
#include "base/payload.h"
#include "base/pe_header.h"

namespace payload_format {

constexpr uint32_t kVersion = 1;
constexpr size_t kTrailerSize = 100;
constexpr size_t kTrailerTailSize = 20;  // version, trailer size, trailer CRC, end magic
constexpr size_t kMaxTrailerSize = 4096;
constexpr std::string_view kStartMagic = "OrvPayld";
constexpr std::string_view kEndMagic = "OrvPlEnd";
// Limits that keep a hostile index from asking for unbounded memory.
constexpr uint64_t kMaxIndexSize = 64ull << 20;
constexpr size_t kMaxNameSize = 0xFFFF;
constexpr uint64_t kMinIndexEntrySize = 2 + 1 + 1 + 8 + 8 + 4 + 8;

std::string EncodeTrailer(const PayloadTrailer& trailer);  // kTrailerSize bytes, its CRC made
// Checks a trailer of any version (bytes: as many as its tail declares): the magic at both ends,
// its CRC, then version and size.
PayloadStatus DecodeTrailer(std::string_view bytes, PayloadTrailer& trailer);

std::string EncodeIndex(const std::vector<PayloadEntry>& entries);
// Reads count entries that must fill the bytes exactly, with known methods and safe, distinct
// names; the first entry's data start at firstOffset (where the rest end is the reader's to check).
bool DecodeIndex(std::string_view bytes, uint64_t count, uint64_t firstOffset, std::vector<PayloadEntry>& entries);
// The name as compared for duplicates: ASCII letters in lower case (as Windows compares them).
std::string FoldName(std::string_view name);

// Receives bytes as they come; any status but kOk stops the work with that status.
using Output = std::function<PayloadStatus(const uint8_t* data, size_t size)>;
// Reads size bytes at offset in chunks and hands each to each (which may change it).
PayloadStatus ReadChunks(ByteSource& in, uint64_t offset, uint64_t size, size_t chunkSize,
                         const std::function<PayloadStatus(uint8_t* data, size_t size, uint64_t at)>& each);
// Sets CheckSum and the security directory in a chunk that starts at file offset at, where the
// chunk holds them.
void PatchHeaderFields(uint8_t* data, size_t size, uint64_t at, const PeHeaderFields& pe,
                       uint32_t checksum, uint32_t securityAddress, uint32_t securitySize);

// Raw deflate (level 9, window 15, memLevel 8, default strategy) of the whole source; crc gets
// the CRC-32 of what was read.
PayloadStatus DeflateSource(ByteSource& in, const Output& output, uint32_t& crc);
// Inflates storedSize bytes at offset that must make exactly size bytes and end the stream.
PayloadStatus InflateRange(ByteSource& in, uint64_t offset, uint64_t storedSize, uint64_t size,
                           const Output& output, uint32_t& crc);
// The CRC-32 of the bytes [0, end) with CheckSum and the security directory as zero.
PayloadStatus DataCrc(ByteSource& file, const PeHeaderFields& pe, uint64_t end,
                      const PayloadProgress& progress, uint32_t& crc);
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

}  // namespace payload_format
