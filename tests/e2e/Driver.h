// The end-to-end driver: starts the real Tollervy.exe in a folder of its
// own, finds its windows on the same (Wine) desktop, reads and presses them
// as a person would, and reads the settings file back.
//
// Configuration comes from the environment (tools/test sets it):
//   TOLLERVY_EXE       the Tollervy.exe under test (Windows path)
//   TOLLERVY_E2E_WORK  folder that receives one folder per scenario
//   TOLLERVY_SCREENS   folder for screenshots (.bmp); none taken when unset
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// UTF-8 <-> UTF-16 and the settings file's code page (932).
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string ToCp932(const std::string& utf8);
std::string FromCp932(const std::string& bytes);

// An environment variable as UTF-8; empty when unset.
std::string EnvVar(const char* name);

struct Config {
    std::string exe;      // TOLLERVY_EXE
    std::string work;     // TOLLERVY_E2E_WORK, or %TEMP%\tollervy-e2e
    std::string screens;  // TOLLERVY_SCREENS, may be empty
};
const Config& GetConfig();

// Whole-file helpers (paths in UTF-8).
bool ReadBytes(const std::string& path, std::string& bytes);
bool WriteBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Removes a folder and everything below it, read-only files included.
bool RemoveTree(const std::string& path);
// Creates a folder and every missing folder above it.
bool MakeFolders(const std::string& path);

// A folder tree as relative path -> file content; a folder is an entry whose
// path ends in "\" (its content is ignored). Paths use "\" and UTF-8.
using Tree = std::map<std::string, std::string>;
// Writes the files and folders of `tree` below `root` (created when missing).
bool WriteTree(const std::string& root, const Tree& tree);
// Everything below `root` (not `root` itself); empty when it is missing.
Tree ReadTree(const std::string& root);
// "" when the trees are equal, otherwise a short account of the first
// differences (missing, unexpected and differing entries).
std::string TreeDifference(const Tree& expected, const Tree& actual);

// Polls `done` every `stepMs` until it is true; false when `timeoutMs`
// passed first. (Waiting is never an assertion by itself.)
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 20);

// One copy of the program in a fresh folder of its own: <work>\<name>, or
// `name` itself when it is a path with a drive.
class Install {
public:
    explicit Install(const std::string& name);
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    const std::string& folder() const { return folder_; }
    std::string exePath() const { return folder_ + "\\Tollervy.exe"; }
    std::string iniPath() const { return folder_ + "\\Tollervy.ini"; }
    std::string dataPath() const { return folder_ + "\\Data"; }

    // Writes the settings file from UTF-8 text: lines end in "\r\n", the
    // bytes are code page 932 as the program's profile functions expect.
    bool WriteIni(const std::string& utf8Text);
    bool IniExists() const { return FileExists(iniPath()); }
    std::string IniBytes() const;
    // A key as the profile functions read it; nullopt when it is absent.
    std::optional<std::string> IniValue(const std::string& section, const std::string& key) const;

    // Creates the data store with its "All Users" folder, as the first
    // opening of the settings dialog leaves it.
    bool MakeDataStore();
    // Writes the user file Data\User.dat: one line per entry ("name,pass,1"),
    // each ended by CR LF, in code page 932.
    bool WriteUserFile(const std::vector<std::string>& lines);
    // A settings value written the way the program writes it.
    bool SetIniValue(const std::string& section, const std::string& key, const std::string& value);
    // <folder>\<relative>
    std::string Path(const std::string& relative) const { return folder_ + "\\" + relative; }
    // Data\<user>\<key>: one user's stored copy of one listed item.
    std::string StorePath(const std::string& user, const std::string& key) const {
        return dataPath() + "\\" + user + "\\" + key;
    }
    // The data store's record of whose copy each item holds in place
    // (Data\InPlace.dat, lines key=owner); empty when there is none.
    std::map<std::string, std::string> InPlaceOwners() const;

    // Sets or clears the read-only attribute of the settings file.
    bool SetIniReadOnly(bool readOnly);
    // Can this process open the settings file for writing? (Root can even
    // when it is read-only.)
    bool IniWritable() const;

private:
    std::string folder_;
    std::string error_;
    bool ok_ = false;
};

// A started program. The destructor ends it when it still runs.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Starts `exe` with the argument text `args` (may be empty) in `dir`.
    // With waitIdle the call returns once the program waits for input (at
    // most 5 s); without, at once (to watch what it does while it starts).
    bool Start(const std::string& exe, const std::string& args, const std::string& dir, bool waitIdle = true);
    DWORD Id() const { return pid_; }
    bool Running() const;
    // Waits for the end; true and the exit code when it ended in time.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();

    // Visible top-level windows of this process, optionally of one class.
    std::vector<HWND> VisibleWindows(const wchar_t* className = nullptr) const;
    // Every top-level window of this process, hidden ones included.
    std::vector<HWND> AllWindows(const wchar_t* className = nullptr) const;
    // The top-level window of this process with this class and title, hidden
    // or not; nullptr when there is none.
    HWND FindWindowTitled(const wchar_t* className, const std::string& title) const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Waits until `p` shows a visible dialog or message box (class "#32770")
// titled `title`; nullptr on timeout or when the process ends first.
HWND WaitForDialog(const Process& p, const std::string& title, DWORD timeoutMs);
// The same for a message box: a "#32770" window with the static text
// control 0xFFFF.
HWND WaitForMessageBox(const Process& p, const std::string& title, DWORD timeoutMs);
bool IsMessageBox(HWND window);
// A system-modal box stays on top of every other window.
bool IsSystemModal(HWND window);
// The message text of a message box (its static control 0xFFFF).
std::string MessageText(HWND box);
std::string WindowTitle(HWND window);
// Presses a button of a dialog by its id (IDOK, IDYES, ...) with BM_CLICK,
// falling back to WM_COMMAND when the button cannot be found.
bool PressButton(HWND dialog, int id);
// Waits until a window is gone.
bool WaitWindowGone(HWND window, DWORD timeoutMs);

// Presses a button without waiting for its handler: for a button whose click
// opens a modal window (BM_CLICK is posted).
bool PostClick(HWND dialog, int id);
// The text of a dialog's control, and setting it as typing would (WM_SETTEXT:
// the control tells its dialog of the change).
std::string ControlText(HWND dialog, int id);
bool SetControlText(HWND dialog, int id, const std::string& text);
// Empties an edit control, then types `text` into it one character at a
// time (a posted WM_CHAR each: the box changes once per key, as under a
// person's fingers); true when the box then holds the text.
bool TypeInto(HWND dialog, int id, const std::string& text);
// The id of the control that has the keyboard focus in `dialog`'s thread; 0
// when none of its controls has it.
int FocusedControlId(HWND dialog);

// Keys as a person types them into a dialog: posted to the control that has
// the focus in the dialog's thread (the dialog itself when none has it), so
// the program's own message loop and the dialog manager handle them. PostKey
// presses and releases one key; PostAltKey holds Alt over a letter or digit
// (an access key, "Alt+C").
void PostKey(HWND dialog, UINT key);
void PostAltKey(HWND dialog, char key);
// Posts a key and waits until the focus has moved to the control `id`;
// false when it did not within `timeoutMs`.
bool KeyMovesFocusTo(HWND dialog, UINT key, int id, DWORD timeoutMs);

// The program's main window: its dialog window titled "Tollervy" that is not
// a message box, hidden or not; nullptr when it has none (yet).
HWND MainWindow(const Process& p);
// Visible and wholly inside the screen (the main window is parked beyond the
// right edge until a switch shows its progress).
bool IsOnScreen(HWND window);
// True when the screen shows the window: most of its rectangle differs from
// the desktop's colour (a window comes on screen some time after it is made
// visible, and a busy program's window only as Wine flushes it).
bool PaintedOnScreen(HWND window);
// Waits up to `timeoutMs` for a running switch's progress window to be
// painted on screen; its main window, or nullptr when the program ended (or
// the time ran out) first.
HWND WaitForProgressWindow(const Process& p, DWORD timeoutMs);
// True when the window's thread answers a message within `timeoutMs`: it is
// back in a message loop, not inside a long handler such as a switch.
bool Responds(HWND window, DWORD timeoutMs);

// Waits until `p` shows a pop-up menu (class "#32768"); nullptr on timeout.
HWND WaitForPopupMenu(const Process& p, DWORD timeoutMs);
// Moves the mouse to a screen point and clicks a button (SendInput).
enum class MouseButton { Left, Right };
bool ClickAt(int x, int y, MouseButton button = MouseButton::Left);
// Right-clicks the notification-area icon at `at` until `p` shows its menu.
// Wine's taskbar takes the first click after the desktop had the focus for
// itself, so a click may need to come again. nullptr when no menu came.
HWND OpenIconMenu(const Process& p, POINT at);
// Clicks item `index` of a pop-up menu of `count` items of equal height and
// no separators.
bool ClickMenuItem(HWND menu, int index, int count);

// The notification area: the number of icons the shell shows, and whether
// it holds the icon (owner window, id).
int TrayIconCount();
bool TrayHasIcon(HWND owner, UINT id);
// The screen point of the notification area's icon while the shell's
// taskbar shows exactly one (at the right end of the bar); false while the
// taskbar is not on screen.
bool OnlyTrayIconPoint(POINT& at);
// What a restart of the shell does to a program's icon: the icon is gone,
// then every top-level window hears "TaskbarCreated".
bool DropTrayIcon(HWND owner, UINT id);
void AnnounceTaskbarCreated();

// What a program showed while it ran to its end.
struct RunResult {
    bool ended = false;
    DWORD exitCode = 0;
    std::vector<std::string> boxes;    // texts of the message boxes it showed
    std::vector<std::string> windows;  // titles of other dialogs it showed
    bool stoppedAtDialog = false;      // returned at the first other dialog
};
// Lets `p` run to its end. Each message box it shows meanwhile is recorded,
// photographed (as <shotPrefix>-N) and answered with OK so the run goes on;
// other dialogs are recorded and photographed and left alone. With
// stopAtDialog it returns at the first other dialog, the program still
// running.
RunResult RunToEnd(Process& p, DWORD timeoutMs, const std::string& shotPrefix, bool stopAtDialog = false);

// Holds Shift down (SendInput) for its lifetime; always releases it.
class ShiftHeld {
public:
    ShiftHeld();
    ~ShiftHeld();
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Sets HKCU\Software\Wine Version (the Windows version that programs started
// afterwards see) and puts the previous value back on destruction.
class WineVersion {
public:
    explicit WineVersion(const std::string& version);
    ~WineVersion();
    WineVersion(const WineVersion&) = delete;
    WineVersion& operator=(const WineVersion&) = delete;
    bool ok() const { return ok_; }

private:
    std::optional<std::wstring> previous_;
    bool ok_ = false;
};

// Saves the whole screen (the Wine virtual desktop) as
// TOLLERVY_SCREENS\<name>.bmp. True when saved (or when no folder is set).
bool Screenshot(const std::string& name);
// The same for one window only: its rectangle on the screen.
bool Screenshot(const std::string& name, HWND window);

// Settles a window before a screenshot: lets it process what is queued and
// paint.
void LetPaint(HWND window);

}  // namespace e2e
