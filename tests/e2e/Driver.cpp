#include "Driver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "../wine/Screen.h"

namespace e2e {

namespace {

std::wstring FromCodePage(UINT cp, const std::string& bytes) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return w;
}

std::string ToCodePage(UINT cp, const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

struct EnumState {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND>* out;
    bool visibleOnly = true;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
    auto* st = reinterpret_cast<EnumState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != st->pid || (st->visibleOnly && !IsWindowVisible(w))) return TRUE;
    if (st->cls) {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (lstrcmpW(cls, st->cls) != 0) return TRUE;
    }
    st->out->push_back(w);
    return TRUE;
}

}  // namespace

std::wstring Wide(const std::string& utf8) { return FromCodePage(CP_UTF8, utf8); }
std::string Utf8(const std::wstring& wide) { return ToCodePage(CP_UTF8, wide); }
std::string ToCp932(const std::string& utf8) { return ToCodePage(932, Wide(utf8)); }
std::string FromCp932(const std::string& bytes) { return Utf8(FromCodePage(932, bytes)); }

std::string EnvVar(const char* name) {
    std::wstring wname = Wide(name);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring v(n, L'\0');
    n = GetEnvironmentVariableW(wname.c_str(), v.data(), n);
    v.resize(n);
    return Utf8(v);
}

const Config& GetConfig() {
    static const Config config = [] {
        Config c;
        c.exe = EnvVar("TOLLERVY_EXE");
        c.work = EnvVar("TOLLERVY_E2E_WORK");
        if (c.work.empty()) {
            wchar_t tmp[MAX_PATH] = {};
            GetTempPathW(MAX_PATH, tmp);
            c.work = Utf8(tmp) + "tollervy-e2e";
        }
        while (!c.work.empty() && (c.work.back() == '\\' || c.work.back() == '/')) c.work.pop_back();
        c.screens = EnvVar("TOLLERVY_SCREENS");
        return c;
    }();
    return config;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    return ok;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    return CloseHandle(h) && ok;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveTree(const std::string& path) {
    std::wstring root = Wide(path);
    DWORD a = GetFileAttributesW(root.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return true;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(root.c_str()) != 0;
    }
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((root + L"\\*").c_str(), &fd);
    bool ok = true;
    if (f != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            ok = RemoveTree(path + "\\" + Utf8(name)) && ok;
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(root.c_str()) != 0 && ok;
}

bool MakeFolders(const std::string& path) {
    if (FolderExists(path)) return true;
    const auto cut = path.find_last_of('\\');
    if (cut != std::string::npos && cut > 0 && path[cut - 1] != ':') {
        if (!MakeFolders(path.substr(0, cut))) return false;
    }
    return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0 || FolderExists(path);
}

bool WriteTree(const std::string& root, const Tree& tree) {
    if (!MakeFolders(root)) return false;
    for (const auto& [relative, content] : tree) {
        const std::string path = root + "\\" + relative;
        if (!relative.empty() && relative.back() == '\\') {
            if (!MakeFolders(path.substr(0, path.size() - 1))) return false;
            continue;
        }
        const auto cut = path.find_last_of('\\');
        if (!MakeFolders(path.substr(0, cut)) || !WriteBytes(path, content)) return false;
    }
    return true;
}

namespace {
void ReadTreeInto(const std::string& root, const std::string& relative, Tree& tree) {
    WIN32_FIND_DATAW fd;
    const std::string folder = relative.empty() ? root : root + "\\" + relative.substr(0, relative.size() - 1);
    HANDLE f = FindFirstFileW(Wide(folder + "\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Utf8(fd.cFileName);
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[relative + name + "\\"] = "";
            ReadTreeInto(root, relative + name + "\\", tree);
        } else {
            ReadBytes(folder + "\\" + name, tree[relative + name]);
        }
    } while (FindNextFileW(f, &fd));
    FindClose(f);
}
}  // namespace

Tree ReadTree(const std::string& root) {
    Tree tree;
    ReadTreeInto(root, "", tree);
    return tree;
}

std::string TreeDifference(const Tree& expected, const Tree& actual) {
    std::string out;
    int shown = 0;
    auto note = [&](const std::string& what) {
        if (++shown <= 8) out += what + "\n";
    };
    for (const auto& [path, content] : expected) {
        const auto it = actual.find(path);
        if (it == actual.end()) note("missing: " + path);
        else if (path.back() != '\\' && it->second != content)
            note("differs: " + path + " (" + std::to_string(it->second.size()) + " bytes, expected " +
                 std::to_string(content.size()) + ")");
    }
    for (const auto& [path, content] : actual)
        if (!expected.count(path)) note("unexpected: " + path);
    if (shown > 8) out += "... " + std::to_string(shown - 8) + " more\n";
    return out;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return done();
        Sleep(stepMs);
    }
}

// ---------------------------------------------------------------- Install

Install::Install(const std::string& name) {
    const Config& c = GetConfig();
    if (c.exe.empty()) {
        error_ = "TOLLERVY_EXE is not set";
        return;
    }
    CreateDirectoryW(Wide(c.work).c_str(), nullptr);
    // A name with a drive (C:\Program Files\Tollervy) is the folder itself.
    folder_ = name.find(":\\") != std::string::npos ? name : c.work + "\\" + name;
    if (!RemoveTree(folder_)) {
        error_ = "cannot empty " + folder_;
        return;
    }
    if (!CreateDirectoryW(Wide(folder_).c_str(), nullptr)) {
        error_ = "cannot create " + folder_;
        return;
    }
    if (!CopyFileW(Wide(c.exe).c_str(), Wide(exePath()).c_str(), FALSE)) {
        error_ = "cannot copy " + c.exe + " to " + exePath();
        return;
    }
    ok_ = true;
}

bool Install::WriteIni(const std::string& utf8Text) {
    std::string text;
    for (char ch : utf8Text) {
        if (ch == '\n') text += "\r\n";
        else text += ch;
    }
    return WriteBytes(iniPath(), ToCp932(text));
}

std::string Install::IniBytes() const {
    std::string bytes;
    ReadBytes(iniPath(), bytes);
    return bytes;
}

std::optional<std::string> Install::IniValue(const std::string& section, const std::string& key) const {
    // A default no settings file holds tells an absent key from an empty one.
    const wchar_t* absent = L"\x1\x2<absent>";
    wchar_t buf[1024] = {};
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), absent, buf, 1024, Wide(iniPath()).c_str());
    if (lstrcmpW(buf, absent) == 0) return std::nullopt;
    return Utf8(buf);
}

bool Install::MakeDataStore() {
    CreateDirectoryW(Wide(dataPath()).c_str(), nullptr);
    CreateDirectoryW(Wide(dataPath() + "\\All Users").c_str(), nullptr);
    return FolderExists(dataPath() + "\\All Users");
}

bool Install::WriteUserFile(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return MakeFolders(dataPath()) && WriteBytes(dataPath() + "\\User.dat", ToCp932(text));
}

bool Install::SetIniValue(const std::string& section, const std::string& key, const std::string& value) {
    // The settings file is code page 932: the ANSI functions write it so.
    const std::string s = ToCp932(section), k = ToCp932(key), v = ToCp932(value);
    const std::string file = ToCp932(iniPath());
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), file.c_str()) != 0;
}

std::map<std::string, std::string> Install::InPlaceOwners() const {
    std::map<std::string, std::string> owners;
    std::string text;
    if (!ReadBytes(dataPath() + "\\InPlace.dat", text)) return owners;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (line.empty() || line[0] == ';' || eq == std::string::npos) continue;
        owners[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return owners;
}

bool Install::SetIniReadOnly(bool readOnly) {
    std::wstring p = Wide(iniPath());
    DWORD a = GetFileAttributesW(p.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    a = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return SetFileAttributesW(p.c_str(), a) != 0;
}

bool Install::IniWritable() const {
    HANDLE h = CreateFileW(Wide(iniPath()).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// ---------------------------------------------------------------- Process

Process::~Process() {
    Kill();
    if (process_) CloseHandle(process_);
}

bool Process::Start(const std::string& exe, const std::string& args, const std::string& dir, bool waitIdle) {
    if (process_) return false;
    std::wstring cmd = L"\"" + Wide(exe) + L"\"";
    if (!args.empty()) cmd += L" " + Wide(args);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(Wide(exe).c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : Wide(dir).c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    // Let it reach its message loop before anyone looks for its windows.
    if (waitIdle) WaitForInputIdle(process_, 5000);
    return true;
}

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_) return false;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode) *exitCode = code;
    return true;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
}

std::vector<HWND> Process::VisibleWindows(const wchar_t* className) const {
    std::vector<HWND> out;
    EnumState st{pid_, className, &out};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&st));
    return out;
}

std::vector<HWND> Process::AllWindows(const wchar_t* className) const {
    std::vector<HWND> out;
    EnumState st{pid_, className, &out, false};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&st));
    return out;
}

HWND Process::FindWindowTitled(const wchar_t* className, const std::string& title) const {
    for (HWND w : AllWindows(className))
        if (WindowTitle(w) == title) return w;
    return nullptr;
}

// ---------------------------------------------------------------- windows

namespace {
HWND WaitForWindow(const Process& p, const std::string& title, DWORD timeoutMs, bool messageBox) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND w : p.VisibleWindows(L"#32770")) {
            if (WindowTitle(w) == title && (!messageBox || IsMessageBox(w))) {
                LetPaint(w);
                return w;
            }
        }
        if (!p.Running() || GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(20);
    }
}
}  // namespace

HWND WaitForDialog(const Process& p, const std::string& title, DWORD timeoutMs) {
    return WaitForWindow(p, title, timeoutMs, false);
}

HWND WaitForMessageBox(const Process& p, const std::string& title, DWORD timeoutMs) {
    return WaitForWindow(p, title, timeoutMs, true);
}

bool IsMessageBox(HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; }

bool IsSystemModal(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::string MessageText(HWND box) {
    wchar_t buf[4096] = {};
    GetDlgItemTextW(box, 0xFFFF, buf, 4096);
    return Utf8(buf);
}

std::string WindowTitle(HWND window) {
    wchar_t buf[512] = {};
    GetWindowTextW(window, buf, 512);
    return Utf8(buf);
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button && IsWindowVisible(button) && IsWindowEnabled(button)) {
        DWORD_PTR result = 0;
        // BM_CLICK does not return until the dialog has handled the click;
        // a message box ends inside that call.
        if (SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return true;
    }
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

bool WaitWindowGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

bool PostClick(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return {};
    wchar_t buf[1024] = {};
    DWORD_PTR got = 0;
    // An edit keeps its text itself: ask it (GetWindowText of another
    // program's window reads only what the window manager holds).
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 2000, &got))
        GetWindowTextW(control, buf, 1024);
    return Utf8(buf);
}

bool SetControlText(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return false;
    const std::wstring w = Wide(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()), SMTO_NORMAL, 5000,
                               &result) != 0 &&
           result != 0;
}

bool TypeInto(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control || !SetControlText(dialog, id, "")) return false;
    for (wchar_t ch : Wide(text)) PostMessageW(control, WM_CHAR, ch, 1);
    return WaitUntil([&] { return ControlText(dialog, id) == text; }, 5000);
}

int FocusedControlId(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return 0;
    if (!info.hwndFocus || !IsChild(dialog, info.hwndFocus)) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

namespace {
HWND FocusTarget(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
        IsChild(dialog, info.hwndFocus))
        return info.hwndFocus;
    return dialog;
}
}  // namespace

void PostKey(HWND dialog, UINT key) {
    HWND target = FocusTarget(dialog);
    const UINT scan = MapVirtualKeyW(key, 0);
    PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, key, 0xC0000001 | (scan << 16));
}

void PostAltKey(HWND dialog, char key) {
    HWND target = FocusTarget(dialog);
    const UINT vk = static_cast<UINT>(key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key);
    const LPARAM alt = 1 << 29;  // the context code: Alt is down
    const UINT scan = MapVirtualKeyW(vk, 0);
    // What the keyboard sends; TranslateMessage makes WM_SYSCHAR of it.
    PostMessageW(target, WM_SYSKEYDOWN, vk, alt | 1 | (scan << 16));
    PostMessageW(target, WM_SYSKEYUP, vk, alt | 0xC0000001 | (scan << 16));
}

bool KeyMovesFocusTo(HWND dialog, UINT key, int id, DWORD timeoutMs) {
    PostKey(dialog, key);
    return WaitUntil([&] { return FocusedControlId(dialog) == id; }, timeoutMs);
}

HWND MainWindow(const Process& p) {
    for (HWND w : p.AllWindows(L"#32770"))
        if (WindowTitle(w) == "Tollervy" && !IsMessageBox(w)) return w;
    return nullptr;
}

bool IsOnScreen(HWND window) {
    RECT r;
    if (!window || !IsWindowVisible(window) || !GetWindowRect(window, &r)) return false;
    return r.left >= 0 && r.top >= 0 && r.right <= GetSystemMetrics(SM_CXSCREEN) &&
           r.bottom <= GetSystemMetrics(SM_CYSCREEN) && r.right > r.left && r.bottom > r.top;
}

HWND WaitForProgressWindow(const Process& p, DWORD timeoutMs) {
    HWND main = nullptr;
    const bool shown = WaitUntil(
        [&] {
            main = MainWindow(p);
            return PaintedOnScreen(main) || !p.Running();
        },
        timeoutMs, 5);
    return shown && p.Running() ? main : nullptr;
}

bool PaintedOnScreen(HWND window) {
    RECT r;
    if (!IsOnScreen(window) || !GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool painted = false;
    if (dib && bits) {
        HGDIOBJ old = SelectObject(mem, dib);
        // The desktop's colour: the top left corner, where no window is.
        const COLORREF desk = GetPixel(screen, 0, 0);
        if (BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            const auto* px = static_cast<const DWORD*>(bits);
            const DWORD deskBgr = (GetRValue(desk) << 16) | (GetGValue(desk) << 8) | GetBValue(desk);
            long long same = 0;
            for (long long i = 0; i < static_cast<long long>(w) * h; ++i) same += (px[i] & 0xFFFFFF) == deskBgr;
            painted = same * 2 < static_cast<long long>(w) * h;
        }
        SelectObject(mem, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return painted;
}

bool Responds(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

HWND WaitForPopupMenu(const Process& p, DWORD timeoutMs) {
    HWND menu = nullptr;
    WaitUntil(
        [&] {
            const auto menus = p.VisibleWindows(L"#32768");
            menu = menus.empty() ? nullptr : menus.front();
            return menu != nullptr || !p.Running();
        },
        timeoutMs);
    return menu;
}

bool ClickAt(int x, int y, MouseButton button) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    if (w < 2 || h < 2) return false;
    INPUT in[3] = {};
    in[0].type = INPUT_MOUSE;
    in[0].mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65535 + (w - 1) / 2) / (w - 1));
    in[0].mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65535 + (h - 1) / 2) / (h - 1));
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].type = INPUT_MOUSE;
    const bool right = button == MouseButton::Right;
    in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    in[2].type = INPUT_MOUSE;
    in[2].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    return SendInput(3, in, sizeof(INPUT)) == 3;
}

HWND OpenIconMenu(const Process& p, POINT at) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!ClickAt(at.x, at.y, MouseButton::Right)) return nullptr;
        if (HWND menu = WaitForPopupMenu(p, 3000)) return menu;
    }
    return nullptr;
}

bool ClickMenuItem(HWND menu, int index, int count) {
    RECT r;
    if (!menu || count <= 0 || index < 0 || index >= count || !GetWindowRect(menu, &r)) return false;
    // The middle of the item's band (the frame is a few pixels at most).
    const int height = r.bottom - r.top;
    return ClickAt((r.left + r.right) / 2, r.top + height * (2 * index + 1) / (2 * count));
}

namespace {
struct TrayTips {
    DWORD shellPid;
    int tools;
};
BOOL CALLBACK CountTrayTips(HWND w, LPARAM lp) {
    auto* st = reinterpret_cast<TrayTips*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (pid == st->shellPid && lstrcmpW(cls, TOOLTIPS_CLASSW) == 0) {
        DWORD_PTR n = 0;
        if (SendMessageTimeoutW(w, TTM_GETTOOLCOUNT, 0, 0, SMTO_NORMAL, 2000, &n)) st->tools += static_cast<int>(n);
    }
    return TRUE;
}
}  // namespace

int TrayIconCount() {
    // Wine's shell gives every icon of its notification area one entry in
    // its tool tips (and has no tool tip window while there is no icon).
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return 0;
    TrayTips st{0, 0};
    GetWindowThreadProcessId(tray, &st.shellPid);
    EnumWindows(CountTrayTips, reinterpret_cast<LPARAM>(&st));
    return st.tools;
}

bool TrayHasIcon(HWND owner, UINT id) {
    // Changing nothing of an icon succeeds only for an icon the shell holds.
    NOTIFYICONDATAW data = {};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    data.uFlags = 0;
    return owner && Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool OnlyTrayIconPoint(POINT& at) {
    // Wine's taskbar lines its icons up from the right end, each in a square
    // cell as high as the bar: one icon sits in the last cell.
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT r;
    if (!tray || !IsWindowVisible(tray) || !GetWindowRect(tray, &r) || r.bottom - r.top < 8) return false;
    const int cell = r.bottom - r.top;
    at.x = r.right - cell / 2;
    at.y = (r.top + r.bottom) / 2;
    return true;
}

bool DropTrayIcon(HWND owner, UINT id) {
    NOTIFYICONDATAW data = {};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    return owner && Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

void AnnounceTaskbarCreated() {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &ignored);
}

void LetPaint(HWND window) {
    DWORD_PTR result = 0;
    // A message box is painting or idle once it has answered a message.
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(250);
}

RunResult RunToEnd(Process& p, DWORD timeoutMs, const std::string& shotPrefix, bool stopAtDialog) {
    RunResult r;
    std::vector<HWND> seen;
    DWORD start = GetTickCount();
    for (;;) {
        if (p.WaitExit(20, &r.exitCode)) {
            r.ended = true;
            return r;
        }
        for (HWND w : p.VisibleWindows(L"#32770")) {
            bool known = false;
            for (HWND s : seen) known = known || s == w;
            if (known) continue;
            seen.push_back(w);
            LetPaint(w);
            Screenshot(shotPrefix + "-" + std::to_string(seen.size()));
            if (IsMessageBox(w)) {  // read it, answer OK
                r.boxes.push_back(MessageText(w));
                PressButton(w, IDOK);
                WaitWindowGone(w, 3000);
            } else {
                r.windows.push_back(WindowTitle(w));
                if (stopAtDialog) {
                    r.stoppedAtDialog = true;
                    return r;
                }
            }
        }
        if (GetTickCount() - start > timeoutMs) return r;
    }
}

// ---------------------------------------------------------------- keyboard

namespace {
bool SendShift(bool down) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = VK_SHIFT;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_LSHIFT, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return SendInput(1, &in, sizeof in) == 1;
}
}  // namespace

ShiftHeld::ShiftHeld() { ok_ = SendShift(true); }
ShiftHeld::~ShiftHeld() { SendShift(false); }

// ---------------------------------------------------------------- registry

namespace {
const wchar_t* kWineKey = L"Software\\Wine";

std::optional<std::wstring> ReadWineVersion() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kWineKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    wchar_t buf[64] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    LONG rc = RegQueryValueExW(key, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::wstring(buf);
}

bool WriteWineVersion(const std::optional<std::wstring>& v) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kWineKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc;
    if (v) {
        rc = RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(v->c_str()),
                            static_cast<DWORD>((v->size() + 1) * sizeof(wchar_t)));
    } else {
        rc = RegDeleteValueW(key, L"Version");
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}
}  // namespace

WineVersion::WineVersion(const std::string& version) {
    previous_ = ReadWineVersion();
    ok_ = WriteWineVersion(Wide(version)) && ReadWineVersion() == Wide(version);
}

WineVersion::~WineVersion() { WriteWineVersion(previous_); }

// ---------------------------------------------------------------- screen

bool Screenshot(const std::string& name) {
    const std::string& dir = GetConfig().screens;
    if (dir.empty()) return true;
    CreateDirectoryW(Wide(dir).c_str(), nullptr);
    return tollervy::screen::SaveBmp(Wide(dir + "\\" + name + ".bmp"));
}

bool Screenshot(const std::string& name, HWND window) {
    const std::string& dir = GetConfig().screens;
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    if (dir.empty()) return true;
    CreateDirectoryW(Wide(dir).c_str(), nullptr);
    return tollervy::screen::SaveBmp(Wide(dir + "\\" + name + ".bmp"), &r);
}

}  // namespace e2e
