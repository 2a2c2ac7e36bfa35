// FormDelete: which copy stays in place when a path leaves the file list,
// the copy of the user who is logged on or the copy saved when the path was
// registered. The answer goes to RemovedFileDataUser.
#pragma once
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace tollervy {

class Forms;
struct Context;

enum FormDeleteIds : int {
    IdLabelMess = 901,
    IdDeleteFile = 902,
    IdFrameDeleteData = 903,
    IdOptionDeleteUser = 904,    // OptionDelete(0): the logged-on user's copy
    IdOptionDeleteCommon = 905,  // OptionDelete(1): the registration copy
    IdDataUseBtn = 906,
};

class FormDelete : public ui::Form {
public:
    explicit FormDelete(Forms& forms);

    ui::Label LabelMess;
    // Sizes itself to the path.
    ui::Label DeleteFile;
    ui::Frame FrameData;
    // Index 0 the logged-on user's copy, 1 the registration copy.
    ui::OptionButtons OptionDelete;
    ui::CommandButton DataUseBtn;

    void Form_Load() override;
    void DataUseBtn_Click();
    // The close box and Alt+F4 keep the logged-on user's copy, the answer
    // that changes no file.
    bool Form_QueryUnload() override;
    // Escape closes as the close box does.
    bool Form_KeyDown(int virtualKey) override;

private:
    Context& c_;
    std::string mstrUser;
    bool answered_ = false;
};

}  // namespace tollervy
