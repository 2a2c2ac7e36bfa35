#include "ui/Forms.h"

#include "dialogs/DirPathFrm.h"
#include "dialogs/FilePathFrm.h"
#include "dialogs/FormDelete.h"
#include "dialogs/LervIni.h"
#include "driver/TollervyMain.h"
#include "shell/FormMenu.h"
#include "users/FormLogOn.h"

namespace tollervy {

Forms::Forms(Context& c, ui::FormHost& h) : context(c), host(h) {}

Forms::~Forms() = default;

tollervy::TollervyMain& Forms::TollervyMain() {
    if (!main_) main_ = std::make_unique<tollervy::TollervyMain>(*this);
    return *main_;
}

tollervy::FormLogOn& Forms::FormLogOn() {
    if (!logOn_) logOn_ = std::make_unique<tollervy::FormLogOn>(*this);
    return *logOn_;
}

tollervy::FormMenu& Forms::FormMenu() {
    if (!menu_) menu_ = std::make_unique<tollervy::FormMenu>(*this);
    return *menu_;
}

tollervy::LervIni& Forms::LervIni() {
    if (!lervIni_) lervIni_ = std::make_unique<tollervy::LervIni>(*this);
    return *lervIni_;
}

tollervy::FormDelete& Forms::FormDelete() {
    if (!formDelete_) formDelete_ = std::make_unique<tollervy::FormDelete>(*this);
    return *formDelete_;
}

tollervy::FilePathFrm& Forms::FilePathFrm() {
    if (!filePathFrm_) filePathFrm_ = std::make_unique<tollervy::FilePathFrm>(*this);
    return *filePathFrm_;
}

tollervy::DirPathFrm& Forms::DirPathFrm() {
    if (!dirPathFrm_) dirPathFrm_ = std::make_unique<tollervy::DirPathFrm>(*this);
    return *dirPathFrm_;
}

ui::Form& Forms::MainWindow() { return TollervyMain(); }

ui::Label& Forms::MainFileLine() { return TollervyMain().StatusDetail; }

StatusDisplay& Forms::MainStatus() { return TollervyMain(); }

void Forms::EndProgram() { TollervyMain().Unload(); }

void Forms::EndProgramFromMenu() {
    TollervyMain().SetSwitchCause(SwitchCause::IconMenu);
    TollervyMain().Unload();
}

bool Forms::SwitchUsers(const std::string& before, std::string& after) {
    TollervyMain().SetSwitchCause(SwitchCause::SettingsDialog);
    return TollervyMain().SetData(before, after);
}

std::string Forms::LogonDisplayName() { return TollervyMain().mstrLogonDispName; }

void Forms::ShowTrayIcon() {
    tollervy::FormMenu& menu = FormMenu();
    menu.Load();
    menu.Form_Load();
}

void Forms::ShowSettingsDialog() {
    // Every opening starts from the dialog as its layout makes it, as a
    // form that was unloaded does.
    if (lervIni_ && !lervIni_->Loaded()) lervIni_.reset();
    LervIni().Show();
}

}  // namespace tollervy
