#pragma once
// What the install and uninstall engines need from the program's windows while they work: the
// progress window's status protocol, the pauses, the abort flag and the shared-file question.
// The wizard implements it over the real windows; engine tests use a recording double.
#include <string>

class RunUi {
public:
    virtual ~RunUi() = default;

    // Puts the text into the progress window's message label and lets pending messages run.
    virtual void ShowStatus(const std::string& text) = 0;
    // Lets pending messages run (clicks on the progress window reach their handlers).
    virtual void ProcessMessages() = 0;
    // Waits the given milliseconds while the windows stay painted.
    virtual void Pause(long milliseconds) = 0;
    // True once the user confirmed an abort (the wizard window was disabled).
    virtual bool AbortRequested() = 0;
    // The abort button of the progress window.
    virtual void EnableAbort(bool enabled) = 0;

    // The copy phase's progress frame, bar (0-100, the position read back) and counter label.
    virtual void ShowProgressFrame(bool visible) = 0;
    virtual int SetProgressPosition(int percent) = 0;
    virtual void SetProgressLabel(const std::string& text) = 0;

    // The answer store of the shared-file dialog ("Yes", "No", "Delete", "Save", or anything
    // else for no answer yet), and the dialog itself: shows the question modally and returns
    // with the store holding the pressed button's word.
    virtual std::string SharedAnswer() = 0;
    virtual void SetSharedAnswer(const std::string& answer) = 0;
    virtual void AskSharedFile(const std::string& question) = 0;
};
