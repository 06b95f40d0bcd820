#pragma once
// The few fields of a Windows program's (PE32 or PE32+) header that a payload appended to it must
// know: the optional header's CheckSum and the security directory (data directory 4), which a
// signer fills in, and where the program's own bytes end.
#include <cstdint>

#include "base/byte_stream.h"

struct PeHeaderFields {
    uint64_t checksumOffset = 0;  // file offset of CheckSum (4 bytes)
    uint64_t securityOffset = 0;  // file offset of the security directory (address, size: 8 bytes)
    uint32_t checksum = 0;
    uint32_t securityAddress = 0;  // a file offset, unlike the other directories' addresses
    uint32_t securitySize = 0;
    // The end of the headers, the sections' raw data and the symbol table: what the program's
    // own layout accounts for. Bytes past it are an overlay (a signature or a payload).
    uint64_t imageEnd = 0;
};

enum class PeStatus { kOk, kNotPe, kReadError };

PeStatus ReadPeHeaderFields(ByteSource& file, PeHeaderFields& fields);
