#pragma once
// Shared helpers of the test programs: scratch folders inside the Wine prefix, test data, and a
// recorder that answers the program's message boxes. Paths and texts are UTF-8, as in the program.
#include <deque>
#include <string>
#include <vector>

// A fresh, empty folder under the temporary folder of the prefix; ends with a backslash.
std::string ScratchFolder(const std::string& name);
// Removes a folder tree (best effort).
void RemoveTree(const std::string& folder);
// Writes bytes to a file, creating or replacing it.
bool WriteTextFile(const std::string& path, const std::string& bytes);
// The bytes of a file; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);
// The code page 932 bytes of a UTF-8 text, as a distributor's script, an uninstall log or an INI
// file holds them; a character code page 932 cannot hold fails the calling test.
std::string Cp932Bytes(const std::string& utf8);
// A Linux path (from the test's environment) as a Windows path on drive Z:.
std::string WindowsPathOf(const std::string& unixPath);
// Makes the folder a link to another folder, as a user (or a junction) can make one: under Wine a
// Unix symbolic link, which the program sees as a reparse point. Waits until the program can see
// it. False when it could not be made.
bool MakeFolderLink(const std::string& link, const std::string& target);
// Removes such a link, leaving what it points to alone.
void RemoveFolderLink(const std::string& link);
// Value of an environment variable, empty when unset.
std::string EnvValue(const std::string& name);

struct RecordedBox {
    std::string text;
    std::string title;
    unsigned flags;
};

// Installs itself as the message box responder for its lifetime; answers with queued buttons,
// then with the default answer.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int defaultAnswer = 1);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Queue(int answer) { answers_.push_back(answer); }
    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

private:
    int defaultAnswer_;
    std::deque<int> answers_;
    std::vector<RecordedBox> boxes_;
};
