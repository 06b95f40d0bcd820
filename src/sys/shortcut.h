#pragma once
// Shell shortcuts (.lnk files) through the shell's link object. COM must already be initialised on
// the calling thread (the program does so once at start).
#include <windows.h>

#include <stdexcept>
#include <string>

// Raised when a COM object the program needs cannot be created or lacks an interface. The text is
// the system's text for the COM error.
class ComError : public std::runtime_error {
public:
    ComError(const std::string& text, HRESULT code) : std::runtime_error(text), code_(code) {}
    HRESULT Code() const { return code_; }

private:
    HRESULT code_;
};

// The text of a COM error: the system's message, or "OLE エラー XXXXXXXX" when there is none.
std::string ComErrorText(HRESULT code);

// Writes linkName + ".lnk" pointing at target, creating the link's folders first. An empty or
// missing working folder becomes the target's folder; it is always stored with a trailing "\".
// Arguments are set only when not empty. A target that is itself a shortcut (".LNK" anywhere in
// its path) is copied instead. Returns the path of the file written; when no ".lnk" file appeared
// (the shell stores shortcuts to MS-DOS programs as ".pif" on Windows 95/98), the ".pif" path.
// Raises ComError when the link object cannot be created.
std::string CreateShortcut(const std::string& target, const std::string& linkName, const std::string& workFolder,
                           const std::string& arguments);
