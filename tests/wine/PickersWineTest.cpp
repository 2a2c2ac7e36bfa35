// The file and folder pickers on their real layouts, in the real window host,
// on the real file system and shell (under Wine): a second thread finds each
// picker on screen, reads its drive, folder and file lists, works them as a
// person does (a click, a double click, another drive), takes a screenshot
// and presses a button; afterwards the box the picker wrote into is checked.
#include <gtest/gtest.h>

#include "win32/WinApi.h"

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/DirPathFrm.h"
#include "dialogs/FilePathFrm.h"
#include "settings/Context.h"
#include "ui/Forms.h"
#include "win32/Encoding.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32FormHost.h"
#include "win32/Win32Messages.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"
#include "wine/Scratch.h"
#include "wine/Screen.h"

namespace tollervy::win32 {
namespace {

// Stands for the settings page whose box receives the path.
class PageForm : public ui::Form {
public:
    explicit PageForm(ui::FormHost& host) : ui::Form(host, "Page", 0) {}
    ui::TextBox Box{*this, 1, "Box"};
};

// What the picker shows on screen.
struct Seen {
    std::wstring drive;
    std::vector<std::wstring> folders, files;
    int folderRow = -1, fileRow = -1;
    std::wstring label;
    LOGFONTW folderFont{};
};

std::vector<std::wstring> ListRows(HWND list) {
    std::vector<std::wstring> rows;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::wstring row(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
        rows.push_back(row);
    }
    return rows;
}

Seen Look(HWND dialog, int driveId, int folderId, int fileId, int labelId) {
    Seen seen;
    HWND drives = GetDlgItem(dialog, driveId);
    const LRESULT d = SendMessageW(drives, CB_GETCURSEL, 0, 0);
    if (d >= 0) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(drives, CB_GETLBTEXTLEN, d, 0)), L'\0');
        SendMessageW(drives, CB_GETLBTEXT, d, reinterpret_cast<LPARAM>(text.data()));
        seen.drive = text;
    }
    HWND folders = GetDlgItem(dialog, folderId);
    seen.folders = ListRows(folders);
    seen.folderRow = static_cast<int>(SendMessageW(folders, LB_GETCURSEL, 0, 0));
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(folders, WM_GETFONT, 0, 0)))
        GetObjectW(font, sizeof seen.folderFont, &seen.folderFont);
    if (fileId != 0) {
        HWND files = GetDlgItem(dialog, fileId);
        seen.files = ListRows(files);
        seen.fileRow = static_cast<int>(SendMessageW(files, LB_GETCURSEL, 0, 0));
    }
    if (labelId != 0) seen.label = Widen(WindowText(GetDlgItem(dialog, labelId)));
    return seen;
}

// The row whose text ends with `name` (the folder list indents and marks its
// rows); -1 when none does.
int RowEndingWith(const std::vector<std::wstring>& rows, const std::wstring& name) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].size() >= name.size() && rows[i].compare(rows[i].size() - name.size(), name.size(), name) == 0)
            return static_cast<int>(i);
    return -1;
}

// The open folder's row: indented, marked, named.
bool IsOpenRow(const std::wstring& row, const std::wstring& name) {
    const std::size_t text = row.find_first_not_of(L"　");
    return text != std::wstring::npos && row.compare(text, std::wstring::npos, L"▼ " + name) == 0;
}

// A click on a row of a list box or a drop-down list, as the control
// reports it to its dialog.
void ChooseRow(HWND dialog, int id, int row, bool combo) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
}
void DoubleClickRow(HWND dialog, int id, int row) {
    ChooseRow(dialog, id, row, false);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitForDialog(const wchar_t* title) {
    for (int i = 0; i < 500; ++i) {
        HWND window = FindWindowW(L"#32770", title);
        if (window && IsWindowVisible(window)) return window;
        Sleep(20);
    }
    return nullptr;
}

// Lets the dialog paint, then saves the screen as <TOLLERVY_SCREENS>\<name>.bmp.
void Shoot(HWND dialog, const std::string& name) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(400);
    wchar_t dir[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TOLLERVY_SCREENS", dir, MAX_PATH) == 0) return;
    CreateDirectoryW(dir, nullptr);
    EXPECT_TRUE(screen::SaveBmp(std::wstring(dir) + L"\\" + Widen(name) + L".bmp")) << name;
}

// Runs `user` on a thread of its own while the picker titled `title` is up.
// A picker that is still up a while after the user is done is closed, so
// that a failing test ends; `leftOpen` then tells.
class UserThread {
public:
    UserThread(const wchar_t* title, std::function<void()> user) : title_(title), user_(std::move(user)) {
        thread_ = CreateThread(nullptr, 0, &UserThread::Run, this, 0, nullptr);
    }
    ~UserThread() {
        if (thread_) {
            WaitForSingleObject(thread_, 60000);
            CloseHandle(thread_);
        }
    }
    bool leftOpen = false;

private:
    static DWORD WINAPI Run(void* self) {
        auto& me = *static_cast<UserThread*>(self);
        me.user_();
        for (int i = 0; i < 150; ++i) {
            HWND window = FindWindowW(L"#32770", me.title_);
            if (!window) return 0;
            if (i >= 100) {
                me.leftOpen = true;
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            Sleep(20);
        }
        return 0;
    }
    const wchar_t* title_;
    std::function<void()> user_;
    HANDLE thread_ = nullptr;
};

class Pickers : public ::testing::Test {
protected:
    void SetUp() override {
        folder = scratch::TempPath() + L"\\tollervy-pickers-" + std::to_wstring(GetCurrentProcessId());
        scratch::RemoveTree(folder);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((folder + L"\\Sub").c_str(), nullptr));
        for (const std::wstring name : {L"beta.txt", L"alpha.txt", L"日本語.txt", L"Sub\\inner.txt", L"hidden.txt"}) {
            HANDLE h = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            CloseHandle(h);
        }
        SetFileAttributesW((folder + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        previousFolder = current;
        // The lists start at the current folder of the process.
        ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
        path = Narrow(folder);
    }
    void TearDown() override {
        SetCurrentDirectoryW(previousFolder.c_str());
        scratch::RemoveTree(folder);
    }

    Win32FormHost host;
    Win32FileSystem fs;
    Win32Profile profile;
    Win32Messages messages;
    Win32System system;
    Win32Shell shell;
    Context context{fs, profile, messages, system, shell, {}, nullptr};
    Forms forms{context, host};
    PageForm page{host};
    std::wstring folder, previousFolder;
    std::string path;
};

TEST_F(Pickers, FilePickerOpensAtTheTargetFileAndHandsBackADoubleClickedFile) {
    page.Box.SetText(path + "\\beta.txt");
    context.state.FilePathTarget = &page.Box;
    Seen start, inSub, afterClick;
    bool found = false;
    {
        UserThread user(L"ファイルの選択", [&] {
            HWND d = WaitForDialog(L"ファイルの選択");
            if (!d) return;
            found = true;
            start = Look(d, IdFilePathDrive, IdFilePathDir, IdFilePathFile, IdFilePathDirFile);
            Shoot(d, "picker-file");
            DoubleClickRow(d, IdFilePathDir, RowEndingWith(start.folders, L"Sub"));
            inSub = Look(d, IdFilePathDrive, IdFilePathDir, IdFilePathFile, IdFilePathDirFile);
            Shoot(d, "picker-file-subfolder");
            // Back up to the folder, then a click and a double click on a file.
            const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
            DoubleClickRow(d, IdFilePathDir, RowEndingWith(inSub.folders, name));
            const Seen back = Look(d, IdFilePathDrive, IdFilePathDir, IdFilePathFile, IdFilePathDirFile);
            ChooseRow(d, IdFilePathFile, RowEndingWith(back.files, L"日本語.txt"), false);
            afterClick = Look(d, IdFilePathDrive, IdFilePathDir, IdFilePathFile, IdFilePathDirFile);
            // What closes the picker is posted, as the user's input is.
            PostMessageW(d, WM_COMMAND, MAKEWPARAM(IdFilePathFile, LBN_DBLCLK),
                         reinterpret_cast<LPARAM>(GetDlgItem(d, IdFilePathFile)));
        });
        forms.FilePathFrm().ShowModal();
        EXPECT_FALSE(user.leftOpen) << "the picker stayed up";
    }
    ASSERT_TRUE(found) << "the file picker never came on screen";
    const std::wstring wpath = folder;
    EXPECT_EQ(start.drive, wpath.substr(0, 3));
    ASSERT_GE(start.folderRow, 0);
    const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    EXPECT_TRUE(IsOpenRow(start.folders[static_cast<std::size_t>(start.folderRow)], name))
        << "the open folder is the highlighted, marked row";
    EXPECT_EQ(start.files, (std::vector<std::wstring>{L"alpha.txt", L"beta.txt", L"日本語.txt"}));
    EXPECT_EQ(start.fileRow, 1);
    EXPECT_EQ(start.label, wpath + L"\\beta.txt");
    EXPECT_EQ(start.folderFont.lfCharSet, 128);
    EXPECT_STREQ(start.folderFont.lfFaceName, L"ＭＳ ゴシック");

    EXPECT_EQ(inSub.files, std::vector<std::wstring>{L"inner.txt"});
    EXPECT_EQ(inSub.fileRow, -1);
    EXPECT_EQ(inSub.label, wpath + L"\\Sub\\");
    EXPECT_EQ(afterClick.label, wpath + L"\\日本語.txt");

    EXPECT_EQ(page.Box.Text(), path + "\\日本語.txt");
    EXPECT_FALSE(forms.FilePathFrm().Loaded());
}

TEST_F(Pickers, FilePickerCancelLeavesTheBox) {
    page.Box.SetText("");
    context.state.FilePathTarget = &page.Box;
    Seen start;
    {
        UserThread user(L"ファイルの選択", [&] {
            HWND d = WaitForDialog(L"ファイルの選択");
            if (!d) return;
            start = Look(d, IdFilePathDrive, IdFilePathDir, IdFilePathFile, IdFilePathDirFile);
            ChooseRow(d, IdFilePathFile, 0, false);
            PostMessageW(GetDlgItem(d, IdFileCancelPathBtn), BM_CLICK, 0, 0);
        });
        forms.FilePathFrm().ShowModal();
        EXPECT_FALSE(user.leftOpen) << "the picker stayed up";
    }
    EXPECT_EQ(start.label, folder + L"\\") << "an empty box starts at the current folder";
    EXPECT_EQ(page.Box.Text(), "");
    EXPECT_FALSE(forms.FilePathFrm().Loaded());
}

// The folder picker starts at the Start-up folder; a highlighted folder is
// not what Select hands back, the open one is; another drive opens at its
// root.
TEST_F(Pickers, FolderPickerStartsAtTheStartUpFolderAndHandsBackTheOpenFolder) {
    wchar_t startup[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, startup), S_OK);
    const std::wstring start = startup;
    ASSERT_EQ(Widen(shell.SpecialFolderPath(platform::CsidlStartup)), start);

    page.Box.SetText("kept");
    context.state.DirPathTarget = &page.Box;
    Seen first;
    {
        UserThread user(L"フォルダの選択", [&] {
            HWND d = WaitForDialog(L"フォルダの選択");
            if (!d) return;
            first = Look(d, IdDirPathDrive, IdDirPathDir, 0, 0);
            Shoot(d, "picker-folder");
            ChooseRow(d, IdDirPathDir, 0, false);  // the drive root, highlighted only
            PostMessageW(GetDlgItem(d, IdDirSelectPathBtn), BM_CLICK, 0, 0);
        });
        forms.DirPathFrm().ShowModal();
        EXPECT_FALSE(user.leftOpen) << "the picker stayed up";
    }
    EXPECT_EQ(first.drive, start.substr(0, 3));
    ASSERT_GE(first.folderRow, 1);
    EXPECT_TRUE(IsOpenRow(first.folders[static_cast<std::size_t>(first.folderRow)],
                          start.substr(start.find_last_of(L'\\') + 1)));
    EXPECT_EQ(first.folders[0], L"▽ " + start.substr(0, 3));
    EXPECT_EQ(page.Box.Text(), Narrow(start));
    EXPECT_FALSE(forms.DirPathFrm().Loaded());

    // Another drive through the drop-down list (Z: is Wine's root folder).
    page.Box.SetText("kept");
    Seen onZ;
    {
        UserThread user(L"フォルダの選択", [&] {
            HWND d = WaitForDialog(L"フォルダの選択");
            if (!d) return;
            const Seen s = Look(d, IdDirPathDrive, IdDirPathDir, 0, 0);
            HWND drives = GetDlgItem(d, IdDirPathDrive);
            const LRESULT z = SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(L"Z:\\"));
            if (z >= 0) ChooseRow(d, IdDirPathDrive, static_cast<int>(z), true);
            onZ = Look(d, IdDirPathDrive, IdDirPathDir, 0, 0);
            Shoot(d, "picker-folder-drive");
            PostMessageW(GetDlgItem(d, IdDirSelectPathBtn), BM_CLICK, 0, 0);
        });
        forms.DirPathFrm().ShowModal();
        EXPECT_FALSE(user.leftOpen) << "the picker stayed up";
    }
    EXPECT_EQ(onZ.drive, L"Z:\\");
    EXPECT_EQ(onZ.folderRow, 0);
    ASSERT_FALSE(onZ.folders.empty());
    EXPECT_EQ(onZ.folders[0], L"▼ Z:\\");
    EXPECT_EQ(page.Box.Text(), "Z:\\");
}

}  // namespace
}  // namespace tollervy::win32
