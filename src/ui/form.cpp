#include "ui/form.h"

#include <algorithm>
#include <vector>

#include "edge/wide.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/font_face.h"

namespace {

const wchar_t kFormProperty[] = L"OrvantForm";
// Posted on activation, so that FormActivate runs after Windows finished activating the form.
constexpr UINT WM_FORM_ACTIVATE = WM_APP + 0x3F0;

unsigned g_nextPaintOrder = 1;

constexpr DWORD kSingleStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPSIBLINGS;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_DLGFRAME | WS_CLIPSIBLINGS;

// A W class, so that its windows are Unicode windows: the system hands their texts over as
// UTF-16, never through its code page.
void RegisterFormClass(const std::wstring& name, WNDPROC proc) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name.c_str(), &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = Application::Icon();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

struct DisabledWindows {
    HWND modal;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM data) {
    auto* list = reinterpret_cast<DisabledWindows*>(data);
    if (hwnd != list->modal && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        list->windows.push_back(hwnd);
        EnableWindow(hwnd, FALSE);
    }
    return TRUE;
}

}  // namespace

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int logPixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return logPixels > 0 ? logPixels : kDesignDpi;
    }();
    return dpi;
}

int ScalePixels(int pixelsAt96, int dpi) {
    long long product = static_cast<long long>(pixelsAt96) * dpi;
    long long half = kDesignDpi / 2;
    long long scaled = product >= 0 ? (product + half) / kDesignDpi
                                    : -((-product + half) / kDesignDpi);
    return static_cast<int>(scaled);
}

COLORREF ResolveColor(COLORREF color) {
    if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFF));
    return color;
}

// ---------------------------------------------------------------------------------------------
// Fonts and painted items

FontHandle::FontHandle(const Font& font) : info_(font) {
    LOGFONTW lf{};
    lf.lfHeight = Scaled(font.Height);
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.Italic ? TRUE : FALSE;
    lf.lfCharSet = font.Charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(lf.lfFaceName, Wide(ResolveFontFace(font.Name)).c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectW(&lf);
}

FontHandle::~FontHandle() {
    if (handle_) DeleteObject(handle_);
}

ParentPaintItem::ParentPaintItem() : order_(g_nextPaintOrder++) {}

void ParentPaintItem::RenewCreationOrder() { order_ = g_nextPaintOrder++; }

GraphicControl::~GraphicControl() {
    if (parent_) parent_->RemovePaintItem(this);
}

void GraphicControl::SetParent(Form* form) {
    if (parent_ == form) return;
    if (parent_) {
        Invalidate();
        parent_->RemovePaintItem(this);
    }
    parent_ = form;
    if (parent_) {
        RenewCreationOrder();
        parent_->AddPaintItem(this);
        if (align_ == ControlAlign::Client)
            ParentResized(parent_->ClientWidth(), parent_->ClientHeight());
        Invalidate();
    }
}

void GraphicControl::SetBounds(int left, int top, int width, int height) {
    Invalidate();
    bounds_ = RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
    Invalidate();
}

void GraphicControl::SetAlign(ControlAlign align) {
    align_ = align;
    if (align_ == ControlAlign::Client && parent_)
        ParentResized(parent_->ClientWidth(), parent_->ClientHeight());
}

void GraphicControl::ParentResized(int clientWidth, int clientHeight) {
    if (align_ != ControlAlign::Client) return;
    bounds_ = RECT{0, 0, clientWidth, clientHeight};
    Invalidate();
}

void GraphicControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (parent_ && parent_->Handle()) InvalidateRect(parent_->Handle(), &bounds_, FALSE);
}

void GraphicControl::Invalidate() {
    if (visible_ && parent_ && parent_->Handle()) InvalidateRect(parent_->Handle(), &bounds_, FALSE);
}

void GraphicControl::PaintOnParent(HDC dc) {
    if (IsRectEmpty(&bounds_)) return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
    Paint(dc, bounds_);
    RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------------------------
// Form

Form::Form(const std::string& className) : className_(className) {
    std::wstring windowClass = Wide(className_);
    RegisterFormClass(windowClass, StaticWndProc);
    font_ = std::make_shared<const FontHandle>(Font{});
    HWND owner = nullptr;
    if (Application* app = Application::Current())
        if (Form* main = app->MainForm(); main && main != this) owner = main->Handle();
    CreateWindowExW(0, windowClass.c_str(), L"", kSingleStyle | WS_SYSMENU | WS_CLIPCHILDREN,
                    CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, owner, nullptr, GetModuleHandleW(nullptr),
                    this);
}

Form::~Form() {
    for (Control* control : controls_) control->FormDestroyed();
    controls_.clear();
    paintItems_.clear();
    created_ = false;
    if (hwnd_) DestroyWindow(hwnd_);
    if (brush_) DeleteObject(brush_);
}

void Form::AfterConstruction() {
    if (created_) return;
    created_ = true;
    CallSafely([this] { FormCreate(); });
}

Form* Form::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<Form*>(GetPropW(hwnd, kFormProperty));
}

LRESULT CALLBACK Form::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* form = nullptr;
    if (message == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetPropW(hwnd, kFormProperty, form);
        form->hwnd_ = hwnd;
    } else {
        form = FromHandle(hwnd);
    }
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kFormProperty);
        form->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (!CallSafely([&] { result = form->WndProc(message, wParam, lParam); })) result = 0;
    return result;
}

LRESULT Form::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Notifications come with the control's window; a zero lParam is a menu or an
        // accelerator (the dialog manager's IDOK / IDCANCEL), which forms answer via DialogKey.
        if (lParam) {
            if (Control* control = Control::FromHandle(reinterpret_cast<HWND>(lParam))) {
                control->Notify(HIWORD(wParam));
                return 0;
            }
        }
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (Control* control = Control::FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = control->CtlColor(dc, message)) return reinterpret_cast<LRESULT>(brush);
        if (message == WM_CTLCOLORSTATIC) {
            SetBkColor(dc, ResolveColor(color_));
            return reinterpret_cast<LRESULT>(BackgroundBrush());
        }
        break;
    }
    case WM_ERASEBKGND:
        // Forms with painted items draw everything in WM_PAINT, double-buffered.
        if (paintItems_.empty()) EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        if (paintItems_.empty()) break;
        Paint();
        return 0;
    case WM_SIZE:
        SizeChanged();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else {
            if (!HIWORD(wParam)) RestoreFocus();
            if (created_ && !activatePending_) {
                activatePending_ = true;
                PostMessageW(hwnd_, WM_FORM_ACTIVATE, 0, 0);
            }
        }
        return 0;
    case WM_FORM_ACTIVATE:
        Activated();
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_SYSCOMMAND:
        // Alt+F4 arrives here too: a form without a close box cannot be closed that way.
        if ((wParam & 0xFFF0) == SC_CLOSE &&
            (systemCloseDisabled_ || !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_SYSMENU)))
            return 0;
        break;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Form::AddControl(Control* control) { controls_.push_back(control); }

void Form::RemoveControl(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (lastFocus_ == control->Handle()) lastFocus_ = nullptr;
    if (defaultButton_ == control) defaultButton_ = nullptr;
    if (cancelButton_ == control) cancelButton_ = nullptr;
}

void Form::AddPaintItem(ParentPaintItem* item) {
    if (std::find(paintItems_.begin(), paintItems_.end(), item) != paintItems_.end()) return;
    auto place = std::upper_bound(
        paintItems_.begin(), paintItems_.end(), item,
        [](ParentPaintItem* a, ParentPaintItem* b) { return a->CreationOrder() < b->CreationOrder(); });
    paintItems_.insert(place, item);
    // The form paints under its transparent children, so it must not clip them away.
    if (hwnd_) {
        LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        if (style & WS_CLIPCHILDREN) SetWindowLongPtrW(hwnd_, GWL_STYLE, style & ~WS_CLIPCHILDREN);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void Form::RemovePaintItem(ParentPaintItem* item) {
    paintItems_.erase(std::remove(paintItems_.begin(), paintItems_.end(), item), paintItems_.end());
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

bool Form::IsTransparentChild(HWND child) const {
    Control* control = Control::FromHandle(child);
    auto* item = dynamic_cast<ParentPaintItem*>(control);
    return item && item->PaintsOnParent();
}

void Form::RestoreFocus() {
    if (!hwnd_ || IsIconic(hwnd_)) return;
    HWND target = lastFocus_;
    if (target && !(IsWindow(target) && IsChild(hwnd_, target) && IsWindowVisible(target) &&
                    IsWindowEnabled(target)))
        target = nullptr;
    if (!target) target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    ::SetFocus(target ? target : hwnd_);
}

void Form::Activated() {
    activatePending_ = false;
    if (!created_ || inActivate_) return;
    inActivate_ = true;
    CallSafely([this] { FormActivate(); });
    inActivate_ = false;
}

HBRUSH Form::BackgroundBrush() {
    COLORREF color = ResolveColor(color_);
    if (!brush_ || brushColor_ != color) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(color);
        brushColor_ = color;
    }
    return brush_;
}

void Form::EraseBackground(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, BackgroundBrush());
}

void Form::PaintClient(HDC dc, const RECT& area) {
    FillRect(dc, &area, BackgroundBrush());
    for (ParentPaintItem* item : paintItems_)
        if (item->PaintsOnParent()) item->PaintOnParent(dc);
}

void Form::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT area = ps.rcPaint;
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width > 0 && height > 0) {
        // Opaque children paint themselves; keep the blit off them.
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child) || IsTransparentChild(child)) continue;
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        if (memory && bitmap) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
            PaintClient(memory, area);
            SetViewportOrgEx(memory, 0, 0, nullptr);
            BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
        } else {
            PaintClient(dc, area);
        }
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
    }
    EndPaint(hwnd_, &ps);
}

void Form::SizeChanged() {
    RECT client;
    GetClientRect(hwnd_, &client);
    for (ParentPaintItem* item : paintItems_)
        if (auto* graphic = dynamic_cast<GraphicControl*>(item))
            graphic->ParentResized(client.right, client.bottom);
    if (created_ && !suppressResize_) DoResize();
}

void Form::DoResize() {
    CallSafely([this] { FormResize(); });
}

std::string WindowTextOf(HWND hwnd) {
    if (!hwnd) return "";
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return Narrow(text);
}

std::string Form::Caption() const { return WindowTextOf(hwnd_); }

void Form::SetCaption(const std::string& caption) {
    if (hwnd_) SetWindowTextW(hwnd_, Wide(caption).c_str());
}

bool Form::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void Form::SetEnabled(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Form::Visible() const {
    return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Form::SetVisible(bool visible) {
    if (visible)
        Show();
    else
        Hide();
}

namespace {
RECT WindowBounds(HWND hwnd) {
    RECT r{0, 0, 0, 0};
    if (hwnd) GetWindowRect(hwnd, &r);
    return r;
}
}  // namespace

int Form::Left() const { return WindowBounds(hwnd_).left; }
int Form::Top() const { return WindowBounds(hwnd_).top; }
int Form::Width() const {
    RECT r = WindowBounds(hwnd_);
    return r.right - r.left;
}
int Form::Height() const {
    RECT r = WindowBounds(hwnd_);
    return r.bottom - r.top;
}

void Form::SetBounds(int left, int top, int width, int height) {
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::ClientWidth() const {
    RECT r{0, 0, 0, 0};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.right;
}

int Form::ClientHeight() const {
    RECT r{0, 0, 0, 0};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.bottom;
}

void Form::SetClientSize(int width, int height) { ResizeClient(Scaled(width), Scaled(height)); }

void Form::ResizeClient(int width, int height) {
    if (!hwnd_) return;
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Some frames only settle after a first layout; correct the rest once.
    int dw = width - ClientWidth();
    int dh = height - ClientHeight();
    if (dw || dh)
        SetWindowPos(hwnd_, nullptr, 0, 0, Width() + dw, Height() + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::ApplyStyle(DWORD style, DWORD exStyle) {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(style));
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetBorderStyle(BorderStyle style, bool systemMenu) {
    if (!hwnd_) return;
    int clientWidth = ClientWidth();
    int clientHeight = ClientHeight();
    DWORD old = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    DWORD keep = old & (WS_VISIBLE | WS_DISABLED | WS_CLIPCHILDREN | WS_MAXIMIZE | WS_MINIMIZE);
    DWORD newStyle = (style == BorderStyle::Dialog ? kDialogStyle : kSingleStyle) | keep;
    if (systemMenu) newStyle |= WS_SYSMENU;
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    if (style == BorderStyle::Dialog)
        exStyle |= WS_EX_DLGMODALFRAME;
    else
        exStyle &= ~static_cast<DWORD>(WS_EX_DLGMODALFRAME);
    ApplyStyle(newStyle, exStyle);
    ResizeClient(clientWidth, clientHeight);
}

void Form::SetCenteredOnScreen() {
    centerOnShow_ = true;
    CenterOnScreen();
}

void Form::CenterOnScreen() {
    if (!hwnd_) return;
    RECT work;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    int width = Width();
    int height = Height();
    // The screen, not the work area, decides the centre, as users expect of a setup window.
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    left = std::max<int>(left, work.left);
    top = std::max<int>(top, work.top);
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowState Form::GetWindowState() const {
    if (!hwnd_) return WindowState::Normal;
    if (IsZoomed(hwnd_)) return WindowState::Maximized;
    if (IsIconic(hwnd_)) return WindowState::Minimized;
    return WindowState::Normal;
}

void Form::SetWindowState(WindowState state) {
    if (!hwnd_) return;
    if (!Visible()) {
        pendingState_ = state;  // applied when the form is shown
        return;
    }
    int command = state == WindowState::Maximized   ? SW_MAXIMIZE
                  : state == WindowState::Minimized ? SW_MINIMIZE
                                                    : SW_RESTORE;
    ShowWindow(hwnd_, command);
}

void Form::SetColor(COLORREF color) {
    color_ = color;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::SetFont(const Font& font) {
    font_ = std::make_shared<const FontHandle>(font);
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Get()), FALSE);
    for (Control* control : controls_) control->FormFontChanged(font_);
}

void Form::DisableSystemClose() {
    systemCloseDisabled_ = true;
    if (!hwnd_) return;
    if (HMENU menu = GetSystemMenu(hwnd_, FALSE))
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    // The title bar's close box follows the menu item once the frame is redrawn.
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
    if (!hwnd_) return;
    AfterConstruction();
    bool first = !shownOnce_;
    if (first && centerOnShow_) CenterOnScreen();
    int command = SW_SHOW;
    if (!Visible() && pendingState_ != WindowState::Normal)
        command = pendingState_ == WindowState::Maximized ? SW_SHOWMAXIMIZED : SW_SHOWMINIMIZED;
    pendingState_ = WindowState::Normal;
    // The first show always brings one FormResize, after the window is on the screen (never
    // from inside ShowWindow, so a handler may run a modal loop).
    if (first) suppressResize_ = true;
    ShowWindow(hwnd_, command);
    if (first) {
        suppressResize_ = false;
        shownOnce_ = true;
        DoResize();
    }
}

void Form::Hide() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    bool canClose = true;
    if (!CallSafely([&] { FormCloseQuery(canClose); }) || !canClose) return;
    CallSafely([this] { FormClose(); });
    Application* app = Application::Current();
    if (app && app->MainForm() == this)
        Application::Terminate();
    else
        Hide();
}

void Form::BringToFront() {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (Visible()) SetForegroundWindow(hwnd_);
}

void Form::Repaint() {
    if (hwnd_)
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool Form::CloseModal() {
    bool canClose = true;
    if (!CallSafely([&] { FormCloseQuery(canClose); })) canClose = false;
    if (!canClose) {
        modalResult_ = mrNone;
        return false;
    }
    CallSafely([this] { FormClose(); });
    return true;
}

int Form::ShowModal() {
    if (!hwnd_ || modal_) return mrNone;
    AfterConstruction();
    ReleaseCapture();
    HWND previousActive = GetActiveWindow();
    DisabledWindows disabled{hwnd_, {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
    modal_ = true;
    modalResult_ = mrNone;
    if (IsWindowEnabled(hwnd_) == FALSE) EnableWindow(hwnd_, TRUE);
    Show();
    SetActiveWindow(hwnd_);
    // A modal form is activated when it starts, even if the window manager did not do it.
    if (!activatePending_) {
        activatePending_ = true;
        PostMessageW(hwnd_, WM_FORM_ACTIVATE, 0, 0);
    }
    while (true) {
        if (!ProcessOneMessage() && !Application::Terminated() && modalResult_ == mrNone)
            WaitMessage();
        if (Application::Terminated()) {
            modalResult_ = mrCancel;
            break;
        }
        if (modalResult_ != mrNone && CloseModal()) break;
        if (!hwnd_) {  // destroyed from a handler
            modalResult_ = mrCancel;
            break;
        }
    }
    int result = modalResult_;
    // Enable the others before hiding, so activation goes back to the program, not elsewhere.
    for (HWND window : disabled.windows)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    Hide();
    if (previousActive && previousActive != hwnd_ && IsWindow(previousActive) &&
        IsWindowVisible(previousActive) && IsWindowEnabled(previousActive))
        SetActiveWindow(previousActive);
    modal_ = false;
    return result;
}

bool Form::DialogKey(WPARAM key) {
    if (key == VK_ESCAPE) {
        if (cancelButton_ && cancelButton_->Enabled() && IsWindowVisible(cancelButton_->Handle()))
            cancelButton_->Click();
        return true;
    }
    if (key != VK_RETURN) return false;
    HWND focus = GetFocus();
    if (Control* focused = Control::FromHandle(focus)) {
        LONG_PTR style = GetWindowLongPtrW(focus, GWL_STYLE);
        if (dynamic_cast<Memo*>(focused) && (style & ES_WANTRETURN) && !(style & ES_READONLY))
            return false;  // a new line in the text
        if (auto* button = dynamic_cast<Button*>(focused)) {
            if (button->Enabled()) button->Click();
            return true;
        }
    }
    if (defaultButton_ && defaultButton_->Enabled() && IsWindowVisible(defaultButton_->Handle()))
        defaultButton_->Click();
    return true;
}
