// The hidden form that owns the notification-area icon of the resident
// program and its pop-up menu.
#pragma once
#include "ui/Form.h"

namespace tollervy {

class Forms;
struct Context;

enum FormMenuIds : int {
    IdMnuTask = 301,
    IdMnuIni = 302,
    IdMnuEnd = 303,
};

// Mouse messages the icon reports.
inline constexpr int TrayLeftDoubleClick = 0x203;
inline constexpr int TrayRightButtonDown = 0x204;

class FormMenu : public ui::Form {
public:
    explicit FormMenu(Forms& forms);

    ui::MenuItem mnuTask;
    ui::MenuItem mnuIni;
    ui::MenuItem mnuEnd;

    // Puts the icon up (called directly by the logon phase and the settings
    // dialog; also the form's load event). A second add changes nothing.
    void Form_Load() override;
    // Takes the icon down; the form stays loaded.
    void Form_Unload() override;
    void Form_TrayMessage(int mouseMessage) override;
    // The session is ending: the main window's exit path does the work.
    void Form_EndSession() override {}

    void mnuIni_Click();
    void mnuEnd_Click();

private:
    Forms& forms_;
    Context& c_;
};

}  // namespace tollervy
