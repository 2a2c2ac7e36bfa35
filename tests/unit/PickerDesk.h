// A whole program on the fakes with a page-like form that owns the text box
// a picker writes into, and a disk with a few folders and files to pick from.
#pragma once
#include <functional>
#include <string>

#include "Desk.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

// Stands for the settings dialog's page that opens a picker.
class PickerOwner : public ui::Form {
public:
    explicit PickerOwner(ui::FormHost& host) : ui::Form(host, "PickerOwner", 0) {}
    ui::TextBox Box{*this, 1, "Box"};
};

struct PickerDesk : Desk {
    PickerOwner owner{p.host};
    int boxChanges = 0;

    static constexpr const char* Current = "C:\\Program Files\\Tollervy";

    PickerDesk() {
        owner.Box.Change = [this] { ++boxChanges; };
        p.fs.AddFile("C:\\Program Files\\Tollervy\\Tollervy.exe");
        p.fs.AddFile("C:\\Program Files\\Tollervy\\Tollervy.ini");
        p.fs.AddFile("C:\\Docs\\report.txt");
        p.fs.AddFile("C:\\Docs\\Budget.xls");
        p.fs.AddFile("C:\\Docs\\hidden.txt", "", platform::AttrHidden);
        p.fs.AddFolder("C:\\Docs\\Old");
        p.fs.AddDrive("D:");
        p.fs.AddFile("D:\\Music\\a.mp3");
        p.fs.AddFile("D:\\top.txt");
    }

    // The box holds `text` (without counting it as a change by the picker).
    void Target(const std::string& text) {
        owner.Box.SetText(text);
        boxChanges = 0;
    }
};

}  // namespace tollervy
