// The program's own logon dialog: a user name and a password, checked against
// the user list. Its outcome is the value it leaves in CurrentUserName: the
// accepted name after OK, "\" (no registered user) after Cancel.
#pragma once
#include <string>

#include "settings/Context.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class Forms;

// Control ids of the logon dialog's template.
enum FormLogOnIds : int {
    IdLabelLogonInfo = 201,
    IdPictureIcon = 202,
    IdLabelLogonUser = 203,
    IdTextLogonUser = 204,
    IdLabelLogonPass = 205,
    IdTextLogonPass = 206,
    IdCommandOK = 207,
    IdCommandCancel = 208,
};

// The refusal shown for an unknown user, a switched-off user or a wrong
// password alike.
inline constexpr const char* LogonRefusedMessage =
    "ログオンできません。ユーザ名を確認して、もう一度パスワードを入力してください。"
    "パスワードは大文字と小文字が区別されます";
inline constexpr const char* LogonMessageCaption = "ログオンメッセージ";
// Exclamation icon, OK only; not system modal.
inline constexpr unsigned LogonRefusedStyle = 48;

class FormLogOn : public ui::Form {
public:
    explicit FormLogOn(Forms& forms);

    ui::Label LabelLogonInfo;
    ui::PictureBox PictureIcon;
    ui::Label LabelLogonUser;
    ui::TextBox TextLogonUser;
    ui::Label LabelLogonPass;
    ui::TextBox TextLogonPass;
    ui::CommandButton CommandOK;
    ui::CommandButton CommandCancel;

    void Form_Load() override;
    void Form_Paint() override;
    bool Form_KeyDown(int virtualKey) override;
    void CommandOK_Click();
    void CommandCancel_Click();

private:
    void CloseDialog();

    Forms& forms_;
    Context& c_;
    // The user box is filled and the focus placed at the first paint after
    // each load; later repaints (after the refusal box, say) keep what the
    // user typed.
    bool mblnFilled = false;
};

}  // namespace tollervy
