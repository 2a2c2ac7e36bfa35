// The start-up page of the settings dialog (tab "スタートアップ"): the
// Start-up folders that hold (or are to hold) the program's shortcut.
#pragma once
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class LervIni;

enum StartUpPageIds : int {
    IdFrameStartUp = 500,
    IdFrameStartUpList = 501,
    IdTextStartPath0 = 510,  // to 519
    IdCheckStartPath0 = 520,  // to 529
    IdStartUpPathBtn0 = 530,  // to 539
    IdScrollStartUpList = 540,
};

class StartUpPage {
public:
    StartUpPage(ui::Form& form, LervIni& dialog);

    ui::Frame FrameStartUp;
    ui::Frame FrameStartUpList;
    ui::ControlArray<ui::TextBox> TextStartPath;

    // Finds the Start-up folders (and the profiles' user names) when the
    // dialog loads, and fills the page.
    void ScanStartUpFolders();
    // Makes or removes the shortcut where a tick changed; false on failure.
    bool ApplyStartUpRegistration();

private:
    LervIni& dialog_;
};

}  // namespace tollervy
