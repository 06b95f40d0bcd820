#pragma once
// Forms: top-level windows of our own window classes (one class per form class, named after it,
// so that outside tools find the program's windows by class name), with the properties and the
// modal display that the program's windows rely on. Controls live in controls.h.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Button;
class Control;
class Form;

// Colours: RGB values, or a system colour index with the high bit set (resolved when painted).
constexpr COLORREF kSystemColorFlag = 0x80000000;
constexpr COLORREF clBtnFace = kSystemColorFlag | COLOR_BTNFACE;
constexpr COLORREF clWindow = kSystemColorFlag | COLOR_WINDOW;
constexpr COLORREF clWindowText = kSystemColorFlag | COLOR_WINDOWTEXT;
constexpr COLORREF clBlack = RGB(0, 0, 0);
constexpr COLORREF clWhite = RGB(255, 255, 255);
constexpr COLORREF clBlue = RGB(0, 0, 255);
constexpr COLORREF clGreen = RGB(0, 128, 0);
COLORREF ResolveColor(COLORREF color);

// The text of a window of this program (any length); empty for no window.
std::string WindowTextOf(HWND hwnd);

// Display scale. The windows are designed in pixels at 96 dpi. When a window or control is
// created, and when a font is made, every position, size and font height it is given is turned
// into pixels of the screen by the system DPI / 96 (the program is system-DPI aware). Everything
// read back from a window, and every change of a place or size made at run time, is in screen
// pixels: a distance the design gives at 96 dpi goes through Scaled() first, so that what is
// computed keeps its proportions at every scale.
constexpr int kDesignDpi = 96;
// The system DPI, read once (96 when the screen does not tell).
int ScreenDpi();
// Pixels at 96 dpi as pixels at the given DPI, rounded to the nearest, halves away from zero
// (as MulDiv rounds): 2 -> 3 at 120 and 144 dpi, 25 -> 31 at 120 dpi, -19 -> -29 at 144 dpi.
int ScalePixels(int pixelsAt96, int dpi);
// Pixels at 96 dpi as pixels of this screen.
inline int Scaled(int pixelsAt96) { return ScalePixels(pixelsAt96, ScreenDpi()); }

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = IDOK;
constexpr int mrCancel = IDCANCEL;

// A font as the forms describe it. Height < 0 is the character height in pixels at 96 dpi (the
// usual form, "12 px" is -12); Height > 0 is the cell height. The font is made at the screen's
// scale.
struct Font {
    std::string Name = "ＭＳ Ｐゴシック";
    int Height = -12;
    bool Bold = false;
    bool Italic = false;
    BYTE Charset = SHIFTJIS_CHARSET;
    COLORREF Color = clWindowText;
};

// An HFONT made from a Font, shared by the controls that use it. The face is the one
// ResolveFontFace chooses for the Font's name (ui/font_face.h); Info keeps the Font as asked for.
class FontHandle {
public:
    explicit FontHandle(const Font& font);
    ~FontHandle();
    FontHandle(const FontHandle&) = delete;
    FontHandle& operator=(const FontHandle&) = delete;
    HFONT Get() const { return handle_; }
    const Font& Info() const { return info_; }

private:
    Font info_;
    HFONT handle_ = nullptr;
};
using FontPtr = std::shared_ptr<const FontHandle>;

// Something the form paints on its own client area (windowless controls, transparent labels),
// in creation order, so later items paint over earlier ones.
class ParentPaintItem {
public:
    ParentPaintItem();
    virtual ~ParentPaintItem() = default;
    virtual bool PaintsOnParent() const = 0;
    virtual void PaintOnParent(HDC dc) = 0;
    unsigned CreationOrder() const { return order_; }

protected:
    // Takes the next place in the painting order (called when the item is created on a form).
    void RenewCreationOrder();

private:
    unsigned order_;
};

enum class ControlAlign { None, Client };

// A windowless control: it has bounds in its form's client area and is painted by the form.
class GraphicControl : public ParentPaintItem {
public:
    GraphicControl() = default;
    ~GraphicControl() override;
    GraphicControl(const GraphicControl&) = delete;
    GraphicControl& operator=(const GraphicControl&) = delete;

    void SetParent(Form* form);
    Form* Parent() const { return parent_; }

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }
    // In screen pixels.
    void SetBounds(int left, int top, int width, int height);
    RECT Bounds() const { return bounds_; }
    // Client: the control follows its form's client area.
    void SetAlign(ControlAlign align);
    ControlAlign Align() const { return align_; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Asks the form to repaint the control's area.
    void Invalidate();

    bool PaintsOnParent() const override { return visible_; }
    void PaintOnParent(HDC dc) override;
    // Paints the control into dc with its top-left corner at the bounds' origin.
    virtual void Paint(HDC dc, const RECT& bounds) = 0;

private:
    friend class Form;
    void ParentResized(int clientWidth, int clientHeight);
    Form* parent_ = nullptr;
    RECT bounds_{0, 0, 0, 0};
    ControlAlign align_ = ControlAlign::None;
    bool visible_ = true;
};

enum class BorderStyle {
    Single,  // fixed single border with a caption
    Dialog,  // dialog frame
};

enum class WindowState { Normal, Minimized, Maximized };

class Form {
public:
    // Registers the window class className (once) and creates the window, hidden.
    explicit Form(const std::string& className);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Runs FormCreate once and turns the events on. Application::CreateForm calls it; Show and
    // ShowModal call it when nobody did.
    void AfterConstruction();

    HWND Handle() const { return hwnd_; }
    const std::string& ClassName() const { return className_; }
    static Form* FromHandle(HWND hwnd);

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // The real window enabled state (EnableWindow / IsWindowEnabled).
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // The window's own WS_VISIBLE state.
    bool Visible() const;
    void SetVisible(bool visible);

    // Outer bounds in screen coordinates, client size in pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;
    // The client size as designed, in pixels at 96 dpi (scaled to the screen); keeps the position.
    void SetClientSize(int width, int height);

    // Single border with a system menu (close box, no minimise/maximise boxes) or a dialog
    // frame without one (then Alt+F4 does not close it either). Set the border before the
    // client size.
    void SetBorderStyle(BorderStyle style, bool systemMenu);
    // Centres the window on the screen now and again when it is shown for the first time.
    void SetCenteredOnScreen();
    void CenterOnScreen();

    WindowState GetWindowState() const;
    void SetWindowState(WindowState state);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    // The form's font, used by every control that has no font of its own.
    const Font& GetFont() const { return font_->Info(); }
    const FontPtr& FontHandlePtr() const { return font_; }
    void SetFont(const Font& font);

    // Disables and greys Close in the system menu: the close box, Alt+F4 and the menu do nothing.
    void DisableSystemClose();
    bool SystemCloseDisabled() const { return systemCloseDisabled_; }

    // Enter clicks the default button (or the focused button); Escape clicks the cancel button.
    // Without a cancel button Escape does nothing.
    void SetDefaultButton(Button* button) { defaultButton_ = button; }
    void SetCancelButton(Button* button) { cancelButton_ = button; }

    void Show();
    void Hide();
    // Modal: ModalResult := mrCancel. Otherwise FormCloseQuery, FormClose, then hides the form
    // (the main form ends the application instead).
    void Close();
    void BringToFront();
    void Repaint();

    // Shows the form modally: the other visible and enabled top-level windows of the thread are
    // disabled until it returns, and exactly those are enabled again. Returns the ModalResult.
    int ShowModal();
    bool IsModal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // Keyboard: Enter and Escape for this form (ProcessMessage calls it). True when handled.
    bool DialogKey(WPARAM key);

protected:
    virtual void FormCreate() {}
    // Every activation (posted after the activation completed; never re-entered).
    virtual void FormActivate() {}
    // Every size change once the form is created; the first show always brings one.
    virtual void FormResize() {}
    virtual void FormCloseQuery(bool& /*canClose*/) {}
    virtual void FormClose() {}
    // Messages of the form's window; derived forms may intercept and call this for the rest.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Control;
    friend class Label;
    friend class GraphicControl;
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void AddControl(Control* control);
    void RemoveControl(Control* control);
    void AddPaintItem(ParentPaintItem* item);
    void RemovePaintItem(ParentPaintItem* item);
    void ControlFocused(HWND control) { lastFocus_ = control; }
    void RestoreFocus();
    void Paint();
    void PaintClient(HDC dc, const RECT& area);
    void EraseBackground(HDC dc);
    void SizeChanged();
    void DoResize();
    void Activated();
    bool CloseModal();
    void ApplyStyle(DWORD style, DWORD exStyle);
    void ResizeClient(int width, int height);  // in screen pixels
    HBRUSH BackgroundBrush();
    bool IsTransparentChild(HWND child) const;

    std::string className_;
    HWND hwnd_ = nullptr;
    FontPtr font_;
    COLORREF color_ = clBtnFace;
    HBRUSH brush_ = nullptr;
    COLORREF brushColor_ = 0;
    std::vector<Control*> controls_;
    std::vector<ParentPaintItem*> paintItems_;
    HWND lastFocus_ = nullptr;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    bool created_ = false;        // AfterConstruction ran: events are delivered
    bool shownOnce_ = false;
    bool centerOnShow_ = false;
    bool suppressResize_ = false;
    bool activatePending_ = false;
    bool inActivate_ = false;
    bool modal_ = false;
    bool systemCloseDisabled_ = false;
    int modalResult_ = mrNone;
    WindowState pendingState_ = WindowState::Normal;
};
