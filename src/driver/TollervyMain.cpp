#include "driver/TollervyMain.h"

#include "ui/Forms.h"
#include "platform/Text.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "engine/PathUtil.h"
#include "engine/EngineText.h"
#include "engine/SharedItems.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "users/UserList.h"

namespace tollervy {

namespace {
constexpr int VkShift = 16;
constexpr const char* AllUsers = "All Users";
constexpr const char* NoUser = "\\";
}  // namespace

TollervyMain::TollervyMain(Forms& forms)
    : ui::Form(forms.host, "TollervyMain", TemplateTollervyMain),
      StatusMess(*this, IdStatusMess, "StatusMess"),
      StatusDetail(*this, IdStatusDetail, "StatusDetail"),
      StatusBar(*this, IdStatusBar, "StatusBar"),
      forms_(forms),
      c_(forms.context) {
    SetCaption(ProgramTitle);
    StatusBar.SetRange(0, 100);
}

void TollervyMain::Form_Load() {
    GrobalMod& s = c_.state;

    // Only one instance: the second one ends without touching anything.
    if (c_.system.PreviousInstance()) {
        secondInstance_ = true;
        ShowMessage(c_, "複数起動はできません", StyleStop);
        Unload();
        return;
    }

    const bool shiftHeld = c_.system.AsyncKeyState(VkShift) != 0;

    // Parked just beyond the right edge of the screen: the window comes into
    // view only when a switch shows its progress.
    Move(c_.system.ScreenWidth(), Top());
    DisableCloseCommand(*this);

    s.IniFilePath = JoinPath(c_.system.ProgramFolder(), std::string(ProgramTitle) + ".ini");
    s.DataFolderPath = JoinPath(c_.system.ProgramFolder(), "Data");
    s.SharedStorePath = ReadSharedStoreSetting(c_);

    s.StartDebug = ReadIniValue(c_, keys::StartDebug);
    if (!ReadIniValue(c_, keys::StartNowUser).empty())
        ShowDebugMessage(c_, "前回、異常終了しています", StyleInformation);

    s.LastErrorNext = ParseErrorNext(ReadIniValue(c_, keys::LastErrorNext));
    s.StartAllWay = ReadIniValue(c_, keys::StartAllWay);
    s.StartTask = ReadIniValue(c_, keys::StartTask);

    s.OsVersionTag = GetOsVersionTag(c_);
    ShowDebugMessage(c_, "OSバージョン : " + s.OsVersionTag, StyleInformation);
    if (s.OsVersionTag == "XXX") {
        ShowMessage(c_, "このOSのバージョンには対応していません", StyleStop);
        fatalAtStart_ = true;
        Unload();
        return;
    }

    s.CurrentUserName = GetLoginUserName(c_);

    // The first write of the run is also the test that the settings file
    // can be written at all.
    if (!WriteIniValue(c_, keys::StartNowUser, s.CurrentUserName)) {
        ShowMessage(c_, "書き込み権限がありません\r\n致命的なエラーです\r\n\r\n" + s.IniFilePath, StyleStop);
        fatalAtStart_ = true;
        Unload();
        return;
    }

    // A PC of a shared store works with the list every PC shares.
    if (UsesSharedStore(c_) && SharedStoreReachable(c_) && !TakeSharedItems(c_)) {
        ShowMessage(c_, std::string(engine_text::StoreUnreachable) + "\r\n\r\n" + SharedItemsPath(c_), StyleStop);
        fatalAtStart_ = true;
        Unload();
        return;
    }

    if (shiftHeld) {
        forms_.ShowSettingsDialog();
        return;
    }

    const std::string command = text::TrimRight(c_.system.CommandLine());
    if (!command.empty()) {
        ShowDebugMessage(c_, "Command\r\n[" + command + "]", StyleInformation);
        const QuotedName quoted = ParseQuotedName(command);
        if (quoted.isQuoted) {
            if (ReadIniValue(c_, keys::StartStarted) == "0") {
                forms_.ShowSettingsDialog();
                return;
            }
            // A name that cannot be a user's folder in the data store is
            // ignored like any other unrecognised command line. So is one
            // that the settings file cannot hold: [Last] User would name
            // someone else; the person is told why.
            if (quoted.usable && !FitsAnsiCodePage(c_, quoted.name)) {
                ShowMessage(c_, OutsideCodePageMessage(quoted.name), StyleStop);
            } else if (quoted.usable) {
                s.CurrentUserName = quoted.name;
            }
        }
        if (command == "-s") {
            forms_.ShowSettingsDialog();
            return;
        }
    }

    RunLogOn();
}

TollervyMain::QuotedName TollervyMain::ParseQuotedName(const std::string& command) {
    QuotedName q;
    if (text::Length(command) < 3 || command.front() != '"' || command.back() != '"') return q;
    q.isQuoted = true;
    q.name = command.substr(1, command.size() - 2);
    // The name goes to [Last] User: it must read back as itself.
    q.usable = IsValidName(q.name) && IsStoreUserName(q.name) && ReadsBackUnchanged(q.name);
    return q;
}

void TollervyMain::Form_Unload() {
    // A refused second instance ends without touching anything.
    if (secondInstance_) c_.system.EndProcess(0);

    GrobalMod& s = c_.state;
    if (option::StaysResident(s.StartAllWay) && !fatalAtStart_) {
        std::string last = ReadIniValue(c_, keys::LastUser.section, keys::LastUser.key, "");
        if (last.empty()) last = AllUsers;
        SetData(s.CurrentUserName, last);
    }
    WriteIniValue(c_, keys::StartNowUser, "");
    c_.system.EndProcess(0);
}

void TollervyMain::SetPhaseText(const std::string& text) {
    StatusMess.SetCaption(text);
    ShowProgressNow();
}

void TollervyMain::SetDetailText(const std::string& text) {
    // The item's last file gets on the window before the line is cleared.
    if (text.empty() && !detailPainted_ && Visible()) PaintProgress(lastPaint_);
    detail_ = text;
    detailPainted_ = text.empty();
    progressPending_ = true;
}

void TollervyMain::SetBar(float value) {
    bar_ = value;
    progressPending_ = true;
}

void TollervyMain::MakeVisible() {
    if (Visible()) return;
    PushProgress();
    Show();
    Refresh();
    lastPaint_ = wholeFrom_ = lastWholePaint_ = c_.system.TickCount();
}

void TollervyMain::Repaint() {
    if (!Visible()) return;
    // Unsigned difference: right across the tick count's wrap. Even with
    // nothing new the window is painted and can be moved at that rate.
    const std::uint32_t now = c_.system.TickCount();
    if (now - lastPaint_ >= PaintInterval) PaintProgress(now);
}

void TollervyMain::ShowProgressNow() {
    PushProgress();
    if (Visible()) Refresh();
    lastPaint_ = wholeFrom_ = lastWholePaint_ = c_.system.TickCount();
}

void TollervyMain::PushProgress() {
    if (!progressPending_) return;
    StatusDetail.SetCaption(ShortenStatusLine(detail_));
    StatusBar.SetValue(bar_);
    progressPending_ = false;
    if (!detail_.empty()) detailPainted_ = true;
}

void TollervyMain::PaintProgress(std::uint32_t now) {
    // The controls whose state changed have asked to be painted. The whole
    // window is repainted too for a while after it came on screen or got a
    // phase line (a window just mapped under Wine may not have been told
    // what to paint yet), and then once every WholePaintInterval.
    PushProgress();
    if (now - wholeFrom_ < WholePaintInterval || now - lastWholePaint_ >= WholePaintInterval) {
        Refresh();
        lastWholePaint_ = now;
    }
    Host().DoPaintEvents(*this);
    lastPaint_ = c_.system.TickCount();
}

}  // namespace tollervy
