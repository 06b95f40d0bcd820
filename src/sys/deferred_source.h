#pragma once
// Sources of a single-file distribution that stay in the program's payload until the copy needs
// them: a file that one [CopyFile] entry alone copies is written straight to where the install puts
// it, instead of into the work folder first and then moved. To the install such a source is there,
// with its size and time, as a file of a folder distribution is.
#include <windows.h>

#include <functional>
#include <string>

struct DeferredSource {
    long long size = 0;
    long dosDateTime = -1;  // as FileDosDateTime gives it for the extracted file
    // Writes the content into a new file with the source's time; 0 or the Windows error code
    // (the file is then not left behind).
    std::function<DWORD(const std::string& destination)> writeTo;
};

// Registers a source by its full path in the work folder (where it would have been extracted).
void DeferSource(const std::string& path, DeferredSource source);
// The registered source of that path, or null.
const DeferredSource* FindDeferredSource(const std::string& path);
// Forgets every registered source (the run is over, or a test starts).
void ClearDeferredSources();

// The source's presence, size and time, whether it is a file or still in the payload.
bool SourceExists(const std::string& path);
bool SourceSize(const std::string& path, long long& size);
long SourceDosDateTime(const std::string& path);
// Writes a source that is still in the payload to its path in the work folder, where it is then an
// ordinary file (for an install that must copy it after all); 0 or the Windows error code. 0 for a
// source that is a file already.
DWORD MakeSourceFile(const std::string& path);
