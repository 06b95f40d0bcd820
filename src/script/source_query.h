#pragma once
// Where a [CopyFile] entry's source is found: SETUP.EXE looks for the file-name part of the
// target in its own folder; the distribution builder also takes files from other places of the
// folder it packs. What a lookup is asked.
#include <string>

struct SourceQuery {
    std::string sourceName;   // the file-name part of the entry's target
    std::string destination;  // the expanded destination (with the new name, if any)
    long disk = 1;            // the disk the entry's source is on (1 + the "(Dch)" marks so far)
};
