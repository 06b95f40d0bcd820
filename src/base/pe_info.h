#pragma once
// What the distribution builder wants to know of a Windows program or library (PE32 or PE32+):
// machine and bitness, GUI or console, whether it is a self-registering server (it exports
// DllRegisterServer), and its version record.
//
// Every offset and size in the file is checked before it is used, and only what the header
// points at is read (not the whole file). A damaged or hostile file never makes a read go out of
// bounds: what cannot be read whole is simply absent (no version record, no export).
#include <cstdint>
#include <string>
#include <string_view>

#include "base/byte_stream.h"

// The version record: the fixed part and the strings of its first language, as UTF-8 (empty when
// the record lacks them).
struct PeVersionRecord {
    bool present = false;  // a record with a fixed part or at least one string
    bool hasFixed = false;
    uint16_t fileVersion[4] = {};  // major, minor, build, revision
    uint16_t productVersion[4] = {};
    std::string productName;
    std::string companyName;
    std::string fileDescription;
    std::string productVersionText;
    std::string fileVersionText;
    std::string legalCopyright;
    std::string originalFilename;
    std::string internalName;
};

struct PeInfo {
    uint16_t machine = 0;    // the header's value: 0x14C x86, 0x8664 x64, 0xAA64 ARM64, ...
    int bits = 0;            // 32 (PE32) or 64 (PE32+)
    uint16_t subsystem = 0;  // 2 GUI, 3 console, ...
    bool gui = false;
    bool dll = false;  // the header marks it as a library
    bool exportsDllRegisterServer = false;
    PeVersionRecord version;
};

// False when the bytes are no PE program (no "MZ", no "PE" header, an unknown optional header);
// info then stays as it was given.
bool ReadPeInfo(ByteSource& file, PeInfo& info);
bool ReadPeInfoFromBytes(std::string_view bytes, PeInfo& info);
bool ReadPeInfoFromFile(const std::string& utf8Path, PeInfo& info);
