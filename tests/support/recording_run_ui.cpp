#include "support/recording_run_ui.h"

void RecordingRunUi::ShowStatus(const std::string& text) {
    statuses.push_back(text);
    ++processCount;
    Watch(text);
    if (!abortInStatus_.empty() && text.find(abortInStatus_) != std::string::npos) aborted_ = true;
}

void RecordingRunUi::SetProgressLabel(const std::string& text) {
    labels.push_back(text);
    Watch(text);
}

void RecordingRunUi::Watch(const std::string& text) {
    if (!abortOnText_.empty() && text.find(abortOnText_) != std::string::npos) textSeen_ = true;
    if (!abortInPause_.empty() && text.find(abortInPause_) != std::string::npos) pauseArmed_ = true;
}

void RecordingRunUi::Pause(long milliseconds) {
    pauses.push_back(milliseconds);
    pauseTotal += milliseconds;
    if (pauseArmed_) aborted_ = true;
    if (onPause) onPause(milliseconds);
}

bool RecordingRunUi::AbortRequested() {
    ++abortChecks;
    if (abortAtCheck_ > 0 && abortChecks >= abortAtCheck_) aborted_ = true;
    if (textSeen_) aborted_ = true;
    return aborted_;
}

void RecordingRunUi::EnableAbort(bool enabled) {
    abortEnabledCalls.push_back(enabled);
    abortEnabled = enabled;
}

void RecordingRunUi::ShowProgressFrame(bool visible) {
    frameCalls.push_back(visible);
    frameVisible = visible;
}

int RecordingRunUi::SetProgressPosition(int percent) {
    int position = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    positions.push_back(position);
    return position;
}

void RecordingRunUi::AskSharedFile(const std::string& question) {
    sharedQuestions.push_back(question);
    if (!sharedAnswers_.empty()) {
        sharedAnswer_ = sharedAnswers_.front();
        sharedAnswers_.pop_front();
    }
}

bool RecordingRunUi::Showed(const std::string& text) const {
    for (const std::string& status : statuses)
        if (status.find(text) != std::string::npos) return true;
    for (const std::string& label : labels)
        if (label.find(text) != std::string::npos) return true;
    return false;
}
