#pragma once
// Small judgements the checks and the plan share: paths, registry roots, macro-like tokens.
#include <string>
#include <vector>

#include "check/script_context.h"
#include "edge/fileops.h"
#include "edge/platform.h"
#include "install/copy_entry.h"
#include "install/shortcut_entry.h"

// A drive path ("C:\…") or a share path ("\\server\…").
bool IsFullPath(const std::string& path);
// Whether the path lies below the folder (letter case ignored).
bool IsInsideFolder(const std::string& path, const std::string& folder);

// "HKEY_CURRENT_USER" and the others.
std::string RootName(HKEY root);
// One of the four root macros, written exactly.
bool IsExactRoot(const std::string& rootMacro);

// A token such as "(App)" or "(Ap)": "(", one to eight letters or "_", ")".
struct MacroToken {
    size_t at = 0;  // 0-based byte position
    std::string text;
};
// The tokens of a text.
std::vector<MacroToken> MacroTokens(const std::string& text);

// The macro that names the place of a shortcut check box: "(Dsk)", "(Sta)", "(Sup)", "(Sen)".
const char* BoxMacro(ShortcutBox box);

// The four bytes of a 32-bit number as the registry gets them, least significant first: "00 01 00 00".
std::string LittleEndianBytes(DWORD number);

// A [CopyFile] entry as the copy phase will take it.
struct PlannedCopy {
    ListEntry entry;
    CopyEntry parsed;          // of the expanded value
    std::string source;        // the file in the distribution
    bool found = false;        // the source is there
    bool compressed = false;   // its name ends in "_": it goes through the expansion
    std::string destination;   // final: the name a compressed file records is filled in
    long disk = 1;             // the disk the entry's source is on
};
std::vector<PlannedCopy> PlanCopies(const ScriptContext& context);
// Whether an entry whose source is there installs the file.
bool Installs(const std::vector<PlannedCopy>& copies, const std::string& path);

// A file the script names in the distribution that is found only by ignoring letter case.
void CheckNameCase(ScriptContext& context, const std::string& section, const std::string& key, int line,
                   const std::string& path);

struct RootedKey;
// A key whose value begins like a root macro ("(") but does not begin with one of the four,
// written exactly; rooted is where the value really puts the key.
void CheckRoot(ScriptContext& context, const std::string& section, const std::string& key, int line,
               const std::string& value, const RootedKey& rooted);
