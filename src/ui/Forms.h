// The one object that owns every form of the program and creates each on
// first use. Forms reach each other only through it. This header names the
// forms without their definitions, so every form folder can include it
// without reaching up; the object itself is made at the top (driver/).
#pragma once
#include <memory>
#include <string>

namespace tollervy {

struct Context;
class StatusDisplay;
class TollervyMain;
class FormLogOn;
class FormMenu;
class LervIni;
class FormDelete;
class FilePathFrm;
class DirPathFrm;

namespace ui {
class Form;
class FormHost;
class Label;
}  // namespace ui

// Window layout (dialog template) ids of the forms.
enum FormTemplate : int {
    TemplateTollervyMain = 100,
    TemplateFormLogOn = 200,
    TemplateFormMenu = 300,
    TemplateLervIni = 400,
    TemplateFormDelete = 900,
    TemplateFilePathFrm = 1000,
    TemplateDirPathFrm = 1100,
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
    tollervy::LervIni& LervIni();
    tollervy::FormDelete& FormDelete();
    tollervy::FilePathFrm& FilePathFrm();
    tollervy::DirPathFrm& DirPathFrm();

    // What the forms ask of each other.

    // The main window as a form (to hide, show or unload it).
    ui::Form& MainWindow();
    // The main window's file line, whose font follows the Japanese-path
    // option.
    ui::Label& MainFileLine();
    // The main window as the engine's progress display.
    StatusDisplay& MainStatus();
    // Unloads the main window: the program ends through its exit path.
    void EndProgram();
    // The same from the icon menu's "終了" (so its exit restore is told as
    // the menu's).
    void EndProgramFromMenu();
    // Switches from one user's copies to another's (the main window's switch
    // with its progress display); false when it could not start at all.
    bool SwitchUsers(const std::string& before, std::string& after);
    // The user of the previous run, as the logon dialog offers it.
    std::string LogonDisplayName();
    // Puts the notification-area icon up.
    void ShowTrayIcon();
    // Opens the settings dialog without an owner.
    void ShowSettingsDialog();

private:
    std::unique_ptr<tollervy::TollervyMain> main_;
    std::unique_ptr<tollervy::FormLogOn> logOn_;
    std::unique_ptr<tollervy::FormMenu> menu_;
    std::unique_ptr<tollervy::LervIni> lervIni_;
    std::unique_ptr<tollervy::FormDelete> formDelete_;
    std::unique_ptr<tollervy::FilePathFrm> filePathFrm_;
    std::unique_ptr<tollervy::DirPathFrm> dirPathFrm_;
};

}  // namespace tollervy
