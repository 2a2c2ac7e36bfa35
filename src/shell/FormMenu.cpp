#include "shell/FormMenu.h"

#include "ui/Forms.h"
#include "settings/Environment.h"

namespace tollervy {

FormMenu::FormMenu(Forms& forms)
    : ui::Form(forms.host, "FormMenu", TemplateFormMenu),
      mnuTask(IdMnuTask, "mnuTask", "タスクトレイ"),
      mnuIni(IdMnuIni, "mnuIni", "設定"),
      mnuEnd(IdMnuEnd, "mnuEnd", "終了"),
      forms_(forms),
      c_(forms.context) {
    SetCaption("Menu");
    mnuTask.Items = {&mnuIni, &mnuEnd};
    mnuIni.OnClick = [this] { mnuIni_Click(); };
    mnuEnd.OnClick = [this] { mnuEnd_Click(); };
    AddMenu(mnuTask);
}

void FormMenu::Form_Load() {
    Hide();
    mnuTask.SetVisible(false);
    Host().AddTrayIcon(*this, ProgramTitle);
    c_.state.TrayIconData = true;
}

void FormMenu::Form_Unload() {
    if (!c_.state.TrayIconData) return;
    Host().RemoveTrayIcon(*this);
    c_.state.TrayIconData = false;
}

void FormMenu::Form_TrayMessage(int mouseMessage) {
    if (mouseMessage == TrayLeftDoubleClick) {
        mnuIni_Click();
    } else if (mouseMessage == TrayRightButtonDown) {
        // The hidden window must be in the foreground, or the menu would not
        // close when the user clicks elsewhere.
        Host().SetForeground(*this);
        Host().DoEvents();
        Host().PopupMenu(*this, mnuTask);
    }
}

void FormMenu::mnuIni_Click() {
    // The icon goes before the dialog opens, so that it is never left behind
    // when the dialog's road ends the program.
    Form_Unload();
    forms_.ShowSettingsDialog();
}

void FormMenu::mnuEnd_Click() {
    Form_Unload();
    forms_.EndProgramFromMenu();
}

}  // namespace tollervy
