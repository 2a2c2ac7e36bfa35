// Inside the window host: what it keeps per window and per control, and the
// bindings of each kind of control (one file each). Only the host and its
// bindings include this.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Mnemonic.h"
#include "win32/WinApi.h"

namespace tollervy::win32 {

class Win32FormHost;

namespace host {

// The last state pushed to a control's window that the window cannot tell
// back (or that is costly to ask for).
struct Pushed {
    HFONT font = nullptr;
    ui::Font fontSpec;
    std::string tip;
    bool tipAdded = false;
    int progress = -1;
    int masked = -1;
    bool itemsPushed = false;
    std::vector<std::string> items;
    int widestItem = 0;  // the widest pushed row, in pixels
    int tabsPushed = -1;
    bool scrollPushed = false;
    int scrollMin = 0, scrollMax = 0, scrollValue = 0, scrollPage = 0;
};

// One form's window.
struct HostWindow {
    Win32FormHost* host = nullptr;
    ui::Form* form = nullptr;
    HWND hwnd = nullptr;
    bool alive = true;
    std::map<int, ui::Control*> controls;  // by id
    std::map<const ui::Control*, HWND> children;
    std::map<const ui::Control*, Pushed> pushed;
    // The access key each control's layout declares ("(&C)"): the model
    // holds the plain caption, the window shows it with the key.
    std::map<const ui::Control*, ui::Mnemonic> mnemonics;
    HWND tooltip = nullptr;
    HWND pendingFocus = nullptr;
    int settingText = 0;  // > 0 while the host itself writes a control's text
    bool closeRemoved = false;
    bool trayUp = false;
    std::string trayTip;
};

bool HasStyle(HWND h, LONG_PTR style);
// The control's caption as its window shows it: with the layout's access key.
std::string ShownCaption(const HostWindow& w, const ui::Control& control);
bool IsClass(HWND h, const wchar_t* name);

// Each binding pushes the control's state to its window and turns the
// window's notifications into the control's events. A Push* or event
// function returns false when the control is not of its kind.

// Labels, frames, command buttons, check boxes and option buttons.
bool PushButtonLike(HostWindow& w, ui::Control& control, HWND child);
bool CommandButtonLike(HostWindow& w, ui::Control& control, HWND child, int code);

// Text boxes.
bool PushTextBox(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed);
bool CommandTextBox(HostWindow& w, ui::Control& control, HWND child, int code);

// List boxes and drop-down lists.
bool PushList(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed);
// A list box's horizontal scroll range follows its widest row in its font:
// again after the font changed.
void FitListWidth(ui::Control& control, HWND child, Pushed& pushed);
bool CommandList(HostWindow& w, ui::Control& control, HWND child, int code);

// Tab strips: tabs, selection and each tab's tool tip.
bool PushTabs(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed);
// A WM_NOTIFY from the tab strip or its tool tip; true when handled.
bool NotifyTabs(HostWindow& w, ui::Control& control, HWND child, NMHDR& header);
// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp switch tabs as in
// every tabbed dialog; true when the key was used.
bool TabKey(HostWindow& w, int virtualKey);

// Scroll bars.
bool PushScroll(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed);
// WM_VSCROLL or WM_HSCROLL from the bar: `request` is its LOWORD(wParam).
bool ScrollRequest(HostWindow& w, ui::Control& control, HWND child, int request);

// Progress bars.
bool PushProgress(HostWindow& w, ui::Control& control, HWND child, Pushed& pushed);

// Clicks into a text box and files dropped onto a control reach the control
// through its own window: the window is subclassed where the model has a
// handler for them.
void AttachInput(HostWindow& w, ui::Control& control, HWND child);
void DetachInput(HWND child);

}  // namespace host
}  // namespace tollervy::win32
