#pragma once
// The install script as the run reads it: loaded once, then every key is answered from memory
// with the reading rules of the system's profile strings. One profile call per key made long
// [CopyFile] lists cost seconds; this keeps reading linear.
#include <string>

#include "script/ini_document.h"

class ScriptValues {
public:
    // False when the file exists but cannot be read (every key then reads as absent).
    bool Load(const std::string& path) { return document_.Load(path); }
    // The value as the system's profile functions would give it; the default for an absent key.
    std::string Read(const std::string& section, const std::string& key,
                     const std::string& defaultValue = std::string()) const {
        return document_.Get(section, key, defaultValue);
    }

    // The loaded document itself, for tools that also look at where the keys stand.
    const IniDocument& Document() const { return document_; }

private:
    IniDocument document_;
};
