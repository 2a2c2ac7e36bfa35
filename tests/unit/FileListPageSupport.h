// What the file list tests share: a machine where Aoi works with two listed
// items (a file and a folder), Ben has stored copies, and the settings
// dialog is open for Aoi.
#pragma once
#include <string>

#include "Desk.h"
#include "dialogs/LervIni.h"

namespace tollervy::filelist {

inline const std::string Work = "C:\\Work\\";
inline const std::string Store = std::string(Desk::Data) + "\\";

inline std::string Stored(const std::string& user, const std::string& rest) { return Store + user + "\\" + rest; }

// [File] F1 = C:\Work\memo.txt, F2 = C:\Work\Notes\ ; Aoi's copies in
// place; Ben's and the registration copies in the store.
inline void SeedTwoItems(Desk& d) {
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "Aoi");
    d.Ini("Last", "Message", "0");
    d.Ini("File", "F1", Work + "memo.txt");
    d.Ini("File", "F2", Work + "Notes\\");
    d.p.fs.AddFile(Work + "memo.txt", "Aoi memo");
    d.p.fs.AddFile(Work + "Notes\\n.txt", "Aoi n");
    d.p.fs.AddFile(Work + "new.txt", "Aoi new");
    d.p.fs.AddFile(Work + "a.log", "Aoi a.log");
    d.p.fs.AddFolder(Work + "Empty");
    for (const char* user : {"Ben", "All Users"}) {
        const std::string u = user;
        d.p.fs.AddFile(Stored(u, "F1\\memo.txt"), u + " memo");
        d.p.fs.AddFile(Stored(u, "F2\\n.txt"), u + " n");
    }
    d.p.fs.AddFile(Stored("Aoi", "F1\\memo.txt"), "Aoi old memo");
    d.p.fs.AddFile(Stored("Aoi", "F2\\n.txt"), "Aoi old n");
}

// Aoi opens the settings dialog ("-s"; nothing is switched) on the tab of
// the file list.
inline LervIni& OpenSettings(Desk& d, const std::string& user = "Aoi") {
    d.p.system.loginName = user;
    d.p.system.commandLine = "-s";
    d.Start();
    LervIni& dialog = d.forms.LervIni();
    dialog.IniTab.Select(2);
    return dialog;
}

}  // namespace tollervy::filelist
