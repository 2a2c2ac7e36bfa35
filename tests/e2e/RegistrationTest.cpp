// Start-up registration as a person meets it: the start-up page of the
// settings dialog lists the Start-up folders of an XP-style profile tree,
// a tick and OK put Tollervy.lnk there (read back through the shell's link
// object), and the next Windows start runs what the shortcut says.
//
// Wine's shell folders follow the newer profile layout; each scenario points
// the shell's Startup, Programs and Common Startup folders at a
// "Documents and Settings" tree of its own and puts the old values back.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <commctrl.h>

#include <map>
#include <set>

#include "Scenario.h"

using namespace e2e;

namespace {

const char* kSettingsTitle = "Tollervy - [設定]";
const std::string kTail = "\\スタート メニュー\\プログラム\\スタートアップ";
constexpr int kOk = 402, kCancel = 403;
constexpr int kText0 = 510, kCheck0 = 520, kButton0 = 530, kScroll = 540, kTab = 401, kListUser = 752;

// A shortcut's target, arguments and working folder, read through the
// shell's link object; nullopt when it cannot be read.
struct Link {
    std::string target, arguments, folder;
};
std::optional<Link> ReadLink(const std::string& path) {
    CoInitialize(nullptr);
    std::optional<Link> out;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, args[MAX_PATH] = {}, dir[MAX_PATH] = {};
        if (link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK &&
            SUCCEEDED(link->GetArguments(args, MAX_PATH)) && SUCCEEDED(link->GetWorkingDirectory(dir, MAX_PATH)))
            out = Link{Utf8(target), Utf8(args), Utf8(dir)};
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return out;
}

std::string Upper(std::string s) {
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

std::vector<std::string> ListItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t buf[512] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 511) continue;
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
        items.push_back(Utf8(buf));
    }
    return items;
}

bool Checked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_NORMAL, 2000, &state);
    return state == BST_CHECKED;
}

class Registration : public Scenario {
protected:
    void SetUp() override {
        Scenario::SetUp();
        if (HasFatalFailure()) return;
        profiles_ = Live("Documents and Settings");
        for (const std::string& p : {std::string("All Users"), std::string("Default User"), std::string("Hanako"), LoginName()})
            ASSERT_TRUE(MakeFolders(StartUpOf(p))) << StartUpOf(p);
        values_.push_back(std::make_unique<ShellFolder>(false, L"Startup", StartUpOf(LoginName())));
        values_.push_back(std::make_unique<ShellFolder>(false, L"Programs", ProgramsFolder()));
        values_.push_back(std::make_unique<ShellFolder>(true, L"Common Startup", StartUpOf("All Users")));
        for (const auto& v : values_) ASSERT_TRUE(v->ok()) << "cannot point the shell folders at the profile tree";
        ASSERT_TRUE(inst().MakeDataStore());
    }

    std::string StartUpOf(const std::string& profile) const { return profiles_ + "\\" + profile + kTail; }
    std::string ProgramsFolder() const { return profiles_ + "\\" + LoginName() + "\\スタート メニュー\\プログラム"; }
    std::string Own() const { return StartUpOf(LoginName()); }

    // Opens the settings dialog ("-s", or the first run with no args).
    HWND OpenSettings(Process& p, const std::string& args = "-s") {
        if (!Start(p, args)) return nullptr;
        HWND dialog = WaitForDialog(p, kSettingsTitle, kWait);
        if (!dialog) ADD_FAILURE() << "the settings dialog did not open";
        else LetPaint(dialog);
        return dialog;
    }
    // The rows shown: path -> ticked, and the index of each path's row.
    std::map<std::string, bool> Rows(HWND dialog, std::map<std::string, int>* index = nullptr) {
        std::map<std::string, bool> rows;
        for (int i = 0; i < 10; ++i) {
            if (ControlText(dialog, kButton0 + i) != "x") break;
            const std::string path = ControlText(dialog, kText0 + i);
            rows[path] = Checked(dialog, kCheck0 + i);
            if (index) (*index)[path] = i;
        }
        return rows;
    }
    int RowOf(HWND dialog, const std::string& path) {
        std::map<std::string, int> index;
        Rows(dialog, &index);
        const auto it = index.find(path);
        if (it == index.end()) {
            ADD_FAILURE() << "no row " << path;
            return 0;
        }
        return it->second;
    }
    // Presses a button that closes the dialog and lets the program run to
    // its end without a box.
    void PressAndEnd(Process& p, HWND dialog, int id, const std::string& shot) {
        ASSERT_TRUE(PostClick(dialog, id));
        RunResult r = RunToEnd(p, kRun, Shot(shot));
        ASSERT_TRUE(r.ended) << "the program did not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    }
    void ExpectOurShortcut(const std::string& folder) {
        const std::string lnk = folder + "\\Tollervy.lnk";
        ASSERT_TRUE(FileExists(lnk)) << lnk;
        const auto link = ReadLink(lnk);
        ASSERT_TRUE(link.has_value()) << "the shell cannot read " << lnk;
        EXPECT_EQ(Upper(link->target), Upper(inst().exePath()));
        EXPECT_EQ(link->arguments, "");
    }

private:
    std::string profiles_;
    std::vector<std::unique_ptr<ShellFolder>> values_;
};

// The first run proposes the common Start-up folder alone; the profiles'
// folders are listed unticked ("All Users" is no profile row; "Default
// User" is). Cancel registers nothing.
TEST_F(Registration, TheFirstRunProposesTheCommonFolder) {
    ASSERT_TRUE(inst().WriteIni("[Last]\nMessage=0\n"));
    Process p;
    HWND dialog = OpenSettings(p, "");
    ASSERT_NE(dialog, nullptr);
    Screenshot(Shot("first-run"));

    const std::map<std::string, bool> expected = {{StartUpOf("All Users"), true},
                                                  {StartUpOf("Default User"), false},
                                                  {StartUpOf("Hanako"), false},
                                                  {Own(), false}};
    EXPECT_EQ(Rows(dialog), expected);
    EXPECT_EQ(ControlText(dialog, kText0), StartUpOf("All Users")) << "the common folder comes first";
    EXPECT_EQ(ControlText(dialog, kButton0 + 4), "...");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kButton0))) << "a scanned folder cannot be removed";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kCheck0 + 5)));

    PressAndEnd(p, dialog, kCancel, "first-run-closed");
    for (const auto& [path, ticked] : expected) EXPECT_FALSE(FileExists(path + "\\Tollervy.lnk")) << path;
}

// Tick the person's own folder, OK: the shortcut is there and points at the
// program; starting it as Windows would runs the logon phase. Untick, OK:
// it is gone.
TEST_F(Registration, ATickMakesTheShortcutTheNextStartRunsItAndUntickingRemovesIt) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n"));
    {
        Process p;
        HWND dialog = OpenSettings(p);
        ASSERT_NE(dialog, nullptr);
        const int row = RowOf(dialog, Own());
        EXPECT_FALSE(Checked(dialog, kCheck0 + row));
        ASSERT_TRUE(PressButton(dialog, kCheck0 + row));
        LetPaint(dialog);
        EXPECT_TRUE(Checked(dialog, kCheck0 + row));
        Screenshot(Shot("ticked"));
        PressAndEnd(p, dialog, kOk, "ok");
    }
    ExpectOurShortcut(Own());
    EXPECT_FALSE(FileExists(ProgramsFolder() + "\\Tollervy.LNK")) << "the shortcut stays in the Programs menu";

    // The next Windows start: the shortcut's target with its arguments.
    {
        const auto link = ReadLink(Own() + "\\Tollervy.lnk");
        ASSERT_TRUE(link.has_value());
        Process next;
        ASSERT_TRUE(next.Start(link->target, link->arguments, link->folder.empty() ? inst().folder() : link->folder));
        RunResult r = RunToEnd(next, kRun, Shot("next-start"));
        ASSERT_TRUE(r.ended);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
        EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>(LoginName()));
        EXPECT_EQ(inst().IniValue("Start", "NowUser"), std::optional<std::string>(""));
    }

    {
        Process p;
        HWND dialog = OpenSettings(p);
        ASSERT_NE(dialog, nullptr);
        const int row = RowOf(dialog, Own());
        EXPECT_TRUE(Checked(dialog, kCheck0 + row)) << "the registered folder shows ticked";
        ASSERT_TRUE(PressButton(dialog, kCheck0 + row));
        PressAndEnd(p, dialog, kOk, "unticked");
    }
    EXPECT_FALSE(FileExists(Own() + "\\Tollervy.lnk"));
}

// A shortcut of the program's name to another copy of it shows unticked; a
// tick replaces it with one to this program.
TEST_F(Registration, AShortcutToAnotherCopyIsReplacedByATick) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n"));
    const std::string old = Live("old\\Tollervy.exe");
    ASSERT_TRUE(MakeFolders(Live("old")) && WriteBytes(old, "MZ"));
    {
        // Made by the shell's link object, as a setup program would.
        CoInitialize(nullptr);
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                               reinterpret_cast<void**>(&link))));
        link->SetPath(Wide(old).c_str());
        ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
        ASSERT_TRUE(SUCCEEDED(file->Save(Wide(Own() + "\\Tollervy.lnk").c_str(), TRUE)));
        file->Release();
        link->Release();
        CoUninitialize();
    }
    Process p;
    HWND dialog = OpenSettings(p);
    ASSERT_NE(dialog, nullptr);
    const int row = RowOf(dialog, Own());
    EXPECT_FALSE(Checked(dialog, kCheck0 + row)) << "another program's shortcut counts as registered";
    ASSERT_TRUE(PressButton(dialog, kCheck0 + row));
    PressAndEnd(p, dialog, kOk, "replaced");
    ExpectOurShortcut(Own());
}

// A folder added earlier ([StartUp]) can be removed with its "x" after a
// question; OK then removes its shortcut and its line.
TEST_F(Registration, RemovingAnAddedFolderRemovesItsShortcutAndLine) {
    const std::string added = Live("Boot");
    ASSERT_TRUE(MakeFolders(added));
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n[StartUp]\n" + added + "=1\n"));
    {
        Process p;
        HWND dialog = OpenSettings(p);
        ASSERT_NE(dialog, nullptr);
        const int row = RowOf(dialog, added);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kButton0 + row)));
        ASSERT_TRUE(PressButton(dialog, kCheck0 + row));
        PressAndEnd(p, dialog, kOk, "added-ticked");
    }
    ExpectOurShortcut(added);
    EXPECT_EQ(inst().IniValue("StartUp", added), std::optional<std::string>("1"));

    Process p;
    HWND dialog = OpenSettings(p);
    ASSERT_NE(dialog, nullptr);
    const int row = RowOf(dialog, added);
    ASSERT_TRUE(PostClick(dialog, kButton0 + row));
    HWND box = WaitForMessageBox(p, "Tollervy", kWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), added + "を\r\nリストから削除しますか?");
    Screenshot(Shot("remove-question"));
    ASSERT_TRUE(PressButton(box, IDOK));
    ASSERT_TRUE(WaitWindowGone(box, kWait));
    EXPECT_EQ(Rows(dialog).count(added), 0u);
    PressAndEnd(p, dialog, kOk, "removed");
    EXPECT_FALSE(FileExists(added + "\\Tollervy.lnk"));
    EXPECT_EQ(inst().IniValue("StartUp", added), std::nullopt);
}

// The adding row's "..." opens the folder picker at the user's Start-up
// folder; a double click opens a folder below it, Select hands it back as a
// new ticked row, and OK makes the shortcut there and writes its line.
TEST_F(Registration, AFolderChosenWithThePickerIsAddedAndRegistered) {
    const std::string extra = Own() + "\\予備";
    ASSERT_TRUE(MakeFolders(extra));
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n"));
    Process p;
    HWND dialog = OpenSettings(p);
    ASSERT_NE(dialog, nullptr);
    const int adding = static_cast<int>(Rows(dialog).size());
    ASSERT_LT(adding, 10);
    EXPECT_EQ(ControlText(dialog, kButton0 + adding), "...");
    ASSERT_TRUE(PostClick(dialog, kButton0 + adding));
    HWND picker = WaitForDialog(p, "フォルダの選択", kWait);
    ASSERT_NE(picker, nullptr) << "the folder picker did not open";
    HWND folders = GetDlgItem(picker, 1102);
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(picker) == 1102; }, kWait))
        << "the focus starts on control " << FocusedControlId(picker) << ", not the folder list";
    const std::vector<std::string> rows = ListItems(picker, 1102);
    int target = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].size() >= std::string("予備").size() &&
            rows[i].compare(rows[i].size() - std::string("予備").size(), std::string::npos, "予備") == 0)
            target = static_cast<int>(i);
    ASSERT_GE(target, 0) << "the Start-up folder's subfolder is not listed: " << Joined(rows);
    SendMessageW(folders, LB_SETCURSEL, static_cast<WPARAM>(target), 0);
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(1102, LBN_DBLCLK), reinterpret_cast<LPARAM>(folders));
    ASSERT_TRUE(WaitUntil([&] { return ListItems(picker, 1102) != rows; }, kWait))
        << "the double click did not open the folder";
    LetPaint(picker);
    Screenshot(Shot("picker"));
    PostAltKey(picker, 's');  // 選択(&S)
    ASSERT_TRUE(WaitWindowGone(picker, kWait));
    std::string added;
    for (const auto& [path, ticked] : Rows(dialog))
        if (path.find("予備") != std::string::npos) {
            added = path;
            EXPECT_TRUE(ticked) << path;
        }
    ASSERT_FALSE(added.empty()) << "no row for the chosen folder";
    PressAndEnd(p, dialog, kOk, "picked-ok");
    ExpectOurShortcut(extra);
    EXPECT_EQ(inst().IniValue("StartUp", added), std::optional<std::string>("1"));
}

// On Windows 2000 the shortcut comes from the recent-documents list, where
// the dialog put the program when it opened; it stays there as well.
TEST_F(Registration, OnWindows2000TheRecentListsShortcutIsCopied) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n"));
    WineVersion win2k("win2k");
    ASSERT_TRUE(win2k.ok()) << "cannot set the Windows version of the prefix";
    wchar_t recent[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, 0, recent)));
    const std::string recentLink = Utf8(recent) + "\\Tollervy.exe.lnk";
    DeleteFileW(Wide(recentLink).c_str());

    Process p;
    HWND dialog = OpenSettings(p);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(recentLink); }, kWait)) << "the dialog did not add the program to "
                                                                            << recentLink;
    const int row = RowOf(dialog, Own());
    ASSERT_TRUE(PressButton(dialog, kCheck0 + row));
    Screenshot(Shot("win2k"));
    PressAndEnd(p, dialog, kOk, "win2k-ok");
    ExpectOurShortcut(Own());
    EXPECT_TRUE(FileExists(recentLink)) << "the recent entry is kept";
    EXPECT_FALSE(FileExists(ProgramsFolder() + "\\Tollervy.LNK"));
}

// Twelve folders: ten rows show, the scroll bar reaches the adding row and
// no further, and the users page offers the profiles' names ("Default User"
// and "All Users" are no users).
TEST_F(Registration, TwelveFoldersScrollToTheAddingRowAndTheUsersPageNamesTheProfiles) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n"));
    std::set<std::string> users = {"■ Hanako", "■ " + LoginName()};
    for (int i = 1; i <= 8; ++i) {
        const std::string name = "User0" + std::to_string(i);
        ASSERT_TRUE(MakeFolders(StartUpOf(name)));
        users.insert("■ " + name);
    }
    Process p;
    HWND dialog = OpenSettings(p);
    ASSERT_NE(dialog, nullptr);
    HWND bar = GetDlgItem(dialog, kScroll);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &info));
    EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, 3) << "12 folders + the adding row - 10 rows";
    EXPECT_EQ(ControlText(dialog, kButton0 + 9), "x");
    Screenshot(Shot("twelve-top"));

    SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), reinterpret_cast<LPARAM>(bar));
    LetPaint(dialog);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 3);
    EXPECT_EQ(ControlText(dialog, kButton0 + 9), "...") << "the last row shown is the adding row";
    EXPECT_EQ(ControlText(dialog, kText0 + 9), "");
    EXPECT_EQ(ControlText(dialog, kButton0 + 8), "x");
    Screenshot(Shot("twelve-bottom"));
    SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 3) << "no row past the adding row";

    SendDlgItemMessageW(dialog, kTab, TCM_SETCURFOCUS, 3, 0);
    LetPaint(dialog);
    const std::vector<std::string> listed = ListItems(dialog, kListUser);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), users);
    EXPECT_EQ(listed.size(), users.size());
    Screenshot(Shot("users"));
    PressAndEnd(p, dialog, kCancel, "twelve-closed");
}

// A click on a path ticks its row; a second click leaves it ticked; OK
// registers the folder.
TEST_F(Registration, ClickingAPathTicksItsFolder) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=0\n[Last]\nMessage=0\n"));
    Process p;
    HWND dialog = OpenSettings(p);
    ASSERT_NE(dialog, nullptr);
    const int row = RowOf(dialog, StartUpOf("Hanako"));
    HWND text = GetDlgItem(dialog, kText0 + row);
    for (int i = 0; i < 2; ++i) {
        PostMessageW(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(text, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(WaitUntil([&] { return Checked(dialog, kCheck0 + row); }, kWait)) << "click " << i + 1;
    }
    LetPaint(dialog);
    Screenshot(Shot("clicked"));
    PressAndEnd(p, dialog, kOk, "clicked-ok");
    ExpectOurShortcut(StartUpOf("Hanako"));
}

}  // namespace
