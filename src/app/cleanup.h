#pragma once
// The clean-up on the way out that both front ends share.
#include <string>

// Removes every work folder OVTMP1 ... OVTMP99 in the temporary folder, also those that earlier
// interrupted runs left behind; never the temporary folder itself (which may be a drive root).
void RemoveWorkFolders(const std::string& tempFolder);

// Tells the shell about new associations, files and folders after a run.
void NotifyShellOfChanges();
