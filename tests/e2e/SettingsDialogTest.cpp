// The settings dialog as a person meets it: the first start of a fresh
// folder opens it, its tabs show one page each, options and users set
// through its controls reach Tollervy.ini and Data\User.dat, the closing
// questions keep the dialog open on the page that needs attention, and the
// keyboard works as in any Windows dialog.
#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Scenario.h"

#include <commctrl.h>

using namespace e2e;

namespace {

const char* const kDialogTitle = "Tollervy - [設定]";

// Control ids of the dialog's layout.
enum : int {
    kTab = 401, kOk = 402, kCancel = 403, kApply = 404, kStartPath0 = 510, kCheckStartPath0 = 520,
    kLogOnNo = 702, kLogOnYes = 703, kStatus = 704, kEnd = 705, kDeleteCheck = 707, kReadOnly = 710,
    kErrorIgnore = 712, kErrorEnd = 713, kErrorAsk = 714, kJapanese = 715, kShared = 720, kSharedPick = 721,
    kListUser = 752, kUserName = 755, kUserPass = 757, kUserUse = 758,
    kUserAdd = 759, kUserChange = 760, kUserDelete = 761, kUseUser = 762,
    kHelp = 801, kVersion = 805, kLog = 807, kBackup = 808,
};

const char* const kNotRegistered = "スタートアップにTollervyを登録しない場合";
const char* const kNoFiles = "Tollervyにて使い分けるファイルを設定しない場合";
const char* const kShiftQuestion = "「Shift」キーを押しながら起動することで";

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Checked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
int SelectedTab(HWND dialog) { return static_cast<int>(SendDlgItemMessageW(dialog, kTab, TCM_GETCURSEL, 0, 0)); }

// Selects a tab (0-based) as a click on it does.
void SelectTab(HWND dialog, int index) {
    SendDlgItemMessageW(dialog, kTab, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
}

const char* const kTabNames[] = {"startup", "files", "options", "users", "version"};

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 511);
    return text;
}

// The access key of a control's text: the X of "(&X)", or 0.
wchar_t AccessKey(const std::wstring& text) {
    const std::size_t at = text.find(L"(&");
    return at != std::wstring::npos && at + 3 < text.size() && text[at + 3] == L')' ? towupper(text[at + 2]) : 0;
}

// The visible controls of the dialog, in their order (the Tab order).
std::vector<HWND> VisibleControls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsWindowVisible(h)) controls.push_back(h);
    return controls;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The room a control's text needs, in the dialog's font at the screen's
// resolution: one line for buttons (the access key's "&" not drawn), the
// wrapped height at the control's width for labels.
SIZE TextNeeds(HWND control, int widthForWrapping) {
    std::wstring text = TextOf(control);
    if (const std::size_t amp = text.find(L"(&"); amp != std::wstring::npos) text.erase(amp + 1, 1);
    HDC dc = GetDC(control);
    const int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, widthForWrapping > 0 ? widthForWrapping : 10000, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | (widthForWrapping > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// TCM_ADJUSTRECT on the program's tab strip, with the rectangle in the
// program's own memory: Wine hands the message's pointer to the other
// process as it is, so a pointer into this process had the tab strip write
// into whatever lay at that address in the program (its stack, here).
bool AdjustRectInProgram(HWND strip, RECT& rect) {
    DWORD pid = 0;
    GetWindowThreadProcessId(strip, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool ok = remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    if (ok) SendMessageW(strip, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(remote));
    ok = ok && ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

class SettingsDialog : public Scenario {
protected:
    // The user's Start-up folder is one short path of its own: no profile
    // layout around it, so no profile users, and nothing is written into the
    // prefix's own Start-up folder.
    void SetUp() override {
        Scenario::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(MakeFolders(kStartUp));
        startUp_ = std::make_unique<ShellFolder>(false, L"Startup", kStartUp);
        ASSERT_TRUE(startUp_->ok());
    }
    static constexpr const char* kStartUp = "C:\\e2e-StartUp";
    std::unique_ptr<ShellFolder> startUp_;

    // Starts the program and waits for its settings dialog.
    HWND Open(Process& p, const std::string& args) {
        if (!Start(p, args)) return nullptr;
        HWND dialog = WaitForDialog(p, kDialogTitle, kWait);
        if (!dialog) ADD_FAILURE() << "no settings dialog";
        return dialog;
    }

    // A set-up installation whose dialog closes without questions, opened
    // with -s.
    HWND OpenQuiet(Process& p) {
        if (!inst().WriteIni("[Start]\nStarted=1\n[Last]\nMessage=0\n") || !inst().MakeDataStore()) {
            ADD_FAILURE() << "the installation could not be prepared";
            return nullptr;
        }
        return Open(p, "-s");
    }

    // Waits for the next message box, checks that its text starts with
    // `start`, photographs it and presses `button`.
    void Answer(const Process& p, const std::string& start, int button, const std::string& shot) {
        HWND box = WaitForMessageBox(p, "Tollervy", kWait);
        ASSERT_NE(box, nullptr) << "no message box starting " << start;
        const std::string text = MessageText(box);
        EXPECT_EQ(text.substr(0, start.size()), start) << text;
        EXPECT_TRUE(IsSystemModal(box)) << text;
        if (!shot.empty()) {
            LetPaint(box);
            Screenshot(Shot(shot));
        }
        ASSERT_TRUE(PressButton(box, button));
        EXPECT_TRUE(WaitWindowGone(box, kWait));
    }

    // The tab order of the visible page: every control the Tab key reaches
    // from the first one until it comes back, with its top edge.
    static std::vector<std::pair<int, int>> TabOrder(HWND dialog) {
        std::vector<std::pair<int, int>> order;
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        for (HWND h = first; h && order.size() < 64;) {
            RECT r;
            GetWindowRect(h, &r);
            order.emplace_back(GetDlgCtrlID(h), r.top);
            h = GetNextDlgTabItem(dialog, h, FALSE);
            if (h == first) break;
        }
        return order;
    }
};

// A fresh folder: the first start opens the dialog. Each tab shows its own
// page only. Options and two users set through the controls, OK, the two
// closing questions answered Yes and the last one No: the settings file and
// the user file hold exactly that, and the program ends.
TEST_F(SettingsDialog, FirstStartOpensItAndOkWritesWhatWasSet) {
    Process p;
    HWND dialog = Open(p, "");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(FolderExists(inst().dataPath())) << "the data store was not made";
    EXPECT_EQ(inst().IniValue("Start", "Started"), std::optional<std::string>("1"));
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("All Users"));
    EXPECT_EQ(SelectedTab(dialog), 0);

    // Each tab shows its page and hides the others.
    for (int tab = 0; tab < 5; ++tab) {
        SelectTab(dialog, tab);
        EXPECT_EQ(SelectedTab(dialog), tab);
        EXPECT_EQ(Visible(dialog, kStatus), tab == 2) << "tab " << tab;
        EXPECT_EQ(Visible(dialog, kListUser), tab == 3) << "tab " << tab;
        EXPECT_EQ(Visible(dialog, kHelp), tab == 4) << "tab " << tab;
        LetPaint(dialog);
        Screenshot(Shot(std::string("tab-") + kTabNames[tab]));
    }
    EXPECT_EQ(ControlText(dialog, kVersion), "Version 1.1.0");

    // The options page as a fresh settings file gives it.
    SelectTab(dialog, 2);
    EXPECT_TRUE(Checked(dialog, kLogOnNo));
    EXPECT_TRUE(Checked(dialog, kStatus));
    EXPECT_TRUE(Checked(dialog, kEnd));
    EXPECT_TRUE(Checked(dialog, kDeleteCheck));
    EXPECT_FALSE(Checked(dialog, kReadOnly));
    EXPECT_TRUE(Checked(dialog, kErrorAsk));
    EXPECT_FALSE(Checked(dialog, kJapanese));
    ASSERT_TRUE(PressButton(dialog, kStatus));
    ASSERT_TRUE(PressButton(dialog, kErrorIgnore));
    ASSERT_TRUE(PressButton(dialog, kJapanese));
    EXPECT_FALSE(Checked(dialog, kErrorAsk));

    // Two users; the second one switched off.
    SelectTab(dialog, 3);
    EXPECT_FALSE(Enabled(dialog, kUserAdd));
    ASSERT_TRUE(SetControlText(dialog, kUserName, "葵"));
    ASSERT_TRUE(SetControlText(dialog, kUserPass, "pw,1"));
    EXPECT_TRUE(Enabled(dialog, kUserAdd));
    ASSERT_TRUE(PressButton(dialog, kUserAdd));
    ASSERT_TRUE(SetControlText(dialog, kUserName, "Ben"));
    ASSERT_TRUE(SetControlText(dialog, kUserPass, ""));
    ASSERT_TRUE(PressButton(dialog, kUserUse));
    ASSERT_TRUE(PressButton(dialog, kUserAdd));
    EXPECT_EQ(SendDlgItemMessageW(dialog, kListUser, LB_GETCOUNT, 0, 0), 2);
    EXPECT_TRUE(Enabled(dialog, kUserDelete));

    // The logon dialog on: the cleanup option shows.
    SelectTab(dialog, 2);
    ASSERT_TRUE(PressButton(dialog, kLogOnYes));
    SelectTab(dialog, 3);
    EXPECT_TRUE(Visible(dialog, kUseUser));
    LetPaint(dialog);
    Screenshot(Shot("users-filled"));

    // The first start proposes the user's Start-up folder; declined here.
    SelectTab(dialog, 0);
    EXPECT_EQ(ControlText(dialog, kStartPath0), kStartUp);
    EXPECT_TRUE(Checked(dialog, kCheckStartPath0));
    ASSERT_TRUE(PressButton(dialog, kCheckStartPath0));

    ASSERT_TRUE(PostClick(dialog, kOk));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNotRegistered, IDYES, "question-startup"));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNoFiles, IDYES, "question-files"));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kShiftQuestion, IDNO, "question-shift"));
    DWORD code = 1;
    ASSERT_TRUE(p.WaitExit(kWait, &code)) << "the program did not end after OK";
    EXPECT_EQ(code, 0u);

    const std::pair<const char*, const char*> written[] = {
        {"Status", "0"}, {"Japanese", "1"}, {"Started", "1"}, {"NowUser", ""}};
    for (const auto& [key, value] : written)
        EXPECT_EQ(inst().IniValue("Start", key), std::optional<std::string>(value)) << "[Start] " << key;
    EXPECT_EQ(inst().IniValue("Last", "ErrorNext"), std::optional<std::string>("0"));
    EXPECT_EQ(inst().IniValue("Last", "Message"), std::optional<std::string>("0"));
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>(LoginName()));
    EXPECT_EQ(inst().IniValue("Logon", "Use"), std::optional<std::string>("1"));
    // Unchanged options are not written at all.
    EXPECT_EQ(inst().IniValue("Delete", "Check"), std::nullopt);
    EXPECT_EQ(inst().IniValue("Delete", "Type"), std::nullopt);
    EXPECT_EQ(inst().IniValue("User", "Use"), std::nullopt);

    std::string users;
    ASSERT_TRUE(ReadBytes(inst().dataPath() + "\\User.dat", users));
    // The comma inside the password is kept as "|" in its field.
    EXPECT_EQ(users, ToCp932("葵,pw|1,1\r\nBen,,0\r\n"));
    EXPECT_FALSE(FileExists(std::string(kStartUp) + "\\Tollervy.lnk")) << "the declined folder got the shortcut";
}

// Cancel asks the closing questions; No keeps the dialog open on the tab that
// needs attention: the start-up tab, then the file tab. Yes to both and to
// the Shift question ends the program without writing a setting.
TEST_F(SettingsDialog, NoToAClosingQuestionReturnsToItsTab) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nUser=" + LoginName() + "\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    Process p;
    HWND dialog = Open(p, "-s");
    ASSERT_NE(dialog, nullptr);

    SelectTab(dialog, 3);
    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNotRegistered, IDNO, ""));
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(dialog) == 0; }, kWait)) << "not back on the start-up tab";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(Visible(dialog, kListUser));

    SelectTab(dialog, 4);
    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNotRegistered, IDYES, ""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNoFiles, IDNO, ""));
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(dialog) == 1; }, kWait)) << "not back on the file tab";
    EXPECT_TRUE(p.Running());
    EXPECT_FALSE(Visible(dialog, kHelp));
    LetPaint(dialog);
    Screenshot(Shot("back-on-files"));

    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNotRegistered, IDYES, ""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNoFiles, IDYES, ""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kShiftQuestion, IDYES, ""));
    ASSERT_TRUE(p.WaitExit(kWait));
    EXPECT_EQ(inst().IniValue("Last", "Message"), std::nullopt);
    EXPECT_EQ(inst().IniValue("Start", "Status"), std::nullopt);
    EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
}

// The help button without readme.txt beside the program: the path of the
// missing file followed by "の表示に失敗しました"; the dialog stays.
TEST_F(SettingsDialog, HelpWithoutTheReadmeSaysWhichFileFailed) {
    Process p;
    HWND dialog = OpenQuiet(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, 4);
    ASSERT_TRUE(PostClick(dialog, kHelp));
    HWND box = WaitForMessageBox(p, "Tollervy", kWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), inst().folder() + "\\readme.txt" + "の表示に失敗しました");
    LetPaint(box);
    Screenshot(Shot("help-failed"));
    ASSERT_TRUE(PressButton(box, IDOK));
    EXPECT_TRUE(WaitWindowGone(box, kWait));
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_TRUE(p.WaitExit(kWait)) << "with Message 0 Cancel ends at once";
}

// A top-level window, of any process, whose title holds `part`.
HWND WindowTitled(const std::string& part) {
    struct Look {
        std::wstring part;
        HWND found;
    } look{Wide(part), nullptr};
    EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* look = reinterpret_cast<Look*>(l);
            wchar_t title[512] = {};
            GetWindowTextW(h, title, 511);
            if (!IsWindowVisible(h) || std::wstring(title).find(look->part) == std::wstring::npos) return TRUE;
            look->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&look));
    return look.found;
}

// The version page's log and backup buttons hand Data\Switch.log and
// Data\Backup to the shell as the help button hands readme.txt: while they
// are missing the failure names each; once there, the log opens in the
// text viewer (".log" a text file, as on Windows XP) and the folder in
// Explorer.
TEST_F(SettingsDialog, LogAndBackupButtonsOpenTheLogAndTheBackupFolder) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.log", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), 16);
    RegCloseKey(key);
    Process p;
    HWND dialog = OpenQuiet(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, 4);
    EXPECT_TRUE(Visible(dialog, kLog) && Visible(dialog, kBackup));
    LetPaint(dialog);
    Screenshot(Shot("version-page"), dialog);
    const std::string log = inst().dataPath() + "\\Switch.log", backup = inst().dataPath() + "\\Backup";
    for (const auto& [button, path] : {std::pair{kLog, log}, std::pair{kBackup, backup}}) {
        ASSERT_TRUE(PostClick(dialog, button));
        HWND box = WaitForMessageBox(p, "Tollervy", kWait);
        ASSERT_NE(box, nullptr) << path;
        EXPECT_EQ(MessageText(box), path + "の表示に失敗しました");
        ASSERT_TRUE(PressButton(box, IDOK));
        EXPECT_TRUE(WaitWindowGone(box, kWait));
    }
    ASSERT_TRUE(WriteBytes(log, "\xEF\xBB\xBF" "2024-01-01 09:00:00 切り替え開始: A → B (Windowsの起動)\r\n"));
    ASSERT_TRUE(MakeFolders(backup + "\\2024-01-01 090000\\B\\F1"));
    for (const auto& [button, title] : {std::pair{kLog, std::string("Switch.log")}, std::pair{kBackup, std::string("Backup")}}) {
        ASSERT_TRUE(PostClick(dialog, button));
        HWND opened = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (opened = WindowTitled(title)) != nullptr; }, kWait)) << title;
        EXPECT_EQ(WaitForMessageBox(p, "Tollervy", 500), nullptr) << title;
        if (!opened) continue;
        LetPaint(opened);
        Screenshot(Shot("opened-" + title));
        PostMessageW(opened, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitWindowGone(opened, kWait));
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.log");
    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_TRUE(p.WaitExit(kWait));
}

// A hand-edited settings file: each option shows what the program does with
// its text (no status window for "2", the fixed-pitch face for "abc", the
// registration copy for "5", a stop for "9", the closing questions for
// "2"), and the texts stay as they are through Apply and the closing.
TEST_F(SettingsDialog, HandEditedOptionsShowWhatTheProgramDoes) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=2\nJapanese=abc\n[Last]\nMessage=2\nErrorNext=9\n"
                                "[Delete]\nType=5\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    Process p;
    HWND dialog = Open(p, "-s");
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, 2);
    constexpr int kRegistrationCopy = 709;
    EXPECT_FALSE(Checked(dialog, kStatus));
    EXPECT_TRUE(Checked(dialog, kJapanese));
    EXPECT_TRUE(Checked(dialog, kRegistrationCopy));
    EXPECT_TRUE(Checked(dialog, kErrorEnd));
    EXPECT_FALSE(Checked(dialog, kErrorAsk));
    EXPECT_TRUE(Checked(dialog, kEnd));
    LetPaint(dialog);
    Screenshot(Shot("options"));
    ASSERT_TRUE(PressButton(dialog, kApply));

    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNotRegistered, IDYES, ""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNoFiles, IDYES, ""));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kShiftQuestion, IDYES, "shift-question"));
    ASSERT_TRUE(p.WaitExit(kWait)) << "the program did not end after the closing questions";
    const std::tuple<const char*, const char*, const char*> kept[] = {
        {"Start", "Status", "2"}, {"Start", "Japanese", "abc"}, {"Last", "Message", "2"},
        {"Last", "ErrorNext", "9"}, {"Delete", "Type", "5"}};
    for (const auto& [section, key, text] : kept)
        EXPECT_EQ(inst().IniValue(section, key), std::optional<std::string>(text)) << section << "/" << key;
}

// The shared folder on the options page: the folder picker fills the box, a
// folder that is not there is refused with its message (the options page
// stays, nothing written), an existing one is written by Apply without its
// final backslash.
TEST_F(SettingsDialog, TheSharedFolderIsPickedRefusedWhenMissingAndWritten) {
    Process p;
    HWND dialog = OpenQuiet(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, 2);
    EXPECT_EQ(ControlText(dialog, kShared), "");
    ASSERT_TRUE(PostClick(dialog, kSharedPick));
    HWND picker = WaitForDialog(p, "フォルダの選択", kWait);
    ASSERT_NE(picker, nullptr) << "the folder picker did not open";
    PostAltKey(picker, 's');  // 選択(&S): the Start-up folder it opens at
    ASSERT_TRUE(WaitWindowGone(picker, kWait));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog, kShared) == kStartUp; }, kWait))
        << ControlText(dialog, kShared);

    ASSERT_TRUE(SetControlText(dialog, kShared, "C:\\e2e-nowhere\\Tollervy"));
    ASSERT_TRUE(PostClick(dialog, kApply));
    ASSERT_NO_FATAL_FAILURE(Answer(p, "共有フォルダが見つかりません", IDOK, "shared-missing"));
    EXPECT_EQ(SelectedTab(dialog), 2);
    EXPECT_EQ(inst().IniValue("Store", "Shared"), std::nullopt);

    ASSERT_TRUE(SetControlText(dialog, kShared, std::string(kStartUp) + "\\"));
    ASSERT_TRUE(PressButton(dialog, kApply));
    EXPECT_TRUE(WaitUntil([&] { return inst().IniValue("Store", "Shared") == std::optional<std::string>(kStartUp); },
                          kWait));
    LetPaint(dialog);
    Screenshot(Shot("options-shared"));
    ASSERT_TRUE(PostClick(dialog, kCancel));
    EXPECT_TRUE(p.WaitExit(kWait)) << "the program did not end after Cancel";
}

// A name typed key by key into the users page's box meets no message on the
// way ("j." and "Aux" are only the start of "j.doe" and "Auxley"); Add then
// adds it, or says why the name cannot be a user's.
TEST_F(SettingsDialog, ANameTypedKeyByKeyMeetsOnlyItsOwnReason) {
    Process p;
    HWND dialog = OpenQuiet(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, 3);
    for (const char* name : {"j.doe", "Auxley", "Aux"}) {
        ASSERT_TRUE(TypeInto(dialog, kUserName, name)) << name;
        EXPECT_EQ(WaitForMessageBox(p, "Tollervy", 1000), nullptr) << "a message while typing " << name;
        EXPECT_TRUE(Enabled(dialog, kUserAdd)) << name;
    }
    LetPaint(dialog);
    Screenshot(Shot("typed"));
    ASSERT_TRUE(PostClick(dialog, kUserAdd));
    ASSERT_NO_FATAL_FAILURE(
        Answer(p, "Windowsが装置に使う名前です\r\nこのユーザ名は使用できません\r\n\r\nAux", IDOK, "device-name"));
    ASSERT_TRUE(TypeInto(dialog, kUserName, "j.doe"));
    ASSERT_TRUE(PressButton(dialog, kUserAdd));
    EXPECT_EQ(SendDlgItemMessageW(dialog, kListUser, LB_GETCOUNT, 0, 0), 1);
    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_TRUE(p.WaitExit(kWait)) << "with Message 0 Cancel ends at once";
}

// The keyboard: Tab goes through each page top to bottom, Escape is Cancel
// and Enter is OK.
TEST_F(SettingsDialog, TabGoesTopToBottomEscapeCancelsEnterSaves) {
    {
        Process p;
        HWND dialog = OpenQuiet(p);
        ASSERT_NE(dialog, nullptr);
        for (int tab : {2, 3, 4}) {
            SelectTab(dialog, tab);
            const auto order = TabOrder(dialog);
            ASSERT_GE(order.size(), 3u) << "tab " << tab;
            // The page's controls come first, top to bottom; the tab strip
            // and the buttons after them.
            std::size_t i = 0;
            for (; i + 1 < order.size() && order[i + 1].first != kTab; ++i)
                EXPECT_LE(order[i].second, order[i + 1].second)
                    << "tab " << tab << ": control " << order[i + 1].first << " comes after " << order[i].first;
            ASSERT_LT(i + 1, order.size()) << "the tab strip is not in the tab order";
        }
        SelectTab(dialog, 2);
        ASSERT_TRUE(PressButton(dialog, kReadOnly));  // an edit that Escape throws away
        PostKey(dialog, VK_ESCAPE);
        ASSERT_TRUE(p.WaitExit(kWait)) << "Escape did not close the dialog";
        EXPECT_EQ(inst().IniValue("Delete", "ReadOnly"), std::nullopt);
    }
    {
        Process p;
        HWND dialog = Open(p, "-s");
        ASSERT_NE(dialog, nullptr);
        SelectTab(dialog, 2);
        ASSERT_TRUE(PressButton(dialog, kReadOnly));
        PostKey(dialog, VK_RETURN);
        ASSERT_TRUE(p.WaitExit(kWait)) << "Enter did not save and close the dialog";
        EXPECT_EQ(inst().IniValue("Delete", "ReadOnly"), std::optional<std::string>("1"));
    }
}

// The access keys: unique among the controls each page shows with the
// dialog's buttons, and each one does what a click on its control does (a
// label's goes to the box it names). The focus starts in the page shown.
TEST_F(SettingsDialog, AccessKeysAreUniqueOnEachPageAndWork) {
    Process p;
    HWND dialog = OpenQuiet(p);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kCheckStartPath0; }, kWait))
        << "the focus starts on control " << FocusedControlId(dialog);

    for (int tab = 0; tab < 5; ++tab) {
        SelectTab(dialog, tab);
        std::map<wchar_t, int> owner;
        for (HWND h : VisibleControls(dialog)) {
            const wchar_t key = AccessKey(TextOf(h));
            if (!key) continue;
            const auto [at, fresh] = owner.emplace(key, GetDlgCtrlID(h));
            EXPECT_TRUE(fresh) << "tab " << kTabNames[tab] << ": controls " << at->second << " and "
                               << GetDlgCtrlID(h) << " share the access key " << static_cast<char>(key);
        }
        EXPECT_TRUE(owner.count(L'C') && owner.count(L'A')) << "tab " << kTabNames[tab];
    }

    SelectTab(dialog, 2);
    EXPECT_FALSE(Checked(dialog, kReadOnly));
    PostAltKey(dialog, 'r');
    EXPECT_TRUE(WaitUntil([&] { return Checked(dialog, kReadOnly); }, kWait)) << "Alt+R";
    PostAltKey(dialog, 'i');
    EXPECT_TRUE(WaitUntil([&] { return Checked(dialog, kErrorIgnore) && !Checked(dialog, kErrorAsk); }, kWait))
        << "Alt+I";
    SelectTab(dialog, 3);
    PostAltKey(dialog, 'u');
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kUserName; }, kWait)) << "Alt+U";
    PostAltKey(dialog, 'p');
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog) == kUserPass; }, kWait)) << "Alt+P";
    LetPaint(dialog);
    Screenshot(Shot("users-access-keys"));

    // Alt+A applies and the dialog stays; Alt+C closes it.
    PostAltKey(dialog, 'a');
    // Apply writes ErrorNext after ReadOnly: both, once it is done.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return inst().IniValue("Delete", "ReadOnly") == std::optional<std::string>("1") &&
                   inst().IniValue("Last", "ErrorNext") == std::optional<std::string>("0");
        },
        kWait))
        << "Alt+A did not apply";
    EXPECT_TRUE(p.Running());
    PostAltKey(dialog, 'c');
    EXPECT_TRUE(p.WaitExit(kWait)) << "Alt+C did not close the dialog";
}

// Every page at the screen's resolution (the prefix's LogPixels; tools/
// screens-dpi runs this at 96 and 120): each control the page shows lies
// inside the tab strip's page area, the buttons inside the dialog, and
// every text fits its control. Photographs each page.
TEST_F(SettingsDialog, EveryPageFitsAtTheScreensResolution) {
    Process p;
    HWND dialog = OpenQuiet(p);
    ASSERT_NE(dialog, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const std::string wanted = EnvVar("TOLLERVY_DPI"); !wanted.empty()) {
        ASSERT_EQ(dpi, std::stoi(wanted)) << "the prefix does not have the resolution asked for";
    }
    const std::string prefix = "dpi" + std::to_string(dpi) + "-";

    HWND strip = GetDlgItem(dialog, kTab);
    RECT client{};
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT page{};
    GetClientRect(strip, &page);
    ASSERT_TRUE(AdjustRectInProgram(strip, page));
    MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&page), 2);
    const int checkBox = MulDiv(18, dpi, 96);  // the box and the gap before a check box's text
    const int buttonEdges = MulDiv(3, dpi, 96);

    for (int tab = 0; tab < 5; ++tab) {
        SelectTab(dialog, tab);
        LetPaint(dialog);
        ASSERT_TRUE(Screenshot(Shot(prefix + kTabNames[tab])));
        // The page's body has the colour of the labels on it: a check box's
        // blank end and the page's last rows, under every control.
        {
            HDC dc = GetDC(nullptr);
            const int in = MulDiv(4, dpi, 96);
            const COLORREF body = GetPixel(dc, page.left + in, page.bottom - in);
            for (HWND h : VisibleControls(dialog)) {
                wchar_t cls[32] = {};
                GetClassNameW(h, cls, 31);
                const LONG kind = static_cast<LONG>(GetWindowLongPtrW(h, GWL_STYLE)) & BS_TYPEMASK;
                if (_wcsicmp(cls, L"Button") != 0 || kind != BS_AUTOCHECKBOX) continue;
                const RECT r = ScreenRect(h);
                EXPECT_EQ(GetPixel(dc, r.right - 2, (r.top + r.bottom) / 2), body)
                    << "tab " << kTabNames[tab] << ": check box " << GetDlgCtrlID(h) << " stands out from its page";
            }
            ReleaseDC(nullptr, dc);
        }
        for (HWND h : VisibleControls(dialog)) {
            const int id = GetDlgCtrlID(h);
            const RECT r = ScreenRect(h);
            const bool onPage = id != kTab && id != kOk && id != kCancel && id != kApply;
            EXPECT_TRUE(Inside(r, onPage ? page : client))
                << "tab " << kTabNames[tab] << ": control " << id << " runs past its " << (onPage ? "page" : "dialog");
            wchar_t cls[32] = {};
            GetClassNameW(h, cls, 31);
            if (TextOf(h).empty()) continue;
            const LONG style = static_cast<LONG>(GetWindowLongPtrW(h, GWL_STYLE));
            const int width = r.right - r.left, height = r.bottom - r.top;
            if (_wcsicmp(cls, L"Static") == 0) {
                EXPECT_LE(TextNeeds(h, width).cy, height) << "tab " << kTabNames[tab] << ": label " << id << " is cut";
            } else if (_wcsicmp(cls, L"Button") == 0) {
                const LONG kind = style & BS_TYPEMASK;
                const bool check = kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON ||
                                   kind == BS_RADIOBUTTON;
                const int room = width - (check ? checkBox : 2 * buttonEdges);
                EXPECT_LE(TextNeeds(h, 0).cx, room) << "tab " << kTabNames[tab] << ": the text of " << id << " is cut";
            }
        }
    }
    ASSERT_TRUE(PostClick(dialog, kCancel));
    EXPECT_TRUE(p.WaitExit(kWait));
}

}  // namespace
