#pragma once
// A RunUi for engine tests: records what the progress window would have shown, counts pauses,
// raises the abort flag on demand, and answers the shared-file question from a queue.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/run_ui.h"

class RecordingRunUi : public RunUi {
public:
    // RunUi
    void ShowStatus(const std::string& text) override;
    void ProcessMessages() override { ++processCount; }
    void Pause(long milliseconds) override;
    bool AbortRequested() override;
    void EnableAbort(bool enabled) override;
    void ShowProgressFrame(bool visible) override;
    int SetProgressPosition(int percent) override;
    void SetProgressLabel(const std::string& text) override;
    std::string SharedAnswer() override { return sharedAnswer_; }
    void SetSharedAnswer(const std::string& answer) override { sharedAnswer_ = answer; }
    void AskSharedFile(const std::string& question) override;

    // Abort triggers: the flag rises at the n-th abort test (1-based), or at the first test after
    // a status text or counter label containing the given text was shown; once raised it stays
    // raised, as the disabled wizard window does.
    void AbortAtCheck(int n) { abortAtCheck_ = n; }
    void AbortWhenShown(const std::string& text) { abortOnText_ = text; }
    // As a confirmed abort really comes: inside a message pump. The flag rises while the status
    // text containing the given text is being shown (ShowStatus pumps), or during the first pause
    // after a status or counter label containing it was shown.
    void AbortWhileShowing(const std::string& text) { abortInStatus_ = text; }
    void AbortInPauseAfter(const std::string& text) { abortInPause_ = text; }
    void RaiseAbort() { aborted_ = true; }
    bool Aborted() const { return aborted_; }

    // Answers of the shared-file question, in order; an empty queue leaves the store unchanged.
    void QueueSharedAnswer(const std::string& answer) { sharedAnswers_.push_back(answer); }

    // Called for every pause (a benchmark sleeps there); tests leave it empty.
    std::function<void(long)> onPause;

    // The last shown status text, and whether any shown status text or counter label contains
    // the given one.
    std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }
    bool Showed(const std::string& text) const;

    std::vector<std::string> statuses;       // every ShowStatus text, in order
    std::vector<long> pauses;                // every Pause, in milliseconds
    long pauseTotal = 0;
    int processCount = 0;
    int abortChecks = 0;                     // AbortRequested calls so far
    std::vector<bool> abortEnabledCalls;     // every EnableAbort argument
    bool abortEnabled = false;
    std::vector<bool> frameCalls;            // every ShowProgressFrame argument
    bool frameVisible = false;
    std::vector<int> positions;              // every bar position set (after clamping)
    std::vector<std::string> labels;         // every counter label
    std::vector<std::string> sharedQuestions;

private:
    void Watch(const std::string& text);

    int abortAtCheck_ = 0;
    std::string abortOnText_;
    bool textSeen_ = false;
    std::string abortInStatus_;
    std::string abortInPause_;
    bool pauseArmed_ = false;
    bool aborted_ = false;
    std::string sharedAnswer_;
    std::deque<std::string> sharedAnswers_;
};
