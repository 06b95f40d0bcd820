// The name a compressed file records, read from its header on a system that is no Windows (the
// native distribution builder), as the system's expansion library reads it: an SZDD header
// ("SZDD" 88 F0 27 33, mode "A", the name's missing last character, the expanded size).
#include "sys/expand.h"

#include <cstring>

#include "base/byte_stream.h"
#include "edge/fileops.h"

std::string RecordedName(const std::string& source) {
    FileSource file;
    std::string located = LocatePath(source);
    if (located.empty() || !file.Open(located)) return "";
    static const char kMagic[] = "SZDD\x88\xF0\x27\x33";
    char header[14] = {};
    bool compressed = file.Size() >= sizeof(header) && file.Read(0, header, sizeof(header)) &&
                      std::memcmp(header, kMagic, 8) == 0 && header[8] == 'A';
    std::string name = source;
    if (!compressed || name.empty() || name.back() != '_') return name;
    // The character the compressor cut off; without one the "_" that stood for it is dropped.
    name.pop_back();
    if (header[9] != '\0') name += header[9];
    return name;
}
