#pragma once
// Expansion of compressed source files and replacement of files in use at the next Windows start.
#include <string>

// The destination file name that asks for the name recorded in the compressed source.
extern const char* const kAutoExtName;  // "AUTO.EXT"

// Where the expansion writes: a destination named AUTO.EXT takes the name the compressed source
// records for itself, in upper case (the source's own name when it records none or cannot be
// read); any other destination stays.
std::string ExpandedDestination(const std::string& source, const std::string& destination);
// The name the compressed file records for itself, as the system's expansion library gives it:
// the path with the last character of its name restored (dropped when none is recorded), or the
// path as it is for a file that is not compressed; empty when the file cannot be read.
std::string RecordedName(const std::string& source);

// Expands (or copies, when it is not compressed) the source into the fixed temporary file
// TempFolder + "EXPAND.OVT" and returns that path + "," + the final destination. A destination
// named AUTO.EXT takes the source's recorded name in upper case. When the source cannot be read
// or expanded no temporary file is left, so the caller's copy of it fails and is reported.
// One expansion at a time: the temporary name is fixed.
std::string ExpandCompressedFile(const std::string& source, const std::string& destination);

// Copies the source to the first free WindowsFolder + "OVTMP" + n + ".TMP" and schedules that file
// to replace the destination at the next start ("NT": delayed move; "notNT": WININIT.INI [Rename];
// any other kind: nothing is scheduled). False when the temporary copy could not be made (nothing
// is scheduled then) or the delayed move was refused (after a message).
bool ReplaceFileAtRestart(const std::string& source, const std::string& destination);

// The temporary name ReplaceFileAtRestart would use next.
std::string NextReplacementName();
