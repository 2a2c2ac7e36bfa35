// The program as the README shows it: installed under Program Files on a
// family's PC with the profile layout of Windows XP, one Windows account
// (tools/test runs this with USER=佐藤) shared by 青木, 佐藤 and Ken, a file
// list of the kind people keep (My Documents, a program's folder under
// Application Data, a game's saves by pattern). 青木 logs on, the switch
// runs with its progress window, the program stays in the
// notification area; its settings dialog is opened from the icon's menu and
// every page and small dialog is photographed; one entry is removed; the
// menu's "終了" puts 佐藤's files back. tools/docs-screens takes its
// screenshots into docs/screens/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

#include <commctrl.h>

using namespace e2e;

namespace {

// Control ids: logon dialog, settings dialog, its pages, pickers, data choice.
enum : int {
    kLogOnUser = 204, kLogOnPassword = 206, kLogOnOk = 207,
    kTab = 401, kOk = 402, kCancel = 403, kApply = 404,
    kStartText0 = 510, kStartCheck0 = 520, kStartButton0 = 530,
    kFileList = 601, kFilePath = 602, kFilePathGet = 603, kFileDelete = 605,
    kListUser = 752, kUserName = 755,
    kFilePickerFiles = 1003, kFilePickerCancel = 1006, kDirPickerCancel = 1104,
    kDataUse = 906,
};

const std::string kProfiles = "C:\\Documents and Settings";
const std::string kStartUpTail = "\\スタート メニュー\\プログラム\\スタートアップ";

void SelectTab(HWND dialog, int index) {
    SendDlgItemMessageW(dialog, kTab, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
}

std::vector<std::string> ListRows(HWND dialog, int id) {
    std::vector<std::string> rows;
    const LRESULT count = SendDlgItemMessageW(dialog, id, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        if (SendDlgItemMessageW(dialog, id, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 511) continue;
        SendDlgItemMessageW(dialog, id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(Utf8(text));
    }
    return rows;
}

// A person's files: `owner`'s text in each, and `photos` pictures.
Tree MyDocuments(const std::string& owner, int photos) {
    Tree t = {{"手紙.txt", Content(owner, "手紙")}, {"家計簿.csv", Content(owner, "家計簿", 3000)}, {"写真\\", ""}};
    for (int i = 1; i <= photos; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "写真\\旅行%03d.jpg", i);
        t[name] = Content(owner, name, 40000);
    }
    return t;
}
Tree Mail(const std::string& owner) {
    return {{"prefs.ini", Content(owner, "prefs")}, {"Mail\\", ""}, {"Mail\\Inbox", Content(owner, "Inbox", 20000)}};
}

// Whether two pixels of a screenshot (TOLLERVY_SCREENS\<name>.bmp, 24-bit,
// bottom-up) differ; true when no screenshots are taken.
bool PixelsDiffer(const std::string& name, POINT a, POINT b) {
    if (GetConfig().screens.empty()) return true;
    std::string bmp;
    if (!ReadBytes(GetConfig().screens + "\\" + name + ".bmp", bmp) || bmp.size() < 54) return false;
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    std::memcpy(&fh, bmp.data(), sizeof fh);
    std::memcpy(&ih, bmp.data() + sizeof fh, sizeof ih);
    const std::size_t stride = (static_cast<std::size_t>(ih.biWidth) * 3 + 3) & ~std::size_t{3};
    const auto at = [&](POINT pt) -> std::string {
        if (pt.x < 0 || pt.y < 0 || pt.x >= ih.biWidth || pt.y >= ih.biHeight) return "";
        const std::size_t offset = fh.bfOffBits + stride * static_cast<std::size_t>(ih.biHeight - 1 - pt.y) +
                                   static_cast<std::size_t>(pt.x) * 3;
        return offset + 3 <= bmp.size() ? bmp.substr(offset, 3) : "";
    };
    const std::string pa = at(a), pb = at(b);
    return !pa.empty() && !pb.empty() && pa != pb;
}

class Docs : public Scenario {
protected:
    std::string InstallFolder() const override { return "C:\\Program Files\\Tollervy"; }

    void SetUp() override {
        Scenario::SetUp();
        if (HasFatalFailure()) return;
        for (const std::string& p : {std::string("All Users"), LoginName()})
            ASSERT_TRUE(MakeFolders(kProfiles + "\\" + p + kStartUpTail));
        folders_.push_back(std::make_unique<ShellFolder>(false, L"Startup", Own() + kStartUpTail));
        folders_.push_back(
            std::make_unique<ShellFolder>(false, L"Programs", Own() + "\\スタート メニュー\\プログラム"));
        folders_.push_back(
            std::make_unique<ShellFolder>(true, L"Common Startup", kProfiles + "\\All Users" + kStartUpTail));
        for (const auto& f : folders_) ASSERT_TRUE(f->ok()) << "cannot point the shell folders at the profile tree";
    }
    void TearDown() override {
        folders_.clear();
        RemoveTree(kProfiles);
        RemoveTree("C:\\Games");
    }

    std::string Own() const { return kProfiles + "\\" + LoginName(); }
    std::string MyDocs() const { return Own() + "\\My Documents\\"; }
    std::string MailFolder() const { return Own() + "\\Application Data\\Mailer\\"; }
    static std::string Saves() { return "C:\\Games\\Save"; }

private:
    std::vector<std::unique_ptr<ShellFolder>> folders_;
};

TEST_F(Docs, AFamilysPcAsTheReadmeShowsIt) {
    const std::string me = LoginName();
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=1\nAllWay=1\nTask=1\n[Logon]\nUse=1\n[Last]\nUser=" + me +
                                "\nMessage=0\n[Delete]\nCheck=0\n[User]\nUse=1\n" +
                                FileSection({{"F1", MyDocs()}, {"F2", MailFolder()}, {"F3", Saves() + "\\*.sav"}})));
    ASSERT_TRUE(inst().MakeDataStore());
    ASSERT_TRUE(inst().WriteUserFile({"青木,aoki,1", me + ",sato,1", "Ken,ken,1"}));
    // In place: the account holder's files. Stored: 青木's, with many photos
    // (a switch of a few seconds), and the common copies.
    const Tree mine = MyDocuments(me, 3), mineMail = Mail(me);
    const Tree mySaves = {{"slot1.sav", Content(me, "slot1")}, {"config.ini", Content("設定", "config")}};
    ASSERT_TRUE(WriteTree(MyDocs(), mine) && WriteTree(MailFolder(), mineMail) && WriteTree(Saves(), mySaves));
    const Tree aoki = MyDocuments("青木", 400), aokiMail = Mail("青木");
    ASSERT_TRUE(WriteTree(inst().StorePath("青木", "F1"), aoki));
    ASSERT_TRUE(WriteTree(inst().StorePath("青木", "F2"), aokiMail));
    ASSERT_TRUE(WriteTree(inst().StorePath("青木", "F3"), {{"slot1.sav", Content("青木", "slot1")}}));
    for (const char* key : {"F1", "F2", "F3"}) ASSERT_TRUE(MakeFolders(inst().StorePath("All Users", key)));

    // Windows starts the program: 青木 logs on.
    Process p;
    ASSERT_TRUE(Start(p, ""));
    HWND logon = WaitForDialog(p, "ログオン情報", kWait);
    ASSERT_NE(logon, nullptr) << "no logon dialog";
    EXPECT_EQ(ControlText(logon, kLogOnUser), me);
    ASSERT_TRUE(SetControlText(logon, kLogOnUser, "青木"));
    ASSERT_TRUE(SetControlText(logon, kLogOnPassword, "aoki"));
    LetPaint(logon);
    ASSERT_TRUE(Screenshot(Shot("logon"), logon));
    ASSERT_TRUE(PostClick(logon, kLogOnOk));

    // The progress window while 青木's files are put in place.
    HWND main = nullptr;
    const bool restoring = WaitUntil(
        [&] {
            main = MainWindow(p);
            return !p.Running() || (main && WindowTitle(GetDlgItem(main, 101)) == "青木の情報を回復中" &&
                                    WindowTitle(GetDlgItem(main, 102)).find("旅行") != std::string::npos);
        },
        kRun, 5);
    if (!restoring) Screenshot(Shot("switch-not-seen"));
    ASSERT_TRUE(restoring && p.Running()) << "the restoring of 青木's photos was not seen: "
                                          << (main ? WindowTitle(GetDlgItem(main, 101)) + " / " +
                                                         WindowTitle(GetDlgItem(main, 102))
                                                   : "no main window");
    // The window is repainted whole now and then: photograph it until the
    // picture shows the bar's filled part.
    RECT window{}, bar{};
    GetWindowRect(main, &window);
    GetWindowRect(GetDlgItem(main, 103), &bar);
    const int y = (bar.top + bar.bottom) / 2 - window.top;
    bool shown = false;
    for (int attempt = 0; attempt < 50 && !shown && p.Running(); ++attempt) {
        ASSERT_TRUE(Screenshot(Shot("switch"), main));
        shown = PixelsDiffer(Shot("switch"), {bar.left + 3 - window.left, y}, {bar.right - 4 - window.left, y});
        if (!shown) Sleep(20);
    }
    EXPECT_TRUE(shown) << "no picture of the progress window showed its bar";
    ASSERT_NE(WaitResident(p, {"F1", "F2", "F3"}, "青木"), nullptr);
    EXPECT_EQ(TreeDifference(aoki, ReadTree(MyDocs())), "");
    EXPECT_EQ(TreeDifference(mine, ReadTree(inst().StorePath(me, "F1"))), "");
    // The pattern takes the saves only; the game's own settings stay.
    EXPECT_EQ(TreeDifference({{"slot1.sav", Content("青木", "slot1")}, {"config.ini", Content("設定", "config")}},
                             ReadTree(Saves())),
              "");

    // The icon's menu, then its "設定".
    POINT at;
    ASSERT_TRUE(WaitUntil([&] { return OnlyTrayIconPoint(at); }, kWait)) << "the taskbar shows no icon";
    // The pointer away from the icon, so no tool tip covers the bar.
    SetCursorPos(512, 200);
    Sleep(800);
    ASSERT_TRUE(Screenshot(Shot("tray")));
    HWND menu = OpenIconMenu(p, at);
    ASSERT_NE(menu, nullptr) << "no menu at the icon";
    LetPaint(menu);
    ASSERT_TRUE(Screenshot(Shot("icon-menu")));
    ASSERT_TRUE(ClickMenuItem(menu, 0, 2));
    HWND dialog = WaitForDialog(p, "Tollervy - [設定]", kWait);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not open";

    // Start-up: the account's and the common Start-up folder of the XP
    // profile tree; the adding row's "..." opens the folder picker.
    SelectTab(dialog, 0);
    std::vector<std::string> startUps;
    for (int i = 0; i < 10 && ControlText(dialog, kStartButton0 + i) == "x"; ++i)
        startUps.push_back(ControlText(dialog, kStartText0 + i));
    EXPECT_EQ(startUps, (std::vector<std::string>{kProfiles + "\\All Users" + kStartUpTail, Own() + kStartUpTail}));
    ASSERT_TRUE(PressButton(dialog, kStartCheck0 + 1));  // the account's own: applied below
    LetPaint(dialog);
    ASSERT_TRUE(Screenshot(Shot("settings-startup"), dialog));
    ASSERT_TRUE(PostClick(dialog, kStartButton0 + static_cast<int>(startUps.size())));
    HWND picker = WaitForDialog(p, "フォルダの選択", kWait);
    ASSERT_NE(picker, nullptr) << "the folder picker did not open";
    LetPaint(picker);
    ASSERT_TRUE(Screenshot(Shot("folder-picker"), picker));
    ASSERT_TRUE(PostClick(picker, kDirPickerCancel));
    ASSERT_TRUE(WaitWindowGone(picker, kWait));

    // The file list; the "..." opens the file picker at the typed folder.
    SelectTab(dialog, 1);
    EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{MyDocs(), MailFolder(), Saves() + "\\*.sav"}));
    LetPaint(dialog);
    ASSERT_TRUE(Screenshot(Shot("settings-files"), dialog));
    ASSERT_TRUE(SetControlText(dialog, kFilePath, MyDocs()));
    ASSERT_TRUE(PostClick(dialog, kFilePathGet));
    picker = WaitForDialog(p, "ファイルの選択", kWait);
    ASSERT_NE(picker, nullptr) << "the file picker did not open";
    EXPECT_EQ(ListRows(picker, kFilePickerFiles), (std::vector<std::string>{"家計簿.csv", "手紙.txt"}));
    LetPaint(picker);
    ASSERT_TRUE(Screenshot(Shot("file-picker"), picker));
    ASSERT_TRUE(PostClick(picker, kFilePickerCancel));
    ASSERT_TRUE(WaitWindowGone(picker, kWait));
    ASSERT_TRUE(SetControlText(dialog, kFilePath, ""));

    for (const auto& [tab, name] : std::vector<std::pair<int, std::string>>{{2, "options"}, {3, "users"}, {4, "version"}}) {
        SelectTab(dialog, tab);
        if (tab == 3) {  // each name with its mark of a user in use; 青木's shown
            std::vector<std::string> users = ListRows(dialog, kListUser);
            const auto aoki = std::find(users.begin(), users.end(), "■ 青木");
            ASSERT_NE(aoki, users.end());
            HWND rows = GetDlgItem(dialog, kListUser);
            SendMessageW(rows, LB_SETCURSEL, static_cast<WPARAM>(aoki - users.begin()), 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kListUser, LBN_SELCHANGE), reinterpret_cast<LPARAM>(rows));
            EXPECT_EQ(ControlText(dialog, kUserName), "青木");
            std::sort(users.begin(), users.end());
            EXPECT_EQ(users, (std::vector<std::string>{"■ Ken", "■ " + me, "■ 青木"}));
        }
        LetPaint(dialog);
        ASSERT_TRUE(Screenshot(Shot("settings-" + name), dialog));
    }

    // The mail folder leaves the list: Apply asks whose copy stays in place.
    SelectTab(dialog, 1);
    HWND list = GetDlgItem(dialog, kFileList);
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    ASSERT_TRUE(PostClick(dialog, kFileDelete));
    HWND box = WaitForMessageBox(p, "Tollervy", kWait);
    ASSERT_NE(box, nullptr) << "removing a row asks nothing";
    EXPECT_EQ(MessageText(box), MailFolder() + "を\r\nリストから削除しますか?");
    ASSERT_TRUE(PressButton(box, IDOK));
    ASSERT_TRUE(WaitWindowGone(box, kWait));
    EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{MyDocs(), Saves() + "\\*.sav"}));
    ASSERT_TRUE(PostClick(dialog, kApply));
    HWND choice = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : p.VisibleWindows(L"#32770"))
                if (GetDlgItem(w, kDataUse) && IsWindowVisible(GetDlgItem(w, kDataUse))) choice = w;
            return choice != nullptr || !p.Running();
        },
        kWait);
    ASSERT_NE(choice, nullptr) << "the data choice dialog did not appear";
    EXPECT_EQ(ControlText(choice, 902), MailFolder());
    LetPaint(choice);
    ASSERT_TRUE(Screenshot(Shot("data-choice"), choice));
    ASSERT_TRUE(PostClick(choice, kDataUse));  // 青木's copy stays
    ASSERT_TRUE(WaitWindowGone(choice, kWait));
    ASSERT_TRUE(PostClick(dialog, kCancel));
    ASSERT_TRUE(WaitWindowGone(dialog, kWait));
    EXPECT_EQ(inst().IniValue("File", "F2"), std::nullopt);
    EXPECT_TRUE(FileExists(Own() + kStartUpTail + "\\Tollervy.lnk")) << "Apply did not register the program";

    // "終了": 佐藤's files come back where the list still switches them.
    ASSERT_TRUE(WaitUntil([&] { return OnlyTrayIconPoint(at); }, kWait)) << "the icon did not come back";
    menu = OpenIconMenu(p, at);
    ASSERT_NE(menu, nullptr) << "no menu at the icon";
    ASSERT_TRUE(ClickMenuItem(menu, 1, 2));
    RunResult r = RunToEnd(p, kRun, Shot("exit"));
    ASSERT_TRUE(r.ended) << "the program did not end from its menu";
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    EXPECT_EQ(TreeDifference(mine, ReadTree(MyDocs())), "");
    EXPECT_EQ(TreeDifference(mySaves, ReadTree(Saves())), "");
    EXPECT_EQ(TreeDifference(aokiMail, ReadTree(MailFolder())), "") << "the removed entry was switched";
}

}  // namespace
