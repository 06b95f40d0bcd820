#pragma once
// The log of a run for deployment systems and their administrators: every status line, every
// failure block and every message, one line each, with a time stamp, as UTF-8 text. Written as the
// run goes, so that a log of a run that was killed still shows how far it came.
#include <string>

class RunLog {
public:
    // Appends to the file (created when missing). False when it cannot be opened; the run goes on
    // without a log then.
    bool Open(const std::string& path);
    // Opens the file; when it cannot be opened, the fallback instead, which then says so in its
    // first line. False when neither can be opened.
    bool OpenOrFallBack(const std::string& path, const std::string& fallback);
    bool IsOpen() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    // Each line of the text (code page 932) as a line of its own.
    void Write(const std::string& text);
    // The completed lines of the growing status text that were not written yet.
    void Status(const std::string& statusText);

private:
    std::string path_;
    size_t statusDone_ = 0;  // bytes of the status text already written
};

// The log of the running program (empty until a front end opens it).
RunLog& TheRunLog();
