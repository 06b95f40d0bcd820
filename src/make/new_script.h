#pragma once
// A starting SETUP.INI for a folder of application files (setupmak /NEW): every file of the
// folder installed in its place, a Start-menu shortcut to the main program, the Add/Remove entry.
// Each section and line is preceded by a ";" line in Japanese that says what it does and what to
// edit; the distributor then edits the file and checks it with SETUPCHK.
//
// The rules:
// - The main program is an .exe of the top folder (subfolders hold helpers). With several, the
//   GUI programs whose version record names a product are preferred; among the preferred (or,
//   when none is, among all) the largest is taken, the first by name when sizes tie. Without
//   any .exe there is no shortcut and no [ExecuteFile] offer.
// - [Title] comes from the main program's version record: Setup "<product> セットアップ",
//   UnSetup "<product> アンインストール", Program and UnSetupDisplay "<product> <version>",
//   Version (ProductVersion, else the fixed product version), Publisher (CompanyName),
//   CopyRight1 (LegalCopyright). The product is ProductName, else FileDescription, else the
//   folder's name. Values the record lacks are written as commented-out lines to fill in.
//   Characters code page 932 cannot spell become "?" (and are dropped from folder names).
// - The key name (UnSetupKey, and [ProgramID] ID) is the product's ASCII letters and digits,
//   else the folder name's, else "Application".
// - [DefaultFolder] Folder=(Prg)\<publisher>\<product>\, or (Prg)\<product>\ without a
//   publisher; characters Windows refuses in names and macro tokens are left out.
// - [MakeFolder]: (App), then every subfolder, each right before its own subfolders.
// - [CopyFile]: every file, top folder first, then the subfolders' files in listing order; a
//   file of a subfolder goes to (App)<sub>\<name>. Left out: SETUP.INI, SETUP.EXE, SETUPMAK.EXE,
//   SETUPCHK.EXE and UNSETUP.INI of the top folder (the distribution's own files and an install's
//   log), single-file distributions the builder made (programs with a payload), links to
//   folders, and names a script cannot carry: names Windows refuses, names with a "," (the
//   entry's field separator) or a folder macro such as "(Win)" (it would be expanded), and a
//   name that differs from an earlier one only in letter case.
// - Sources: the source of an entry is the file-name part of its target, looked up flat in the
//   distribution folder; a source not found flat is taken from the application's layout (the
//   destination's place below (App), for (Sys) files System\<name>). So every flat source name
//   is unique in the whole tree, letter case ignored: the top folder's names are taken first,
//   and a later file whose name is taken gets the form "(App)Sub\Sub_NAME.EXT|NAME.EXT" (the
//   folder path joined by "_", a number added while still taken), told in a comment.
// - With options.shared, a top-level folder named System (any case) holds files for the system
//   folder: each goes to (Sys)<name> with /S, and /R when it is a .dll or .ocx that exports
//   DllRegisterServer; folders inside System are left out. Without it System is an ordinary
//   subfolder.
// - [ShortCut]: the main program as (Sta)<product>\<product>; a desktop shortcut is offered in
//   commented-out lines. [ExecuteFile] is offered commented out.
// - A name code page 932 cannot spell makes the result fail (the script is code page 932 text,
//   it cannot name that file); the file is named in an error message.
#include <string>
#include <vector>

struct NewScriptOptions {
    bool shared = false;     // /SHARED: System\ files go to the system folder
    bool overwrite = false;  // replace a SETUP.INI that is there
    bool write = true;       // false: only make the text
};

struct NewScriptMessage {
    enum class Kind { kInfo, kWarning, kError };
    Kind kind = Kind::kInfo;
    std::string japanese;  // UTF-8
    std::string english;
};

struct NewScriptResult {
    bool ok = false;       // no error: the script is complete (and written, when asked)
    bool written = false;  // SETUP.INI was written
    std::string script;    // code page 932, CR LF line ends (made also when not written)
    std::string mainProgram;  // the main program's name, empty when there is none
    std::vector<NewScriptMessage> messages;
};

NewScriptResult MakeNewScript(const std::string& appFolderUtf8, const NewScriptOptions& options);
