// The logon and resident phase of the main window: who is the user of this
// run, the switch to that user, and then the end or the resident life.
#include "ui/Forms.h"
#include "driver/TollervyMain.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "users/FormLogOn.h"
#include "users/UserList.h"

namespace tollervy {

namespace {
constexpr const char* NoUser = "\\";
}  // namespace

void TollervyMain::RefuseUnstorableLoginName() {
    // The settings file keeps [Last] User in the ANSI code page: a login name
    // it cannot hold would come back as another name ("?" in place of the
    // missing characters) and the next switch would save the copies in place
    // as nobody's, or as someone else's. Such a person runs as an
    // unregistered user: the common copies, nothing of theirs kept.
    GrobalMod& s = c_.state;
    // So would a name the profile functions change (enclosed in quotes,
    // blanks at its ends, too long).
    if (s.CurrentUserName == NoUser ||
        (FitsAnsiCodePage(c_, s.CurrentUserName) && ReadsBackUnchanged(s.CurrentUserName)))
        return;
    ShowMessage(c_,
                "ログオン名に、このパソコンで保存できない文字が含まれているため、未登録のユーザとして扱います"
                "\r\n\r\n" + s.CurrentUserName,
                StyleStop);
    s.CurrentUserName = NoUser;
}

void TollervyMain::RunLogOn() {
    GrobalMod& s = c_.state;

    // A program that has not been set up goes to the settings dialog first.
    if (ReadIniValue(c_, keys::StartStarted) == "0") {
        forms_.ShowSettingsDialog();
        return;
    }

    const std::string last = ReadIniValue(c_, keys::LastUser);
    mstrLogonDispName = last;

    s.LogonUse = ReadIniValue(c_, keys::LogonUse);
    s.UserUse = ReadIniValue(c_, keys::UserUse);

    std::string next;
    if (option::ShowsLogonDialog(s.LogonUse)) {
        forms_.FormLogOn().ShowModal();
        next = s.CurrentUserName;
    } else {
        RefuseUnstorableLoginName();
        if (!option::DropsUnregistered(s.UserUse)) {
            next = s.CurrentUserName;
        } else {
            LoadUserFile(c_);
            const int answer = CheckLogon(c_, s.CurrentUserName, "");
            next = (answer == 0 || answer == 1) ? s.CurrentUserName : std::string(NoUser);
        }
    }

    SetSwitchCause(option::ShowsLogonDialog(s.LogonUse) ? SwitchCause::LogonDialog : SwitchCause::WindowsStart);
    if (!SetData(last, next)) {
        // Nothing was switched: the previous user's copies are in place and
        // [Last] User keeps naming them.
        s.StartAllWay = "0";
        Unload();
        return;
    }
    logOnDone_ = true;

    // Nothing to put back at exit when the user did not change.
    if (next == last) s.StartAllWay = "0";

    if (!option::StaysResident(s.StartAllWay)) {
        WriteIniValue(c_, keys::LastUser, next);
        Unload();
        return;
    }

    // Resident: [Last] User keeps the start-time user for the exit restore.
    if (option::ShowsTrayIcon(s.StartTask)) {
        forms_.ShowTrayIcon();
    } else {
        ShowDebugMessage(c_, "常駐開始", StyleInformation);
    }
}

}  // namespace tollervy
