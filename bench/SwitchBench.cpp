// Switch-run benchmark, run under Wine by bench/run, one phase per process
// so that the script can let the disk settle (sync) between the timed parts:
//   make     makes the folder tree and the settings file;
//   engine   times a save of the tree (one [File] folder entry) followed by
//            a restore of it, by the switching engine on the Win32 layer;
//   bare     times the same tree copied twice with FindFirstFileW/CopyFileW;
//   xcopy    times the same two copies with Wine's "xcopy /E /H /K";
//   window   the engine phase with the real progress window on screen, as a
//            person sees the switch ([Start] Status "1", the default);
//   incr     a switch A to B and back where 5 % of the files changed in
//            between, each way (the changes made and settled untimed);
//   incrfull the same with the comparison off ([Start] CopyAll "1");
//   clean    removes everything.
// The engine, window and bare phases copy every file ([Start] CopyAll "1").
// Each timed phase also prints its peak working set.
// Each timed phase prints "<phase> <seconds>" on a line of its own.
//
//   switch_bench.exe --dir Z:\tmp\bench --phase make [--files 2000]
//                    [--folders 100] [--mb 200 | --small]
//   switch_bench.exe --dir Z:\tmp\bench --phase engine|bare|xcopy|clean
#include "win32/WinApi.h"

#include "Clock.h"

#include <psapi.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/Forms.h"
#include "driver/TollervyMain.h"
#include "engine/SaveRestore.h"
#include "settings/Settings.h"
#include "win32/Win32FormHost.h"
#include "win32/Win32Messages.h"
#include "settings/Context.h"
#include "win32/Encoding.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"
#include "wine/Scratch.h"

namespace {

using tollervy::Context;
using tollervy::win32::Narrow;
using tollervy::win32::Widen;

struct Options {
    std::string dir;
    std::string phase;
    int files = 2000;
    int folders = 100;
    std::uint64_t bytes = 200ull << 20;
    bool small = false;  // small files: 0.5 to 4 KB each
};

using tollervy::scratch::RemoveTree;

struct Count {
    std::uint64_t files = 0, bytes = 0;
};

void CountTree(const std::wstring& folder, Count& count) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CountTree(folder + L"\\" + name, count);
        } else {
            ++count.files;
            count.bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// --- The tree ----------------------------------------------------------------

std::uint32_t Next(std::uint32_t& x) {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
}

// Ten top folders each with (folders / 10 - 1) subfolders; files spread
// over all of them in turn, sizes mixed (or small), scaled to the total.
bool MakeTree(const Options& o, const std::wstring& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    std::vector<std::wstring> folders;
    const int top = std::max(1, std::min(10, o.folders));
    const int subPerTop = std::max(0, o.folders / top - 1);
    for (int t = 0; t < top; ++t) {
        const std::wstring f = root + L"\\top" + std::to_wstring(t);
        CreateDirectoryW(f.c_str(), nullptr);
        folders.push_back(f);
        for (int s = 0; s < subPerTop; ++s) {
            const std::wstring g = f + L"\\sub" + std::to_wstring(s);
            CreateDirectoryW(g.c_str(), nullptr);
            folders.push_back(g);
        }
    }
    std::uint32_t seed = 12345;
    std::vector<std::uint64_t> sizes(o.files);
    double sum = 0;
    for (auto& s : sizes) {
        const double r = (Next(seed) % 1000) / 1000.0;
        if (o.small) s = 512 + Next(seed) % (4096 - 512);
        else if (r < 0.6) s = 2048 + Next(seed) % (30 << 10);
        else if (r < 0.9) s = (64 << 10) + Next(seed) % (448 << 10);
        else s = (1 << 20) + Next(seed) % (3 << 20);
        sum += static_cast<double>(s);
    }
    if (!o.small) {
        const double scale = static_cast<double>(o.bytes) / sum;
        for (auto& s : sizes) s = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(static_cast<double>(s) * scale));
    }
    std::vector<char> noise(8 << 20);
    for (auto& ch : noise) ch = static_cast<char>(Next(seed));
    for (int i = 0; i < o.files; ++i) {
        const std::wstring path = folders[i % folders.size()] + L"\\file" + std::to_wstring(i) + L".dat";
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        std::uint64_t left = sizes[i];
        std::size_t offset = (static_cast<std::size_t>(i) * 4099) % (noise.size() / 2);
        while (left > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>(left, noise.size() / 2));
            DWORD written = 0;
            if (!WriteFile(h, noise.data() + offset, chunk, &written, nullptr)) {
                CloseHandle(h);
                return false;
            }
            left -= written;
        }
        CloseHandle(h);
    }
    return true;
}

// --- The three contenders --------------------------------------------------------

// The bare baseline: a recursive FindFirstFileW / CopyFileW copy.
bool CopyTreeBare(const std::wstring& from, const std::wstring& to) {
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ok = CopyTreeBare(from + L"\\" + name, to + L"\\" + name) && ok;
        else ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return ok;
}

bool RunXcopy(const std::wstring& from, const std::wstring& to) {
    std::wstring command = L"xcopy.exe \"" + from + L"\" \"" + to + L"\\\" /E /H /K /I /Q /Y";
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = nul;
    si.hStdError = nul;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

// The engine's view of the machine: the program lives in `folder`; no
// message box is ever shown, only counted.
class BenchSystem : public tollervy::win32::Win32System {
public:
    explicit BenchSystem(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramFolder() override { return folder_; }

private:
    std::string folder_;
};

// The Win32 file system with the time spent in each kind of call.
class TimedFileSystem : public tollervy::platform::FileSystem {
public:
    enum Kind { KAttr, KSetAttr, KList, KCopy, KDelete, KMakeFolder, KRemoveFolder, KOther, Kinds };
    static constexpr const char* Names[Kinds] = {"GetAttributes", "SetAttributes", "List",         "CopyFile",
                                                  "DeleteFile",    "CreateFolder",  "RemoveFolder", "other"};
    bool GetAttributes(const std::string& p, std::uint32_t& a) override { return Timed(KAttr, [&] { return fs.GetAttributes(p, a); }); }
    bool SetAttributes(const std::string& p, std::uint32_t a) override { return Timed(KSetAttr, [&] { return fs.SetAttributes(p, a); }); }
    bool List(const std::string& s, std::uint32_t f, std::vector<std::string>& n) override { return Timed(KList, [&] { return fs.List(s, f, n); }); }
    bool ListEntries(const std::string& s, std::uint32_t f, std::vector<Entry>& e) override { return Timed(KList, [&] { return fs.ListEntries(s, f, e); }); }
    bool CopyFile(const std::string& a, const std::string& b, bool f) override { return Timed(KCopy, [&] { return fs.CopyFile(a, b, f); }); }
    std::uint32_t LastError() override { return fs.LastError(); }
    std::string LastErrorText() override { return fs.LastErrorText(); }
    bool MoveFile(const std::string& a, const std::string& b) override { return Timed(KOther, [&] { return fs.MoveFile(a, b); }); }
    bool DeleteFile(const std::string& p) override { return Timed(KDelete, [&] { return fs.DeleteFile(p); }); }
    bool CreateFolder(const std::string& p) override { return Timed(KMakeFolder, [&] { return fs.CreateFolder(p); }); }
    bool RemoveFolder(const std::string& p) override { return Timed(KRemoveFolder, [&] { return fs.RemoveFolder(p); }); }
    bool FileLength(const std::string& p, std::uint64_t& l) override { return Timed(KOther, [&] { return fs.FileLength(p, l); }); }
    bool ReadLines(const std::string& p, std::vector<std::string>& l) override { return Timed(KOther, [&] { return fs.ReadLines(p, l); }); }
    bool AppendLine(const std::string& p, const std::string& l) override { return Timed(KOther, [&] { return fs.AppendLine(p, l); }); }
    bool WriteFileAtomic(const std::string& p, const std::string& b) override { return Timed(KOther, [&] { return fs.WriteFileAtomic(p, b); }); }
    bool ReadFile(const std::string& p, std::string& b) override { return Timed(KOther, [&] { return fs.ReadFile(p, b); }); }
    std::vector<std::string> Drives() override { return fs.Drives(); }
    std::uint64_t Now() override { return fs.Now(); }

    void Print() const {
        for (int k = 0; k < Kinds; ++k)
            if (calls[k]) std::printf("  %-13s %7ld calls %8.3f s  %6.3f ms each\n", Names[k], calls[k], seconds[k], 1000 * seconds[k] / calls[k]);
    }
    void Reset() {
        for (int k = 0; k < Kinds; ++k) calls[k] = 0, seconds[k] = 0;
    }
    long calls[Kinds] = {};
    double seconds[Kinds] = {};

private:
    template <typename F>
    bool Timed(Kind k, F f) {
        const double t = ::Now();
        const bool ok = f();
        seconds[k] += ::Now() - t;
        ++calls[k];
        return ok;
    }
    tollervy::win32::Win32FileSystem fs;
};

class CountedMessages : public tollervy::platform::Messages {
public:
    int Show(const std::string& text, const std::string&, unsigned) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++shown;
        return tollervy::platform::AnswerNo;
    }
    int shown = 0;
};

class QuietStatus : public tollervy::StatusDisplay {
public:
    void SetPhaseText(const std::string&) override {}
    void SetDetailText(const std::string&) override { ++lines; }
    void SetBar(float) override {}
    void MakeVisible() override {}
    void Repaint() override {}
    long lines = 0;
};

// The program's own progress window, made from its template by the real
// window host; its start-up and exit handlers are left out (the bench is no
// start, and the exit handler ends the process).
class BenchMain : public tollervy::TollervyMain {
public:
    using TollervyMain::TollervyMain;
    void Form_Load() override {}
    void Form_Unload() override {}
};

double PeakWorkingSetMB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

// Rewrites every twentieth file of a tree (same size, other bytes): the
// changes of a day.
void ChangeFiles(const std::wstring& folder, std::uint32_t& seed, int& counter) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ChangeFiles(path, seed, counter);
        } else if (++counter % 20 == 0) {
            HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) continue;
            const std::uint32_t value = Next(seed);
            DWORD written = 0;
            WriteFile(h, &value, sizeof value, &written, nullptr);
            CloseHandle(h);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

struct Engine {
    explicit Engine(const std::string& program)
        : system(program), c{fs, profile, messages, system, shell, {}, &status} {
        c.state.IniFilePath = program + "\\Tollervy.ini";
        c.state.DataFolderPath = program + "\\Data";
        c.state.StartStatus = "1";
        c.state.StartDebug = "0";
        c.state.DeleteReadOnly = "0";
        c.state.LastErrorNext = 1;
    }
    void CopyAll(bool all) {
        const std::string value = all ? "1" : "0";
        profile.WriteString(c.state.IniFilePath, "Start", "CopyAll", &value);
    }
    TimedFileSystem fs;
    tollervy::win32::Win32Profile profile;
    CountedMessages messages;
    BenchSystem system;
    tollervy::win32::Win32Shell shell;
    QuietStatus status;
    Context c;
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--dir") o.dir = value();
        else if (a == "--phase") o.phase = value();
        else if (a == "--files") o.files = std::atoi(value());
        else if (a == "--folders") o.folders = std::atoi(value());
        else if (a == "--mb") o.bytes = static_cast<std::uint64_t>(std::atoll(value())) << 20;
        else if (a == "--small") o.small = true;
        else return false;
    }
    return !o.dir.empty() && !o.phase.empty() && o.files > 0 && o.folders > 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: switch_bench --dir FOLDER --phase make|engine|bare|xcopy|clean "
                             "[--files N] [--folders N] [--mb N | --small]\n");
        return 2;
    }
    const std::wstring dir = Widen(o.dir);
    const std::wstring tree = dir + L"\\live\\tree";
    const std::wstring program = dir + L"\\Tollervy";

    if (o.phase == "clean") {
        RemoveTree(dir);
        return 0;
    }
    if (o.phase == "make") {
        RemoveTree(dir);
        CreateDirectoryW(dir.c_str(), nullptr);
        CreateDirectoryW((dir + L"\\live").c_str(), nullptr);
        CreateDirectoryW(program.c_str(), nullptr);
        CreateDirectoryW((program + L"\\Data").c_str(), nullptr);
        if (!MakeTree(o, tree)) {
            std::fprintf(stderr, "cannot make the tree (error %lu)\n", GetLastError());
            return 1;
        }
        Count made;
        CountTree(tree, made);
        std::printf("tree: %llu files in %d folders, %.1f MB\n", static_cast<unsigned long long>(made.files),
                    o.folders, static_cast<double>(made.bytes) / (1 << 20));
        Engine engine(Narrow(program));
        const std::string entry = Narrow(tree) + "\\";
        engine.profile.WriteString(engine.c.state.IniFilePath, "File", "F1", &entry);
        return 0;
    }

    Count original;
    CountTree(tree, original);
    if (original.files == 0) {
        std::fprintf(stderr, "no tree: run --phase make first\n");
        return 1;
    }
    if (o.phase == "engine" || o.phase == "window") {
        // The first switch of a user: the store starts without Aoi's copy.
        RemoveTree(program + L"\\Data\\Aoi");
        Engine engine(Narrow(program));
        engine.CopyAll(true);
        // The window: the real host and main window, centred and shown by
        // the first file line as in a switch run.
        std::unique_ptr<tollervy::win32::Win32FormHost> host;
        std::unique_ptr<tollervy::Forms> forms;
        std::unique_ptr<BenchMain> main;
        if (o.phase == "window") {
            INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
            InitCommonControlsEx(&controls);
            host = std::make_unique<tollervy::win32::Win32FormHost>(GetModuleHandleW(nullptr));
            forms = std::make_unique<tollervy::Forms>(engine.c, *host);
            main = std::make_unique<BenchMain>(*forms);
            main->Load();
            main->Move((engine.system.ScreenWidth() - main->Width()) / 2,
                       (engine.system.ScreenHeight() - main->Height()) / 2);
            engine.c.status = main.get();
        }
        const double t = Now();
        const bool saved = tollervy::SaveUserData(engine.c, "Aoi");
        const double saveTime = Now() - t;
        const bool restored = saved && tollervy::RestoreUserData(engine.c, "Aoi", "Ken");
        if (main) main->ShowProgressNow();
        const double total = Now() - t;
        const bool onScreen = !main || main->Visible();
        if (main) main->Unload();
        Count after;
        CountTree(tree, after);
        // Leave nothing behind for the next phase to pay for: the script
        // flushes the disk between phases, the bare copies remove their
        // trees the same way.
        RemoveTree(program + L"\\Data\\Aoi");
        if (!restored || !onScreen || engine.messages.shown != 0 || after.files != original.files ||
            after.bytes != original.bytes) {
            std::fprintf(stderr, "engine run failed (saved %d, restored %d, %llu files)\n", saved, restored,
                         static_cast<unsigned long long>(after.files));
            return 1;
        }
        std::printf("%s %.3f\n  save %.2f s, restore %.2f s, %ld status lines, peak working set %.1f MB\n",
                    o.phase.c_str(), total, saveTime, total - saveTime, engine.status.lines, PeakWorkingSetMB());
        engine.fs.Print();
        return 0;
    }
    if (o.phase == "bare" || o.phase == "xcopy") {
        const bool bare = o.phase == "bare";
        const std::wstring first = dir + (bare ? L"\\bare1" : L"\\x1");
        const std::wstring second = dir + (bare ? L"\\bare2" : L"\\x2");
        RemoveTree(first);
        RemoveTree(second);
        const double t = Now();
        const bool ok = bare ? CopyTreeBare(tree, first) && CopyTreeBare(first, second)
                             : RunXcopy(tree, first) && RunXcopy(first, second);
        const double total = Now() - t;
        Count copied;
        CountTree(second, copied);
        RemoveTree(first);
        RemoveTree(second);
        if (!ok || copied.files != original.files || copied.bytes != original.bytes) {
            std::fprintf(stderr, "%s did not copy the tree (%llu files)\n", o.phase.c_str(),
                         static_cast<unsigned long long>(copied.files));
            return 1;
        }
        std::printf("%s %.3f\n  peak working set %.1f MB\n", o.phase.c_str(), total, PeakWorkingSetMB());
        return 0;
    }
    if (o.phase == "incr" || o.phase == "incrfull") {
        // Untimed: both users have stored copies; 5 % of the live files and
        // of B's copy changed since; the changes settle (a switch copies a
        // file written in the last two seconds only once its time has passed).
        const std::wstring aoi = program + L"\\Data\\Aoi";
        const std::wstring ken = program + L"\\Data\\Ken";
        CreateDirectoryW(aoi.c_str(), nullptr);
        CreateDirectoryW(ken.c_str(), nullptr);
        if (GetFileAttributesW((aoi + L"\\F1").c_str()) == INVALID_FILE_ATTRIBUTES) CopyTreeBare(tree, aoi + L"\\F1");
        if (GetFileAttributesW((ken + L"\\F1").c_str()) == INVALID_FILE_ATTRIBUTES) CopyTreeBare(tree, ken + L"\\F1");
        std::uint32_t seed = GetTickCount();
        int counter = 0;
        ChangeFiles(tree, seed, counter);
        counter = 7;
        ChangeFiles(ken + L"\\F1", seed, counter);
        Sleep(2500);
        Engine engine(Narrow(program));
        engine.CopyAll(o.phase == "incrfull");
        double t = Now();
        bool ok = tollervy::SaveUserData(engine.c, "Aoi") && tollervy::RestoreUserData(engine.c, "Ken", "Aoi");
        double total = Now() - t;
        counter = 3;
        ChangeFiles(tree, seed, counter);
        Sleep(2500);
        t = Now();
        ok = ok && tollervy::SaveUserData(engine.c, "Ken") && tollervy::RestoreUserData(engine.c, "Aoi", "Ken");
        total += Now() - t;
        Count after;
        CountTree(tree, after);
        if (!ok || engine.messages.shown != 0 || after.files != original.files) {
            std::fprintf(stderr, "%s run failed\n", o.phase.c_str());
            return 1;
        }
        std::printf("%s %.3f\n  peak working set %.1f MB\n", o.phase.c_str(), total, PeakWorkingSetMB());
        engine.fs.Print();
        return 0;
    }
    std::fprintf(stderr, "unknown phase %s\n", o.phase.c_str());
    return 2;
}
