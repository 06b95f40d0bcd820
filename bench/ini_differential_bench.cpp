// The in-memory INI document against the system's wide profile functions on many generated files (the script
// tests run a quick share of them). Prints each difference with its seed and the smallest file
// that shows it, and the time taken.
// Run by hand: tools/wine-run.sh BUILD/bench/ini_differential_bench.exe [files [first seed]]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/ini_differential.h"

int main(int argc, char** argv) {
    const std::uint64_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    const std::uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    std::string folder = SystemTemporaryFolder() + "orvinidiff\\";
    ForceFolders(folder);
    std::string path = folder + "GEN.INI";

    std::printf("%llu files from seed %llu, 4 lookups each\n", static_cast<unsigned long long>(files),
                static_cast<unsigned long long>(first));
    DWORD start = GetTickCount();
    unsigned differences = 0;
    for (std::uint64_t seed = first; seed < first + files && differences < 20; ++seed) {
        inidiff::GeneratedFile file = inidiff::Generate(seed, 4);
        if (auto difference = inidiff::Compare(path, file.bytes, file.lookups)) {
            ++differences;
            std::printf("%s", inidiff::Describe(file, *difference, inidiff::Shrink(path, file.bytes, difference->lookup)).c_str());
        }
        if ((seed - first + 1) % 10000 == 0)
            std::printf("%llu files, %u differences, %.1f s\n", static_cast<unsigned long long>(seed - first + 1),
                        differences, (GetTickCount() - start) / 1000.0);
        std::fflush(stdout);
    }
    std::printf("done: %u differences in %.1f s%s\n", differences, (GetTickCount() - start) / 1000.0,
                differences >= 20 ? " (stopped after 20)" : "");
    DeleteFileW(Wide(path).c_str());
    RemoveDirectoryW(Wide(folder).c_str());
    return differences == 0 ? 0 : 1;
}
