#pragma once
// The unattended front end (/S): the same start-up, checks and engines as the wizard, with no
// window and no question. Every question gets the answer documented for deployment (README,
// "Installing on many machines"); every status line, failure block and message goes to the run log.
#include <string>

#include "app/command_line.h"

// The answer an unattended run gives to a question the wizard would ask, by the question's title
// (and, where one title asks several things, its text). Asked again with the same text, the disk
// change is cancelled: the file is not in the source folder.
int UnattendedAnswer(const std::string& text, const std::string& title, unsigned flags, std::string& lastDiskRequest);

// The run's log file when no /LOG= names one: <temporary folder><key>-setup.log, the key being the
// Add/Remove key name (characters that a file name cannot hold replaced by "_").
std::string DefaultLogPath(const std::string& tempFolder, const std::string& uninstallKeyName);

// An unattended run that cannot start (a damaged single file, an uninstall of the other build's
// install without its uninstaller): the reason goes to the run's log; returns the exit code.
int RefuseUnattended(const CommandLine& line, const std::string& message, int exitCode);

// Runs the install or the uninstall the command line asks for; returns the exit code.
int RunUnattended(const CommandLine& line);
