// The switch run: the copies in place are saved as the previous user's, then
// the next user's copies are put in place, with the progress display.
#include "driver/TollervyMain.h"
#include "engine/SaveRestore.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

void TollervyMain::SetData(const std::string& instrBeforUser, std::string& iostrAfterUser) {
    GrobalMod& s = c_.state;
    if (iostrAfterUser.empty()) iostrAfterUser = "All Users";
    ShowDebugMessage(c_, "User\r\n" + instrBeforUser + "→" + iostrAfterUser, StyleInformation);
    if (instrBeforUser != "\\" && iostrAfterUser == instrBeforUser) return;

    s.DeleteReadOnly = ReadIniValue(c_, keys::DeleteReadOnly);
    s.StartStatus = ReadIniValue(c_, keys::StartStatus);

    if (s.StartStatus == "1") {
        Move((c_.system.ScreenWidth() - Width()) / 2, (c_.system.ScreenHeight() - Height()) / 2);
    }

    StatusDisplay* previousStatus = c_.status;
    c_.status = this;
    if (SaveUserData(c_, instrBeforUser)) {
        const std::string target = iostrAfterUser == "\\" ? std::string("All Users") : iostrAfterUser;
        RestoreUserData(c_, target, instrBeforUser);
    }
    c_.status = previousStatus;
}

}  // namespace tollervy
