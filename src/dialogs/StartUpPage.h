// The start-up page of the settings dialog (tab "スタートアップ"): the
// Start-up folders that hold (or are to hold) the program's shortcut, ten
// rows at a time beside a scroll bar, and a last row that adds a folder.
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

    // Rows shown at a time.
    static constexpr int VisibleRows = 10;

    ui::Frame FrameStartUp;
    ui::Frame FrameStartUpList;
    ui::ControlArray<ui::CheckBox> CheckStartPath;
    ui::ControlArray<ui::TextBox> TextStartPath;
    ui::ControlArray<ui::CommandButton> StartUpPathBtn;
    ui::ScrollBar ScrollStartUpList;

    // Finds the Start-up folders (and the profiles' user names) when the
    // dialog loads, and fills the page.
    void ScanStartUpFolders();
    // Makes or removes the shortcut where a tick changed; false on failure.
    bool ApplyStartUpRegistration();
    // Shows the rows from the scroll bar's position on.
    void FillStartUpRows();

    void CheckStartPath_Click(int index);
    void TextStartPath_Click(int index);
    void StartUpPathBtn_Click(int index);
    void ScrollStartUpList_Change();

private:
    LervIni& dialog_;
};

}  // namespace tollervy
