// Registry item benchmark, run under Wine by bench/registry, one phase per
// process:
//   make       makes HKCU\Software\TollervyBench\App: 100 keys of 10 subkeys
//              each, every subkey with 10 values of mixed types and sizes
//              (10,000 values in 1,000 subkeys);
//   engine     times the engine's save of the key (SaveFileEntry: its
//              registry file into Data\A\R1), then, after the key is deleted
//              (untimed), its restore (RestoreFileEntry: the key made again
//              from that file), and checks that the key came back the same;
//   unchanged  the same save and restore with the stored copy and the key
//              already the same (nothing to write);
//   parts      times the parts of a key's save and restore: the key's
//              export, its registry file written and read back, and a walk
//              opening every key for its stamps;
//   reg        times Wine's "reg export" of the key into a file, then, after
//              the key is deleted (untimed), "reg import" of that file;
//   clean      removes the key and the folder.
// Each timed phase prints "<phase> <seconds>" on a line of its own, then
// its parts.
//
//   registry_bench.exe --dir Z:\tmp\bench --phase make|engine|unchanged|parts|reg|clean
#include "win32/WinApi.h"

#include "Clock.h"
#include "Engine.h"
#include "Tree.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "engine/RegistryItem.h"
#include "engine/SaveRestore.h"
#include "win32/Encoding.h"
#include "wine/Scratch.h"

namespace {

using namespace bench;
using tollervy::scratch::RemoveTree;
using tollervy::win32::Narrow;
using tollervy::win32::Widen;

const wchar_t* const Key = L"Software\\TollervyBench\\App";
const char* const Line = "R1=HKEY_CURRENT_USER\\Software\\TollervyBench\\App";

// Deletes a key with its tree (Windows XP has no RegDeleteTree).
void DeleteTree(tollervy::platform::Registry& r, const std::string& key) {
    std::vector<std::string> names;
    if (r.ListSubkeys(key, names))
        for (const auto& name : names) DeleteTree(r, key + "\\" + name);
    r.DeleteKey(key);
}
void DeleteTree() {
    tollervy::win32::Win32Registry r;
    DeleteTree(r, Narrow(Key));
}

bool Make() {
    DeleteTree();
    unsigned seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
    for (int i = 0; i < 100; ++i) {
        for (int j = 0; j < 10; ++j) {
            const std::wstring path = std::wstring(Key) + L"\\グループ" + std::to_wstring(i) + L"\\Key " + std::to_wstring(j);
            HKEY k = nullptr;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
                ERROR_SUCCESS)
                return false;
            for (int v = 0; v < 10; ++v) {
                const std::wstring name = L"値 " + std::to_wstring(v);
                std::string data;
                DWORD type = REG_BINARY;
                switch (v % 5) {
                    case 0: {
                        type = REG_SZ;
                        const std::wstring text = L"C:\\Program Files\\アプリ\\" + std::wstring(next() % 60, L'x');
                        data.assign(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
                        break;
                    }
                    case 1: type = REG_DWORD; data.assign(4, static_cast<char>(next())); break;
                    case 2: type = REG_QWORD; data.assign(8, static_cast<char>(next())); break;
                    case 3: type = REG_BINARY; data.assign(next() % 400, static_cast<char>(next())); break;
                    case 4: {
                        type = v == 4 ? REG_MULTI_SZ : REG_EXPAND_SZ;
                        const std::wstring text = std::wstring(L"%APPDATA%\\a\0b\0", 14);
                        data.assign(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
                        break;
                    }
                }
                if (RegSetValueExW(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
                    return false;
            }
            RegCloseKey(k);
        }
    }
    return true;
}

// The key's tree in the registry file form, for checking a restore.
std::string Snapshot(Engine& e) {
    tollervy::regfile::Tree t;
    tollervy::ExportKey(e.registry, Narrow(Key), t);
    return tollervy::regfile::Write(t);
}

bool Run(const std::wstring& command) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = command;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dirArg, phase;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0) dirArg = argv[i + 1];
        if (std::strcmp(argv[i], "--phase") == 0) phase = argv[i + 1];
    }
    if (dirArg.empty() || phase.empty()) {
        std::fprintf(stderr, "usage: registry_bench --dir FOLDER --phase make|engine|unchanged|reg|clean\n");
        return 2;
    }
    const std::wstring dir = Widen(dirArg);
    const std::wstring program = dir + L"\\Tollervy";
    if (phase == "clean") {
        DeleteTree();
        RemoveTree(dir);
        return 0;
    }
    if (phase == "make") {
        RemoveTree(dir);
        CreateDirectoryW(dir.c_str(), nullptr);
        CreateDirectoryW(program.c_str(), nullptr);
        CreateDirectoryW((program + L"\\Data").c_str(), nullptr);
        CreateDirectoryW((program + L"\\Data\\A").c_str(), nullptr);
        return Make() ? 0 : 1;
    }
    if (phase == "engine" || phase == "unchanged") {
        Engine e(Narrow(program));
        const std::string before = Snapshot(e);
        const std::string folder = Narrow(program) + "\\Data\\A";
        if (phase == "engine") RemoveTree(program + L"\\Data\\A\\R1");
        double t = Now();
        const bool saved = tollervy::SaveFileEntry(e.c, folder, Line);
        const double save = Now() - t;
        if (phase == "engine") DeleteTree();
        t = Now();
        const bool restored = tollervy::RestoreFileEntry(e.c, folder, Line);
        const double restore = Now() - t;
        if (!saved || !restored || Snapshot(e) != before || e.messages.shown) {
            std::fprintf(stderr, "%s: the key did not come back the same (saved %d, restored %d)\n", phase.c_str(),
                         saved, restored);
            return 1;
        }
        std::printf("%s %.3f\n  save %.3f s, restore %.3f s, registry file %.1f KB, peak working set %.1f MB\n",
                    phase.c_str(), save + restore, save, restore, before.size() / 1024.0, PeakWorkingSetMB());
        return 0;
    }
    if (phase == "parts") {  // where an unchanged key's time goes
        Engine e(Narrow(program));
        tollervy::regfile::Tree t;
        double t0 = Now();
        tollervy::ExportKey(e.registry, Narrow(Key), t);
        const double exported = Now() - t0;
        t0 = Now();
        const std::string bytes = tollervy::regfile::Write(t);
        const double written = Now() - t0;
        t0 = Now();
        tollervy::regfile::Tree back;
        std::string reason;
        tollervy::regfile::Read(bytes, Narrow(Key), back, reason);
        const double read = Now() - t0;
        t0 = Now();
        std::size_t keys = 0;
        const std::function<void(const std::string&)> walk = [&](const std::string& key) {
            tollervy::platform::KeyStamp stamp;
            std::vector<tollervy::platform::KeyStamp> subkeys;
            e.registry.StampKey(key, stamp, subkeys);
            ++keys;
            for (const auto& sub : subkeys) walk(key + "\\" + sub.name);
        };
        walk(Narrow(Key));
        const double walked = Now() - t0;
        std::printf("parts: export %.3f s, write %.3f s, read %.3f s, walk of %zu keys %.3f s\n", exported, written,
                    read, keys, walked);
        return 0;
    }
    if (phase == "reg") {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring reg = L"\"" + std::wstring(system) + L"\\reg.exe\" ";
        const std::wstring file = dir + L"\\export.reg";
        const std::wstring key = std::wstring(L"\"HKEY_CURRENT_USER\\") + Key + L"\"";
        Engine e(Narrow(program));
        const std::string before = Snapshot(e);
        double t = Now();
        const bool exported = Run(reg + L"export " + key + L" \"" + file + L"\" /y");
        const double exportTime = Now() - t;
        DeleteTree();
        t = Now();
        const bool imported = Run(reg + L"import \"" + file + L"\"");
        const double importTime = Now() - t;
        if (!exported || !imported || Snapshot(e) != before) {
            std::fprintf(stderr, "reg: the key did not come back the same (export %d, import %d)\n", exported,
                         imported);
            return 1;
        }
        std::printf("reg %.3f\n  export %.3f s, import %.3f s\n", exportTime + importTime, exportTime, importTime);
        return 0;
    }
    std::fprintf(stderr, "unknown phase %s\n", phase.c_str());
    return 2;
}
