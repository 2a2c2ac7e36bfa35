// The window host against real windows (under Wine): the state of a control
// reaches its window, the window's notifications reach the control's events
// exactly once, and keys, modal showing, menus and session messages follow
// the form's rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Form.h"
#include "win32/Encoding.h"
#include "win32/Win32FormHost.h"
#include "win32/Win32System.h"

#include <commctrl.h>

namespace tollervy::win32 {
namespace {

// A form on the logon dialog's layout, recording what reaches it.
class LogOnForm : public ui::Form {
public:
    explicit LogOnForm(ui::FormHost& host) : Form(host, "FormLogOn", 200) {
        TextLogonUser.Change = [this] { userChanges.push_back(TextLogonUser.Text()); };
        CommandOK.OnClick = [this] { ++okClicks; };
        CommandCancel.OnClick = [this] {
            ++cancelClicks;
            if (onCancel) onCancel();
        };
    }

    ui::Label LabelLogonInfo{*this, 201, "LabelLogonInfo"};
    ui::Label LabelLogonUser{*this, 203, "LabelLogonUser"};
    ui::PictureBox PictureIcon{*this, 202, "PictureIcon"};
    ui::TextBox TextLogonUser{*this, 204, "TextLogonUser"};
    ui::TextBox TextLogonPass{*this, 206, "TextLogonPass"};
    ui::CommandButton CommandOK{*this, 207, "CommandOK"};
    ui::CommandButton CommandCancel{*this, 208, "CommandCancel"};

    bool Form_KeyDown(int key) override {
        keys.push_back(key);
        return handleKeys;
    }
    void Form_Paint() override { ++paints; }
    void Form_EndSession() override { ++endSessions; }
    void Form_TrayMessage(int message) override { trayMessages.push_back(message); }

    std::vector<std::string> userChanges;
    std::vector<int> keys;
    std::vector<int> trayMessages;
    bool handleKeys = false;
    int okClicks = 0, cancelClicks = 0, paints = 0, endSessions = 0;
    std::function<void()> onCancel;
};

// A form on the main window's layout.
class MainForm : public ui::Form {
public:
    explicit MainForm(ui::FormHost& host) : Form(host, "TollervyMain", 100) {}
    ui::Label StatusMess{*this, 101, "StatusMess"};
    ui::Label StatusDetail{*this, 102, "StatusDetail"};
    ui::ProgressBar StatusBar{*this, 103, "StatusBar"};
};

std::wstring TextOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 511);
    return buffer;
}

class Win32Host : public ::testing::Test {
protected:
    void SetUp() override {
        logOn.Load();
        ASSERT_NE(host.WindowOf(logOn), nullptr) << "the dialog template 200 is missing from the resources";
        user = host.ControlWindowOf(logOn, logOn.TextLogonUser);
        ASSERT_NE(user, nullptr);
    }
    void TearDown() override {
        logOn.Unload();
        mainForm.Unload();
    }

    Win32FormHost host;
    LogOnForm logOn{host};
    MainForm mainForm{host};
    HWND user = nullptr;
};

TEST_F(Win32Host, TemplateTextAndStyleReachTheModel) {
    EXPECT_EQ(logOn.Caption(), "ログオン情報");
    EXPECT_EQ(logOn.LabelLogonInfo.Caption(), "ユーザ名とパスワードを入力してください。");
    EXPECT_EQ(logOn.CommandCancel.Caption(), "キャンセル");
    EXPECT_TRUE(logOn.TextLogonPass.PasswordMasked());
    EXPECT_FALSE(logOn.TextLogonUser.PasswordMasked());
    EXPECT_EQ(logOn.LabelLogonUser.Caption(), "ユーザ名 :");
    HWND pass = host.ControlWindowOf(logOn, logOn.TextLogonPass);
    EXPECT_EQ(SendMessageW(pass, EM_GETPASSWORDCHAR, 0, 0), L'*');

    RECT r;
    GetWindowRect(host.WindowOf(logOn), &r);
    EXPECT_EQ(logOn.Left(), r.left);
    EXPECT_EQ(logOn.Top(), r.top);
    EXPECT_EQ(logOn.Width(), r.right - r.left);
    EXPECT_GT(logOn.Width(), 100);
    EXPECT_FALSE(IsWindowVisible(host.WindowOf(logOn)));
}

// The layout's access keys: the model keeps the plain captions, the windows
// show the keys, also on a caption the program sets, and Alt+key presses the
// button or moves to the box a label names.
TEST_F(Win32Host, AccessKeysStayInTheWindowsAndWork) {
    HWND cancel = host.ControlWindowOf(logOn, logOn.CommandCancel);
    HWND label = host.ControlWindowOf(logOn, logOn.LabelLogonUser);
    const struct {
        ui::Control& control;
        HWND window;
        const char* caption;
        const wchar_t* shown;
    } cases[] = {
        {logOn.CommandCancel, cancel, "キャンセル", L"キャンセル(&C)"},
        {logOn.CommandCancel, cancel, "やめる", L"やめる(&C)"},
        {logOn.LabelLogonUser, label, "ユーザ名 :", L"ユーザ名(&U) :"},
        {logOn.LabelLogonUser, label, "名前 :", L"名前(&U) :"},
        {logOn.CommandOK, host.ControlWindowOf(logOn, logOn.CommandOK), "OK", L"OK"},
    };
    for (const auto& c : cases) {
        c.control.SetCaption(c.caption);
        EXPECT_EQ(c.control.Caption(), c.caption);
        EXPECT_EQ(TextOf(c.window), c.shown) << c.caption;
    }

    logOn.Show();
    logOn.CommandOK.SetFocus();
    host.DoEvents();
    PostMessageW(host.ControlWindowOf(logOn, logOn.CommandOK), WM_SYSCHAR, L'u', 1 << 29);
    host.DoEvents();
    EXPECT_EQ(GetFocus(), user) << "Alt+U goes to the box the label names";
    PostMessageW(user, WM_SYSCHAR, L'c', 1 << 29);
    host.DoEvents();
    EXPECT_EQ(logOn.cancelClicks, 1);
    EXPECT_EQ(logOn.okClicks, 0);
}

TEST_F(Win32Host, TextSetByTheProgramRaisesChangeOnce) {
    logOn.TextLogonUser.SetText("あおい");
    EXPECT_EQ(TextOf(user), L"あおい");
    ASSERT_EQ(logOn.userChanges.size(), 1u);
    EXPECT_EQ(logOn.userChanges[0], "あおい");

    logOn.TextLogonUser.SetText("あおい");  // the same text: no change
    EXPECT_EQ(logOn.userChanges.size(), 1u);

    // Text that does not survive the trip through the window unchanged is
    // not rewritten by the window's echo of it.
    const std::string odd = std::string("a") + '\xff';
    logOn.TextLogonUser.SetText(odd);
    EXPECT_EQ(logOn.TextLogonUser.Text(), odd);
    EXPECT_EQ(logOn.userChanges.size(), 2u);
}

TEST_F(Win32Host, TypingUpdatesTheTextAndRaisesChangeOncePerEdit) {
    SendMessageW(user, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Aoi"));
    EXPECT_EQ(logOn.TextLogonUser.Text(), "Aoi");
    ASSERT_EQ(logOn.userChanges.size(), 1u);

    SendMessageW(user, EM_SETSEL, 3, 3);
    SendMessageW(user, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L" 山田"));
    EXPECT_EQ(logOn.TextLogonUser.Text(), "Aoi 山田");
    ASSERT_EQ(logOn.userChanges.size(), 2u);
    EXPECT_EQ(logOn.userChanges[1], "Aoi 山田");

    // A change handler that rewrites the text: one more event for its own
    // text, none for the window's echo, and the window shows the result.
    logOn.TextLogonUser.Change = [this] {
        logOn.userChanges.push_back(logOn.TextLogonUser.Text());
        if (logOn.TextLogonUser.Text() == "x") logOn.TextLogonUser.SetText("X");
    };
    logOn.userChanges.clear();
    SendMessageW(user, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    EXPECT_EQ((std::vector<std::string>{"x", "X"}), logOn.userChanges);
    EXPECT_EQ(TextOf(user), L"X");
}

TEST_F(Win32Host, ButtonNotificationsClickOnceAndRespectEnabled) {
    HWND dialog = host.WindowOf(logOn);
    HWND ok = host.ControlWindowOf(logOn, logOn.CommandOK);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(207, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    EXPECT_EQ(logOn.okClicks, 1);

    logOn.CommandOK.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(ok));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(207, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    EXPECT_EQ(logOn.okClicks, 1);
    logOn.CommandOK.SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(ok));

    logOn.CommandOK.SetVisible(false);
    EXPECT_FALSE(GetWindowLongPtrW(ok, GWL_STYLE) & WS_VISIBLE);
    logOn.CommandOK.SetVisible(true);
    EXPECT_TRUE(GetWindowLongPtrW(ok, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(Win32Host, EnterAndEscapeReachTheFormFirstAndOnlyOnce) {
    logOn.Show();
    logOn.TextLogonUser.SetFocus();
    host.DoEvents();

    // Not handled by the form: Enter presses the default button.
    PostMessageW(user, WM_KEYDOWN, VK_RETURN, 1);
    host.DoEvents();
    EXPECT_EQ((std::vector<int>{VK_RETURN}), logOn.keys);
    EXPECT_EQ(logOn.okClicks, 1);

    // Escape: offered once, not again when the dialog manager turns it into
    // IDCANCEL.
    logOn.keys.clear();
    PostMessageW(user, WM_KEYDOWN, VK_ESCAPE, 1);
    host.DoEvents();
    EXPECT_EQ((std::vector<int>{VK_ESCAPE}), logOn.keys);

    // Handled by the form: the controls never see it.
    logOn.keys.clear();
    logOn.handleKeys = true;
    PostMessageW(user, WM_KEYDOWN, VK_RETURN, 1);
    host.DoEvents();
    EXPECT_EQ((std::vector<int>{VK_RETURN}), logOn.keys);
    EXPECT_EQ(logOn.okClicks, 1);

    // IDOK from the dialog manager without a key press goes to the form too.
    logOn.keys.clear();
    SendMessageW(host.WindowOf(logOn), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ((std::vector<int>{VK_RETURN}), logOn.keys);
}

TEST_F(Win32Host, ModalShowWaitsUntilHiddenWithTheOtherWindowsDisabled) {
    mainForm.Show();
    HWND main = host.WindowOf(mainForm);
    ASSERT_TRUE(IsWindowEnabled(main));
    bool mainEnabledMeanwhile = true;
    logOn.onCancel = [&] {
        mainEnabledMeanwhile = IsWindowEnabled(main) != FALSE;
        logOn.Hide();
    };
    HWND dialog = host.WindowOf(logOn);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(208, BN_CLICKED),
                 reinterpret_cast<LPARAM>(host.ControlWindowOf(logOn, logOn.CommandCancel)));
    logOn.ShowModal();
    EXPECT_EQ(logOn.cancelClicks, 1);
    EXPECT_FALSE(mainEnabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_FALSE(logOn.Visible());

    // Unloading ends the modal loop as well, and the window is gone.
    logOn.onCancel = [&] { logOn.Unload(); };
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(208, BN_CLICKED), 0);
    logOn.ShowModal();
    EXPECT_FALSE(logOn.Loaded());
    EXPECT_EQ(host.WindowOf(logOn), nullptr);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(Win32Host, MainWindowStatePositionAndCloseCommand) {
    mainForm.Load();
    HWND main = host.WindowOf(mainForm);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(mainForm.Caption(), "Tollervy");

    mainForm.StatusMess.SetCaption("前回のユーザの情報を保存中");
    EXPECT_EQ(TextOf(host.ControlWindowOf(mainForm, mainForm.StatusMess)), L"前回のユーザの情報を保存中");
    mainForm.StatusDetail.SetCaption("C:\\A&B\\x.txt");
    EXPECT_EQ(TextOf(host.ControlWindowOf(mainForm, mainForm.StatusDetail)), L"C:\\A&B\\x.txt");

    HWND bar = host.ControlWindowOf(mainForm, mainForm.StatusBar);
    mainForm.StatusBar.SetValue(42);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 42);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
    mainForm.StatusBar.SetRange(0, 200);
    mainForm.StatusBar.SetValue(50);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 25);

    // Parked beyond the right edge of the screen, then centred.
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    mainForm.Move(screen, 40);
    RECT r;
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, screen);
    EXPECT_EQ(r.top, 40);
    const int width = mainForm.Width();
    EXPECT_EQ(width, r.right - r.left);
    mainForm.Move((screen - width) / 2, 100);
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, (screen - width) / 2);
    EXPECT_EQ(r.right - r.left, width);

    mainForm.SetCaption("Tollervy 2");
    EXPECT_EQ(TextOf(main), L"Tollervy 2");

    EXPECT_TRUE(host.DisableCloseCommand(mainForm));
    EXPECT_EQ(GetMenuState(GetSystemMenu(main, FALSE), SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_FALSE(host.DisableCloseCommand(mainForm));  // nothing left to remove

    // Alt+F4 asks for Close all the same: the window stays.
    SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(mainForm.Loaded());
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(Win32Host, FontFollowsTheControl) {
    logOn.TextLogonUser.SetFont({"ＭＳ ゴシック", 128});
    auto font = reinterpret_cast<HFONT>(SendMessageW(user, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf;
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"ＭＳ ゴシック");
    EXPECT_EQ(lf.lfCharSet, 128);

    logOn.TextLogonUser.SetFont({});
    EXPECT_EQ(SendMessageW(user, WM_GETFONT, 0, 0), SendMessageW(host.WindowOf(logOn), WM_GETFONT, 0, 0));
}

// A form on the settings dialog's layout, with its file list only.
class FileListForm : public ui::Form {
public:
    explicit FileListForm(ui::FormHost& host) : Form(host, "LervIni", 400) {}
    ui::ListBox FileList{*this, 601, "FileList"};
};

// The pixel width of a text in a window's font.
int TextWidthIn(HWND window, const std::string& text) {
    const std::wstring wide = Widen(text);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

// A list of long paths scrolls sideways as far as its widest row reaches in
// the list's current font, so that every path can be read to its end; a
// list of short rows does not scroll.
TEST_F(Win32Host, ListScrollsSidewaysToItsWidestRow) {
    FileListForm form{host};
    form.Load();
    HWND list = host.ControlWindowOf(form, form.FileList);
    ASSERT_NE(list, nullptr) << "the dialog template 400 has no file list";
    const std::string longPath =
        "C:\\Documents and Settings\\" + std::string(50, 'x') + "\\とても長い名前のフォルダ\\" + std::string(50, 'y');
    form.FileList.AddItem("C:\\a.ini");
    form.FileList.AddItem(longPath);
    RECT client{};
    GetClientRect(list, &client);
    ASSERT_GT(TextWidthIn(list, longPath), client.right) << "the row is not longer than the list";
    auto extent = [&] { return static_cast<int>(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0)); };
    EXPECT_GE(extent(), TextWidthIn(list, longPath));
    EXPECT_LE(extent(), TextWidthIn(list, longPath) + 12);

    // Another font: the range follows it.
    form.FileList.SetFont({"ＭＳ ゴシック", 128});
    EXPECT_GE(extent(), TextWidthIn(list, longPath));
    EXPECT_LE(extent(), TextWidthIn(list, longPath) + 12);

    form.FileList.Clear();
    form.FileList.AddItem("C:\\a.ini");
    EXPECT_LT(extent(), client.right);

    // Rows added one by one (each pushed alone), one taken from the middle,
    // another added: the window lists the model's rows in its order.
    form.FileList.Clear();
    for (int i = 0; i < 50; ++i) form.FileList.AddItem("row " + std::to_string(i));
    form.FileList.RemoveItem(10);
    form.FileList.AddItem(longPath);
    std::vector<std::string> rows;
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
        wchar_t text[512] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(Narrow(text));
    }
    EXPECT_EQ(rows, form.FileList.Items());
    EXPECT_GE(extent(), TextWidthIn(list, longPath));
    form.Unload();
}

// The tool tip window the host made for a form, if any.
struct ToolTipSearch {
    HWND owner;
    HWND found;
};
// A callback of its own, not a lambda: the i686 API wants stdcall.
BOOL CALLBACK FindToolTip(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<ToolTipSearch*>(p);
    wchar_t name[64] = {};
    GetClassNameW(h, name, 63);
    if (_wcsicmp(name, TOOLTIPS_CLASSW) == 0 && GetWindow(h, GW_OWNER) == s->owner) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}
HWND ToolTipOf(HWND dialog) {
    ToolTipSearch search{dialog, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Win32Host, ToolTipsFollowTheControls) {
    HWND dialog = host.WindowOf(logOn);
    EXPECT_EQ(ToolTipOf(dialog), nullptr);  // made only when a tip is set
    logOn.LabelLogonInfo.SetToolTipText("ユーザ名を入力します");
    logOn.TextLogonUser.SetToolTipText("名前");
    HWND tips = ToolTipOf(dialog);
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    // The label lets the mouse reach it, so that its tip can show.
    EXPECT_TRUE(GetWindowLongPtrW(host.ControlWindowOf(logOn, logOn.LabelLogonInfo), GWL_STYLE) & SS_NOTIFY);

    logOn.TextLogonUser.SetToolTipText("ユーザ名");
    wchar_t text[80] = {};
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(user);
    info.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::wstring(text), L"ユーザ名");

    logOn.TextLogonUser.SetToolTipText("");
    logOn.LabelLogonInfo.SetToolTipText("");
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(Win32Host, SessionTrayAndCloseMessagesReachTheForm) {
    HWND dialog = host.WindowOf(logOn);
    SendMessageW(dialog, TrayCallbackMessage, TrayIconId, WM_MOUSEMOVE);
    SendMessageW(dialog, TrayCallbackMessage, TrayIconId, WM_LBUTTONDBLCLK);
    SendMessageW(dialog, TrayCallbackMessage, TrayIconId, WM_RBUTTONDOWN);
    EXPECT_EQ((std::vector<int>{0x200, 0x203, 0x204}), logOn.trayMessages);

    EXPECT_EQ(SendMessageW(dialog, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(dialog, WM_ENDSESSION, FALSE, 0);  // the session goes on
    EXPECT_EQ(logOn.endSessions, 0);
    SendMessageW(dialog, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(logOn.endSessions, 1);

    // A close request unloads the form.
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_FALSE(logOn.Loaded());
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(Win32Host, UnloadFromInsideAHandlerIsSafe) {
    logOn.CommandOK.OnClick = [this] { logOn.Unload(); };
    HWND dialog = host.WindowOf(logOn);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(207, BN_CLICKED), 0);
    host.DoEvents();
    EXPECT_FALSE(logOn.Loaded());
    EXPECT_FALSE(IsWindow(dialog));
    // Loading again makes a new window with the model's state.
    logOn.TextLogonUser.SetText("Aoi");
    logOn.Load();
    HWND again = host.ControlWindowOf(logOn, logOn.TextLogonUser);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(TextOf(again), L"Aoi");
}

TEST(Win32Menu, PopupHoldsTheVisibleItemsWithTheirIds) {
    ui::MenuItem task(301, "mnuTask", "タスクトレイ");
    ui::MenuItem settings(302, "mnuIni", "設定");
    ui::MenuItem hidden(304, "mnuHidden", "隠し");
    ui::MenuItem end(303, "mnuEnd", "終了");
    hidden.SetVisible(false);
    task.SetVisible(false);  // the top item itself is hidden; its items show
    task.Items = {&settings, &hidden, &end};

    HMENU menu = Win32FormHost::BuildMenu(task);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(GetMenuItemID(menu, 0), 302u);
    EXPECT_EQ(GetMenuItemID(menu, 1), 303u);
    wchar_t caption[64] = {};
    GetMenuStringW(menu, 1, caption, 63, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(caption), L"終了(&X)") << "the host gives the icon's menu its access keys";
    DestroyMenu(menu);

    EXPECT_EQ(Win32FormHost::FindMenuItem(task, 303), &end);
    EXPECT_EQ(Win32FormHost::FindMenuItem(task, 301), nullptr);
}

TEST(Win32CommandLine, ArgumentsFollowTheProgramPath) {
    // Quoted program path, with blanks inside it.
    EXPECT_EQ(Win32System::ArgumentsOf(L"\"C:\\Program Files\\Tollervy\\Tollervy.exe\" -s"), L"-s");
    // Unquoted program path.
    EXPECT_EQ(Win32System::ArgumentsOf(L"C:\\Tollervy\\Tollervy.exe -s"), L"-s");
    // A quoted user name keeps its inner blanks and its quotes.
    EXPECT_EQ(Win32System::ArgumentsOf(L"Tollervy.exe \"Aoi Yamada\""), L"\"Aoi Yamada\"");
    // Only the one blank after the path separates: a second one is part of
    // the arguments, so "  -s" is not "-s".
    EXPECT_EQ(Win32System::ArgumentsOf(L"Tollervy.exe  -s"), L" -s");
    EXPECT_EQ(Win32System::ArgumentsOf(L"\"C:\\T\\Tollervy.exe\"  \"Aoi\""), L" \"Aoi\"");
    // Trailing blanks are left for the logic to remove.
    EXPECT_EQ(Win32System::ArgumentsOf(L"\"Tollervy.exe\" -s  "), L"-s  ");
    // No arguments; blanks after the path are left for the logic to trim.
    EXPECT_EQ(Win32System::ArgumentsOf(L"\"C:\\T\\Tollervy.exe\""), L"");
    EXPECT_EQ(Win32System::ArgumentsOf(L"Tollervy.exe   "), L"  ");
    // A quote right after the quoted path starts the arguments.
    EXPECT_EQ(Win32System::ArgumentsOf(L"\"Tollervy.exe\"\"Aoi\""), L"\"Aoi\"");
    // An unclosed quote: everything is the program path.
    EXPECT_EQ(Win32System::ArgumentsOf(L"\"C:\\T\\Tollervy.exe -s"), L"");
    EXPECT_EQ(Win32System::ArgumentsOf(L""), L"");
}

TEST(Win32CommandLine, FolderOfAPath) {
    EXPECT_EQ(Win32System::FolderOf(L"C:\\Tools\\Tollervy.exe"), L"C:\\Tools");
    EXPECT_EQ(Win32System::FolderOf(L"C:\\Tollervy.exe"), L"C:\\");
    EXPECT_EQ(Win32System::FolderOf(L"\\\\server\\share\\Tollervy.exe"), L"\\\\server\\share");
}

}  // namespace
}  // namespace tollervy::win32
