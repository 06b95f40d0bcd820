#pragma once
// The application object: title, main form, icon, the message loop and the message pump.
// All windows live on the one user-interface thread; every loop of the program (the main loop,
// modal forms, ProcessMessages) goes through ProcessMessage so keyboard handling is the same.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class Form;

class Application {
public:
    // The newest Application becomes the current one; the quit state starts cleared.
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // The main form is shown by Run; closing it ends the application. Forms created after the
    // main form are owned by it (they stay in front of it and share its task-bar button).
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* form) { mainForm_ = form; }

    // Constructs a form owned by the application, runs its FormCreate and makes the first
    // form created this way the main form.
    template <class T, class... Args>
    T& CreateForm(Args&&... args);

    // The program's icon: the first icon of the program file, the one Explorer shows for it.
    // Null when the program has none (test programs).
    static HICON Icon();

    // Shows the main form and processes messages until the application is terminated.
    void Run();
    // Ends the message loop (posts WM_QUIT); modal loops end with mrCancel.
    static void Terminate();
    // True once a WM_QUIT was seen by any loop of the program.
    static bool Terminated();
    static int ExitCode();

    // Brings the active window of the program (or the main form) to the foreground.
    void BringToFront();

    // The standard error box: the text of the error, titled with the application title.
    // OnException, when set, is called instead (the installer routes errors there).
    void HandleException(const std::exception& error);
    std::function<void(const std::exception& error)> OnException;

private:
    std::string title_;
    Form* mainForm_ = nullptr;
    std::vector<std::unique_ptr<Form>> forms_;
    Application* previous_ = nullptr;
};

// Processes every pending message of the thread and returns when the queue is empty.
// Safe to call from handlers and from inside modal loops; a WM_QUIT seen here is remembered
// (Application::Terminated) so the main loop ends.
void ProcessMessages();

// Handles one pending message; false when the queue was empty. Used by modal loops.
bool ProcessOneMessage();

// Routes an error caught at a window-procedure boundary to the current application's
// HandleException (or to a plain error box when there is none). Never throws.
void ReportException(const std::exception& error) noexcept;

// Runs a handler so that no exception leaves it: errors go to ReportException.
// Returns false when the handler raised.
template <class F>
bool CallSafely(F&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("予期しないエラーが発生しました。"));
    }
    return false;
}

template <class T, class... Args>
T& Application::CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *form;
    forms_.push_back(std::move(form));
    if (!mainForm_) mainForm_ = &result;
    result.AfterConstruction();
    return result;
}
