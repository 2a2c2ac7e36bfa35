// The version page of the settings dialog (tab "バージョン情報"): the help
// file, the switch log, the previous versions, the support page and the
// program's version.
#pragma once
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class LervIni;

enum HelpPageIds : int {
    IdFrameHelp = 800,
    IdHelpBtn = 801,
    IdFrameVer = 802,
    IdURLBtn = 803,
    IdPictureIconVer = 804,
    IdLabelVer = 805,
    IdLabelVerNote = 806,
    IdLogBtn = 807,
    IdBackupBtn = 808,
};

class HelpPage {
public:
    HelpPage(ui::Form& form, LervIni& dialog);

    ui::Frame FrameHelp;
    ui::CommandButton HelpBtn;
    ui::CommandButton LogBtn;
    ui::CommandButton BackupBtn;
    ui::Frame FrameVer;
    ui::CommandButton URLBtn;
    ui::PictureBox PictureIcon;
    ui::Label LabelVer;
    ui::Label LabelVerNote;

    void HelpBtn_Click();
    void URLBtn_Click();
    // The switch log in the text viewer; the previous versions' folder in
    // Explorer. Both through the shell as the help file.
    void LogBtn_Click();
    void BackupBtn_Click();
    // "Version " and the program's three version numbers.
    void ShowVersion();

private:
    LervIni& dialog_;
};

}  // namespace tollervy
