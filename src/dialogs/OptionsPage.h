// The options page of the settings dialog (tab "設定"): one control per
// option of the settings file, the rules by which they enable each other and
// the font rule for paths and user names.
#pragma once
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class LervIni;

enum OptionsPageIds : int {
    IdFrameIni = 700,
    IdFrameLogOn = 701,
    IdOptionLogOn0 = 702,  // "使用しない"
    IdOptionLogOn1 = 703,  // "使用する"
    IdCheckStatus = 704,
    IdCheckEnd = 705,
    IdFrameData = 706,
    IdCheckDelete = 707,
    IdOptionDelete0 = 708,
    IdOptionDelete1 = 709,
    IdCheckReadOnly = 710,
    IdFrameError = 711,
    IdOptionError0 = 712,  // "無視する(危険)", shown last
    IdOptionError1 = 713,  // "終了する"
    IdOptionError2 = 714,  // "確認する", shown first
    IdCheckJapanese = 715,
    IdFrameAllway = 716,
    IdCheckAllway = 717,
    IdCheckTask = 718,
    IdLabelShared = 719,
    IdTextShared = 720,
    IdSharedPathBtn = 721,
};

class OptionsPage {
public:
    OptionsPage(ui::Form& form, LervIni& dialog);

    ui::Frame FrameIni;
    ui::Frame FrameLogOn;
    ui::OptionButtons OptionLogOn;
    ui::CheckBox CheckStatus;
    ui::CheckBox CheckEnd;
    ui::Frame FrameData;
    ui::CheckBox CheckDelete;
    ui::OptionButtons OptionDelete;
    ui::CheckBox CheckReadOnly;
    ui::Frame FrameError;
    ui::OptionButtons OptionError;
    ui::CheckBox CheckJapanese;
    ui::Frame FrameAllway;
    ui::CheckBox CheckAllway;
    ui::CheckBox CheckTask;
    // The shared store of several PCs ([Store] Shared): typed, or chosen
    // with the folder picker; empty for none.
    ui::Label LabelShared;
    ui::TextBox TextShared;
    ui::CommandButton SharedPathBtn;

    void OptionLogOn_Click(int Index);
    void CheckDelete_Click();
    void CheckAllway_Click();
    void SharedPathBtn_Click();
    // Writes [Store] Shared when the box changed: a folder that exists, or
    // nothing (the key is removed). False, with a message, otherwise.
    bool SaveShared();
    // The path and user-name controls of the dialog and the main window's
    // file line get the Japanese character set and the face the option
    // chooses.
    void ApplyJapaneseFont();

private:
    LervIni& dialog_;
};

}  // namespace tollervy
