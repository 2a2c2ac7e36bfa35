#include "users/FormLogOn.h"

#include "ui/Forms.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "users/UserList.h"

namespace tollervy {

namespace {
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;
// The marker of "no registered user".
constexpr const char* NoUser = "\\";
}  // namespace

FormLogOn::FormLogOn(Forms& forms)
    : ui::Form(forms.host, "FormLogOn", TemplateFormLogOn),
      LabelLogonInfo(*this, IdLabelLogonInfo, "LabelLogonInfo"),
      PictureIcon(*this, IdPictureIcon, "PictureIcon"),
      LabelLogonUser(*this, IdLabelLogonUser, "LabelLogonUser"),
      TextLogonUser(*this, IdTextLogonUser, "TextLogonUser"),
      LabelLogonPass(*this, IdLabelLogonPass, "LabelLogonPass"),
      TextLogonPass(*this, IdTextLogonPass, "TextLogonPass"),
      CommandOK(*this, IdCommandOK, "CommandOK"),
      CommandCancel(*this, IdCommandCancel, "CommandCancel"),
      forms_(forms),
      c_(forms.context) {
    SetCaption("ログオン情報");
    LabelLogonInfo.SetCaption("ユーザ名とパスワードを入力してください。");
    LabelLogonUser.SetCaption("ユーザ名 :");
    LabelLogonPass.SetCaption("パスワード :");
    TextLogonPass.SetPasswordMasked(true);
    CommandOK.SetCaption("OK");
    CommandCancel.SetCaption("キャンセル");
    CommandOK.OnClick = [this] { CommandOK_Click(); };
    CommandCancel.OnClick = [this] { CommandCancel_Click(); };
}

void FormLogOn::Form_Load() {
    // A freshly loaded dialog starts empty, as its template does.
    TextLogonUser.SetText("");
    TextLogonPass.SetText("");
    mblnFilled = false;

    ui::Font font;
    font.charset = 128;
    font.face = option::UsesJapaneseFace(c_.state.StartJapanese) ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック";
    TextLogonUser.SetFont(font);
    SetTopMost(*this);
}

void FormLogOn::Form_Paint() {
    LoadUserFile(c_);
    if (mblnFilled) return;
    mblnFilled = true;

    const std::string last = forms_.LogonDisplayName();
    if (last.empty() || last == NoUser) {
        // The operating-system user, when registered with a password.
        if (CheckLogon(c_, c_.state.CurrentUserName, "") == LogonWrongPassword)
            TextLogonUser.SetText(c_.state.CurrentUserName);
    } else {
        TextLogonUser.SetText(last);
    }
    if (TextLogonUser.Text().empty()) TextLogonUser.SetFocus();
    else TextLogonPass.SetFocus();
}

bool FormLogOn::Form_KeyDown(int virtualKey) {
    if (virtualKey == KeyEnter) {
        CommandOK_Click();
        return true;
    }
    if (virtualKey == KeyEscape) {
        CommandCancel_Click();
        return true;
    }
    return false;
}

void FormLogOn::CommandOK_Click() {
    const std::string name = TextLogonUser.Text();
    if (name.empty()) return;
    if (CheckLogon(c_, name, TextLogonPass.Text()) != LogonAccepted) {
        c_.messages.Show(LogonRefusedMessage, LogonMessageCaption, LogonRefusedStyle);
        TextLogonPass.SetFocus();
        return;
    }
    c_.state.CurrentUserName = name;
    CloseDialog();
}

void FormLogOn::CommandCancel_Click() {
    c_.state.CurrentUserName = NoUser;
    CloseDialog();
}

void FormLogOn::CloseDialog() {
    Hide();
    Unload();
}

}  // namespace tollervy
