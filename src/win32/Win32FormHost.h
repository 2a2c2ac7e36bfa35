// The window host: makes each form's window from its dialog template, binds
// the form's controls to the child windows with their ids, makes the windows
// follow the controls' state and turns the windows' notifications into the
// controls' events (each event once).
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "win32/WinApi.h"

namespace tollervy::win32 {

namespace host {
struct HostWindow;
}

// The message the notification-area icon sends to its form's window; its
// lParam is the mouse message over the icon.
inline constexpr UINT TrayCallbackMessage = WM_APP + 1;
inline constexpr UINT TrayIconId = 1;
// The program's icon in the resources.
inline constexpr int ProgramIconId = 1;

class Win32FormHost : public ui::FormHost {
public:
    // `instance` holds the dialog templates and the icon (null: the program).
    explicit Win32FormHost(HINSTANCE instance = nullptr);
    ~Win32FormHost() override;
    Win32FormHost(const Win32FormHost&) = delete;
    Win32FormHost& operator=(const Win32FormHost&) = delete;

    void Create(ui::Form& form) override;
    void Destroy(ui::Form& form) override;
    void Show(ui::Form& form, bool modal) override;
    void Hide(ui::Form& form) override;
    void Update(ui::Form& form, ui::Control* control) override;
    void Repaint(ui::Form& form) override;
    void SetFocus(ui::Form& form, ui::Control& control) override;
    int TextWidth(ui::Form& form, ui::Control& control, const std::string& text) override;
    void SetTopMost(ui::Form& form) override;
    bool DisableCloseCommand(ui::Form& form) override;
    void SetForeground(ui::Form& form) override;
    void DoEvents() override;
    void DoPaintEvents(ui::Form& form) override;
    void PopupMenu(ui::Form& form, ui::MenuItem& menu) override;
    bool AddTrayIcon(ui::Form& form, const std::string& tip) override;
    bool RemoveTrayIcon(ui::Form& form) override;

    // The program's message loop: runs until WM_QUIT and returns its code.
    int Run();
    // One message through the forms' key handling and the dialog manager.
    void Dispatch(MSG& message);

    // The window of a form and of one of its controls; null when not made.
    HWND WindowOf(const ui::Form& form) const;
    HWND ControlWindowOf(const ui::Form& form, const ui::Control& control) const;

    // A pop-up menu of the item's visible sub-items (command id = item id;
    // a caption "-" is a separator; the icon's menu items get their access
    // keys here). The caller destroys it.
    static HMENU BuildMenu(const ui::MenuItem& item);
    // The item with the id among the sub-items (at any depth), or null.
    static ui::MenuItem* FindMenuItem(ui::MenuItem& item, int id);

private:
    using Window = host::HostWindow;
    struct ModalFrame {
        const ui::Form* form;
        std::vector<HWND> disabled;
    };
    class Busy;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(Window& w, UINT message, WPARAM wParam, LPARAM lParam);
    void Command(Window& w, int id, int code);
    void Push(Window& w, ui::Control& control);
    void PushFont(Window& w, ui::Control& control, HWND child);
    void PushToolTip(Window& w, ui::Control& control, HWND child);
    void PushBounds(Window& w, ui::Control& control, HWND child);
    void KeepFocusUsable(Window& w);
    static ui::Control* ControlOfWindow(Window& w, HWND child);
    bool NotifyTray(Window& w, DWORD action);
    bool PreTranslate(MSG& message);
    void EndModal(const ui::Form& form);
    void GiveFocus(Window& w);
    void Retire(Window* w);
    Window* Find(const ui::Form& form) const;
    Window* FindByHandle(HWND hwnd) const;

    HINSTANCE instance_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    UINT taskbarCreated_ = 0;
    std::map<const ui::Form*, std::unique_ptr<Window>> windows_;
    // Windows of unloaded forms, freed when no handler of theirs is running.
    std::vector<std::unique_ptr<Window>> retired_;
    int busy_ = 0;
    // Inside DoPaintEvents (and the move loop it may start): the icon's
    // messages are dropped, they would run a handler inside the busy one.
    int paintingOnly_ = 0;
    std::vector<ModalFrame> modal_;
    // The key already offered to Form_KeyDown while the dialog manager turns
    // it into IDOK or IDCANCEL.
    int offeredKey_ = 0;
};

}  // namespace tollervy::win32
