// The settings dialog's file tab as a person uses it: paths typed into the
// path box and added, files dropped onto the list from another program, a
// path removed with the question which copy stays in place; OK then takes
// the registration copies, disposes of the removed paths' copies and
// rewrites [File], and later switches work with the new list.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"

#include <commctrl.h>
#include <shlobj.h>

using namespace e2e;

namespace {

const char* const kDialogTitle = "Tollervy - [設定]";
const char* const kNotRegistered = "スタートアップにTollervyを登録しない場合";
const char* const kShiftQuestion = "「Shift」キーを押しながら起動することで";

// Control ids of the settings dialog and of the data choice dialog.
enum : int {
    kTab = 401, kOk = 402, kApply = 404,
    kFileList = 601, kFilePath = 602, kFilePathGet = 603, kFileAdd = 604, kFileDelete = 605,
    kLabelMess = 901, kDeleteFile = 902, kOptionUser = 904, kOptionCommon = 905, kDataUse = 906,
};
constexpr int kFileTab = 1;

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void SelectTab(HWND dialog, int index) {
    SendDlgItemMessageW(dialog, kTab, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
}

// The rows of a list box of another process.
std::vector<std::string> ListRows(HWND dialog, int id) {
    std::vector<std::string> rows;
    const LRESULT count = SendDlgItemMessageW(dialog, id, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendDlgItemMessageW(dialog, id, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) break;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendDlgItemMessageW(dialog, id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        rows.push_back(Utf8(text));
    }
    return rows;
}

// Selects a row as a click does: the list tells its dialog (LBN_SELCHANGE).
void SelectRow(HWND dialog, int id, int row) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Drops files onto a window of another process as the shell does: a
// WM_DROPFILES whose HDROP (a DROPFILES header and a double-NUL-ended list
// of wide paths) lives in the receiving process, which reads it with
// DragQueryFileW and releases it with DragFinish. True when the window
// handled the message in time.
bool DropFiles(const Process& p, HWND target, const std::vector<std::string>& paths) {
    std::wstring list;
    for (const auto& path : paths) list += Wide(path) + L'\0';
    list += L'\0';
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.pt = {20, 20};
    header.fNC = FALSE;
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));

    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, p.Id());
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool handled = false;
    if (remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) {
        DWORD_PTR result = 0;
        handled = SendMessageTimeoutW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0, SMTO_NORMAL, kWait,
                                      &result) != 0;
    }
    // DragFinish cannot free what it did not allocate; the block is ours.
    if (remote && handled) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return handled;
}

// The pixel width of a control's text in the data choice dialog's font (9
// points, "ＭＳ Ｐゴシック", Shift-JIS; a font handle of another process
// cannot be selected here, so the same font is made here).
int TextWidth(HWND control) {
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    HDC dc = GetDC(control);
    const int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, Wide("ＭＳ Ｐゴシック").c_str());
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(control, dc);
    return size.cx;
}

RECT Rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

class FileList : public Scenario {
protected:
    std::string docs() { return Live("書類"); }
    std::string memo() { return Live("メモ.txt"); }

    HWND Open(Process& p) {
        if (!Start(p, "-s")) return nullptr;
        HWND dialog = WaitForDialog(p, kDialogTitle, kWait);
        if (!dialog) ADD_FAILURE() << "no settings dialog";
        return dialog;
    }

    // Waits for the next message box, checks its text's start and answers.
    void Answer(const Process& p, const std::string& start, int button) {
        HWND box = WaitForMessageBox(p, "Tollervy", kWait);
        ASSERT_NE(box, nullptr) << "no message box starting " << start;
        const std::string text = MessageText(box);
        EXPECT_EQ(text.substr(0, start.size()), start) << text;
        ASSERT_TRUE(PressButton(box, button));
        EXPECT_TRUE(WaitWindowGone(box, kWait));
    }

    // Waits for the data choice dialog: the visible dialog with the "使用"
    // button.
    HWND WaitForDataChoice(const Process& p) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND w : p.VisibleWindows(L"#32770"))
                    if (GetDlgItem(w, kDataUse) && IsWindowVisible(GetDlgItem(w, kDataUse))) found = w;
                return found != nullptr || !p.Running();
            },
            kWait);
        return found;
    }

    // Checks the data choice dialog for `path` and answers it through its
    // controls: option 1 (the registration copy) or option 0.
    void ChooseData(const Process& p, const std::string& path, bool registrationCopy, const std::string& shot) {
        HWND form = WaitForDataChoice(p);
        ASSERT_NE(form, nullptr) << "the data choice dialog did not appear for " << path;
        EXPECT_EQ(WindowTitle(form), "Tollervy");
        EXPECT_EQ(ControlText(form, kLabelMess), "このデータは、どちらのデータを使用しますか？");
        EXPECT_EQ(ControlText(form, kDeleteFile), path);
        // The user's name replaces the option's text; its access key stays.
        EXPECT_EQ(ControlText(form, kOptionUser), LoginName() + "のデータ(&L)");
        EXPECT_EQ(ControlText(form, kOptionCommon), "登録時のデータ(&R)");
        EXPECT_EQ(SendDlgItemMessageW(form, kOptionUser, BM_GETCHECK, 0, 0), BST_CHECKED);
        // The proposed answer has the focus: Enter takes it.
        EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(form) == kDataUse; }, kWait))
            << "the focus starts on control " << FocusedControlId(form);
        // The whole path shows: its label is as wide as its text and the
        // window wider still; the button stays in the middle.
        HWND label = GetDlgItem(form, kDeleteFile);
        const RECT window = Rect(form), labelRect = Rect(label), button = Rect(GetDlgItem(form, kDataUse));
        EXPECT_GE(labelRect.right - labelRect.left, TextWidth(label)) << path;
        EXPECT_LT(labelRect.right, window.right) << "the path runs past the window";
        EXPECT_NEAR((button.left + button.right) / 2, (window.left + window.right) / 2, 6);
        LetPaint(form);
        ASSERT_TRUE(Screenshot(Shot(shot)));
        if (registrationCopy) {
            // By keyboard: Alt+R picks the registration copy, Enter confirms.
            PostAltKey(form, 'r');
            EXPECT_TRUE(WaitUntil(
                [&] { return SendDlgItemMessageW(form, kOptionCommon, BM_GETCHECK, 0, 0) == BST_CHECKED; }, kWait))
                << "Alt+R";
            PostKey(form, VK_RETURN);
        } else {
            ASSERT_TRUE(PressButton(form, kOptionUser));
            EXPECT_EQ(SendDlgItemMessageW(form, kOptionUser, BM_GETCHECK, 0, 0), BST_CHECKED);
            ASSERT_TRUE(PostClick(form, kDataUse));
        }
        EXPECT_TRUE(WaitWindowGone(form, kWait)) << "使用 did not close the dialog";
    }
};

// A folder typed without its final backslash and a pattern, each added
// with 追加; OK and the closing questions: the registration copies of both
// are in the store byte for byte, [File] lists them as F1 and F2, and the
// copies in place are recorded as the dialog user's.
TEST_F(FileList, TypedFolderAndPatternAreRegisteredOnOk) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nUser=" + LoginName() + "\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    Tree folder;
    folder["日本語のファイル名.txt"] = Content("初期", "日本語", 4000);
    folder["sub\\"] = "";
    folder["sub\\深い階層.dat"] = Content("初期", "深い階層", 70000);
    folder["空のフォルダ\\"] = "";
    ASSERT_TRUE(WriteTree(docs(), folder));
    const Tree texts = {{"a.txt", Content("初期", "a")}, {"メモ.txt", Content("初期", "メモ", 100)}};
    ASSERT_TRUE(WriteTree(liveRoot(), texts));
    ASSERT_TRUE(WriteBytes(Live("other.log"), "not a text file"));
    const std::string pattern = Live("*.txt");

    Process p;
    HWND dialog = Open(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, kFileTab);
    EXPECT_FALSE(Enabled(dialog, kFileAdd));
    ASSERT_TRUE(SetControlText(dialog, kFilePath, docs()));
    EXPECT_TRUE(Enabled(dialog, kFileAdd));
    EXPECT_FALSE(Enabled(dialog, kFileDelete));
    ASSERT_TRUE(PressButton(dialog, kFileAdd));
    ASSERT_TRUE(SetControlText(dialog, kFilePath, pattern));
    ASSERT_TRUE(PressButton(dialog, kFileAdd));
    EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{docs() + "\\", pattern}));
    // A path inside a listed folder is refused and named.
    ASSERT_TRUE(SetControlText(dialog, kFilePath, docs() + "\\sub"));
    ASSERT_TRUE(PostClick(dialog, kFileAdd));
    ASSERT_NO_FATAL_FAILURE(Answer(p, "同じパスがすでに設定されています\r\n\r\n" + docs() + "\\", IDOK));
    EXPECT_EQ(ListRows(dialog, kFileList).size(), 2u);
    LetPaint(dialog);
    ASSERT_TRUE(Screenshot(Shot("added")));

    ASSERT_TRUE(PostClick(dialog, kOk));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kNotRegistered, IDYES));
    ASSERT_NO_FATAL_FAILURE(Answer(p, kShiftQuestion, IDYES));
    DWORD code = 1;
    ASSERT_TRUE(p.WaitExit(kRun, &code)) << "the program did not end after OK";
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(inst().IniValue("File", "F1"), std::optional<std::string>(docs() + "\\"));
    EXPECT_EQ(inst().IniValue("File", "F2"), std::optional<std::string>(pattern));
    EXPECT_EQ(inst().IniValue("File", "F3"), std::nullopt);
    EXPECT_EQ(TreeDifference(folder, ReadTree(inst().StorePath("All Users", "F1"))), "");
    // A pattern's files are kept flat, and only those that match.
    EXPECT_EQ(TreeDifference(texts, ReadTree(inst().StorePath("All Users", "F2"))), "");
    // Registering copies; it changes nothing in place.
    EXPECT_EQ(TreeDifference(folder, ReadTree(docs())), "");
    EXPECT_EQ(inst().InPlaceOwners(),
              (std::map<std::string, std::string>{{"F1", LoginName()}, {"F2", LoginName()}}));
}

// The "..." button opens the file picker at the typed folder; Select hands
// the open folder back into the path box, and 追加 and OK register it.
TEST_F(FileList, AFolderChosenWithThePickerIsRegistered) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nMessage=0\nUser=" + LoginName() + "\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    const Tree folder = {{"選ぶ.txt", Content("初期", "選ぶ", 500)}, {"下\\", ""}, {"下\\b.dat", Content("初期", "b")}};
    ASSERT_TRUE(WriteTree(docs(), folder));

    Process p;
    HWND dialog = Open(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, kFileTab);
    ASSERT_TRUE(SetControlText(dialog, kFilePath, docs() + "\\"));
    ASSERT_TRUE(PostClick(dialog, kFilePathGet));
    HWND picker = WaitForDialog(p, "ファイルの選択", kWait);
    ASSERT_NE(picker, nullptr) << "the file picker did not open";
    // It opens at the folder: its files are listed and nothing is selected.
    EXPECT_EQ(ListRows(picker, 1003), std::vector<std::string>{"選ぶ.txt"});
    EXPECT_EQ(ControlText(picker, 1004), docs() + "\\");
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(picker) == 1003; }, kWait))
        << "the focus starts on control " << FocusedControlId(picker) << ", not the file list";
    LetPaint(picker);
    ASSERT_TRUE(Screenshot(Shot("picker")));
    PostKey(picker, VK_RETURN);  // Enter is 選択
    ASSERT_TRUE(WaitWindowGone(picker, kWait));
    EXPECT_EQ(ControlText(dialog, kFilePath), docs() + "\\");
    ASSERT_TRUE(PressButton(dialog, kFileAdd));
    EXPECT_EQ(ListRows(dialog, kFileList), std::vector<std::string>{docs() + "\\"});

    ASSERT_TRUE(PostClick(dialog, kOk));
    DWORD code = 1;
    ASSERT_TRUE(p.WaitExit(kRun, &code)) << "the program did not end after OK";
    EXPECT_EQ(inst().IniValue("File", "F1"), std::optional<std::string>(docs() + "\\"));
    EXPECT_EQ(TreeDifference(folder, ReadTree(inst().StorePath("All Users", "F1"))), "");
}

// Two files dropped from another program onto the list are both added, in
// the order given, and the path box is empty afterwards; a file dropped onto
// the path box becomes its text. The program goes on (it released the drop
// data) and OK registers both files.
TEST_F(FileList, FilesDroppedFromAnotherProgramAreListed) {
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\n[Last]\nUser=" + LoginName() + "\nMessage=0\n"));
    ASSERT_TRUE(inst().MakeDataStore());
    const std::string one = Live("一つ目.ini"), two = Live("sub\\two.dat");
    ASSERT_TRUE(MakeFolders(Live("sub")));
    ASSERT_TRUE(WriteBytes(one, Content("初期", "一つ目")));
    ASSERT_TRUE(WriteBytes(two, Content("初期", "two", 5000)));

    Process p;
    HWND dialog = Open(p);
    ASSERT_NE(dialog, nullptr);
    SelectTab(dialog, kFileTab);
    HWND list = GetDlgItem(dialog, kFileList);
    EXPECT_TRUE(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "the list does not accept files";

    ASSERT_TRUE(DropFiles(p, GetDlgItem(dialog, kFilePath), {two, one}));
    EXPECT_EQ(ControlText(dialog, kFilePath), two);
    EXPECT_TRUE(ListRows(dialog, kFileList).empty());

    ASSERT_TRUE(DropFiles(p, list, {one, two}));
    EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{one, two}));
    EXPECT_EQ(ControlText(dialog, kFilePath), "");
    EXPECT_TRUE(p.Running());
    EXPECT_TRUE(Responds(dialog, 2000)) << "the dialog stopped answering after the drop";
    LetPaint(dialog);
    ASSERT_TRUE(Screenshot(Shot("dropped")));

    ASSERT_TRUE(PostClick(dialog, kOk));
    DWORD code = 1;
    ASSERT_TRUE(p.WaitExit(kRun, &code)) << "the program did not end after OK";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(inst().IniValue("File", "F1"), std::optional<std::string>(one));
    EXPECT_EQ(inst().IniValue("File", "F2"), std::optional<std::string>(two));
    EXPECT_EQ(TreeDifference({{"一つ目.ini", Content("初期", "一つ目")}},
                             ReadTree(inst().StorePath("All Users", "F1"))),
              "");
    EXPECT_EQ(TreeDifference({{"two.dat", Content("初期", "two", 5000)}},
                             ReadTree(inst().StorePath("All Users", "F2"))),
              "");
}

// With [Delete] Check "0" two paths are removed with 削除 and a pattern is
// added; Apply asks for each removed path, in [File] order, which copy
// stays: the logged-on user's for the memo (it stays as it is), the
// registration copy for the long path (it is put back). Their stored copies
// are gone, their keys leave [File] and the in-place record, and the new
// pattern gets the freed key F2. Then switches "A" and "B" with the new
// list: every listed item byte for byte in place and in the store.
TEST_F(FileList, RemovedPathsAskWhichCopyStaysThenSwitchesUseTheNewList) {
    const std::string login = LoginName();
    const std::string longPath =
        Live("とても長い名前のフォルダ\\さらに深い階層にあるフォルダ\\もっと深いところ\\設定ファイルの長い名前.ini");
    ASSERT_TRUE(inst().WriteIni("[Start]\nStarted=1\nStatus=1\n[Last]\nUser=" + login +
                                "\nMessage=0\n[Delete]\nCheck=0\n" +
                                FileSection({{"F1", docs() + "\\"}, {"F2", memo()}, {"F3", longPath}})));
    ASSERT_TRUE(inst().MakeDataStore());
    // In place: the login user's copies; in the store: the registration
    // copies and an older copy of the login user's.
    const Tree docsNow = {{"a.txt", Content(login, "a", 300)}, {"sub\\", ""}, {"sub\\b.dat", Content(login, "b")}};
    const Tree docsCommon = {{"a.txt", Content("登録時", "a")}, {"共通だけ.txt", Content("登録時", "共通")}};
    ASSERT_TRUE(WriteTree(docs(), docsNow));
    ASSERT_TRUE(WriteBytes(memo(), Content(login, "メモ")));
    ASSERT_TRUE(MakeFolders(longPath.substr(0, longPath.rfind('\\'))));
    ASSERT_TRUE(WriteBytes(longPath, Content(login, "長い")));
    ASSERT_TRUE(WriteTree(inst().StorePath("All Users", "F1"), docsCommon));
    ASSERT_TRUE(WriteTree(inst().StorePath("All Users", "F2"), {{"メモ.txt", Content("登録時", "メモ")}}));
    ASSERT_TRUE(WriteTree(inst().StorePath("All Users", "F3"), {{"設定ファイルの長い名前.ini", Content("登録時", "長い")}}));
    ASSERT_TRUE(WriteTree(inst().StorePath("A", "F2"), {{"メモ.txt", Content("A", "メモ")}}));
    ASSERT_TRUE(WriteTree(inst().StorePath("A", "F3"), {{"設定ファイルの長い名前.ini", Content("A", "長い")}}));
    ASSERT_TRUE(WriteBytes(inst().dataPath() + "\\InPlace.dat",
                           "; in place\r\nF1=" + login + "\r\nF2=" + login + "\r\nF3=" + login + "\r\n"));
    const Tree inis = {{"x.ini", Content("初期", "x")}, {"y.ini", Content("初期", "y", 2000)}};
    ASSERT_TRUE(WriteTree(liveRoot(), inis));
    const std::string pattern = Live("*.ini");

    {
        Process p;
        HWND dialog = Open(p);
        ASSERT_NE(dialog, nullptr);
        SelectTab(dialog, kFileTab);
        ASSERT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{docs() + "\\", memo(), longPath}));
        // Removing the middle row selects the row that moves into its place.
        SelectRow(dialog, kFileList, 1);
        EXPECT_EQ(ControlText(dialog, kFilePath), memo());
        EXPECT_TRUE(Enabled(dialog, kFileDelete));
        EXPECT_FALSE(Enabled(dialog, kFileAdd));
        ASSERT_TRUE(PostClick(dialog, kFileDelete));
        ASSERT_NO_FATAL_FAILURE(Answer(p, memo() + "を\r\nリストから削除しますか?", IDOK));
        EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{docs() + "\\", longPath}));
        EXPECT_EQ(ControlText(dialog, kFilePath), longPath);
        // Removing the last row empties the path box.
        ASSERT_TRUE(PostClick(dialog, kFileDelete));
        ASSERT_NO_FATAL_FAILURE(Answer(p, longPath + "を\r\nリストから削除しますか?", IDOK));
        EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{docs() + "\\"}));
        EXPECT_EQ(ControlText(dialog, kFilePath), "");
        EXPECT_FALSE(Enabled(dialog, kFileAdd));
        ASSERT_TRUE(SetControlText(dialog, kFilePath, pattern));
        ASSERT_TRUE(PressButton(dialog, kFileAdd));
        EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{docs() + "\\", pattern}));
        // Nothing on disk yet.
        EXPECT_TRUE(FolderExists(inst().StorePath("All Users", "F2")));
        EXPECT_EQ(inst().IniValue("File", "F3"), std::optional<std::string>(longPath));

        ASSERT_TRUE(PostClick(dialog, kApply));
        ASSERT_NO_FATAL_FAILURE(ChooseData(p, memo(), false, "choice-memo"));
        ASSERT_NO_FATAL_FAILURE(ChooseData(p, longPath, true, "choice-long-path"));
        // The new key is written last, then the list is read back.
        ASSERT_TRUE(WaitUntil([&] { return inst().IniValue("File", "F2") == pattern; }, kRun))
            << "Apply did not register the pattern";
        EXPECT_TRUE(Responds(dialog, kWait));
        EXPECT_EQ(ListRows(dialog, kFileList), (std::vector<std::string>{docs() + "\\", pattern}));
        EXPECT_TRUE(IsWindowVisible(dialog));
        // Rows longer than the list can be scrolled to their ends.
        RECT client{};
        GetClientRect(GetDlgItem(dialog, kFileList), &client);
        EXPECT_GT(SendDlgItemMessageW(dialog, kFileList, LB_GETHORIZONTALEXTENT, 0, 0), client.right)
            << "the list does not scroll sideways";
        LetPaint(dialog);
        ASSERT_TRUE(Screenshot(Shot("applied")));
        ASSERT_TRUE(PostClick(dialog, kOk));
        DWORD code = 1;
        ASSERT_TRUE(p.WaitExit(kRun, &code)) << "the program did not end after OK";
        EXPECT_EQ(code, 0u);
    }

    // The memo kept the logged-on user's copy, the long path got the
    // registration copy back; the folder was not touched.
    std::string bytes;
    EXPECT_TRUE(ReadBytes(memo(), bytes) && bytes == Content(login, "メモ")) << "the memo in place changed";
    EXPECT_TRUE(ReadBytes(longPath, bytes) && bytes == Content("登録時", "長い"))
        << "the registration copy is not in place";
    EXPECT_EQ(TreeDifference(docsNow, ReadTree(docs())), "");
    // The removed paths' copies are gone from every user's folder; the freed
    // key F2 holds the new pattern's registration copy, nothing else.
    for (const char* user : {"All Users", "A"}) EXPECT_FALSE(FolderExists(inst().StorePath(user, "F3"))) << user;
    EXPECT_FALSE(FolderExists(inst().StorePath("A", "F2")));
    EXPECT_EQ(TreeDifference(inis, ReadTree(inst().StorePath("All Users", "F2"))), "");
    EXPECT_EQ(TreeDifference(docsCommon, ReadTree(inst().StorePath("All Users", "F1"))), "");
    EXPECT_EQ(inst().IniValue("File", "F1"), std::optional<std::string>(docs() + "\\"));
    EXPECT_EQ(inst().IniValue("File", "F2"), std::optional<std::string>(pattern));
    EXPECT_EQ(inst().IniValue("File", "F3"), std::nullopt);
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", login}, {"F2", login}}));

    // "A" starts: the copies in place are saved as the login user's, A (who
    // has no copy of the new list's items) gets the registration copies.
    {
        Process p;
        ASSERT_TRUE(Start(p, "\"A\""));
        RunResult r = RunToEnd(p, kRun, Shot("switch-a"));
        ASSERT_TRUE(r.ended) << "the run as A does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    }
    EXPECT_EQ(TreeDifference(docsNow, ReadTree(inst().StorePath(login, "F1"))), "");
    EXPECT_EQ(TreeDifference(inis, ReadTree(inst().StorePath(login, "F2"))), "");
    EXPECT_EQ(TreeDifference(docsCommon, ReadTree(docs())), "");
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "A"}, {"F2", "A"}}));

    // A works on both items.
    Tree aDocs = docsCommon;
    aDocs["a.txt"] = Content("A", "a", 900);
    aDocs["Aの追加\\"] = "";
    aDocs["Aの追加\\新しい.txt"] = Content("A", "新しい");
    ASSERT_TRUE(WriteTree(docs(), aDocs));
    const Tree aInis = {{"x.ini", Content("A", "x", 10)}, {"y.ini", Content("A", "y")}};
    ASSERT_TRUE(WriteTree(liveRoot(), aInis));

    // "B" starts: A's copies saved byte for byte, B gets the registration
    // copies, exactly.
    {
        Process p;
        ASSERT_TRUE(Start(p, "\"B\""));
        RunResult r = RunToEnd(p, kRun, Shot("switch-b"));
        ASSERT_TRUE(r.ended) << "the run as B does not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_TRUE(r.boxes.empty()) << Joined(r.boxes);
    }
    EXPECT_EQ(TreeDifference(aDocs, ReadTree(inst().StorePath("A", "F1"))), "");
    EXPECT_EQ(TreeDifference(aInis, ReadTree(inst().StorePath("A", "F2"))), "");
    EXPECT_EQ(TreeDifference(docsCommon, ReadTree(docs())), "");
    for (const auto& [name, content] : inis)
        EXPECT_TRUE(ReadBytes(Live(name), bytes) && bytes == content) << name << " is not the registration copy";
    EXPECT_EQ(TreeDifference(docsCommon, ReadTree(inst().StorePath("All Users", "F1"))), "");
    EXPECT_EQ(TreeDifference(inis, ReadTree(inst().StorePath("All Users", "F2"))), "");
    EXPECT_EQ(TreeDifference(docsNow, ReadTree(inst().StorePath(login, "F1"))), "");
    // Items that left the list are left alone by the switches.
    EXPECT_TRUE(ReadBytes(memo(), bytes) && bytes == Content(login, "メモ"));
    EXPECT_TRUE(ReadBytes(longPath, bytes) && bytes == Content("登録時", "長い"));
    EXPECT_FALSE(FolderExists(inst().StorePath("A", "F3")));
    EXPECT_EQ(inst().IniValue("Last", "User"), std::optional<std::string>("B"));
    EXPECT_EQ(inst().InPlaceOwners(), (std::map<std::string, std::string>{{"F1", "B"}, {"F2", "B"}}));
}

}  // namespace
