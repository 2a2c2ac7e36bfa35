// A form: a window's state and its event handlers. Forms are created once and
// loaded on first use; the FormHost makes the real window.
#pragma once
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace tollervy::ui {

class FormHost;

class Form {
public:
    // `templateId` names the window layout (the dialog template of the
    // resources); `name` is the form's name.
    Form(FormHost& host, std::string name, int templateId);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }
    int TemplateId() const { return templateId_; }
    FormHost& Host() const { return host_; }
    const std::vector<Control*>& Controls() const { return controls_; }
    const std::vector<MenuItem*>& Menu() const { return menu_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // Position and size in pixels. The host fills them in from the template
    // when the window is made; setting them moves the window.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Move(int left, int top);
    void SetBounds(int left, int top, int width, int height);  // used by the host
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    bool Loaded() const { return loaded_; }
    // Loads the form if needed: the host makes the window (hidden) and
    // Form_Load runs.
    void Load();
    // Shows the form without an owner and returns at once.
    void Show();
    // Shows the form modally: returns when the form is hidden or unloaded.
    void ShowModal();
    void Hide();
    // Runs Form_QueryUnload, and when that agrees, Form_Unload, and destroys
    // the window. Nothing happens when the form is not loaded.
    void Unload();
    // Repaints the window at once.
    void Refresh();

    // Event handlers.
    virtual void Form_Load() {}
    // Asked before every unload (the close box, Alt+F4 and code alike):
    // false keeps the form loaded.
    virtual bool Form_QueryUnload() { return true; }
    virtual void Form_Unload() {}
    virtual void Form_Paint() {}
    // The Windows session is ending (log-off or shut-down). The default
    // unloads the form.
    virtual void Form_EndSession() { Unload(); }
    // A key before the focused control sees it; return true when handled.
    // Keys are Windows virtual keys (13 Enter, 27 Escape).
    virtual bool Form_KeyDown(int /*virtualKey*/) { return false; }
    // A message from the form's notification-area icon (the mouse message
    // number, such as 0x203 for a left double click).
    virtual void Form_TrayMessage(int /*mouseMessage*/) {}

protected:
    void Add(Control& control) { controls_.push_back(&control); }
    void AddMenu(MenuItem& item) { menu_.push_back(&item); }

private:
    friend class Control;
    FormHost& host_;
    std::string name_;
    int templateId_;
    std::vector<Control*> controls_;
    std::vector<MenuItem*> menu_;
    std::string caption_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = false;
    bool loaded_ = false;
    bool created_ = false;
    bool unloading_ = false;  // Form_QueryUnload or Form_Unload runs
    bool loading_ = false;    // Form_Load runs
    bool hiddenWhileLoading_ = false;
};

// What a form asks of the windowing system. The Win32 layer implements it with
// real windows; tests implement it with scripted behaviour.
class FormHost {
public:
    virtual ~FormHost() = default;
    // Make the window from the form's template (hidden) and bind the controls.
    virtual void Create(Form& form) = 0;
    virtual void Destroy(Form& form) = 0;
    // Show the window; modal runs a loop until the form is hidden or unloaded.
    virtual void Show(Form& form, bool modal) = 0;
    virtual void Hide(Form& form) = 0;
    // The state of a control (or of the form itself when control is null)
    // changed: make the window follow.
    virtual void Update(Form& form, Control* control) = 0;
    virtual void Repaint(Form& form) = 0;
    virtual void SetFocus(Form& form, Control& control) = 0;
    // The width in pixels of `text` in the control's font.
    virtual int TextWidth(Form& form, Control& control, const std::string& text) = 0;
    // SetWindowPos HWND_TOPMOST without moving, sizing or activating.
    virtual void SetTopMost(Form& form) = 0;
    // Removes Close from the window's system menu; true when it was removed.
    virtual bool DisableCloseCommand(Form& form) = 0;
    virtual void SetForeground(Form& form) = 0;
    // Lets pending window messages run.
    virtual void DoEvents() = 0;
    // While the program is busy inside a handler: lets the program's windows
    // paint what is invalid and the form's window be moved by its frame. Input for
    // any other window waits in the queue, so that no handler runs again
    // inside the busy one.
    virtual void DoPaintEvents(Form& form) = 0;
    // Shows a menu item's sub-items as a pop-up menu at the mouse position;
    // the chosen item's Click runs before this returns.
    virtual void PopupMenu(Form& form, MenuItem& menu) = 0;
    // The notification-area icon owned by the form (uID 1): add or remove.
    virtual bool AddTrayIcon(Form& form, const std::string& tip) = 0;
    virtual bool RemoveTrayIcon(Form& form) = 0;
};

}  // namespace tollervy::ui
