#pragma once
// Generated INI files and lookups, answered by the in-memory document and by the system's
// profile-string functions on the same file, compared. Shared by the script tests (a few thousand
// files) and the benchmark program (a hundred thousand).
//
// Every file comes from its own seed, so one failing file is replayed from its seed alone.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace inidiff {

struct Lookup {
    std::string section;
    std::string key;
    std::string fallback;
};

struct GeneratedFile {
    std::uint64_t seed = 0;
    std::string bytes;
    std::vector<Lookup> lookups;
};

// A file of mixed content (code page 932 text with trail bytes of ASCII look, case variants,
// blanks, duplicate sections and keys, keys before any section, lines without "=", comments,
// quotes, every kind of line end, byte-order marks) and `lookups` lookups of names that are in it,
// of variants of them and of absent names.
GeneratedFile Generate(std::uint64_t seed, int lookups);

struct Difference {
    Lookup lookup;
    std::string system;    // what GetPrivateProfileStringA returned
    std::string document;  // what the document returned
};

// Writes the bytes to the file (a full path that nothing else uses) and answers every lookup both
// ways; the first lookup whose answers differ, or nothing.
std::optional<Difference> Compare(const std::string& path, const std::string& bytes,
                                  const std::vector<Lookup>& lookups);

// The smallest file found, by removing pieces, that still shows a difference for the lookup.
std::string Shrink(const std::string& path, const std::string& bytes, const Lookup& lookup);

// Bytes as printable text: ASCII as it is, anything else as \xNN.
std::string Printable(const std::string& bytes);

// A failure report: the seed, the file, the lookup, both answers and the smallest file that
// shows the same difference.
std::string Describe(const GeneratedFile& file, const Difference& difference, const std::string& smallest);

}  // namespace inidiff
