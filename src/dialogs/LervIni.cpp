#include "dialogs/LervIni.h"

#include "engine/PathUtil.h"
#include "engine/SharedItems.h"
#include "engine/SharedStore.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "ui/Forms.h"

namespace tollervy {

namespace {

constexpr int KeyEscape = 27;
constexpr const char* AllUsers = "All Users";
// Yes/No, question icon, second button default, system modal.
constexpr unsigned StyleYesNoSecondDefault = 4388;
// Yes/No, information icon, system modal.
constexpr unsigned StyleYesNoInformation = 4164;

constexpr const char* NotRegisteredQuestion =
    "スタートアップにTollervyを登録しない場合、\r\n特殊な使用方法を用いないと\r\nこのソフトの意味がありません\r\n\r\n"
    "本当に登録しなくてもよろしいですか?";
constexpr const char* NoFilesQuestion =
    "Tollervyにて使い分けるファイルを設定しない場合、\r\nこのソフトの意味が全くありません\r\n\r\n"
    "本当に設定しなくてよろしいですか?";
constexpr const char* ShiftQuestion =
    "「Shift」キーを押しながら起動することで\r\nこの設定画面を表示できます\r\n\r\n\r\n"
    "次回終了時もこれらのメッセージを出力しますか?";

// The tabs in order: caption, key, tool tip.
struct TabSpec {
    const char* caption;
    const char* key;
    const char* toolTip;
};
constexpr TabSpec Tabs[] = {
    {"スタートアップ", "StartUp", "Tollervyを起動するショートカットの設定します"},
    {"ファイル", "FilePath", "ユーザ毎に使い分けるファイルやフォルダを設定します"},
    {"設定", "Ini", "細かい設定を行います"},
    {"ユーザ", "User", "ユーザ情報を設定します"},
    {"バージョン情報", "Help", "バージョン情報等"},
};

// A check box compared with what the program does with its mirror's text;
// when they differ the mirror takes the box's value and the key is written.
// False when that write fails.
bool SaveCheck(Context& c, const ui::CheckBox& box, std::string& mirror, const SettingKey& key,
               bool (*on)(const std::string&), bool* written = nullptr) {
    if (written) *written = false;
    if ((box.Value() == 1) == on(mirror)) return true;
    // The mirror follows the file only once the file holds the value, so a
    // save that failed here writes it again the next time.
    const std::string value = box.Value() == 1 ? "1" : "0";
    if (!WriteIniValue(c, key, value)) return false;
    mirror = value;
    if (written) *written = true;
    return true;
}

int CheckOf(bool on) { return on ? 1 : 0; }

}  // namespace

LervIni::LervIni(Forms& forms)
    : ui::Form(forms.host, "LervIni", TemplateLervIni),
      StartUpPage(*this, *this),
      FileListPage(*this, *this),
      OptionsPage(*this, *this),
      UsersPage(*this, *this),
      HelpPage(*this, *this),
      IniTab(*this, IdIniTab, "IniTab"),
      OkIniBtn(*this, IdOkIniBtn, "OkIniBtn"),
      CancelIniBtn(*this, IdCancelIniBtn, "CancelIniBtn"),
      SetIniBtn(*this, IdSetIniBtn, "SetIniBtn"),
      forms_(forms),
      c_(forms.context) {
    SetCaption("Tollervy - [設定]");
    for (const TabSpec& tab : Tabs) IniTab.AddTab(tab.caption, tab.key, tab.toolTip);
    OkIniBtn.SetCaption("OK");
    OkIniBtn.SetToolTipText("変更された設定内容を保存し、終了します");
    CancelIniBtn.SetCaption("キャンセル");
    CancelIniBtn.SetToolTipText("何もしないで、設定画面を終了します");
    SetIniBtn.SetCaption("適用");
    SetIniBtn.SetToolTipText("変更された設定内容を保存します");
    // Only the first page shows when the dialog is made.
    FrameFileList.SetVisible(false);
    FrameIni.SetVisible(false);
    FrameUser.SetVisible(false);
    FrameHelp.SetVisible(false);

    IniTab.OnClick = [this] { IniTab_Click(); };
    OkIniBtn.OnClick = [this] { OkIniBtn_Click(); };
    CancelIniBtn.OnClick = [this] { CancelIniBtn_Click(); };
    SetIniBtn.OnClick = [this] { SetIniBtn_Click(); };
}

void LervIni::Form_Load() {
    forms_.MainWindow().Hide();
    c_.state.SettingsAbort = false;
    if (c_.state.CurrentUserName.empty()) c_.state.CurrentUserName = AllUsers;
    LoadSettings();
}

void LervIni::LoadSettings() {
    GrobalMod& s = c_.state;
    s.LastMessage = ReadIniValue(c_, keys::LastMessage);

    if (!CheckPathExists(c_, s.DataFolderPath) && !c_.fs.CreateFolder(s.DataFolderPath)) {
        ShowMessage(c_, "書き込み権限がありません\r\n致命的なエラーです\r\n\r\n" + c_.system.ProgramFolder(), StyleStop);
        ForceClose();
        return;
    }

    s.StartStarted = ReadIniValue(c_, keys::StartStarted);
    if (s.StartStarted == "0") {
        if (!WriteIniValue(c_, keys::StartStarted, "1") || !WriteIniValue(c_, keys::LastUser, AllUsers)) {
            ForceClose();
            return;
        }
    }

    s.LogonUse = ReadIniValue(c_, keys::LogonUse);
    // Each control shows what the program does with the stored text.
    OptionLogOn[CheckOf(option::ShowsLogonDialog(s.LogonUse))].SetValue(true);

    s.StartStatus = ReadIniValue(c_, keys::StartStatus);
    CheckStatus.SetValue(CheckOf(option::ShowsStatusWindow(s.StartStatus)));
    CheckEnd.SetValue(CheckOf(option::AsksClosingQuestions(s.LastMessage)));

    s.DeleteCheck = ReadIniValue(c_, keys::DeleteCheck);
    CheckDelete.SetValue(CheckOf(option::SkipsRemovalQuestion(s.DeleteCheck)));
    s.DeleteType = ReadIniValue(c_, keys::DeleteType);
    OptionDelete[CheckOf(option::KeepsRegistrationCopy(s.DeleteType))].SetValue(true);
    if (!option::SkipsRemovalQuestion(s.DeleteCheck)) {
        OptionDelete[0].SetEnabled(false);
        OptionDelete[1].SetEnabled(false);
    }

    s.DeleteReadOnly = ReadIniValue(c_, keys::DeleteReadOnly);
    CheckReadOnly.SetValue(CheckOf(option::ForcesReadOnly(s.DeleteReadOnly)));

    // The value the start-up sequence read (one of the three), not read again
    // here.
    OptionError[s.LastErrorNext >= 0 && s.LastErrorNext <= 2 ? s.LastErrorNext : 1].SetValue(true);

    s.StartJapanese = ReadIniValue(c_, keys::StartJapanese);
    CheckJapanese.SetValue(CheckOf(option::UsesJapaneseFace(s.StartJapanese)));
    ApplyJapaneseFont();

    s.UserUse = ReadIniValue(c_, keys::UserUse);
    CheckUseUser.SetValue(CheckOf(option::DropsUnregistered(s.UserUse)));
    // Setting an unchanged value raises nothing.
    if (CheckUseUser.Value() == 0) CheckUseUser_Click();

    // The resident options as the start-up sequence read them.
    if (!option::StaysResident(s.StartAllWay)) {
        CheckAllway.SetValue(0);
        CheckTask.SetEnabled(false);
    } else {
        CheckAllway.SetValue(1);
        CheckTask.SetEnabled(true);
    }
    CheckTask.SetValue(CheckOf(option::ShowsTrayIcon(s.StartTask)));
    TextShared.SetText(ReadIniValue(c_, keys::StoreShared));

    LoadFileList();
    ScanStartUpFolders();
    LoadUserList();

    if (s.OsVersionTag != "XP")
        c_.shell.AddToRecentDocs(JoinPath(c_.system.ProgramFolder(), std::string(ProgramTitle) + ".exe"));
    ShowVersion();
}

void LervIni::IniTab_Click() {
    ui::Frame* frames[] = {&FrameFileList, &FrameStartUp, &FrameIni, &FrameUser, &FrameHelp};
    for (ui::Frame* frame : frames) frame->SetVisible(false);
    const std::string key = IniTab.SelectedKey();
    if (key == "StartUp") FrameStartUp.SetVisible(true);
    else if (key == "FilePath") FrameFileList.SetVisible(true);
    else if (key == "Ini") FrameIni.SetVisible(true);
    else if (key == "User") FrameUser.SetVisible(true);
    else if (key == "Help") FrameHelp.SetVisible(true);
}

bool LervIni::SaveSettings() {
    GrobalMod& s = c_.state;
    if (!ApplyStartUpRegistration()) return false;

    if (OptionLogOn.Selected() != CheckOf(option::ShowsLogonDialog(s.LogonUse))) {
        const std::string value = OptionLogOn[0].Value() ? "0" : "1";
        if (!WriteIniValue(c_, keys::LogonUse, value)) return false;
        s.LogonUse = value;
    }

    if (!SaveCheck(c_, CheckStatus, s.StartStatus, keys::StartStatus, option::ShowsStatusWindow)) return false;
    if (!SaveCheck(c_, CheckEnd, s.LastMessage, keys::LastMessage, option::AsksClosingQuestions)) return false;
    if (!SaveCheck(c_, CheckDelete, s.DeleteCheck, keys::DeleteCheck, option::SkipsRemovalQuestion)) return false;

    const int deleteType = OptionDelete[0].Value() ? 0 : 1;
    if (deleteType != CheckOf(option::KeepsRegistrationCopy(s.DeleteType))) {
        if (!WriteIniValue(c_, keys::DeleteType, std::to_string(deleteType))) return false;
        s.DeleteType = std::to_string(deleteType);
    }

    if (!SaveCheck(c_, CheckReadOnly, s.DeleteReadOnly, keys::DeleteReadOnly, option::ForcesReadOnly)) return false;

    if (OptionError.Selected() != s.LastErrorNext && OptionError.Selected() >= 0) {
        if (!WriteIniValue(c_, keys::LastErrorNext, std::to_string(OptionError.Selected()))) return false;
        s.LastErrorNext = static_cast<std::int16_t>(OptionError.Selected());
    }

    bool written = false;
    if (!SaveCheck(c_, CheckJapanese, s.StartJapanese, keys::StartJapanese, option::UsesJapaneseFace, &written))
        return false;
    if (written) ApplyJapaneseFont();

    s.UserUse = ReadIniValue(c_, keys::UserUse);
    if (!SaveCheck(c_, CheckUseUser, s.UserUse, keys::UserUse, option::DropsUnregistered)) return false;

    if (s.UserListChanged) {
        SaveUserFile();
        s.UserListChanged = false;
    }

    if (!SaveCheck(c_, CheckAllway, s.StartAllWay, keys::StartAllWay, option::StaysResident, &written)) return false;
    if (written) {
        if (option::StaysResident(s.StartAllWay)) {
            if (!WriteIniValue(c_, keys::LastUser, s.CurrentUserName)) return false;
        } else {
            std::string next = s.CurrentUserName;
            forms_.SwitchUsers(ReadIniValue(c_, keys::LastUser), next);
        }
    }

    if (!SaveCheck(c_, CheckTask, s.StartTask, keys::StartTask, option::ShowsTrayIcon)) return false;
    if (!SaveShared()) {
        IniTab.Select(3);  // the options page
        return false;
    }

    if (!ApplyFileList()) return false;
    // The list every PC of a shared store uses.
    if (!UsesSharedStore(c_)) return true;
    switch (PublishItems(c_)) {
        case PublishResult::Done:
            return true;
        case PublishResult::Busy:
            ShowMessage(c_, "他のパソコンで設定を保存しています\r\nしばらくしてから、もう一度保存してください", StyleStop);
            return false;
        case PublishResult::Changed:
            ShowMessage(c_,
                        "他のパソコンで「ファイル」タブの一覧が変更されています\r\n"
                        "このパソコンでの一覧の変更は共有されず、次の起動でその一覧に置き換わります",
                        StyleStop);
            return false;
        case PublishResult::Failed:
            break;
    }
    ShowMessage(c_, "共有フォルダに接続できません\r\n\r\n" + SharedItemsPath(c_), StyleStop);
    return false;
}

void LervIni::OkIniBtn_Click() {
    if (SaveSettings()) Unload();
}

void LervIni::SetIniBtn_Click() { SaveSettings(); }

void LervIni::CancelIniBtn_Click() { Unload(); }

bool LervIni::Form_KeyDown(int virtualKey) {
    if (virtualKey != KeyEscape) return false;
    CancelIniBtn.Click();
    return true;
}

bool LervIni::Form_QueryUnload() {
    const GrobalMod& s = c_.state;
    if (s.SettingsAbort) return true;
    if (!option::AsksClosingQuestions(s.LastMessage)) return true;

    bool registered = false;
    for (int i = 0; i < s.StartUpCount && i < static_cast<int>(s.StartUpList.size()); ++i)
        if (s.StartUpList[static_cast<std::size_t>(i)].Registered == "1") registered = true;
    if (!registered && c_.messages.Show(NotRegisteredQuestion, ProgramTitle, StyleYesNoSecondDefault) ==
                           platform::AnswerNo) {
        IniTab.Select(1);
        return false;
    }
    if (FileList.ListCount() == 0 &&
        c_.messages.Show(NoFilesQuestion, ProgramTitle, StyleYesNoSecondDefault) == platform::AnswerNo) {
        IniTab.Select(2);
        return false;
    }
    return true;
}

void LervIni::Form_Unload() {
    GrobalMod& s = c_.state;
    if (s.SettingsAbort) {
        forms_.EndProgram();
        return;
    }
    // A write that fails here would leave the program running with no window
    // at all (the main window is hidden, the dialog gone): it ends instead.
    if (option::AsksClosingQuestions(s.LastMessage) &&
        c_.messages.Show(ShiftQuestion, ProgramTitle, StyleYesNoInformation) == platform::AnswerNo) {
        if (!WriteIniValue(c_, keys::LastMessage, "0")) {
            forms_.EndProgram();
            return;
        }
    }

    const std::string last = ReadIniValue(c_, keys::LastUser);
    if (s.CurrentUserName == last || !option::StaysResident(s.StartAllWay)) {
        if (s.StartStarted == "0") WriteIniValue(c_, keys::LastUser, s.CurrentUserName);
        forms_.EndProgram();
        return;
    }
    // Another user than the last one, and resident: the program stays.
    if (option::ShowsTrayIcon(s.StartTask)) forms_.ShowTrayIcon();
    else ShowDebugMessage(c_, "常駐開始", StyleInformation);
}

void LervIni::ForceClose() {
    c_.state.SettingsAbort = true;
    Unload();
}

}  // namespace tollervy
