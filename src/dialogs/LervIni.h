// The settings dialog: a tab strip over five pages, OK, Cancel and Apply. It
// loads every page from the settings file, writes back only what changed,
// asks its closing questions and then ends the program or lets it stay
// resident.
//
// Each page is a class of its own (its controls and handlers, in its own
// file); the dialog derives from all five, so every control is a member of
// the dialog by its own name.
#pragma once
#include <string>

#include "dialogs/FileListPage.h"
#include "dialogs/HelpPage.h"
#include "dialogs/OptionsPage.h"
#include "dialogs/StartUpPage.h"
#include "dialogs/UsersPage.h"
#include "settings/Context.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class Forms;

// Control ids of the dialog's frame (resources/resource.h holds the same).
enum LervIniIds : int {
    IdIniTab = 401,
    IdOkIniBtn = 402,
    IdCancelIniBtn = 403,
    IdSetIniBtn = 404,
};

class LervIni : public ui::Form,
                public StartUpPage,
                public FileListPage,
                public OptionsPage,
                public UsersPage,
                public HelpPage {
public:
    explicit LervIni(Forms& forms);

    ui::TabStrip IniTab;
    ui::CommandButton OkIniBtn;
    ui::CommandButton CancelIniBtn;
    ui::CommandButton SetIniBtn;

    void Form_Load() override;
    // The closing checks: false cancels the close (the dialog stays open).
    bool Form_QueryUnload() override;
    void Form_Unload() override;
    bool Form_KeyDown(int virtualKey) override;
    // The Windows session ends: the dialog closes without its questions.
    void Form_EndSession() override { ForceClose(); }

    void IniTab_Click();
    void OkIniBtn_Click();
    void SetIniBtn_Click();
    void CancelIniBtn_Click();

    // Closes the dialog without its questions; the program ends.
    void ForceClose();
    // Saves every changed setting; true when everything was saved.
    bool SaveSettings();

    Forms& forms() { return forms_; }
    Context& context() { return c_; }

private:
    void LoadSettings();

    Forms& forms_;
    Context& c_;
};

}  // namespace tollervy
