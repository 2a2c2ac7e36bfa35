// The one object that owns every form of the program and creates each on
// first use. Forms reach each other only through it.
#pragma once
#include <memory>

#include "settings/Context.h"
#include "ui/Form.h"

namespace tollervy {

class TollervyMain;
class FormLogOn;
class FormMenu;

// Window layout (dialog template) ids of the forms.
enum FormTemplate : int {
    TemplateTollervyMain = 100,
    TemplateFormLogOn = 200,
    TemplateFormMenu = 300,
};

class Forms {
public:
    Forms(Context& context, ui::FormHost& host);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    Context& context;
    ui::FormHost& host;

    tollervy::TollervyMain& TollervyMain();
    tollervy::FormLogOn& FormLogOn();
    tollervy::FormMenu& FormMenu();

    // Opens the settings dialog without an owner. The dialog is not part of
    // this program yet: until it is, the road that opens it ends the program
    // through the main window's exit path.
    void ShowSettingsDialog();

private:
    std::unique_ptr<tollervy::TollervyMain> main_;
    std::unique_ptr<tollervy::FormLogOn> logOn_;
    std::unique_ptr<tollervy::FormMenu> menu_;
};

}  // namespace tollervy
