// The switching engine as the benchmarks run it: the Win32 layer with the
// time spent in each kind of file-system call, message boxes counted and
// never shown, a progress display that only counts its lines, and the
// program living in a folder of the benchmark's choosing.
#pragma once
#include "win32/WinApi.h"

#include "Clock.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/InPlaceRecord.h"
#include "settings/Context.h"
#include "settings/Settings.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Profile.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32System.h"

namespace bench {

using tollervy::Context;

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
    // ReadFile and WriteFileAtomic: the in-place record and the manifests.
    // MoveFile: the backup's moves; AppendBytes: the switch log's lines.
    enum Kind {
        KAttr, KSetAttr, KList, KCopy, KDelete, KMakeFolder, KRemoveFolder, KRead, KWrite, KCompare, KMove, KAppend,
        KOther, Kinds
    };
    static constexpr const char* Names[Kinds] = {"GetAttributes", "SetAttributes", "List",        "CopyFile",
                                                  "DeleteFile",    "CreateFolder",  "RemoveFolder", "ReadFile",
                                                  "WriteAtomic",   "FilesEqual",    "MoveFile",     "AppendBytes",
                                                  "other"};
    bool GetAttributes(const std::string& p, std::uint32_t& a) override { return Timed(KAttr, [&] { return fs.GetAttributes(p, a); }); }
    bool SetAttributes(const std::string& p, std::uint32_t a) override { return Timed(KSetAttr, [&] { return fs.SetAttributes(p, a); }); }
    bool List(const std::string& s, std::uint32_t f, std::vector<std::string>& n) override { return Timed(KList, [&] { return fs.List(s, f, n); }); }
    bool ListEntries(const std::string& s, std::uint32_t f, std::vector<Entry>& e) override { return Timed(KList, [&] { return fs.ListEntries(s, f, e); }); }
    bool CopyFile(const std::string& a, const std::string& b, bool f) override { return Timed(KCopy, [&] { return fs.CopyFile(a, b, f); }); }
    std::uint32_t LastError() override { return fs.LastError(); }
    std::string LastErrorText() override { return fs.LastErrorText(); }
    bool MoveFile(const std::string& a, const std::string& b) override { return Timed(KMove, [&] { return fs.MoveFile(a, b); }); }
    bool DeleteFile(const std::string& p) override { return Timed(KDelete, [&] { return fs.DeleteFile(p); }); }
    bool CreateFolder(const std::string& p) override { return Timed(KMakeFolder, [&] { return fs.CreateFolder(p); }); }
    bool RemoveFolder(const std::string& p) override { return Timed(KRemoveFolder, [&] { return fs.RemoveFolder(p); }); }
    bool FileLength(const std::string& p, std::uint64_t& l) override { return Timed(KOther, [&] { return fs.FileLength(p, l); }); }
    bool ReadLines(const std::string& p, std::vector<std::string>& l) override { return Timed(KOther, [&] { return fs.ReadLines(p, l); }); }
    bool AppendLine(const std::string& p, const std::string& l) override { return Timed(KOther, [&] { return fs.AppendLine(p, l); }); }
    bool AppendBytes(const std::string& p, const std::string& b) override { return Timed(KAppend, [&] { return fs.AppendBytes(p, b); }); }
    bool WriteFileAtomic(const std::string& p, const std::string& b) override {
        written += b.size();
        return Timed(KWrite, [&] { return fs.WriteFileAtomic(p, b); });
    }
    bool CreateNewFile(const std::string& p, const std::string& b) override { return Timed(KOther, [&] { return fs.CreateNewFile(p, b); }); }
    // A file written piece by piece: one call, its pieces' time added to it.
    std::unique_ptr<AtomicFile> BeginAtomic(const std::string& p, Flush flush) override {
        std::unique_ptr<AtomicFile> file;
        if (!Timed(KWrite, [&] { return (file = fs.BeginAtomic(p, flush)) != nullptr; })) return nullptr;
        return std::make_unique<Piecewise>(*this, std::move(file));
    }
    bool ReadFile(const std::string& p, std::string& b) override { return Timed(KRead, [&] { return fs.ReadFile(p, b); }); }
    bool ReadPieces(const std::string& p, const std::function<bool(std::string_view)>& t) override {
        return Timed(KRead, [&] { return fs.ReadPieces(p, t); });
    }
    bool FilesEqual(const std::string& a, const std::string& b) override { return Timed(KCompare, [&] { return fs.FilesEqual(a, b); }); }

    std::vector<std::string> Drives() override { return fs.Drives(); }
    std::uint64_t Now() override { return fs.Now(); }

    void Print() const {
        for (int k = 0; k < Kinds; ++k)
            if (calls[k]) std::printf("  %-13s %7ld calls %8.3f s  %6.3f ms each\n", Names[k], calls[k], seconds[k], 1000 * seconds[k] / calls[k]);
    }
    void Reset() {
        for (int k = 0; k < Kinds; ++k) calls[k] = 0, seconds[k] = 0;
        written = 0;
    }
    long calls[Kinds] = {};
    unsigned long long written = 0;  // bytes written by WriteFileAtomic and BeginAtomic
    double seconds[Kinds] = {};

private:
    struct Piecewise final : AtomicFile {
        Piecewise(TimedFileSystem& t, std::unique_ptr<AtomicFile> f) : timed(t), file(std::move(f)) {}
        bool Write(std::string_view b) override {
            timed.written += b.size();
            return Piece([&] { return file->Write(b); });
        }
        bool Commit() override { return Piece([&] { return file->Commit(); }); }
        template <typename F>
        bool Piece(F f) {
            const double t = ::Now();
            const bool ok = f();
            timed.seconds[KWrite] += ::Now() - t;
            return ok;
        }
        TimedFileSystem& timed;
        std::unique_ptr<AtomicFile> file;
    };
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

struct Engine {
    explicit Engine(const std::string& program)
        : system(program), c{fs, profile, messages, system, shell, {}, &status, &registry} {
        c.state.IniFilePath = program + "\\Tollervy.ini";
        c.state.DataFolderPath = program + "\\Data";
        c.state.StartStatus = "1";
        c.state.StartDebug = "0";
        c.state.DeleteReadOnly = "0";
        c.state.LastErrorNext = 1;
        // A switch runs under the data store's in-place record, which names
        // the generation of the manifests of what is in place.
        tollervy::InPlaceRecord record;
        record.Load(c);
        record.Flush(c);
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
    tollervy::win32::Win32Registry registry;
    Context c;
};

}  // namespace bench
