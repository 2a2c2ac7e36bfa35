#include "win32/Win32FormHost.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "win32/Encoding.h"
#include "win32/HostWindow.h"

namespace tollervy::win32 {

namespace host {

bool HasStyle(HWND h, LONG_PTR style) { return (GetWindowLongPtrW(h, GWL_STYLE) & style) == style; }

bool IsClass(HWND h, const wchar_t* name) {
    wchar_t buffer[64] = {};
    GetClassNameW(h, buffer, 63);
    return _wcsicmp(buffer, name) == 0;
}

std::string ShownCaption(const HostWindow& w, const ui::Control& control) {
    const auto found = w.mnemonics.find(&control);
    return found == w.mnemonics.end() ? control.Caption() : ui::WithMnemonic(control.Caption(), found->second);
}

}  // namespace host

using host::HasStyle;
using host::IsClass;
using host::Pushed;

// Marks a handler of the host as running: windows unloaded meanwhile are
// freed only when the outermost one returns.
class Win32FormHost::Busy {
public:
    explicit Busy(Win32FormHost& host) : host_(host) { ++host_.busy_; }
    ~Busy() {
        if (--host_.busy_ == 0) host_.retired_.clear();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    Win32FormHost& host_;
};

Win32FormHost::Win32FormHost(HINSTANCE instance) : instance_(instance ? instance : GetModuleHandleW(nullptr)) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    bigIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(ProgramIconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(ProgramIconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

Win32FormHost::~Win32FormHost() {
    while (!windows_.empty()) Destroy(*windows_.begin()->second->form);
    retired_.clear();
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

Win32FormHost::Window* Win32FormHost::Find(const ui::Form& form) const {
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

Win32FormHost::Window* Win32FormHost::FindByHandle(HWND hwnd) const {
    if (!hwnd) return nullptr;
    for (const auto& [form, w] : windows_)
        if (w->hwnd == hwnd) return w.get();
    return nullptr;
}

HWND Win32FormHost::WindowOf(const ui::Form& form) const {
    const Window* w = Find(form);
    return w ? w->hwnd : nullptr;
}

HWND Win32FormHost::ControlWindowOf(const ui::Form& form, const ui::Control& control) const {
    const Window* w = Find(form);
    if (!w) return nullptr;
    const auto it = w->children.find(&control);
    return it == w->children.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------
// Making and destroying windows

void Win32FormHost::Create(ui::Form& form) {
    if (Find(form)) return;
    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    w.host = this;
    w.form = &form;
    windows_[&form] = std::move(owned);
    HWND hwnd = CreateDialogParamW(instance_, MAKEINTRESOURCEW(form.TemplateId()), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(&w));
    if (!hwnd) {
        windows_.erase(&form);
        return;
    }
    w.hwnd = hwnd;
    if (bigIcon_) SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    if (smallIcon_) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    // What the template says and the model does not: the captions, the
    // password style of an edit, the access keys (kept by the host: the
    // model's captions stay plain).
    if (form.Caption().empty()) form.SetCaption(WindowText(hwnd));
    for (ui::Control* control : form.Controls()) {
        HWND child = GetDlgItem(hwnd, control->Id());
        w.controls[control->Id()] = control;
        w.children[control] = child;
        if (!child) continue;
        auto* textBox = dynamic_cast<ui::TextBox*>(control);
        if (textBox && HasStyle(child, ES_PASSWORD) && !textBox->PasswordMasked()) textBox->SetPasswordMasked(true);
        const bool hasText = dynamic_cast<ui::TextBox*>(control) || dynamic_cast<ui::Label*>(control) ||
                             dynamic_cast<ui::CommandButton*>(control) || dynamic_cast<ui::CheckBox*>(control) ||
                             dynamic_cast<ui::OptionButton*>(control) || dynamic_cast<ui::Frame*>(control);
        std::string text = hasText ? WindowText(child) : std::string();
        if (hasText && !textBox) {
            ui::Mnemonic mnemonic;
            text = ui::StripMnemonic(text, &mnemonic);
            if (!mnemonic.mark.empty()) w.mnemonics[control] = mnemonic;
        }
        if (hasText && control->Caption().empty()) control->SetCaption(text);
        RECT r;
        if (GetWindowRect(child, &r)) {
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
            control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        host::AttachInput(w, *control, child);
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    form.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    Update(form, nullptr);
    for (ui::Control* control : form.Controls()) Push(w, *control);
}

void Win32FormHost::Retire(Window* w) {
    auto it = windows_.find(w->form);
    if (it == windows_.end()) return;
    std::unique_ptr<Window> owned = std::move(it->second);
    windows_.erase(it);
    if (busy_ > 0) retired_.push_back(std::move(owned));
}

void Win32FormHost::Destroy(ui::Form& form) {
    Window* w = Find(form);
    if (!w) return;
    EndModal(form);
    if (w->trayUp) {
        NotifyTray(*w, NIM_DELETE);
        w->trayUp = false;
    }
    w->alive = false;
    HWND hwnd = w->hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    DestroyWindow(hwnd);  // the tool tip window goes with its owner
    for (auto& [control, pushed] : w->pushed)
        if (pushed.font) DeleteObject(pushed.font);
    w->pushed.clear();
    w->hwnd = nullptr;
    Retire(w);
}

// ---------------------------------------------------------------------------
// Showing

void Win32FormHost::Show(ui::Form& form, bool modal) {
    Window* w = Find(form);
    if (!w) return;
    if (!modal) {
        ShowWindow(w->hwnd, SW_SHOW);
        GiveFocus(*w);
        return;
    }

    // Every other visible window of the program waits for this one.
    ModalFrame frame{&form, {}};
    for (const auto& [other, ow] : windows_) {
        if (other == &form || !ow->hwnd) continue;
        if (IsWindowVisible(ow->hwnd) && IsWindowEnabled(ow->hwnd)) {
            EnableWindow(ow->hwnd, FALSE);
            frame.disabled.push_back(ow->hwnd);
        }
    }
    modal_.push_back(std::move(frame));
    const std::size_t depth = modal_.size();

    HWND hwnd = w->hwnd;
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    GiveFocus(*w);
    MSG message;
    while (Find(form) && form.Visible()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Dispatch(message);
    }
    // Still there when the loop ended for another reason (WM_QUIT).
    if (modal_.size() >= depth && modal_[depth - 1].form == &form) EndModal(form);
}

void Win32FormHost::GiveFocus(Window& w) {
    HWND target = w.pendingFocus;
    w.pendingFocus = nullptr;
    if (!target) {
        // Where the focus went when the window became active; else the first
        // control that takes it.
        HWND focus = GetFocus();
        if (focus && (focus == w.hwnd || IsChild(w.hwnd, focus))) return;
        if (GetActiveWindow() != w.hwnd) return;
        target = GetNextDlgTabItem(w.hwnd, nullptr, FALSE);
    }
    if (target) SendMessageW(w.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

void Win32FormHost::EndModal(const ui::Form& form) {
    for (std::size_t i = modal_.size(); i-- > 0;) {
        if (modal_[i].form != &form) continue;
        for (HWND h : modal_[i].disabled)
            if (IsWindow(h)) EnableWindow(h, TRUE);
        modal_.erase(modal_.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

void Win32FormHost::Hide(ui::Form& form) {
    Window* w = Find(form);
    if (!w) return;
    // The waiting windows come back before this one goes, so that one of
    // them (not another program) becomes the active window.
    EndModal(form);
    ShowWindow(w->hwnd, SW_HIDE);
}

// ---------------------------------------------------------------------------
// State to window

void Win32FormHost::Update(ui::Form& form, ui::Control* control) {
    Window* w = Find(form);
    if (!w) return;
    if (control) {
        Push(*w, *control);
        return;
    }
    if (WindowText(w->hwnd) != form.Caption()) SetWindowTextUtf8(w->hwnd, form.Caption());
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (form.Width() <= 0 || form.Height() <= 0) flags |= SWP_NOSIZE;
    RECT r;
    GetWindowRect(w->hwnd, &r);
    if (!(flags & SWP_NOSIZE) && r.right - r.left == form.Width() && r.bottom - r.top == form.Height())
        flags |= SWP_NOSIZE;
    if (r.left == form.Left() && r.top == form.Top()) flags |= SWP_NOMOVE;
    if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return;
    SetWindowPos(w->hwnd, nullptr, form.Left(), form.Top(), form.Width(), form.Height(), flags);
}

void Win32FormHost::Push(Window& w, ui::Control& control) {
    const auto found = w.children.find(&control);
    HWND child = found == w.children.end() ? nullptr : found->second;
    if (child) {
        Pushed& pushed = w.pushed[&control];
        host::PushTextBox(w, control, child, pushed) || host::PushList(w, control, child, pushed) ||
            host::PushTabs(w, control, child, pushed) || host::PushScroll(w, control, child, pushed) ||
            host::PushProgress(w, control, child, pushed) || host::PushButtonLike(w, control, child);

        // A control shows and takes input only as far as the frames around
        // it let it.
        const bool enabled = control.Usable();
        const bool visible = control.ShownOnScreen();
        if ((IsWindowEnabled(child) != FALSE) != enabled) EnableWindow(child, enabled ? TRUE : FALSE);
        if (HasStyle(child, WS_VISIBLE) != visible) ShowWindow(child, visible ? SW_SHOWNA : SW_HIDE);
        if (!(pushed.fontSpec == control.GetFont())) PushFont(w, control, child);
        if (pushed.tip != control.ToolTipText()) PushToolTip(w, control, child);
        PushBounds(w, control, child);
    }
    if (auto* frame = dynamic_cast<ui::Frame*>(&control)) {
        for (ui::Control* inner : frame->Children()) Push(w, *inner);
        KeepFocusUsable(w);
    }
}

void Win32FormHost::PushBounds(Window& w, ui::Control& control, HWND child) {
    if (control.Width() <= 0 || control.Height() <= 0) return;
    RECT r;
    if (!GetWindowRect(child, &r)) return;
    MapWindowPoints(nullptr, w.hwnd, reinterpret_cast<POINT*>(&r), 2);
    if (r.left == control.Left() && r.top == control.Top() && r.right - r.left == control.Width() &&
        r.bottom - r.top == control.Height())
        return;
    SetWindowPos(child, nullptr, control.Left(), control.Top(), control.Width(), control.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FormHost::KeepFocusUsable(Window& w) {
    // A page that hides takes its focused control with it: the focus moves
    // to the first control that can take it.
    HWND focus = GetFocus();
    if (!focus || !IsChild(w.hwnd, focus)) return;
    if (IsWindowVisible(focus) && IsWindowEnabled(focus)) return;
    HWND next = GetNextDlgTabItem(w.hwnd, nullptr, FALSE);
    if (next) SendMessageW(w.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

void Win32FormHost::PushFont(Window& w, ui::Control& control, HWND child) {
    Pushed& pushed = w.pushed[&control];
    const ui::Font& spec = control.GetFont();
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(w.hwnd, WM_GETFONT, 0, 0));
    HFONT font = nullptr;
    if (!spec.face.empty() || spec.charset != ui::Font{}.charset) {
        LOGFONTW lf;
        ZeroMemory(&lf, sizeof lf);
        if (!base || GetObjectW(base, sizeof lf, &lf) == 0) lf.lfHeight = -12;
        if (!spec.face.empty()) {
            const std::wstring face = Widen(spec.face);
            ZeroMemory(lf.lfFaceName, sizeof lf.lfFaceName);
            wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        }
        lf.lfCharSet = static_cast<BYTE>(spec.charset);
        font = CreateFontIndirectW(&lf);
    }
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : base), TRUE);
    if (pushed.font) DeleteObject(pushed.font);
    pushed.font = font;
    pushed.fontSpec = spec;
    host::FitListWidth(control, child, pushed);
}

void Win32FormHost::PushToolTip(Window& w, ui::Control& control, HWND child) {
    Pushed& pushed = w.pushed[&control];
    const std::string& tip = control.ToolTipText();
    if (!w.tooltip && !tip.empty()) {
        w.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w.hwnd, nullptr,
                                    instance_, nullptr);
        if (w.tooltip) SendMessageW(w.tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    if (!w.tooltip) return;
    std::wstring text = Widen(tip);
    TOOLINFOW info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = w.hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(child);
    info.lpszText = text.data();
    if (tip.empty()) {
        if (pushed.tipAdded) SendMessageW(w.tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        pushed.tipAdded = false;
    } else if (!pushed.tipAdded) {
        // A static control lets the mouse through to its parent unless it
        // notifies; the tip needs the mouse on the control itself.
        if (IsClass(child, L"Static"))
            SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | SS_NOTIFY);
        pushed.tipAdded = SendMessageW(w.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
    } else {
        SendMessageW(w.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
    pushed.tip = tip;
}

void Win32FormHost::Repaint(ui::Form& form) {
    Window* w = Find(form);
    if (!w) return;
    RedrawWindow(w->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    UpdateWindow(w->hwnd);
}

void Win32FormHost::SetFocus(ui::Form& form, ui::Control& control) {
    Window* w = Find(form);
    if (!w) return;
    HWND child = ControlWindowOf(form, control);
    if (!child) return;
    if (IsWindowVisible(w->hwnd)) {
        SendMessageW(w->hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child), TRUE);
        w->pendingFocus = nullptr;
    } else {
        w->pendingFocus = child;  // given when the window is shown
    }
}

int Win32FormHost::TextWidth(ui::Form& form, ui::Control& control, const std::string& text) {
    HWND child = ControlWindowOf(form, control);
    HWND measured = child ? child : WindowOf(form);
    if (!measured) return 0;
    HDC dc = GetDC(measured);
    if (!dc) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(measured, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    const std::wstring wide = Widen(text);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(measured, dc);
    return size.cx;
}

void Win32FormHost::SetTopMost(ui::Form& form) {
    if (Window* w = Find(form))
        SetWindowPos(w->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

bool Win32FormHost::DisableCloseCommand(ui::Form& form) {
    Window* w = Find(form);
    if (!w) return false;
    HMENU menu = GetSystemMenu(w->hwnd, FALSE);
    if (!menu) return false;
    const BOOL removed = RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND);
    w->closeRemoved = true;
    DrawMenuBar(w->hwnd);
    return removed != FALSE;
}

void Win32FormHost::SetForeground(ui::Form& form) {
    if (Window* w = Find(form)) SetForegroundWindow(w->hwnd);
}

// ---------------------------------------------------------------------------
// Menus and the notification area

namespace {

// The access keys of the menu items, by command id: the icon's menu
// (IDM_MNUINI and IDM_MNUEND in resources/resource.h). The model's captions
// stay plain, as the layouts' do.
struct MenuKey {
    int id;
    const char* mark;
};
constexpr MenuKey MenuKeys[] = {{302, "(&S)"}, {303, "(&X)"}};

std::wstring MenuText(const ui::MenuItem& item) {
    for (const MenuKey& key : MenuKeys)
        if (key.id == item.Id()) return Widen(ui::WithMnemonic(item.Caption(), ui::Mnemonic{key.mark, ""}));
    return Widen(item.Caption());
}

}  // namespace

HMENU Win32FormHost::BuildMenu(const ui::MenuItem& item) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const ui::MenuItem* sub : item.Items) {
        if (!sub || !sub->Visible()) continue;
        if (sub->Caption() == "-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else if (!sub->Items.empty()) {
            HMENU child = BuildMenu(*sub);
            if (child) AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(child), MenuText(*sub).c_str());
        } else {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(sub->Id()), MenuText(*sub).c_str());
        }
    }
    return menu;
}

ui::MenuItem* Win32FormHost::FindMenuItem(ui::MenuItem& item, int id) {
    for (ui::MenuItem* sub : item.Items) {
        if (!sub) continue;
        if (sub->Id() == id) return sub;
        if (ui::MenuItem* deeper = FindMenuItem(*sub, id)) return deeper;
    }
    return nullptr;
}

void Win32FormHost::PopupMenu(ui::Form& form, ui::MenuItem& item) {
    Window* w = Find(form);
    if (!w) return;
    HWND hwnd = w->hwnd;
    HMENU menu = BuildMenu(item);
    if (!menu) return;
    POINT at;
    GetCursorPos(&at);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr));
    // Lets the menu close properly when it was opened from a hidden window.
    PostMessageW(hwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (chosen == 0) return;
    if (ui::MenuItem* target = FindMenuItem(item, static_cast<int>(chosen))) target->Click();
}

bool Win32FormHost::NotifyTray(Window& w, DWORD action) {
    NOTIFYICONDATAW data;
    ZeroMemory(&data, sizeof data);
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = w.hwnd;
    data.uID = TrayIconId;
    if (action != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = TrayCallbackMessage;
        data.hIcon = smallIcon_ ? smallIcon_ : bigIcon_;
        const std::wstring tip = Widen(w.trayTip);
        wcsncpy(data.szTip, tip.c_str(), 63);
        data.szTip[63] = L'\0';
    }
    if (Shell_NotifyIconW(action, &data)) return true;
    // Already there (added twice): keep the one icon, with this record.
    if (action == NIM_ADD) return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    return false;
}

bool Win32FormHost::AddTrayIcon(ui::Form& form, const std::string& tip) {
    Window* w = Find(form);
    if (!w) return false;
    w->trayUp = true;  // also re-added when the shell restarts
    w->trayTip = tip;
    return NotifyTray(*w, NIM_ADD);
}

bool Win32FormHost::RemoveTrayIcon(ui::Form& form) {
    Window* w = Find(form);
    if (!w) return false;
    w->trayUp = false;
    return NotifyTray(*w, NIM_DELETE);
}

// ---------------------------------------------------------------------------
// Messages

void Win32FormHost::DoEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Dispatch(message);
    }
}

void Win32FormHost::DoPaintEvents(ui::Form& form) {
    Window* w = Find(form);
    if (!w) return;
    Busy busy(*this);
    ++paintingOnly_;
    // The frame's mouse messages: a drag of the title bar moves the window
    // (the move runs its own loop until the button is released).
    MSG message;
    for (int i = 0; i < 64 && PeekMessageW(&message, w->hwnd, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Paint requests of every window of the program (what a move uncovered).
    for (int i = 0; i < 64 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageW(&message);
    --paintingOnly_;
}

int Win32FormHost::Run() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) Dispatch(message);
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void Win32FormHost::Dispatch(MSG& message) {
    Busy busy(*this);
    if (PreTranslate(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool Win32FormHost::PreTranslate(MSG& message) {
    if (!message.hwnd) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    Window* w = FindByHandle(root);
    if (!w) return false;
    if (message.message == WM_KEYDOWN) {
        // The form sees a key before its controls do.
        const int key = static_cast<int>(message.wParam);
        if (host::TabKey(*w, key)) return true;
        if (w->form->Form_KeyDown(key)) return true;
        if (!w->alive) return true;
        offeredKey_ = key;
        const BOOL handled = IsDialogMessageW(root, &message);
        offeredKey_ = 0;
        return handled != FALSE;
    }
    return IsDialogMessageW(root, &message) != FALSE;
}

INT_PTR CALLBACK Win32FormHost::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* w = reinterpret_cast<Window*>(lParam);
        w->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(w));
        // No focus yet: the window is hidden, and taking the focus here would
        // take it from the window the user works in. Showing gives it.
        return FALSE;
    }
    auto* w = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!w || !w->alive) return FALSE;
    Win32FormHost& host = *w->host;
    Busy busy(host);
    return host.Handle(*w, message, wParam, lParam);
}

INT_PTR Win32FormHost::Handle(Window& w, UINT message, WPARAM wParam, LPARAM lParam) {
    ui::Form& form = *w.form;
    switch (message) {
        case WM_COMMAND:
            Command(w, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (!header) return FALSE;
            for (ui::Control* control : form.Controls()) {
                HWND child = w.children[control];
                if (child && host::NotifyTabs(w, *control, child, *header)) return TRUE;
            }
            return FALSE;
        }
        case WM_VSCROLL:
        case WM_HSCROLL: {
            HWND bar = reinterpret_cast<HWND>(lParam);
            ui::Control* control = bar ? ControlOfWindow(w, bar) : nullptr;
            if (control && host::ScrollRequest(w, *control, bar, LOWORD(wParam))) return TRUE;
            return FALSE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(w.hwnd, &paint);
            EndPaint(w.hwnd, &paint);
            form.Form_Paint();
            return TRUE;
        }
        case WM_WINDOWPOSCHANGED: {
            RECT r;
            if (GetWindowRect(w.hwnd, &r)) form.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
            return FALSE;
        }
        case WM_SYSCOMMAND:
            // Alt+F4 and the title bar's button ask for the Close command
            // even when it is no longer in the system menu.
            if ((wParam & 0xFFF0) == SC_CLOSE && w.closeRemoved) return TRUE;
            return FALSE;
        case WM_CLOSE:
            form.Unload();
            return TRUE;
        case WM_QUERYENDSESSION:
            SetWindowLongPtrW(w.hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) form.Form_EndSession();
            if (w.alive) SetWindowLongPtrW(w.hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        case TrayCallbackMessage:
            if (paintingOnly_ > 0) return TRUE;
            form.Form_TrayMessage(static_cast<int>(LOWORD(lParam)));
            return TRUE;
        default:
            if (message == taskbarCreated_ && taskbarCreated_ != 0) {
                if (w.trayUp) NotifyTray(w, NIM_ADD);
                return FALSE;
            }
            return FALSE;
    }
}

void Win32FormHost::Command(Window& w, int id, int code) {
    const auto found = w.controls.find(id);
    if (found == w.controls.end()) {
        // Enter and Escape of the dialog manager: the form sees them as keys
        // (unless it has just seen the key press itself).
        if (id == IDOK || id == IDCANCEL) {
            const int key = id == IDOK ? VK_RETURN : VK_ESCAPE;
            if (offeredKey_ != key) w.form->Form_KeyDown(key);
        }
        return;
    }
    ui::Control& control = *found->second;
    HWND child = w.children[&control];
    if (!child) return;
    host::CommandTextBox(w, control, child, code) || host::CommandList(w, control, child, code) ||
        host::CommandButtonLike(w, control, child, code);
}

ui::Control* Win32FormHost::ControlOfWindow(Window& w, HWND child) {
    for (auto& [control, window] : w.children)
        if (window == child && window) return const_cast<ui::Control*>(control);
    return nullptr;
}

}  // namespace tollervy::win32
