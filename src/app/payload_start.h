#pragma once
// A single-file distribution: the plain SETUP.EXE followed by a payload holding the script and
// every file of the distribution (base/payload.h). The program checks the payload whole before
// anything else, extracts it into its work folder, and then runs from there exactly as from a
// folder distribution; the uninstaller copy it leaves is the plain program, never the payload.
#include <cstdint>
#include <functional>
#include <string>

enum class PayloadCheck {
    None,     // a plain program: a folder distribution
    Whole,    // a payload whose every byte is right
    Damaged,  // a cut or changed download: nothing may be installed from it
};

struct OwnPayload {
    PayloadCheck check = PayloadCheck::None;
    std::string problem;  // Damaged: what the user is told
};

// Reads the program's own file once, end to end: whether it carries a payload and whether the
// payload is whole.
OwnPayload CheckOwnPayload(const std::string& program);

// Whether the program carries a payload (reads its header and end only).
bool HasOwnPayload(const std::string& program);

// Progress of the extraction: the entry being written, the bytes done and in all.
using ExtractProgress = std::function<void(const std::string& name, uint64_t done, uint64_t total)>;

// The folder inside the work folder that receives the distribution's files.
std::string ExtractedDistributionFolder(const std::string& workFolder);

// Extracts the payload into the work folder: the distribution's files into
// ExtractedDistributionFolder, the plain program as SETUPB.EXE. A file that one [CopyFile] entry
// alone copies and nothing else in the script names stays in the payload, registered as a
// deferred source (sys/deferred_source.h) at its place there: the copy writes it straight into its
// new place. Checks the free space of the work folder's drive first. Empty on success, else the
// fatal-error line ("【致命的エラー → …】").
std::string ExtractOwnPayload(const std::string& program, const std::string& workFolder,
                              const ExtractProgress& progress);
