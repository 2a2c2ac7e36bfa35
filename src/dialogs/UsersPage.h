// The users page of the settings dialog (tab "ユーザ"): the users known to
// the program's own logon, edited in memory and written to the user file
// when the dialog saves.
#pragma once
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class LervIni;

enum UsersPageIds : int {
    IdFrameUser = 750,
    IdFrameUseUser = 751,
    IdListUser = 752,
    IdFrameUserIni = 753,
    IdLabelUserName = 754,
    IdTextUserName = 755,
    IdLabelUserPass = 756,
    IdTextUserPass = 757,
    IdCheckUserUse = 758,
    IdCommandUserAdd = 759,
    IdCommandUserChange = 760,
    IdCommandUserDelete = 761,
    IdCheckUseUser = 762,
};

class UsersPage {
public:
    UsersPage(ui::Form& form, LervIni& dialog);

    ui::Frame FrameUser;
    ui::Frame FrameUseUser;
    ui::ListBox ListUser;
    ui::Frame FrameUserIni;
    ui::Label LabelUserName;
    ui::TextBox TextUserName;
    ui::Label LabelUserPass;
    ui::TextBox TextUserPass;
    ui::CheckBox CheckUserUse;
    ui::CommandButton CommandUserAdd;
    ui::CommandButton CommandUserChange;
    ui::CommandButton CommandUserDelete;
    ui::CheckBox CheckUseUser;

    // Builds the user list from the profile names and the user file.
    void LoadUserList();
    void ListUser_Click();
    void TextUserName_Change();
    void TextUserPass_Change();
    void CheckUserUse_Click();
    void UpdateUserButtons();
    bool IsNewUserName();
    void CommandUserAdd_Click();
    void CommandUserChange_Click();
    void CommandUserDelete_Click();
    void CheckUseUser_Click();
    // Writes the user file (when the list was edited).
    void SaveUserFile();

private:
    // The row text of a record.
    static std::string RowText(bool inUse, const std::string& name);
    // True when the name can name a folder of the data store and the user
    // file and the settings file can keep name and password as they are;
    // shows the reason otherwise.
    bool StorableUser(const std::string& name, const std::string& password);
    // True when another record than `except` already has the name.
    bool NameTaken(const std::string& name, int except) const;

    LervIni& dialog_;
    bool mblnUserLoading = false;
};

}  // namespace tollervy
