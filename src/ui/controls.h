#pragma once
// Controls of the forms: standard Windows controls created with CreateWindowExW in their
// parent's client area, at places given in pixels at 96 dpi and scaled to the screen (form.h);
// once created, a control's bounds are in screen pixels. The form routes WM_COMMAND
// notifications to the control that sent them (by window handle), which calls its OnClick /
// OnChange.
#include <windows.h>

#include <functional>
#include <string>

#include "edge/handles.h"
#include "ui/form.h"

class GroupBox;

// Where a control is created: directly on a form, or inside a group box.
class ParentRef {
public:
    ParentRef(Form& form) : form_(&form) {}  // NOLINT: implicit on purpose
    ParentRef(GroupBox& group);              // NOLINT
    HWND Handle() const;
    Form* OwnerForm() const { return form_; }
    bool IsForm() const { return group_ == nullptr; }

private:
    Form* form_ = nullptr;
    GroupBox* group_ = nullptr;
};

class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND Handle() const { return hwnd_; }
    Form* OwnerForm() const { return form_; }
    static Control* FromHandle(HWND hwnd);

    // The real window state (EnableWindow / IsWindowEnabled). Disabling or hiding the focused
    // control moves the focus on to the next control of the form.
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The control's own WS_VISIBLE state (true even while its parent is hidden).
    bool Visible() const;
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // The window text; setting the current text again changes nothing.
    std::string Caption() const;
    virtual void SetCaption(const std::string& caption);

    // Bounds in the parent's client coordinates, in screen pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    void SetBounds(int left, int top, int width, int height);

    // Focuses the control now when its form is active, otherwise when the form is next activated.
    void SetFocus();
    bool Focused() const;

    int Id() const;
    void SetId(int id);

    const Font& GetFont() const { return font_->Info(); }
    void SetFont(const Font& font);

    void Repaint();

    std::function<void()> OnClick;
    std::function<void()> OnChange;

protected:
    // Creates the window at a place given in pixels at 96 dpi; id 0 takes the next free
    // automatic id.
    void CreateHandle(const ParentRef& parent, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                      int left, int top, int width, int height, const std::string& text, int id);
    // The same at bounds already in screen pixels (a window made again where it was).
    void CreateHandleAt(const ParentRef& parent, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                        const RECT& bounds, const std::string& text, int id);
    void DestroyHandle();
    // A WM_COMMAND notification code sent by this control.
    virtual void Notify(WORD code);
    // WM_CTLCOLOR* for this control; null leaves the form's default.
    virtual HBRUSH CtlColor(HDC dc, UINT message);
    // The control's font was replaced.
    virtual void FontChanged() {}
    // Messages of the control's window; the default is the window class's own procedure.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    void Fire(const std::function<void()>& event);
    HWND ParentHandle() const;
    RECT BoundsInParent() const;
    HBRUSH SolidBrush(COLORREF color);
    const FontPtr& Fonts() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void MoveFocusAway();

private:
    friend class Form;
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();
    void FormFontChanged(const FontPtr& font);
    void FormDestroyed() { form_ = nullptr; }

    HWND hwnd_ = nullptr;
    WNDPROC classProc_ = nullptr;
    Form* form_ = nullptr;
    FontPtr font_;
    bool parentFont_ = true;
    HBRUSH brush_ = nullptr;
    COLORREF brushColor_ = 0;
};

enum class TextAlign { Left, Center, Right };

class Label : public Control, public ParentPaintItem {
public:
    ~Label() override;
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& caption = "", int id = 0);

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    // On: the label sizes itself to its text whenever the text or font changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // On (labels placed directly on a form): the form paints the text over its own painting.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TextAlign Alignment() const { return align_; }
    void SetAlignment(TextAlign align);
    // Centres a single line vertically.
    void SetVerticalCenter(bool center);
    // On (the default): "&" marks the next character as a mnemonic.
    void SetShowAccelChar(bool show);

    bool PaintsOnParent() const override;
    void PaintOnParent(HDC dc) override;

protected:
    HBRUSH CtlColor(HDC dc, UINT message) override;
    void FontChanged() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    DWORD TextStyle() const;
    UINT DrawFlags() const;
    void UpdateStyle();
    void AdjustBounds();
    void InvalidateOnParent(const RECT& area);

    bool wordWrap_ = false;
    bool autoSize_ = false;
    bool transparent_ = false;
    bool verticalCenter_ = false;
    bool showAccelChar_ = true;
    TextAlign align_ = TextAlign::Left;
};

class Button : public Control {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& caption = "", int id = 0);
    // Calls OnClick, as a click of the user does.
    void Click();

protected:
    void Notify(WORD code) override;
};

class CheckBox : public Control {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& caption = "", int id = 0);
    bool Checked() const;
    // A change of state calls OnClick, as a click does.
    void SetChecked(bool checked);

protected:
    void Notify(WORD code) override;
    HBRUSH CtlColor(HDC dc, UINT message) override;
};

class RadioButton : public Control {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& caption = "", int id = 0);
    bool Checked() const;
    // Checking unchecks the other radio buttons of the same parent and calls OnClick.
    void SetChecked(bool checked);

protected:
    void Notify(WORD code) override;
    HBRUSH CtlColor(HDC dc, UINT message) override;

private:
    void SyncSiblings();
    bool checked_ = false;
};

class Edit : public Control {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& text = "", int id = 0);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    // Background colour (also while read-only or disabled); clWindow by default.
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    // Setting a different text calls OnChange once, as typing does.
    void SetCaption(const std::string& text) override;

protected:
    void Notify(WORD code) override;
    HBRUSH CtlColor(HDC dc, UINT message) override;
    bool settingText_ = false;
    COLORREF color_ = clWindow;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Multi-line text, read-only unless told otherwise.
class Memo : public Edit {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& text = "", int id = 0);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    // Recreates the window (the text, state and bounds stay); without a horizontal bar the
    // text wraps at the right edge.
    void SetScrollBars(TScrollStyle scrollBars);
    // Loads a text file as lines (CR LF, LF or CR ends a line); false when it cannot be read.
    bool LoadFromFile(const std::string& path);

private:
    DWORD MemoStyle() const;
    TScrollStyle scrollBars_ = ssNone;
};

// A frame with a caption that is the real parent of the controls created inside it.
class GroupBox : public Control {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height,
                const std::string& caption = "", int id = 0);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class Image : public Control {
public:
    // The window goes before the icon it shows.
    ~Image() override { DestroyHandle(); }
    void Create(const ParentRef& parent, int left, int top, int width, int height, int id = 0);
    // The icon is not owned (shared icons from LoadIcon need no destruction).
    void SetIcon(HICON icon);
    // An icon resource of the program, loaded at the control's size: the icon's own image of
    // that size where it has one, so that it stays sharp at every display scale. False (and no
    // icon) when the program has no such resource.
    bool LoadIconResource(int resourceId);
    HICON Icon() const;

private:
    IconHandle owned_;
};

class ProgressBar : public Control {
public:
    void Create(const ParentRef& parent, int left, int top, int width, int height, int id = 0);
    int Min() const;
    int Max() const;
    void SetMin(int min);
    void SetMax(int max);
    int Position() const;
    void SetPosition(int position);
    int Step() const { return step_; }
    void SetStep(int step);
    void StepIt();

private:
    int step_ = 10;
};
