// Switch-run benchmark, run under Wine by bench/run, one phase per process
// so that the script can let the disk settle (sync) between the timed parts:
//   make     makes the folder tree and the settings file;
//   engine   times a save of the tree (one [File] folder entry) followed by
//            a restore of it, by the switching engine on the Win32 layer;
//   bare     times the same job with FindFirstFileW/CopyFileW: the tree
//            copied into a new folder, then that copy back over the tree;
//   barenew  the same two copies, the second into a new folder too (the
//            baseline's old form, printed for comparison);
//   xcopy    times the same job as bare with Wine's "xcopy /E /H /K /Y";
//   window   the engine phase with the real progress window on screen, as a
//            person sees the switch ([Start] Status "1", the default); it
//            also prints the time spent in the display's calls;
//   incr     a switch A to B and back where 5 % of the files changed in
//            between, each way (the changes made and settled untimed);
//   incrfull the same with the comparison off ([Start] CopyAll "1");
//   worst    a switch A to B and back where B's copy differs from A's in
//            every file's bytes but in no name, size or time (the case the
//            comparison must never take for current);
//   worstfull the same with the comparison off;
//   clean    removes everything.
// With --kept, the engine and incr phases switch with the switch log and the
// backup of what a save replaces, as the program's switch does; with
// --recorded, with the in-place record written through as it does.
// The engine, window and bare phases copy every file ([Start] CopyAll "1").
// Each timed phase also prints its peak working set.
// Each timed phase prints "<phase> <seconds>" on a line of its own.
//
//   switch_bench.exe --dir Z:\tmp\bench --phase make [--files 2000]
//                    [--folders 100] [--mb 200 | --small]
//   switch_bench.exe --dir Z:\tmp\bench --phase engine|bare|barenew|xcopy|clean
#include "win32/WinApi.h"

#include "Clock.h"
#include "Engine.h"
#include "Tree.h"

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
#include "engine/Backup.h"
#include "engine/InPlaceRecord.h"
#include "engine/SaveRestore.h"
#include "engine/SwitchLog.h"
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

using tollervy::scratch::RemoveTree;
using namespace bench;

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

// The program's own progress window, made from its template by the real
// window host; its start-up and exit handlers are left out (the bench is no
// start, and the exit handler ends the process).
class BenchMain : public tollervy::TollervyMain {
public:
    using TollervyMain::TollervyMain;
    void Form_Load() override {}
    void Form_Unload() override {}
};

// The progress window with the time the engine spends in it: the part of
// the window phase that the display costs, apart from the disk's noise.
class TimedDisplay : public tollervy::StatusDisplay {
public:
    explicit TimedDisplay(tollervy::StatusDisplay& inner) : inner_(inner) {}
    void SetPhaseText(const std::string& t) override { Timed([&] { inner_.SetPhaseText(t); }); }
    void SetDetailText(const std::string& t) override { Timed([&] { inner_.SetDetailText(t); }); }
    void SetBar(float v) override { Timed([&] { inner_.SetBar(v); }); }
    void MakeVisible() override { Timed([&] { inner_.MakeVisible(); }); }
    void Repaint() override { Timed([&] { inner_.Repaint(); }); }
    double seconds = 0;
    long calls = 0;

private:
    template <typename F>
    void Timed(F f) {
        const double t = Now();
        f();
        seconds += Now() - t;
        ++calls;
    }
    tollervy::StatusDisplay& inner_;
};

// A byte sum of every file below `folder` (order of the listing): enough to
// tell two people's trees apart.
std::uint64_t TreeSum(const std::wstring& folder) {
    std::uint64_t sum = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    std::vector<char> buffer(1 << 16);
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            sum = sum * 31 + TreeSum(path);
            continue;
        }
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD got = 0;
        while (ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
            for (DWORD i = 0; i < got; ++i) sum = sum * 1099511628211ull + static_cast<unsigned char>(buffer[i]);
        CloseHandle(h);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return sum;
}

// Every file of `copy` rewritten with other bytes of the same size, its
// last-write time put back: another person's files that look alike.
void MakeLookAlike(const std::wstring& copy) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((copy + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<char> buffer;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = copy + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            MakeLookAlike(path);
            continue;
        }
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        buffer.resize(data.nFileSizeLow);
        DWORD got = 0;
        ReadFile(h, buffer.data(), data.nFileSizeLow, &got, nullptr);
        for (char& b : buffer) b = static_cast<char>(~b);
        SetFilePointer(h, 0, nullptr, FILE_BEGIN);
        WriteFile(h, buffer.data(), got, &got, nullptr);
        SetFileTime(h, nullptr, nullptr, &data.ftLastWriteTime);
        CloseHandle(h);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// The size of the manifests in the data store.
std::uint64_t ManifestBytes(const std::wstring& folder) {
    std::uint64_t bytes = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"F1") bytes += ManifestBytes(folder + L"\\" + name);
        } else if (name.size() > 9 && name.compare(name.size() - 9, 9, L".manifest") == 0) {
            bytes += data.nFileSizeLow;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return bytes;
}

// The peak working set, and what the manifests cost: their size on disk, the
// bytes written for them and the in-place record, and the time of those
// reads and writes per MB of the tree.
void PrintManifests(const Engine& engine, const std::wstring& program, const Count& tree) {
    const double seconds =
        engine.fs.seconds[TimedFileSystem::KRead] + engine.fs.seconds[TimedFileSystem::KWrite];
    std::printf("  peak working set %.1f MB; manifests %.1f KB on disk, %.1f KB written, %.3f s read and written "
                "(%.2f ms per MB of the tree)\n",
                PeakWorkingSetMB(), static_cast<double>(ManifestBytes(program + L"\\Data")) / 1024.0,
                static_cast<double>(engine.fs.written) / 1024.0, seconds,
                1000.0 * seconds / (static_cast<double>(tree.bytes) / (1 << 20)));
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

// One save and restore; with `recorded` as the program's switch runs it: the
// in-place record adopts the items for `from`, marks each live item before
// it is replaced and gives it to `to` after, each a write flushed to disk
// (which puts what the copies wrote on the disk too); with the switch log
// and the backup when `kept`.
bool Switch(Context& c, bool kept, bool recorded, const std::string& from, const std::string& to,
            double* saveTime = nullptr, bool* savedOut = nullptr) {
    tollervy::SwitchLog log(c);
    tollervy::Backup backup(c);
    tollervy::InPlaceRecord record;
    tollervy::ItemHooks hooks;
    if (kept) {
        hooks.log = &log;
        hooks.backup = &backup;
        log.Begin(from, to, tollervy::SwitchCause::LogonDialog);
    }
    if (recorded) {
        hooks.beforeChange = [&](const tollervy::ItemStep& step) {
            return step.saving || record.Set(c, step.key, tollervy::BeingOverwritten);
        };
        hooks.afterChange = [&](const tollervy::ItemStep& step, bool succeeded) {
            if (!step.saving && succeeded) record.Set(c, step.key, to);
        };
    }
    const double t = Now();
    if (recorded) {
        record.Load(c);
        record.Adopt(c, {"F1"}, from);
    }
    const bool saved = tollervy::SaveUserData(c, from, &hooks);
    if (saveTime) *saveTime = Now() - t;
    if (savedOut) *savedOut = saved;
    const bool done = saved && tollervy::RestoreUserData(c, to, from, &hooks);
    if (kept) {
        log.End(done);
        if (backup.Moved() != 0) backup.Prune();
    }
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: switch_bench --dir FOLDER --phase make|engine|window|bare|barenew|xcopy|incr|incrfull|worst|worstfull|clean "
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
        if (!MakeLiveTree(o, dir, tree)) return 1;
        CreateDirectoryW(program.c_str(), nullptr);
        CreateDirectoryW((program + L"\\Data").c_str(), nullptr);
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
        std::unique_ptr<TimedDisplay> display;
        if (o.phase == "window") {
            INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
            InitCommonControlsEx(&controls);
            host = std::make_unique<tollervy::win32::Win32FormHost>(GetModuleHandleW(nullptr));
            forms = std::make_unique<tollervy::Forms>(engine.c, *host);
            main = std::make_unique<BenchMain>(*forms);
            main->Load();
            main->Move((engine.system.ScreenWidth() - main->Width()) / 2,
                       (engine.system.ScreenHeight() - main->Height()) / 2);
            display = std::make_unique<TimedDisplay>(*main);
            engine.c.status = display.get();
        }
        const double t = Now();
        double saveTime = 0;
        bool saved = false;
        const bool restored = Switch(engine.c, o.kept, o.recorded, "Aoi", "Aoi", &saveTime, &saved);
        if (main) {
            const double end = Now();
            main->ShowProgressNow();
            display->seconds += Now() - end;
        }
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
        if (display)
            std::printf("  in the display %.3f s, %ld calls, %.1f us each\n", display->seconds, display->calls,
                        1e6 * display->seconds / static_cast<double>(std::max(display->calls, 1L)));
        engine.fs.Print();
        return 0;
    }
    if (o.phase == "bare" || o.phase == "xcopy" || o.phase == "barenew") {
        // The same job as the engine's switch: the tree copied into a folder
        // that does not exist yet (the save into an emptied store), then that
        // copy written back over the tree's files (the restore). "barenew"
        // writes the second copy into a new folder too, as the baselines
        // did before; it is printed for comparison only.
        const bool xcopy = o.phase == "xcopy";
        const std::wstring first = dir + (xcopy ? L"\\x1" : L"\\bare1");
        const std::wstring second = o.phase == "barenew" ? dir + L"\\bare2" : tree;
        RemoveTree(first);
        if (second != tree) RemoveTree(second);
        const double t = Now();
        const bool ok = xcopy ? RunXcopy(tree, first) && RunXcopy(first, second)
                              : CopyTreeBare(tree, first) && CopyTreeBare(first, second);
        const double total = Now() - t;
        Count copied;
        CountTree(second, copied);
        RemoveTree(first);
        if (second != tree) RemoveTree(second);
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
        bool ok = Switch(engine.c, o.kept, o.recorded, "Aoi", "Ken");
        double total = Now() - t;
        counter = 3;
        ChangeFiles(tree, seed, counter);
        Sleep(2500);
        t = Now();
        ok = ok && Switch(engine.c, o.kept, o.recorded, "Ken", "Aoi");
        total += Now() - t;
        Count after;
        CountTree(tree, after);
        if (!ok || engine.messages.shown != 0 || after.files != original.files) {
            std::fprintf(stderr, "%s run failed\n", o.phase.c_str());
            return 1;
        }
        std::printf("%s %.3f\n", o.phase.c_str(), total);
        PrintManifests(engine, program, original);
        engine.fs.Print();
        return 0;
    }
    if (o.phase == "worst" || o.phase == "worstfull") {
        // Untimed: Aoi's copy is stored as the tree is; Ken's differs from
        // it in every file's bytes, not in names, sizes or times, and has no
        // manifest (as a store of an earlier version, or one edited by hand).
        const std::wstring aoi = program + L"\\Data\\Aoi";
        const std::wstring ken = program + L"\\Data\\Ken";
        RemoveTree(ken);
        CreateDirectoryW(aoi.c_str(), nullptr);
        CreateDirectoryW(ken.c_str(), nullptr);
        if (GetFileAttributesW((aoi + L"\\F1").c_str()) == INVALID_FILE_ATTRIBUTES) CopyTreeBare(tree, aoi + L"\\F1");
        CopyTreeBare(tree, ken + L"\\F1");
        MakeLookAlike(ken + L"\\F1");
        const std::uint64_t aoiSum = TreeSum(tree), kenSum = TreeSum(ken + L"\\F1");
        Sleep(2500);
        Engine engine(Narrow(program));
        engine.CopyAll(o.phase == "worstfull");
        double t = Now();
        bool ok = tollervy::SaveUserData(engine.c, "Aoi") && tollervy::RestoreUserData(engine.c, "Ken", "Aoi");
        double total = Now() - t;
        const bool kenInPlace = TreeSum(tree) == kenSum;  // untimed
        t = Now();
        ok = ok && tollervy::SaveUserData(engine.c, "Ken") && tollervy::RestoreUserData(engine.c, "Aoi", "Ken");
        total += Now() - t;
        if (!ok || engine.messages.shown != 0 || !kenInPlace || TreeSum(tree) != aoiSum ||
            TreeSum(ken + L"\\F1") != kenSum) {
            std::fprintf(stderr, "%s run failed: a person got the other's bytes\n", o.phase.c_str());
            return 1;
        }
        std::printf("%s %.3f\n", o.phase.c_str(), total);
        PrintManifests(engine, program, original);
        engine.fs.Print();
        return 0;
    }
    std::fprintf(stderr, "unknown phase %s\n", o.phase.c_str());
    return 2;
}
