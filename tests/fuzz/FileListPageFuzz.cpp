// The [File] section as a hand-edited settings file may hold it (raw bytes of
// the file, code page 932), loaded by the settings dialog's file list page;
// the person removes the first row and saves. Every line shows as a row (its
// text after the first "=", or the whole line), and the save writes nothing
// outside the data store, the settings file and the paths the lines name.
#include "FuzzSupport.h"
#include "dialogs/LervIni.h"
#include "driver/TollervyMain.h"
#include "engine/SaveRestore.h"
#include "fakes/ProcessEnded.h"
#include "settings/Settings.h"
#include "ui/Forms.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    p.fs.AddFolder(p.DataPath());
    p.fs.AddFile("C:\\Work\\a.txt", "a");
    p.fs.AddFile("C:\\Work\\Sub\\c.txt", "c");
    p.fs.AddFile(p.DataPath() + "\\All Users\\F1\\a.txt", "common a");
    p.fs.AddFile(p.DataPath() + "\\Taro\\F2\\c.txt", "Taro's c");
    p.fs.AddFile("C:\\Other\\keep.txt", "keep");
    p.fs.AddFile(p.IniPath(), "[Start]\r\nStarted=1\r\n[Last]\r\nMessage=0\r\n[Delete]\r\nType=1\r\n[File]\r\n" +
                                  fuzz::Bytes(data, size));
    c.state.CurrentUserName = "Taro";
    c.state.OsVersionTag = "XP";
    std::vector<std::string> lines;
    ReadIniSection(c, "File", lines);
    // What a line may change: the place it names, as the engine reads it
    // (a pattern's folder, where its matching files lie).
    std::vector<std::string> allowed{"Program Files\\Tollervy"};
    for (const std::string& line : lines) {
        const auto equals = line.find('=');
        Entry e;
        const bool item = ReadEntry(c, line, e);
        allowed.push_back(fuzz::OnDriveC(item ? e.target : equals == std::string::npos ? line : line.substr(equals + 1)));
    }

    Forms forms(c, p.host);
    const auto before = p.fs.Dump("C:\\");
    fuzz::AnsweredMessages answers(p.messages, 1);
    try {
        LervIni& dialog = forms.LervIni();
        dialog.Load();
        fuzz::Check(dialog.FileList.ListCount() == static_cast<int>(lines.size()), "a line without its row");
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto equals = lines[i].find('=');
            const std::string shown = equals == std::string::npos ? lines[i] : lines[i].substr(equals + 1);
            fuzz::Check(dialog.FileList.List(static_cast<int>(i)) == shown, "a row that is not its line's path");
        }
        dialog.IniTab.Select(2);
        if (dialog.FileList.ListCount() > 0) {
            dialog.FileList.SetListIndex(0);
            dialog.FileDelete.Click();
        }
        dialog.SaveSettings();
    } catch (const fakes::ProcessEnded&) {
        // The store could not be used: the program ends there.
    }
    const std::string outside = fuzz::WrittenOutside(before, p.fs.Dump("C:\\"), allowed);
    if (!outside.empty()) std::fprintf(stderr, "written: %s\n", outside.c_str());
    fuzz::Check(outside.empty(), "a file was written outside the store, the settings file and the listed paths");
    return 0;
}
