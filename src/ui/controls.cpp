#include "ui/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "base/cp932.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "sys/system_library.h"
#include "ui/application.h"

namespace {

const wchar_t kControlProperty[] = L"OrvantControl";
// Automatic ids stay clear of the ids the program assigns itself (1000-9999).
int g_nextAutomaticId = 20000;

const FontPtr& DefaultFont() {
    static const FontPtr font = std::make_shared<const FontHandle>(Font{});
    return font;
}

// Lines end with CR LF, LF or CR in the file; the edit control wants CR LF. The text stops at
// a NUL byte, as the window text would.
std::string TextLines(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\0') break;
        if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            text += "\r\n";
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    if (!text.empty() && text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// ParentRef and Control

ParentRef::ParentRef(GroupBox& group) : form_(group.OwnerForm()), group_(&group) {}

HWND ParentRef::Handle() const {
    if (group_) return group_->Handle();
    return form_ ? form_->Handle() : nullptr;
}

Control::Control() : font_(DefaultFont()) {}

Control::~Control() {
    if (form_) form_->RemoveControl(this);
    DestroyHandle();
    if (brush_) DeleteObject(brush_);
}

Control* Control::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<Control*>(GetPropW(hwnd, kControlProperty));
}

void Control::CreateHandle(const ParentRef& parent, const wchar_t* windowClass, DWORD style,
                           DWORD exStyle, int left, int top, int width, int height,
                           const std::string& text, int id) {
    // Each edge is scaled, as MapDialogRect maps a dialog's rectangles: controls that touch in
    // the design touch on the screen, never overlap, and every size stays within a pixel of the
    // design's ratio.
    RECT bounds{Scaled(left), Scaled(top), Scaled(left + width), Scaled(top + height)};
    CreateHandleAt(parent, windowClass, style, exStyle, bounds, text, id);
}

void Control::CreateHandleAt(const ParentRef& parent, const wchar_t* windowClass, DWORD style,
                             DWORD exStyle, const RECT& bounds, const std::string& text, int id) {
    DestroyHandle();
    HWND parentHandle = parent.Handle();
    Form* form = parent.OwnerForm();
    if (!form || !parentHandle) return;
    if (form_ != form) {
        if (form_) form_->RemoveControl(this);
        form_ = form;
        form_->AddControl(this);
    }
    if (id == 0) id = g_nextAutomaticId++;
    hwnd_ = CreateWindowExW(exStyle, windowClass, Wide(text).c_str(), style | WS_CHILD | WS_VISIBLE,
                            bounds.left, bounds.top, bounds.right - bounds.left,
                            bounds.bottom - bounds.top, parentHandle,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return;
    SetPropW(hwnd_, kControlProperty, this);
    classProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    if (parentFont_) font_ = form_->FontHandlePtr();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Get()), FALSE);
}

void Control::Detach() {
    if (!hwnd_) return;
    RemovePropW(hwnd_, kControlProperty);
    if (classProc_)
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
    hwnd_ = nullptr;
}

void Control::DestroyHandle() {
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    Detach();
    DestroyWindow(hwnd);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = FromHandle(hwnd);
    if (!control) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        WNDPROC proc = control->classProc_;
        control->Detach();
        return CallWindowProcW(proc, hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (!CallSafely([&] { result = control->WndProc(message, wParam, lParam); }))
        result = CallWindowProcW(control->classProc_, hwnd, message, wParam, lParam);
    return result;
}

LRESULT Control::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS && form_) form_->ControlFocused(hwnd_);
    return DefaultProc(message, wParam, lParam);
}

LRESULT Control::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(classProc_, hwnd_, message, wParam, lParam);
}

void Control::Notify(WORD) {}

HBRUSH Control::CtlColor(HDC, UINT) { return nullptr; }

void Control::Fire(const std::function<void()>& event) {
    if (!event) return;
    // A copy: the handler may replace the event while it runs.
    std::function<void()> handler = event;
    CallSafely(handler);
}

HWND Control::ParentHandle() const { return hwnd_ ? GetParent(hwnd_) : nullptr; }

RECT Control::BoundsInParent() const {
    RECT r{0, 0, 0, 0};
    if (!hwnd_) return r;
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HBRUSH Control::SolidBrush(COLORREF color) {
    COLORREF resolved = ResolveColor(color);
    if (!brush_ || brushColor_ != resolved) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(resolved);
        brushColor_ = resolved;
    }
    return brush_;
}

bool Control::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void Control::MoveFocusAway() {
    HWND focus = GetFocus();
    if (!hwnd_ || !focus || (focus != hwnd_ && !IsChild(hwnd_, focus))) return;
    HWND root = GetAncestor(hwnd_, GA_ROOT);
    HWND next = GetNextDlgTabItem(root, hwnd_, FALSE);
    if (!next || next == hwnd_ || IsChild(hwnd_, next)) next = root;
    if (form_) form_->ControlFocused(next == root ? nullptr : next);
    ::SetFocus(next);
}

void Control::SetEnabled(bool enabled) {
    if (!hwnd_) return;
    if (!enabled) {
        HWND focus = GetFocus();
        bool hadFocus = focus && (focus == hwnd_ || IsChild(hwnd_, focus));
        EnableWindow(hwnd_, FALSE);
        if (hadFocus) MoveFocusAway();
        if (hadFocus && GetFocus() == nullptr && form_) ::SetFocus(form_->Handle());
    } else {
        EnableWindow(hwnd_, TRUE);
    }
}

bool Control::Visible() const {
    return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetVisible(bool visible) {
    if (!hwnd_) return;
    if (!visible) MoveFocusAway();
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

std::string Control::Caption() const { return WindowTextOf(hwnd_); }

void Control::SetCaption(const std::string& caption) {
    if (!hwnd_ || Caption() == caption) return;
    SetWindowTextW(hwnd_, Wide(caption).c_str());
}

int Control::Left() const { return BoundsInParent().left; }
int Control::Top() const { return BoundsInParent().top; }
int Control::Width() const {
    RECT r = BoundsInParent();
    return r.right - r.left;
}
int Control::Height() const {
    RECT r = BoundsInParent();
    return r.bottom - r.top;
}

void Control::SetBounds(int left, int top, int width, int height) {
    if (hwnd_) MoveWindow(hwnd_, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}
void Control::SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
void Control::SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
void Control::SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
void Control::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void Control::SetFocus() {
    if (!hwnd_ || !form_) return;
    form_->ControlFocused(hwnd_);
    if (GetActiveWindow() == form_->Handle()) ::SetFocus(hwnd_);
}

bool Control::Focused() const { return hwnd_ && GetFocus() == hwnd_; }

int Control::Id() const { return hwnd_ ? GetDlgCtrlID(hwnd_) : 0; }

void Control::SetId(int id) {
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_ID, id);
}

void Control::SetFont(const Font& font) {
    font_ = std::make_shared<const FontHandle>(font);
    parentFont_ = false;
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Get()), TRUE);
    FontChanged();
}

void Control::FormFontChanged(const FontPtr& font) {
    if (!parentFont_) return;
    font_ = font;
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Get()), TRUE);
    FontChanged();
}

void Control::Repaint() {
    if (!hwnd_) return;
    auto* painted = dynamic_cast<ParentPaintItem*>(this);
    if (painted && painted->PaintsOnParent()) {  // the form draws this control
        RECT area = BoundsInParent();
        RedrawWindow(GetParent(hwnd_), &area, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return;
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---------------------------------------------------------------------------------------------
// Label

Label::~Label() {
    if (OwnerForm()) OwnerForm()->RemovePaintItem(this);
}

void Label::Create(const ParentRef& parent, int left, int top, int width, int height,
                   const std::string& caption, int id) {
    CreateHandle(parent, L"STATIC", TextStyle(), 0, left, top, width, height, caption, id);
    RenewCreationOrder();
    if (transparent_) {
        transparent_ = false;
        SetTransparent(true);
    }
    if (autoSize_) AdjustBounds();
}

DWORD Label::TextStyle() const {
    DWORD style = 0;
    switch (align_) {
    case TextAlign::Left: style = wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP; break;
    case TextAlign::Center: style = SS_CENTER; break;
    case TextAlign::Right: style = SS_RIGHT; break;
    }
    if (verticalCenter_) style |= SS_CENTERIMAGE;
    if (!showAccelChar_) style |= SS_NOPREFIX;
    return style;
}

UINT Label::DrawFlags() const {
    UINT flags = DT_EXPANDTABS;
    switch (align_) {
    case TextAlign::Left: flags |= DT_LEFT; break;
    case TextAlign::Center: flags |= DT_CENTER; break;
    case TextAlign::Right: flags |= DT_RIGHT; break;
    }
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    if (verticalCenter_) flags |= DT_VCENTER | DT_SINGLELINE;
    return flags;
}

void Label::UpdateStyle() {
    if (!Handle()) return;
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(SS_TYPEMASK | SS_CENTERIMAGE | SS_NOPREFIX);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style | static_cast<LONG_PTR>(TextStyle()));
    if (autoSize_) AdjustBounds();
    if (PaintsOnParent()) InvalidateOnParent(BoundsInParent());
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    UpdateStyle();
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_ && Handle()) AdjustBounds();
}

void Label::SetAlignment(TextAlign align) {
    align_ = align;
    UpdateStyle();
}

void Label::SetVerticalCenter(bool center) {
    verticalCenter_ = center;
    UpdateStyle();
}

void Label::SetShowAccelChar(bool show) {
    showAccelChar_ = show;
    UpdateStyle();
}

void Label::SetTransparent(bool transparent) {
    if (transparent_ == transparent) return;
    transparent_ = transparent;
    HWND hwnd = Handle();
    Form* form = OwnerForm();
    if (!hwnd || !form) return;
    LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    exStyle = transparent ? (exStyle | WS_EX_TRANSPARENT) : (exStyle & ~WS_EX_TRANSPARENT);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle);
    // Only a form paints under its labels; inside a group box the label stays opaque.
    if (transparent && GetParent(hwnd) == form->Handle())
        form->AddPaintItem(this);
    else
        form->RemovePaintItem(this);
    InvalidateOnParent(BoundsInParent());
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool Label::PaintsOnParent() const {
    HWND hwnd = Handle();
    return transparent_ && hwnd && OwnerForm() && GetParent(hwnd) == OwnerForm()->Handle() &&
           Visible();
}

void Label::PaintOnParent(HDC dc) {
    RECT r = BoundsInParent();
    std::wstring text = Wide(Caption());
    int saved = SaveDC(dc);
    SelectObject(dc, Fonts()->Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(GetFont().Color));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
    RestoreDC(dc, saved);
}

void Label::AdjustBounds() {
    HWND hwnd = Handle();
    if (!hwnd) return;
    std::wstring text = Wide(Caption());
    if (text.empty()) text.push_back(L' ');  // an empty label keeps the height of one line
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Fonts()->Get());
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    UINT flags = (DrawFlags() & ~static_cast<UINT>(DT_VCENTER | DT_SINGLELINE)) | DT_CALCRECT;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::FontChanged() {
    if (autoSize_) AdjustBounds();
    if (PaintsOnParent()) InvalidateOnParent(BoundsInParent());
}

void Label::InvalidateOnParent(const RECT& area) {
    if (HWND parent = ParentHandle()) InvalidateRect(parent, &area, FALSE);
}

HBRUSH Label::CtlColor(HDC dc, UINT) {
    SetTextColor(dc, ResolveColor(GetFont().Color));
    return nullptr;  // the form's background
}

LRESULT Label::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    bool onForm = transparent_ && OwnerForm() && ParentHandle() == OwnerForm()->Handle();
    switch (message) {
    case WM_SETTEXT: {
        RECT before = BoundsInParent();
        LRESULT result = DefaultProc(message, wParam, lParam);
        if (autoSize_) AdjustBounds();
        if (onForm) {
            InvalidateOnParent(before);
            InvalidateOnParent(BoundsInParent());
        }
        return result;
    }
    case WM_PAINT:
        if (onForm) {  // the form draws the text
            PAINTSTRUCT ps;
            BeginPaint(Handle(), &ps);
            EndPaint(Handle(), &ps);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (onForm) return 1;
        break;
    case WM_WINDOWPOSCHANGING:
        if (onForm) InvalidateOnParent(BoundsInParent());
        break;
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = Control::WndProc(message, wParam, lParam);
        if (onForm) InvalidateOnParent(BoundsInParent());
        return result;
    }
    default:
        break;
    }
    return Control::WndProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Buttons

void Button::Create(const ParentRef& parent, int left, int top, int width, int height,
                    const std::string& caption, int id) {
    CreateHandle(parent, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, left, top, width, height, caption,
                 id);
}

void Button::Click() { Fire(OnClick); }

void Button::Notify(WORD code) {
    // A disabled button never clicks, even when another program sends it BM_CLICK: the program
    // disables buttons to take back an offer (a wait ends once, not twice).
    if (code == BN_CLICKED && Enabled()) Fire(OnClick);
}

void CheckBox::Create(const ParentRef& parent, int left, int top, int width, int height,
                      const std::string& caption, int id) {
    CreateHandle(parent, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, left, top, width, height,
                 caption, id);
}

bool CheckBox::Checked() const {
    return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
    if (!Handle() || Checked() == checked) return;
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Fire(OnClick);
}

void CheckBox::Notify(WORD code) {
    if (code == BN_CLICKED) Fire(OnClick);
}

HBRUSH CheckBox::CtlColor(HDC dc, UINT) {
    SetTextColor(dc, ResolveColor(GetFont().Color));
    return nullptr;
}

void RadioButton::Create(const ParentRef& parent, int left, int top, int width, int height,
                         const std::string& caption, int id) {
    CreateHandle(parent, L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0, left, top, width, height,
                 caption, id);
    checked_ = false;
}

bool RadioButton::Checked() const {
    return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::SyncSiblings() {
    HWND parent = ParentHandle();
    if (!parent) return;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (auto* radio = dynamic_cast<RadioButton*>(FromHandle(child))) radio->checked_ = radio->Checked();
}

void RadioButton::SetChecked(bool checked) {
    if (!Handle() || Checked() == checked) return;
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (checked) {
        HWND parent = ParentHandle();
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            auto* radio = dynamic_cast<RadioButton*>(FromHandle(child));
            if (radio && radio != this) SendMessageW(child, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SyncSiblings();
    if (checked) Fire(OnClick);
}

void RadioButton::Notify(WORD code) {
    if (code != BN_CLICKED) return;
    bool was = checked_;
    SyncSiblings();
    if (checked_ && !was) Fire(OnClick);
}

HBRUSH RadioButton::CtlColor(HDC dc, UINT) {
    SetTextColor(dc, ResolveColor(GetFont().Color));
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Edit and Memo

void Edit::Create(const ParentRef& parent, int left, int top, int width, int height,
                  const std::string& text, int id) {
    CreateHandle(parent, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, left, top, width,
                 height, text, id);
}

bool Edit::ReadOnly() const {
    return Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_READONLY) != 0;
}

void Edit::SetReadOnly(bool readOnly) {
    if (Handle()) SendMessageW(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void Edit::SetColor(COLORREF color) {
    color_ = color;
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void Edit::SetCaption(const std::string& text) {
    if (!Handle() || Caption() == text) return;
    // Single-line edits report WM_SETTEXT as EN_CHANGE, multi-line ones do not; report it once
    // either way.
    settingText_ = true;
    SetWindowTextW(Handle(), Wide(text).c_str());
    settingText_ = false;
    Fire(OnChange);
}

void Edit::Notify(WORD code) {
    if (code == EN_CHANGE && !settingText_) Fire(OnChange);
}

HBRUSH Edit::CtlColor(HDC dc, UINT) {
    if (Enabled()) SetTextColor(dc, ResolveColor(GetFont().Color));
    SetBkColor(dc, ResolveColor(color_));
    return SolidBrush(color_);
}

DWORD Memo::MemoStyle() const {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) style |= WS_HSCROLL | ES_AUTOHSCROLL;
    return style;
}

void Memo::Create(const ParentRef& parent, int left, int top, int width, int height,
                  const std::string& text, int id) {
    CreateHandle(parent, L"EDIT", MemoStyle() | ES_READONLY, WS_EX_CLIENTEDGE, left, top, width,
                 height, text, id);
    if (Handle()) SendMessageW(Handle(), EM_SETLIMITTEXT, 0, 0);
}

void Memo::SetScrollBars(TScrollStyle scrollBars) {
    if (scrollBars_ == scrollBars) return;
    scrollBars_ = scrollBars;
    HWND old = Handle();
    if (!old) return;
    // Wrapping and scroll bars are fixed when an edit control is created.
    std::string text = Caption();
    RECT bounds = BoundsInParent();
    bool visible = Visible();
    bool enabled = Enabled();
    bool readOnly = ReadOnly();
    bool focused = Focused();
    int id = Id();
    HWND parent = GetParent(old);
    HWND previous = GetWindow(old, GW_HWNDPREV);
    Form* form = OwnerForm();
    GroupBox* group = dynamic_cast<GroupBox*>(FromHandle(parent));
    DestroyHandle();
    ParentRef where = group ? ParentRef(*group) : ParentRef(*form);
    CreateHandleAt(where, L"EDIT", MemoStyle() | (readOnly ? ES_READONLY : 0), WS_EX_CLIENTEDGE,
                   bounds, text, id);
    HWND hwnd = Handle();
    if (!hwnd) return;
    SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    SetWindowPos(hwnd, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!enabled) EnableWindow(hwnd, FALSE);
    if (!visible) ShowWindow(hwnd, SW_HIDE);
    if (focused) ::SetFocus(hwnd);
}

bool Memo::LoadFromFile(const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(path, bytes) != 0) return false;
    // A distribution's text file: code page 932 unless a byte-order mark says otherwise.
    SetCaption(TextLines(TextFileToUtf8(bytes)));
    return true;
}

// ---------------------------------------------------------------------------------------------
// GroupBox, Image, ProgressBar

void GroupBox::Create(const ParentRef& parent, int left, int top, int width, int height,
                      const std::string& caption, int id) {
    // The frame is the real parent of its controls: Tab moves into it (WS_EX_CONTROLPARENT)
    // and it does not paint over them (WS_CLIPCHILDREN).
    CreateHandle(parent, L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, left, top,
                 width, height, caption, id);
}

LRESULT GroupBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        // The form handles its controls' notifications wherever they sit.
        return SendMessageW(ParentHandle(), message, wParam, lParam);
    case WM_ERASEBKGND: {
        // The button class leaves a group box's inside unpainted; hidden children would leave
        // their pixels behind.
        HDC dc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
            ParentHandle(), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(Handle())));
        if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
        RECT client;
        GetClientRect(Handle(), &client);
        FillRect(dc, &client, brush);
        return 1;
    }
    default:
        break;
    }
    return Control::WndProc(message, wParam, lParam);
}

void Image::Create(const ParentRef& parent, int left, int top, int width, int height, int id) {
    CreateHandle(parent, L"STATIC", SS_ICON | SS_CENTERIMAGE, 0, left, top, width, height, "", id);
}

void Image::SetIcon(HICON icon) {
    if (Handle()) SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (owned_.Get() != icon) owned_.Reset(nullptr);  // the control no longer shows it
}

bool Image::LoadIconResource(int resourceId) {
    auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                              IMAGE_ICON, Width(), Height(), LR_DEFAULTCOLOR));
    SetIcon(icon);
    owned_.Reset(icon);
    return icon != nullptr;
}

HICON Image::Icon() const {
    return Handle() ? reinterpret_cast<HICON>(SendMessageW(Handle(), STM_GETICON, 0, 0)) : nullptr;
}

void ProgressBar::Create(const ParentRef& parent, int left, int top, int width, int height, int id) {
    InitCommonControlClasses(ICC_PROGRESS_CLASS);
    CreateHandle(parent, PROGRESS_CLASSW, 0, 0, left, top, width, height, "", id);
    if (Handle()) {
        SendMessageW(Handle(), PBM_SETRANGE32, 0, 100);
        SendMessageW(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
    }
}

int ProgressBar::Min() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), PBM_GETRANGE, TRUE, 0)) : 0;
}

int ProgressBar::Max() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), PBM_GETRANGE, FALSE, 0)) : 0;
}

void ProgressBar::SetMin(int min) {
    if (Handle()) SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min), Max());
}

void ProgressBar::SetMax(int max) {
    if (Handle()) SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(Min()), max);
}

int ProgressBar::Position() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)) : 0;
}

void ProgressBar::SetPosition(int position) {
    if (Handle()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void ProgressBar::SetStep(int step) {
    step_ = step;
    if (Handle()) SendMessageW(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void ProgressBar::StepIt() {
    if (Handle()) SendMessageW(Handle(), PBM_STEPIT, 0, 0);
}
