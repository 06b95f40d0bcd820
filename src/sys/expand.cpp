#include "sys/expand.h"

#include "base/text.h"
#include "edge/fileops.h"

// The expansion itself and the replacement at restart are in expand_windows.cpp; elsewhere (the
// native distribution builder) expand_posix.cpp reads the recorded name.

const char* const kAutoExtName = "AUTO.EXT";

std::string ExpandedDestination(const std::string& source, const std::string& destination) {
    if (FileNamePart(destination) != kAutoExtName) return destination;
    std::string recorded = RecordedName(source);
    if (recorded.empty()) recorded = source;  // unreadable: the expansion fails too, but the name stays a file
    return RemoveDelimiter(FolderPart(destination), "B") + "\\" + UpperCase(PathFileName(recorded));
}
