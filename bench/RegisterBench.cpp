// Registration benchmark, run under Wine by bench/register, one phase per
// process so that the script can let the disk settle (sync) between the
// timed parts:
//   make      makes the folder tree;
//   register  times the settings dialog's file list page taking the
//             registration copy of the tree: the folder is added to the
//             page's list and ApplyFileList saves it into "All Users" and
//             writes its [File] key, as OK or Apply does;
//   bare      times the same tree copied once with FindFirstFileW/CopyFileW;
//   clean     removes everything.
// Each timed phase prints "<phase> <seconds>" on a line of its own, then its
// peak working set; the register phase also the time per kind of
// file-system call.
//
//   register_bench.exe --dir Z:\tmp\bench --phase make [--files 2000]
//                      [--folders 100] [--mb 200 | --small]
//   register_bench.exe --dir Z:\tmp\bench --phase register|bare|clean
#include "win32/WinApi.h"

#include "Clock.h"
#include "Engine.h"
#include "Tree.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogs/LervIni.h"
#include "ui/Forms.h"
#include "win32/Encoding.h"
#include "win32/Win32FormHost.h"
#include "wine/Scratch.h"

namespace {

using namespace bench;
using tollervy::scratch::RemoveTree;
using tollervy::win32::Narrow;
using tollervy::win32::Widen;

// Before each timed registration: a settings file without [File], a data
// store without the common copy and without an in-place record.
void ResetProgram(const std::wstring& program) {
    RemoveTree(program);
    CreateDirectoryW(program.c_str(), nullptr);
    CreateDirectoryW((program + L"\\Data").c_str(), nullptr);
    CreateDirectoryW((program + L"\\Data\\All Users").c_str(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: register_bench --dir FOLDER --phase make|register|bare|clean "
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
        return MakeLiveTree(o, dir, tree) ? 0 : 1;
    }

    Count original;
    CountTree(tree, original);
    if (original.files == 0) {
        std::fprintf(stderr, "no tree: run --phase make first\n");
        return 1;
    }
    if (o.phase == "register") {
        ResetProgram(program);
        Engine engine(Narrow(program));
        tollervy::GrobalMod& s = engine.c.state;
        s.CurrentUserName = "Aoi";
        // No progress window: the page's own work and the copy only.
        s.StartStatus = "0";
        // The settings dialog as the page sees it, its window never made.
        tollervy::win32::Win32FormHost host(GetModuleHandleW(nullptr));
        tollervy::Forms forms(engine.c, host);
        tollervy::LervIni& dialog = forms.LervIni();
        tollervy::ReadIniSection(engine.c, tollervy::keys::FileSection, s.FileSectionLines);
        const std::string entry = Narrow(tree) + "\\";
        dialog.AddFileListPath(entry);
        if (dialog.FileList.ListCount() != 1) {
            std::fprintf(stderr, "the page refused the folder\n");
            return 1;
        }
        engine.fs.Reset();
        const double t = Now();
        const bool applied = dialog.ApplyFileList();
        const double total = Now() - t;
        Count copied;
        CountTree(program + L"\\Data\\All Users\\F1", copied);
        const std::string key = tollervy::ReadIniValue(engine.c, tollervy::keys::FileSection, "F1", "");
        RemoveTree(program);
        if (!applied || engine.messages.shown != 0 || key != entry || copied.files != original.files ||
            copied.bytes != original.bytes) {
            std::fprintf(stderr, "registration failed (applied %d, key %s, %llu files)\n", applied, key.c_str(),
                         static_cast<unsigned long long>(copied.files));
            return 1;
        }
        std::printf("register %.3f\n  peak working set %.1f MB\n", total, PeakWorkingSetMB());
        engine.fs.Print();
        return 0;
    }
    if (o.phase == "bare") {
        const std::wstring copy = dir + L"\\bare";
        RemoveTree(copy);
        const double t = Now();
        const bool ok = CopyTreeBare(tree, copy);
        const double total = Now() - t;
        Count copied;
        CountTree(copy, copied);
        RemoveTree(copy);
        if (!ok || copied.files != original.files || copied.bytes != original.bytes) {
            std::fprintf(stderr, "bare did not copy the tree (%llu files)\n",
                         static_cast<unsigned long long>(copied.files));
            return 1;
        }
        std::printf("bare %.3f\n  peak working set %.1f MB\n", total, PeakWorkingSetMB());
        return 0;
    }
    std::fprintf(stderr, "unknown phase %s\n", o.phase.c_str());
    return 2;
}
