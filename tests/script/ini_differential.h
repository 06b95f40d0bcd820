#pragma once
// Generated INI files and lookups, answered by the in-memory document and by the system's
// profile-string functions on the same file, compared. Shared by the script tests (a few thousand
// files) and the benchmark program (a hundred thousand).
//
// The files are code page 932 bytes, as scripts and logs are; the system reads them in the test
// prefix's code page 932 and is asked through its W functions, the document is asked with the
// same names as UTF-8 (the names' bytes decoded explicitly), and both answers are compared as text.
//
// Every file comes from its own seed, so one failing file is replayed from its seed alone.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace inidiff {

// Names and default as code page 932 bytes.
struct Lookup {
    std::string section;
    std::string key;
    std::string fallback;
};

// The code page 932 bytes of a test's literal: its UTF-8 characters encoded, any byte that is no
// UTF-8 (a lone lead byte written as \x81) kept as it is.
std::string Cp932Of(const std::string& literal);

// What the system's GetPrivateProfileStringW answers (in UTF-8) for names given in UTF-8; no
// answer is ever cut.
std::string SystemProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                                const std::string& path);

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
    std::string system;    // what GetPrivateProfileStringW returned, as UTF-8
    std::string document;  // what the document returned (UTF-8)
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
