// The in-memory INI document against GetPrivateProfileStringW on generated code page 932 files:
// every lookup answers alike. A quick run here; bench/ini_differential_bench runs a hundred thousand files.
// Replay a failure with SETUP_INI_DIFF_SEED=<seed> SETUP_INI_DIFF_FILES=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/cp932.h"
#include "script/ini_differential.h"
#include "script/ini_document.h"
#include "support/test_env.h"

namespace {

std::uint64_t Setting(const char* name, std::uint64_t fallback) {
    std::string value = EnvValue(name);
    return value.empty() ? fallback : std::strtoull(value.c_str(), nullptr, 10);
}

TEST(IniDifferential, GeneratedFilesReadLikeTheProfileFunctions) {
    const std::uint64_t first = Setting("SETUP_INI_DIFF_SEED", 1);
    const std::uint64_t files = Setting("SETUP_INI_DIFF_FILES", 1500);
    std::string folder = ScratchFolder("inidiff");
    std::string path = folder + "GEN.INI";
    size_t lookups = 0, found = 0;
    for (std::uint64_t seed = first; seed < first + files; ++seed) {
        inidiff::GeneratedFile file = inidiff::Generate(seed, 4);
        if (auto difference = inidiff::Compare(path, file.bytes, file.lookups)) {
            ADD_FAILURE() << inidiff::Describe(file, *difference, inidiff::Shrink(path, file.bytes, difference->lookup));
            break;
        }
        // The lookups must mostly find something, or the files would test only the defaults.
        IniDocument document;
        document.LoadBytes(file.bytes);
        for (const inidiff::Lookup& lookup : file.lookups) {
            ++lookups;
            std::string section = Cp932ToUtf8(lookup.section), key = Cp932ToUtf8(lookup.key),
                        fallback = Cp932ToUtf8(lookup.fallback);
            if (document.Get(section, key, fallback) != IniDocument().Get(section, key, fallback)) ++found;
        }
    }
    if (files >= 100) {
        EXPECT_GT(found * 4, lookups) << found << " of " << lookups << " lookups found a value";
    }
    RemoveTree(folder);
}

// A UTF-16 file cut after an odd number of bytes: the platform reads one byte past its buffer and
// answers differently from call to call, mostly as if that byte were zero. The document reads it so.
TEST(IniDifferential, AnOddLastByteOfUtf16TextIsACharacterWithAZeroByte) {
    IniDocument little;
    little.LoadBytes(std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0v\0", 16) + "x");
    EXPECT_EQ(little.Get("A", "k", ""), "vx");
    IniDocument big;
    big.LoadBytes(std::string("\xFE\xFF\0[\0A\0]\0\n\0k\0=\0v", 16) + "\x4E");  // U+4E00
    EXPECT_EQ(big.Get("A", "k", ""), "v一");
}

}  // namespace
