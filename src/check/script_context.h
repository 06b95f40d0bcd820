#pragma once
// An install script as SETUP.EXE will read it, with the program state that start-up would set for
// it (folders, words, titles, the install folder), where each of its keys stands, and what the
// checks found.
#include <functional>
#include <string>
#include <vector>

#include "install/script_values.h"
#include "script/folders.h"
#include "script/source_query.h"

struct Finding {
    int line = 0;  // 1-based
    bool error = false;
    std::string text;
};

// One value of a numbered list ("File" + 3) and where it stands.
struct ListEntry {
    long number = 0;
    std::string key;
    std::string value;
    int line = 0;
};

// Finds a [CopyFile] entry's source (script/source_query.h): the file's path, or "" when there is
// none. The default looks in the script's folder, as SETUP.EXE does.
using SourceResolver = std::function<std::string(const SourceQuery& query)>;

class ScriptContext {
public:
    // Reads the script (a full path) and sets the program state as start-up does in install mode.
    // The install folder is the given one, or the folder the script proposes when it is empty.
    // False when the script does not exist or cannot be read.
    bool Load(const std::string& scriptPath, const std::string& installFolder);

    const ScriptValues& Script() const { return script_; }
    const IniDocument& Document() const { return script_.Document(); }
    const std::string& ScriptPath() const { return scriptPath_; }
    const std::string& SourceFolder() const;
    const std::string& InstallFolder() const;

    std::string Read(const std::string& section, const std::string& key,
                     const std::string& defaultValue = std::string()) const {
        return script_.Read(section, key, defaultValue);
    }
    // "prefix"1, "prefix"2, … up to the first empty value, as the install reads its lists.
    std::vector<ListEntry> List(const std::string& section, const std::string& prefix) const;
    // The non-empty values of a numbered word that SETUP.EXE reads: numbers before the first empty
    // value of the section's leading word, or up to the last number of a fixed range.
    std::vector<ListEntry> Entries(const std::string& section, const std::string& word) const;
    // The line of the key SETUP.EXE reads, else of its section, else 1.
    int Line(const std::string& section, const std::string& key) const;

    // Where Load takes the standard folders from (default: FolderSources::System()).
    void SetFolderSources(FolderSources sources) { folderSources_ = std::move(sources); }

    // Replaces the default lookup of [CopyFile] sources.
    void SetSourceResolver(SourceResolver resolver) { resolver_ = std::move(resolver); }
    std::string ResolveSource(const SourceQuery& query) const;

    void Error(int line, const std::string& text) { findings_.push_back(Finding{line, true, text}); }
    void Warning(int line, const std::string& text) { findings_.push_back(Finding{line, false, text}); }
    const std::vector<Finding>& Findings() const { return findings_; }

private:
    ScriptValues script_;
    std::string scriptPath_;
    std::vector<Finding> findings_;
    SourceResolver resolver_;
    FolderSources folderSources_;
};
