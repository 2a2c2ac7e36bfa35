// Start-time benchmark, run under Wine by bench/startup: how long a start of
// Tollervy.exe takes when the user who logs on is the one whose copies are
// already in place (nothing to switch), against the start of a minimal GUI
// program, both measured in the same run from CreateProcess to the end of
// the process.
//
// The program is installed in a scratch folder with a settings file of a set
// up program ([Start] Started "1", not resident, progress display on, no
// logon dialog, no user list), [Last] User = the login name this process
// sees (the program runs as the same user), a [File] list of a folder, a
// file, a pattern and a second folder that all exist, and a data store whose
// in-place record says that every item holds that user's copy. Such a start
// runs the whole start-up sequence and logon phase and returns from the
// switch before touching any file.
//
// That is checked, not assumed:
//   - a probe start with [Start] Debug "1" must show exactly the OS version
//     message and "User" + login + "→" + login (the switch was asked for the
//     same user), and nothing after it;
//   - after every start the live files and the whole data store are
//     unchanged byte for byte (the stored copies differ from the live ones,
//     and the store holds a file the live folder lacks, so a save or a
//     restore could not go unnoticed), [Last] User still names the login and
//     [Start] NowUser is empty again (the exit path ran), exit code 0;
//   - the untimed warm-up start must show no message box at all, and any
//     timed start that does not end within the time limit fails the
//     benchmark with the texts of the boxes it shows (a message box keeps
//     the program from ending).
//
//   start_bench.exe --dir FOLDER --exe Tollervy.exe --baseline minimal_gui.exe
//                   [--rounds 15] [--timeout 10]
#include "Driver.h"

#include "Clock.h"

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// Text and file helpers of the end-to-end driver.
using e2e::FromCp932;
using e2e::MakeFolders;
using e2e::ReadBytes;
using e2e::RemoveTree;
using e2e::ToCp932;
using e2e::Utf8;
using e2e::Wide;
using e2e::WriteBytes;

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char ch : bytes) h = (h ^ ch) * 1099511628211ull;
    return h;
}

// Everything below `root` as relative path -> what a change would alter:
// folders by name and attributes, files by size, attributes, last write
// time and a hash of their bytes.
using Snapshot = std::map<std::string, std::string>;

void Take(const std::string& root, const std::string& relative, Snapshot& out) {
    const std::string folder = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileW(Wide(folder + "\\*").c_str(), &d);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Utf8(d.cFileName);
        if (name == "." || name == "..") continue;
        const std::string rel = relative.empty() ? name : relative + "\\" + name;
        char line[160];
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::snprintf(line, sizeof line, "folder attr %lx", static_cast<unsigned long>(d.dwFileAttributes));
            out[rel + "\\"] = line;
            Take(root, rel, out);
        } else {
            std::string bytes;
            const bool read = ReadBytes(root + "\\" + rel, bytes);
            std::snprintf(line, sizeof line, "size %lu attr %lx written %lx:%lx hash %016llx%s",
                          static_cast<unsigned long>(d.nFileSizeLow), static_cast<unsigned long>(d.dwFileAttributes),
                          static_cast<unsigned long>(d.ftLastWriteTime.dwHighDateTime),
                          static_cast<unsigned long>(d.ftLastWriteTime.dwLowDateTime),
                          static_cast<unsigned long long>(Fnv1a(bytes)), read ? "" : " unreadable");
            out[rel] = line;
        }
    } while (FindNextFileW(find, &d));
    FindClose(find);
}

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot s;
    Take(root, "", s);
    return s;
}

// "" when equal, otherwise the first differences.
std::string Difference(const Snapshot& before, const Snapshot& after) {
    std::string out;
    int shown = 0;
    auto note = [&](const std::string& what) {
        if (shown++ < 5) out += "\n     " + what;
    };
    for (const auto& [path, state] : before) {
        const auto it = after.find(path);
        if (it == after.end()) note("gone: " + path);
        else if (it->second != state) note("changed: " + path + " (" + state + " -> " + it->second + ")");
    }
    for (const auto& [path, state] : after)
        if (!before.count(path)) note("new: " + path);
    if (shown > 5) out += "\n     ... " + std::to_string(shown - 5) + " more";
    return out;
}

// --- The scenario ------------------------------------------------------------

// File content that names its owner and its file, `size` bytes in all.
std::string Content(const std::string& owner, const std::string& name, std::size_t size) {
    std::string s = owner + " / " + name + "\r\n";
    std::uint32_t x = static_cast<std::uint32_t>(Fnv1a(s));
    while (s.size() < size) {
        x = x * 1664525u + 1013904223u;
        s += static_cast<char>(x >> 24);
    }
    return s;
}

struct Item {
    std::string key;
    std::string path;  // as listed in [File]
};

struct Scene {
    std::string dir, app, exe, ini, data, live, login;
    std::vector<Item> items;
};

bool WriteFiles(const std::string& folder, const std::map<std::string, std::string>& files) {
    for (const auto& [relative, bytes] : files) {
        const std::string path = folder + "\\" + relative;
        if (!MakeFolders(path.substr(0, path.find_last_of('\\'))) || !WriteBytes(path, bytes)) return false;
    }
    return true;
}

// One owner's state of the four items: a documents folder with a subfolder,
// a memo, settings files matched by a pattern (beside a file the pattern
// does not match), and a picture folder of larger files.
std::map<std::string, std::string> Documents(const std::string& owner) {
    std::map<std::string, std::string> t;
    for (int i = 0; i < 24; ++i) {
        const std::string name = "報告書" + std::to_string(i) + ".txt";
        t[name] = Content(owner, name, 1500 + 97 * i);
    }
    for (int i = 0; i < 12; ++i) {
        const std::string name = "下書き\\draft" + std::to_string(i) + ".doc";
        t[name] = Content(owner, name, 8000 + 331 * i);
    }
    return t;
}

std::map<std::string, std::string> Pictures(const std::string& owner) {
    std::map<std::string, std::string> t;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "写真" + std::to_string(i) + ".jpg";
        t[name] = Content(owner, name, 60000 + 4099 * i);
    }
    return t;
}

std::map<std::string, std::string> Patterned(const std::string& owner) {
    std::map<std::string, std::string> t;
    for (const char* name : {"表示.ini", "辞書.ini", "window.ini"}) t[name] = Content(owner, name, 700);
    return t;
}

bool MakeScene(const std::string& dir, const std::string& exe, const std::string& login, Scene& s, std::string& error) {
    s.dir = dir;
    s.app = dir + "\\app";
    s.exe = s.app + "\\Tollervy.exe";
    s.ini = s.app + "\\Tollervy.ini";
    s.data = s.app + "\\Data";
    s.live = dir + "\\live";
    s.login = login;
    if (!RemoveTree(dir) || !MakeFolders(s.app) || !MakeFolders(s.live)) {
        error = "cannot make " + dir;
        return false;
    }
    if (!CopyFileW(Wide(exe).c_str(), Wide(s.exe).c_str(), FALSE)) {
        error = "cannot copy " + exe + " to " + s.exe;
        return false;
    }
    s.items = {{"F1", s.live + "\\書類\\"},
               {"F2", s.live + "\\メモ.txt"},
               {"F3", s.live + "\\設定\\*.ini"},
               {"F4", s.live + "\\ピクチャ\\"}};

    // The live items: the user's work of today.
    const std::string now = login + " (in place)";
    std::map<std::string, std::string> setting = Patterned(now);
    setting["readme.txt"] = Content(now, "readme.txt", 400);  // not matched by the pattern
    if (!WriteFiles(s.live + "\\書類", Documents(now)) ||
        !WriteFiles(s.live, {{"メモ.txt", Content(now, "メモ.txt", 3000)}}) ||
        !WriteFiles(s.live + "\\設定", setting) || !WriteFiles(s.live + "\\ピクチャ", Pictures(now))) {
        error = "cannot write the live items below " + s.live;
        return false;
    }

    // The data store: the common copies and the user's own copies of an
    // earlier switch, which differ from what is in place; the user's folder
    // copy also holds a file that the live folder no longer has.
    for (const std::string& owner : {std::string("All Users"), login}) {
        const std::string tag = owner + " (stored)";
        std::map<std::string, std::string> docs = Documents(tag);
        if (owner == login) docs["消した古いメモ.txt"] = Content(tag, "消した古いメモ.txt", 900);
        const std::string user = s.data + "\\" + owner;
        if (!WriteFiles(user + "\\F1", docs) || !WriteFiles(user + "\\F2", {{"メモ.txt", Content(tag, "メモ.txt", 2500)}}) ||
            !WriteFiles(user + "\\F3", Patterned(tag)) || !WriteFiles(user + "\\F4", Pictures(tag))) {
            error = "cannot write the data store below " + user;
            return false;
        }
    }
    // Whose copy each item holds: the user's, every one of them.
    std::string record = "; Whose copy each listed item holds in place (key=owner; * = being overwritten)\r\n";
    for (const auto& item : s.items) record += item.key + "=" + login + "\r\n";
    if (!WriteBytes(s.data + "\\InPlace.dat", record)) {
        error = "cannot write the in-place record";
        return false;
    }
    return true;
}

// The settings file of a set-up program, in code page 932 with CR LF.
bool WriteIni(const Scene& s, bool debug, std::string& error) {
    std::string text = "[Start]\nStarted=1\nStatus=1\nAllWay=0\nTask=1\nJapanese=0\nNowUser=\nDebug=";
    text += debug ? "1" : "0";
    text += "\n[Last]\nUser=" + s.login + "\nMessage=1\nErrorNext=2\n";
    text += "[Delete]\nCheck=1\nType=0\nReadOnly=0\n[User]\nUse=0\n[Logon]\nUse=0\n[File]\n";
    for (const auto& item : s.items) text += item.key + "=" + item.path + "\n";
    std::string crlf;
    for (char ch : text) {
        if (ch == '\n') crlf += "\r\n";
        else crlf += ch;
    }
    const std::string bytes = ToCp932(crlf);
    if (FromCp932(bytes) != crlf) {
        error = "the settings file cannot hold the login name or a path in code page 932";
        return false;
    }
    if (!WriteBytes(s.ini, bytes)) {
        error = "cannot write " + s.ini;
        return false;
    }
    return true;
}

// A settings value as the program's profile functions read it; "<absent>"
// when the key is missing.
std::string IniValue(const Scene& s, const char* section, const char* key) {
    const wchar_t* absent = L"\x1<absent>";
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), absent, buf, 512, Wide(s.ini).c_str());
    return lstrcmpW(buf, absent) == 0 ? std::string("<absent>") : Utf8(buf);
}

struct State {
    Snapshot live, data;
};

State Capture(const Scene& s) { return {TakeSnapshot(s.live), TakeSnapshot(s.data)}; }

// What a start with nothing to switch must leave: the same files, the same
// user in place, and the abnormal-end marker cleared.
std::string Untouched(const Scene& s, const State& before) {
    std::string problems;
    const State after = Capture(s);
    if (std::string d = Difference(before.live, after.live); !d.empty()) problems += "\n   live items changed:" + d;
    if (std::string d = Difference(before.data, after.data); !d.empty()) problems += "\n   data store changed:" + d;
    if (const std::string last = IniValue(s, "Last", "User"); last != s.login)
        problems += "\n   [Last] User is '" + last + "', not '" + s.login + "'";
    if (const std::string now = IniValue(s, "Start", "NowUser"); !now.empty())
        problems += "\n   [Start] NowUser is '" + now + "' (the exit path did not clear it)";
    return problems;
}

// --- Processes and their windows ------------------------------------------------

struct WindowsOf {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND w, LPARAM lp) {
    auto* st = reinterpret_cast<WindowsOf*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    if (pid == st->pid && IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0) st->found.push_back(w);
    return TRUE;
}

// The visible message boxes of a process: dialogs with the static text
// control 0xFFFF.
std::vector<HWND> MessageBoxes(DWORD pid) {
    WindowsOf st{pid, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&st));
    std::vector<HWND> boxes;
    for (HWND w : st.found)
        if (GetDlgItem(w, 0xFFFF)) boxes.push_back(w);
    return boxes;
}

std::string BoxText(HWND box) {
    wchar_t buf[2048] = {};
    GetWindowTextW(GetDlgItem(box, 0xFFFF), buf, 2048);
    std::string text = Utf8(buf), plain;
    for (char ch : text)
        if (ch != '\r') plain += ch;
    return plain;
}

std::string Shown(const std::vector<std::string>& texts) {
    std::string s;
    for (const auto& t : texts) {
        std::string one;
        for (char ch : t) one += ch == '\n' ? std::string("\\n") : std::string(1, ch);
        s += " [" + one + "]";
    }
    return s.empty() ? " (none)" : s;
}

struct Run {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    double seconds = 0;
    std::vector<std::string> boxes;  // texts of the message boxes seen
};

// Starts `exe` in `folder`. Timed: from before CreateProcess until the wait
// for the process returns, nothing else in between. When the process has not
// ended within the limit, the texts of its message boxes are taken and it is
// ended. Watched (untimed): the process's message boxes are looked for
// every 10 ms, recorded and, when `answer` is set, answered with OK.
Run Start(const std::string& exe, const std::string& folder, DWORD timeoutMs, bool watch, bool answer) {
    Run r;
    std::wstring cmd = L"\"" + Wide(exe) + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const double t0 = Now();
    if (!CreateProcessW(Wide(exe).c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, Wide(folder).c_str(),
                        &si, &pi))
        return r;
    r.started = true;
    if (!watch) {
        r.ended = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
        r.seconds = Now() - t0;
    } else {
        std::vector<HWND> seen;
        const DWORD begin = GetTickCount();
        for (;;) {
            if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) {
                r.ended = true;
                break;
            }
            for (HWND box : MessageBoxes(pi.dwProcessId)) {
                if (std::find(seen.begin(), seen.end(), box) != seen.end()) continue;
                seen.push_back(box);
                r.boxes.push_back(BoxText(box));
                if (answer) {
                    SendMessageTimeoutW(box, WM_COMMAND, IDOK, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
                    for (int i = 0; i < 150 && IsWindow(box); ++i) Sleep(20);
                }
            }
            if (GetTickCount() - begin > timeoutMs) break;
        }
        r.seconds = Now() - t0;
    }
    if (!r.ended) {
        for (HWND box : MessageBoxes(pi.dwProcessId)) {
            const std::string text = BoxText(box);
            if (std::find(r.boxes.begin(), r.boxes.end(), text) == r.boxes.end()) r.boxes.push_back(text);
        }
        TerminateProcess(pi.hProcess, 255);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &r.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return r;
}

// "" when the run ended in time, with exit code 0 and without a box.
std::string Failure(const char* who, const Run& r, DWORD timeoutMs) {
    if (!r.started) return std::string(who) + ": cannot start (error " + std::to_string(GetLastError()) + ")";
    if (!r.ended)
        return std::string(who) + ": did not end within " + std::to_string(timeoutMs / 1000) +
               " s; message boxes:" + Shown(r.boxes);
    if (!r.boxes.empty()) return std::string(who) + ": showed message boxes:" + Shown(r.boxes);
    if (r.exitCode != 0) return std::string(who) + ": exit code " + std::to_string(r.exitCode);
    return "";
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Options {
    std::string dir, exe, baseline;
    int rounds = 15;
    DWORD timeoutMs = 10000;
};

bool Parse(Options& o) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = Utf8(argv[i]);
        const std::string v = i + 1 < argc ? Utf8(argv[i + 1]) : "";
        ++i;
        if (a == "--dir") o.dir = v;
        else if (a == "--exe") o.exe = v;
        else if (a == "--baseline") o.baseline = v;
        else if (a == "--rounds") o.rounds = std::atoi(v.c_str());
        else if (a == "--timeout") o.timeoutMs = static_cast<DWORD>(std::atoi(v.c_str())) * 1000;
        else return false;
    }
    LocalFree(argv);
    while (!o.dir.empty() && (o.dir.back() == '\\' || o.dir.back() == '/')) o.dir.pop_back();
    return !o.dir.empty() && !o.exe.empty() && !o.baseline.empty() && o.rounds > 0 && o.timeoutMs > 0;
}

int Fail(const std::string& why) {
    std::printf("FAILED: %s\n", why.c_str());
    std::fflush(stdout);
    return 1;
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 and LF as they are
    Options o;
    if (!Parse(o)) {
        std::fprintf(stderr, "usage: start_bench --dir FOLDER --exe Tollervy.exe --baseline minimal_gui.exe "
                             "[--rounds N] [--timeout SECONDS]\n");
        return 2;
    }
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!GetUserNameW(name, &size) || !name[0]) return Fail("no login name");
    const std::string login = Utf8(name);

    Scene s;
    std::string error;
    if (!MakeScene(o.dir, o.exe, login, s, error)) return Fail(error);
    const State before = Capture(s);
    std::printf("== start time: Tollervy.exe with nothing to switch ([Last] User = %s, %zu items, %zu files "
                "in place and %zu in the data store) against a minimal GUI program\n",
                login.c_str(), s.items.size(), before.live.size(), before.data.size());

    // Probe: with Debug on, the start shows how far it goes.
    if (!WriteIni(s, true, error)) return Fail(error);
    const Run probe = Start(s.exe, s.app, o.timeoutMs, true, true);
    if (!probe.started || !probe.ended || probe.exitCode != 0)
        return Fail("probe start with Debug \"1\": " + Failure("Tollervy.exe", probe, o.timeoutMs));
    const std::string switchAsked = "User\n" + login + "→" + login;
    if (probe.boxes.size() != 2 || probe.boxes[0].rfind("OSバージョン : ", 0) != 0 ||
        probe.boxes[0] == "OSバージョン : XXX" || probe.boxes[1] != switchAsked)
        return Fail("probe start with Debug \"1\" showed" + Shown(probe.boxes) + "; expected [OSバージョン : ..] [" +
                    "User\\n" + login + "→" + login + "] and nothing else");
    if (std::string p = Untouched(s, before); !p.empty()) return Fail("probe start did not leave everything as it was:" + p);
    std::printf("   probe (Debug 1): boxes%s; files, store and record untouched\n", Shown(probe.boxes).c_str());

    // The measured configuration: Debug off.
    if (!WriteIni(s, false, error)) return Fail(error);
    const Run warmApp = Start(s.exe, s.app, o.timeoutMs, true, false);
    if (std::string f = Failure("Tollervy.exe warm-up", warmApp, o.timeoutMs); !f.empty()) return Fail(f);
    if (std::string p = Untouched(s, before); !p.empty()) return Fail("warm-up start changed something:" + p);
    const Run warmBase = Start(o.baseline, s.dir, o.timeoutMs, true, false);
    if (std::string f = Failure("minimal GUI warm-up", warmBase, o.timeoutMs); !f.empty()) return Fail(f);
    std::printf("   warm-up: Tollervy.exe %.3f s, minimal GUI %.3f s (untimed, watched for boxes)\n", warmApp.seconds,
                warmBase.seconds);
    std::fflush(stdout);

    std::vector<double> app, base;
    for (int r = 0; r < o.rounds; ++r) {
        // Alternate which program goes first.
        for (int k = 0; k < 2; ++k) {
            const bool isApp = (r + k) % 2 == 0;
            const Run run = isApp ? Start(s.exe, s.app, o.timeoutMs, false, false)
                                  : Start(o.baseline, s.dir, o.timeoutMs, false, false);
            if (std::string f = Failure(isApp ? "Tollervy.exe" : "minimal GUI", run, o.timeoutMs); !f.empty())
                return Fail("round " + std::to_string(r + 1) + ": " + f);
            (isApp ? app : base).push_back(run.seconds);
            if (isApp) {
                if (std::string p = Untouched(s, before); !p.empty())
                    return Fail("round " + std::to_string(r + 1) + ": the start changed something:" + p);
            }
        }
        std::printf("   round %2d: Tollervy.exe %.3f s, minimal GUI %.3f s\n", r + 1, app.back(), base.back());
        std::fflush(stdout);
    }
    const double a = Median(app), b = Median(base);
    std::printf("median of %d: Tollervy.exe start %.3f s, minimal GUI start %.3f s\n", o.rounds, a, b);
    std::printf("fastest of %d: Tollervy.exe start %.3f s, minimal GUI start %.3f s\n", o.rounds,
                *std::min_element(app.begin(), app.end()), *std::min_element(base.begin(), base.end()));
    std::printf("Tollervy / minimal GUI = %.3f (target <= 1.3)%s\n", a / b, a / b <= 1.3 ? "" : "  MISSED");
    return 0;
}
