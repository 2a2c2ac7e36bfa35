#include "dialogs/UsersPage.h"

#include <algorithm>
#include <initializer_list>

#include "dialogs/LervIni.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "users/UserList.h"

namespace tollervy {

namespace {

constexpr unsigned StyleOkCancelQuestion = 4129;

}  // namespace

bool UsersPage::StorableUser(const std::string& name, const std::string& password) {
    Context& c = dialog_.context();
    // The name becomes a folder of the data store, and the user file and
    // [Last] User keep it in the system code page: each reason a name cannot
    // be kept as it is has its own message.
    if (const std::string refusal = NameRefusal(name); !refusal.empty()) {
        ShowMessage(c, refusal, StyleStop);
        return false;
    }
    for (const std::string* text : {&name, &password}) {
        if (!FitsAnsiCodePage(c, *text)) {
            ShowMessage(c, OutsideCodePageMessage(*text), StyleStop);
            return false;
        }
    }
    return true;
}

UsersPage::UsersPage(ui::Form& form, LervIni& dialog)
    : FrameUser(form, IdFrameUser, "FrameUser"),
      FrameUseUser(form, IdFrameUseUser, "FrameUseUser"),
      ListUser(form, IdListUser, "ListUser"),
      FrameUserIni(form, IdFrameUserIni, "FrameUserIni"),
      LabelUserName(form, IdLabelUserName, "LabelUserName"),
      TextUserName(form, IdTextUserName, "TextUserName"),
      LabelUserPass(form, IdLabelUserPass, "LabelUserPass"),
      TextUserPass(form, IdTextUserPass, "TextUserPass"),
      CheckUserUse(form, IdCheckUserUse, "CheckUserUse"),
      CommandUserAdd(form, IdCommandUserAdd, "CommandUserAdd"),
      CommandUserChange(form, IdCommandUserChange, "CommandUserChange"),
      CommandUserDelete(form, IdCommandUserDelete, "CommandUserDelete"),
      CheckUseUser(form, IdCheckUseUser, "CheckUseUser"),
      dialog_(dialog) {
    FrameUser.Contain(FrameUseUser);
    FrameUseUser.Contain(ListUser);
    FrameUseUser.Contain(FrameUserIni);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&LabelUserName, &TextUserName, &LabelUserPass,
                                                              &TextUserPass, &CheckUserUse, &CommandUserAdd,
                                                              &CommandUserChange, &CommandUserDelete})
        FrameUserIni.Contain(*c);
    FrameUseUser.Contain(CheckUseUser);

    ListUser.SetToolTipText("ユーザの一覧");
    LabelUserName.SetCaption("ユーザ名");
    LabelUserName.SetToolTipText("疑似ログオンするユーザのユーザ名");
    TextUserName.SetToolTipText("疑似ログオンするユーザのユーザ名");
    LabelUserPass.SetCaption("パスワード");
    LabelUserPass.SetToolTipText("現バージョン使用不可");
    TextUserPass.SetToolTipText("現バージョン、使用不可");
    TextUserPass.SetPasswordMasked(true);
    CheckUserUse.SetCaption("使用する");
    CheckUserUse.SetToolTipText("未チェックの場合、このユーザ情報は使用されません");
    CheckUserUse.SetValue(1);
    CommandUserAdd.SetCaption("追加");
    CommandUserAdd.SetToolTipText("上記ユーザ情報を追加します");
    CommandUserAdd.SetEnabled(false);
    CommandUserChange.SetCaption("変更");
    CommandUserChange.SetToolTipText("上記ユーザの変更内容を反映します");
    CommandUserChange.SetEnabled(false);
    CommandUserDelete.SetCaption("削除");
    CommandUserDelete.SetToolTipText("上記ユーザを削除します");
    CommandUserDelete.SetEnabled(false);
    CheckUseUser.SetCaption("未登録のユーザの情報は次回起動時に削除する");
    CheckUseUser.SetToolTipText("許可されたユーザの情報のみ、保存します");

    ListUser.OnClick = [this] { ListUser_Click(); };
    TextUserName.Change = [this] { TextUserName_Change(); };
    TextUserPass.Change = [this] { TextUserPass_Change(); };
    CheckUserUse.OnClick = [this] { CheckUserUse_Click(); };
    CommandUserAdd.OnClick = [this] { CommandUserAdd_Click(); };
    CommandUserChange.OnClick = [this] { CommandUserChange_Click(); };
    CommandUserDelete.OnClick = [this] { CommandUserDelete_Click(); };
    CheckUseUser.OnClick = [this] { CheckUseUser_Click(); };
}

std::string UsersPage::RowText(bool inUse, const std::string& name) { return (inUse ? "■ " : "□ ") + name; }

void UsersPage::LoadUserList() {
    GrobalMod& s = dialog_.context().state;
    s.UserList.clear();
    s.UserCount = 0;
    s.UserListChanged = false;
    for (const std::string& name : s.ProfileUserNames) {
        if (name.empty()) continue;  // the spare element at the end
        UserRecord r;
        r.Name = name;
        r.Password = "";
        r.IsProfileUser = true;
        r.InUse = true;
        s.UserList.push_back(r);
    }
    LoadUserFile(dialog_.context());
    ListUser.Clear();
    for (int i = 0; i < s.UserCount; ++i) {
        const UserRecord& r = s.UserList[static_cast<std::size_t>(i)];
        ListUser.AddItem(RowText(r.InUse, r.Name));
    }
}

void UsersPage::ListUser_Click() {
    const GrobalMod& s = dialog_.context().state;
    const int i = ListUser.ListIndex();
    if (i < 0 || i >= static_cast<int>(s.UserList.size())) return;
    const UserRecord& r = s.UserList[static_cast<std::size_t>(i)];
    mblnUserLoading = true;
    TextUserName.SetText(r.Name);
    TextUserPass.SetText(r.Password);
    CheckUserUse.SetValue(r.InUse ? 1 : 0);
    mblnUserLoading = false;
    CommandUserDelete.SetEnabled(!r.IsProfileUser);
    TextUserName.SetEnabled(true);
    CommandUserAdd.SetEnabled(false);
}

void UsersPage::TextUserName_Change() {
    if (!mblnUserLoading) UpdateUserButtons();
}

void UsersPage::TextUserPass_Change() {
    if (!mblnUserLoading) UpdateUserButtons();
}

void UsersPage::CheckUserUse_Click() {
    if (!mblnUserLoading) UpdateUserButtons();
}

bool UsersPage::IsNewUserName() {
    const GrobalMod& s = dialog_.context().state;
    const std::string& name = TextUserName.Text();
    for (int i = 0; i < s.UserCount && i < static_cast<int>(s.UserList.size()); ++i)
        if (s.UserList[static_cast<std::size_t>(i)].Name == name) return false;
    return true;
}

bool UsersPage::NameTaken(const std::string& name, int except) const {
    // Names compare as Windows compares folder names: a second user whose
    // name differs only in the case of its letters (Latin, full-width, Greek,
    // Cyrillic) would share the first one's folder in the data store.
    Context& c = dialog_.context();
    const GrobalMod& s = c.state;
    const std::string folded = c.system.UpperCase(name);
    for (int i = 0; i < s.UserCount && i < static_cast<int>(s.UserList.size()); ++i)
        if (i != except && c.system.UpperCase(s.UserList[static_cast<std::size_t>(i)].Name) == folded) return true;
    return false;
}

void UsersPage::UpdateUserButtons() {
    const GrobalMod& s = dialog_.context().state;
    CommandUserAdd.SetEnabled(false);
    CommandUserChange.SetEnabled(false);
    CommandUserDelete.SetEnabled(false);

    const std::string& name = TextUserName.Text();
    if (!name.empty()) {
        if (!IsValidName(name)) {
            ShowMessage(dialog_.context(), InvalidNameMessage(), StyleStop);
            return;
        }
        if (IsNewUserName()) CommandUserAdd.SetEnabled(true);
    }
    const int i = ListUser.ListIndex();
    if (i < 0 || i >= static_cast<int>(s.UserList.size())) return;
    if (IsNewUserName()) return;

    const UserRecord& r = s.UserList[static_cast<std::size_t>(i)];
    if (name != r.Name && !r.IsProfileUser) {
        CommandUserChange.SetEnabled(true);
        return;
    }
    if (TextUserPass.Text() != r.Password) {
        CommandUserChange.SetEnabled(true);
        return;
    }
    if ((r.InUse && CheckUserUse.Value() == 0) || (!r.InUse && CheckUserUse.Value() == 1))
        CommandUserChange.SetEnabled(true);
}

void UsersPage::CommandUserAdd_Click() {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    const std::string name = TextUserName.Text();
    if (!StorableUser(name, TextUserPass.Text())) return;
    // Two users of one name (or of names Windows takes for one folder) would
    // share one store.
    if (NameTaken(name, -1)) {
        ShowMessage(c, "同じ名前のユーザがすでに登録されています\r\n\r\n" + name, StyleStop);
        return;
    }
    if (s.UserCount >= MaxUserCount) {
        ShowMessage(c, "これ以上ユーザを追加できません", StyleStop);
        return;
    }
    const bool inUse = CheckUserUse.Value() == 1;
    ListUser.AddItem(RowText(inUse, name));
    s.UserCount = static_cast<std::int16_t>(s.UserCount + 1);
    const int n = ListUser.ListCount() - 1;
    s.UserList.resize(static_cast<std::size_t>(n) + 1);
    UserRecord& r = s.UserList[static_cast<std::size_t>(n)];
    r.Name = name;
    r.Password = TextUserPass.Text();
    r.IsProfileUser = false;
    r.InUse = inUse;
    mblnUserLoading = true;
    ListUser.SetListIndex(n);
    CommandUserAdd.SetEnabled(false);
    CommandUserChange.SetEnabled(false);
    CommandUserDelete.SetEnabled(true);
    mblnUserLoading = false;
    s.UserListChanged = true;
}

void UsersPage::CommandUserChange_Click() {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    const int i = ListUser.ListIndex();
    if (i < 0 || i >= static_cast<int>(s.UserList.size())) return;
    const std::string name = TextUserName.Text();
    if (!StorableUser(name, TextUserPass.Text())) return;
    // A user never takes another user's name: both would share one store.
    if (NameTaken(name, i)) {
        ShowMessage(c, "同じ名前のユーザがすでに登録されています\r\n\r\n" + name, StyleStop);
        return;
    }
    UserRecord& r = s.UserList[static_cast<std::size_t>(i)];
    const bool inUse = CheckUserUse.Value() == 1;
    ListUser.SetList(i, RowText(inUse, name));
    r.Name = name;
    r.Password = TextUserPass.Text();
    r.InUse = inUse;
    mblnUserLoading = true;
    CommandUserAdd.SetEnabled(false);
    CommandUserChange.SetEnabled(false);
    CommandUserDelete.SetEnabled(!r.IsProfileUser);
    mblnUserLoading = false;
    s.UserListChanged = true;
}

void UsersPage::CommandUserDelete_Click() {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    const int i = ListUser.ListIndex();
    if (i < 0 || i >= static_cast<int>(s.UserList.size())) return;
    const std::string question = s.UserList[static_cast<std::size_t>(i)].Name + "を\r\nリストから削除しますか?";
    if (c.messages.Show(question, ProgramTitle, StyleOkCancelQuestion) != platform::AnswerOK) return;

    // The user's stored copies stay in the data store: a user of that name
    // added again gets them back.
    s.UserList.erase(s.UserList.begin() + i);
    s.UserCount = static_cast<std::int16_t>(s.UserList.size());
    ListUser.Clear();
    for (const UserRecord& r : s.UserList) ListUser.AddItem(RowText(r.InUse, r.Name));

    mblnUserLoading = true;
    CheckUserUse.SetValue(1);
    TextUserName.SetText("");
    TextUserPass.SetText("");
    CommandUserDelete.SetEnabled(false);
    mblnUserLoading = false;
    s.UserListChanged = true;
}

void UsersPage::CheckUseUser_Click() {
    // The option shows, and governs the editing, only while the logon dialog
    // is used; without it the users stay editable.
    if (!CheckUseUser.Visible()) return;
    const bool on = CheckUseUser.Value() == 1;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&ListUser, &FrameUserIni, &CheckUserUse, &LabelUserName,
                                                              &TextUserName, &LabelUserPass, &TextUserPass})
        c->SetEnabled(on);
    if (on) return;
    CommandUserAdd.SetEnabled(false);
    CommandUserChange.SetEnabled(false);
    CommandUserDelete.SetEnabled(false);
}

void UsersPage::SaveUserFile() { tollervy::SaveUserFile(dialog_.context()); }

}  // namespace tollervy
