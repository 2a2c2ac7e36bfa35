#include "dialogs/FormDelete.h"

#include <algorithm>

#include "settings/Context.h"
#include "settings/Settings.h"
#include "ui/Forms.h"

namespace tollervy {

namespace {

constexpr const char* AllUsers = "All Users";
constexpr int KeyEscape = 27;
// The window is this much wider than its widest label (260 twips at 15
// twips to the pixel).
constexpr int WidthBesideLabels = 260 / 15;

}  // namespace

FormDelete::FormDelete(Forms& forms)
    : ui::Form(forms.host, "FormDelete", TemplateFormDelete),
      LabelMess(*this, IdLabelMess, "LabelMess"),
      DeleteFile(*this, IdDeleteFile, "DeleteFile"),
      FrameData(*this, IdFrameDeleteData, "FrameData"),
      OptionDelete(*this, "OptionDelete", {IdOptionDeleteUser, IdOptionDeleteCommon}),
      DataUseBtn(*this, IdDataUseBtn, "DataUseBtn"),
      c_(forms.context) {
    FrameData.Contain(OptionDelete[0]);
    FrameData.Contain(OptionDelete[1]);
    SetCaption("Tollervy");
    LabelMess.SetCaption("このデータは、どちらのデータを使用しますか？");
    OptionDelete[0].SetCaption("ログオンしているユーザのデータ");
    OptionDelete[1].SetCaption("登録時のデータ");
    DataUseBtn.SetCaption("使用");
    DataUseBtn.OnClick = [this] { DataUseBtn_Click(); };
}

void FormDelete::Form_Load() {
    GrobalMod& s = c_.state;
    answered_ = false;

    ui::Font font;
    font.charset = 128;
    font.face = option::UsesJapaneseFace(s.StartJapanese) ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック";
    for (ui::Control* control : Controls()) control->SetFont(font);

    DeleteFile.SetCaption(s.RemovedFilePath);
    mstrUser = s.CurrentUserName;
    OptionDelete[0].SetValue(true);

    if (mstrUser == AllUsers) {
        // Both copies are the same person's: nothing to ask.
        s.RemovedFileDataUser = AllUsers;
        answered_ = true;
        Hide();
        Unload();
        return;
    }

    OptionDelete[0].SetCaption(mstrUser + "のデータ");

    // The path label as wide as the path, the window as wide as its widest
    // label, the button in the middle.
    ui::FormHost& host = Host();
    const int pathWidth = host.TextWidth(*this, DeleteFile, DeleteFile.Caption());
    const int messWidth = host.TextWidth(*this, LabelMess, LabelMess.Caption());
    DeleteFile.Move(DeleteFile.Left(), DeleteFile.Top(), pathWidth, DeleteFile.Height());
    LabelMess.Move(LabelMess.Left(), LabelMess.Top(), messWidth, LabelMess.Height());
    const int labels = std::max({pathWidth, messWidth, FrameData.Width()});
    const int width = labels + 2 * LabelMess.Left() + WidthBesideLabels;
    const int screen = c_.system.ScreenWidth();
    SetBounds(Left(), Top(), width, Height());
    Move(screen > width ? (screen - width) / 2 : 0, Top());
    DataUseBtn.Move((width - DataUseBtn.Width()) / 2, DataUseBtn.Top(), DataUseBtn.Width(), DataUseBtn.Height());
    // The proposed answer stands: Enter (or a click) takes it, the option
    // buttons change it.
    DataUseBtn.SetFocus();
}

void FormDelete::DataUseBtn_Click() {
    c_.state.RemovedFileDataUser = OptionDelete[0].Value() ? mstrUser : std::string(AllUsers);
    answered_ = true;
    Unload();
}

bool FormDelete::Form_QueryUnload() {
    if (!answered_) {
        c_.state.RemovedFileDataUser = mstrUser;
        answered_ = true;
    }
    return true;
}

bool FormDelete::Form_KeyDown(int virtualKey) {
    if (virtualKey != KeyEscape) return false;
    Unload();
    return true;
}

}  // namespace tollervy
