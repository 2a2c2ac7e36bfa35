#include "dialogs/OptionsPage.h"

#include <initializer_list>

#include "dialogs/DirPathFrm.h"
#include "dialogs/LervIni.h"
#include "engine/PathUtil.h"
#include "platform/Text.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "ui/Forms.h"

namespace tollervy {

OptionsPage::OptionsPage(ui::Form& form, LervIni& dialog)
    : FrameIni(form, IdFrameIni, "FrameIni"),
      FrameLogOn(form, IdFrameLogOn, "FrameLogOn"),
      OptionLogOn(form, "OptionLogOn", {IdOptionLogOn0, IdOptionLogOn1}),
      CheckStatus(form, IdCheckStatus, "CheckStatus"),
      CheckEnd(form, IdCheckEnd, "CheckEnd"),
      FrameData(form, IdFrameData, "FrameData"),
      CheckDelete(form, IdCheckDelete, "CheckDelete"),
      OptionDelete(form, "OptionDelete", {IdOptionDelete0, IdOptionDelete1}),
      CheckReadOnly(form, IdCheckReadOnly, "CheckReadOnly"),
      FrameError(form, IdFrameError, "FrameError"),
      OptionError(form, "OptionError", {IdOptionError0, IdOptionError1, IdOptionError2}),
      CheckJapanese(form, IdCheckJapanese, "CheckJapanese"),
      FrameAllway(form, IdFrameAllway, "FrameAllway"),
      CheckAllway(form, IdCheckAllway, "CheckAllway"),
      CheckTask(form, IdCheckTask, "CheckTask"),
      LabelShared(form, IdLabelShared, "LabelShared"),
      TextShared(form, IdTextShared, "TextShared"),
      SharedPathBtn(form, IdSharedPathBtn, "SharedPathBtn"),
      dialog_(dialog) {
    for (ui::Control* c : std::initializer_list<ui::Control*>{&FrameLogOn, &CheckStatus, &CheckEnd, &FrameData,
                                                              &CheckReadOnly, &FrameError, &CheckJapanese,
                                                              &FrameAllway, &LabelShared, &TextShared,
                                                              &SharedPathBtn})
        FrameIni.Contain(*c);
    FrameLogOn.Contain(OptionLogOn[1]);
    FrameLogOn.Contain(OptionLogOn[0]);
    FrameData.Contain(CheckDelete);
    FrameData.Contain(OptionDelete[0]);
    FrameData.Contain(OptionDelete[1]);
    for (int i = 2; i >= 0; --i) FrameError.Contain(OptionError[i]);
    FrameAllway.Contain(CheckAllway);
    FrameAllway.Contain(CheckTask);

    FrameLogOn.SetCaption("ログオンダイアログ");
    OptionLogOn[1].SetCaption("使用する");
    OptionLogOn[0].SetCaption("使用しない");
    CheckStatus.SetCaption("起動処理の状況を表示する");
    CheckStatus.SetToolTipText("ファイルの操作状況を表示します");
    CheckEnd.SetCaption("設定終了時に確認ダイアログを表示する");
    CheckEnd.SetToolTipText("設定画面終了時に、各種確認ダイアログを表示します");
    const char* dataTip = "「ファイル」タブの一覧から削除する際に、その後に使うファイルの選択ダイアログを表示します";
    FrameData.SetToolTipText(dataTip);
    CheckDelete.SetCaption("「ファイル」タブから削除する際に、使用するデータの確認をしない");
    CheckDelete.SetToolTipText(dataTip);
    OptionDelete[0].SetCaption("ログオンしているユーザのデータを使用する");
    OptionDelete[0].SetToolTipText("その時にログオンしているユーザのデータを使用します");
    OptionDelete[1].SetCaption("登録時のデータを使用する");
    OptionDelete[1].SetToolTipText("登録時に保存されたデータを使用します");
    CheckReadOnly.SetCaption("読み取り専用のファイルも強制的に扱う(危険)");
    CheckReadOnly.SetToolTipText("読み取り専用に設定されているファイルを使用可能にします");
    FrameError.SetCaption("エラー発生時処理");
    FrameError.SetToolTipText("エラーが発生した場合の処理を選択します");
    OptionError[2].SetCaption("確認する");
    OptionError[2].SetToolTipText("エラーの状況を表示し、次の動作を確認します");
    OptionError[1].SetCaption("終了する");
    OptionError[1].SetToolTipText("即座に終了させます");
    OptionError[0].SetCaption("無視する(危険)");
    OptionError[0].SetToolTipText("エラーを無視して次に進みます");
    CheckJapanese.SetCaption("文字化けの修正を行う (日本語パスが文字化けする場合)");
    CheckJapanese.SetToolTipText("日本語パスが文字化けしてる場合、修正できるかもしれません");
    const char* allwayTip = "常駐し、終了時に起動時のファイルに戻します";
    FrameAllway.SetToolTipText(allwayTip);
    FrameAllway.SetVisible(false);
    CheckAllway.SetCaption("常駐する");
    CheckAllway.SetToolTipText(allwayTip);
    CheckTask.SetCaption("タスクトレイに表示する");
    CheckTask.SetToolTipText("タスクトレイに表示します。表示しない場合、ログオフするまで終了できません");

    const char* sharedTip =
        "複数のパソコンで同じデータを使う場合に、ファイルサーバの共有フォルダを指定します"
        "(\\\\サーバ\\共有\\Tollervy)。次回の起動から有効です";
    LabelShared.SetCaption("共有フォルダ");
    LabelShared.SetToolTipText(sharedTip);
    TextShared.SetToolTipText(sharedTip);
    SharedPathBtn.SetCaption("参照");
    SharedPathBtn.SetToolTipText("共有フォルダを選択します");

    OptionLogOn.OnClick = [this](int index) { OptionLogOn_Click(index); };
    SharedPathBtn.OnClick = [this] { SharedPathBtn_Click(); };
    CheckDelete.OnClick = [this] { CheckDelete_Click(); };
    CheckAllway.OnClick = [this] { CheckAllway_Click(); };
}

void OptionsPage::OptionLogOn_Click(int Index) {
    LervIni& d = dialog_;
    if (Index == 1) {
        d.CheckUseUser.SetVisible(true);
        d.CheckUseUser_Click();
        return;
    }
    d.CheckUseUser.SetVisible(false);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&d.ListUser, &d.FrameUserIni, &d.CheckUserUse,
                                                              &d.LabelUserName, &d.TextUserName, &d.LabelUserPass,
                                                              &d.TextUserPass})
        c->SetEnabled(true);
}

void OptionsPage::CheckDelete_Click() {
    const bool on = CheckDelete.Value() == 1;
    OptionDelete[0].SetEnabled(on);
    OptionDelete[1].SetEnabled(on);
}

void OptionsPage::CheckAllway_Click() { CheckTask.SetEnabled(CheckAllway.Value() == 1); }

void OptionsPage::SharedPathBtn_Click() {
    GrobalMod& s = dialog_.context().state;
    s.DirPathTarget = &TextShared;
    dialog_.forms().DirPathFrm().ShowModal();
    s.DirPathTarget = nullptr;
}

bool OptionsPage::SaveShared() {
    Context& c = dialog_.context();
    const std::string typed = WithoutTrailingBackslash(text::Trim(TextShared.Text()));
    if (typed == WithoutTrailingBackslash(ReadIniValue(c, keys::StoreShared))) return true;
    if (typed.empty()) {
        DeleteIniKey(c, keys::StoreShared.section, keys::StoreShared.key);
        return true;
    }
    if (!FitsAnsiCodePage(c, typed)) {
        ShowMessage(c, OutsideCodePageMessage(typed), StyleStop);
        return false;
    }
    std::uint32_t attributes = 0;
    if (!c.fs.GetAttributes(typed, attributes) || (attributes & platform::AttrDirectory) == 0) {
        ShowMessage(c, "共有フォルダが見つかりません\r\n確認してください\r\n\r\n" + typed, StyleStop);
        return false;
    }
    return WriteIniValue(c, keys::StoreShared, typed);
}

void OptionsPage::ApplyJapaneseFont() {
    LervIni& d = dialog_;
    std::vector<ui::Control*> targets{&d.forms().MainFileLine(), &d.FileList, &d.FilePath, &d.ListUser,
                                      &d.TextUserName};
    for (int i = 0; i < d.TextStartPath.Count(); ++i) targets.push_back(&d.TextStartPath[i]);
    ui::Font font;
    font.charset = 128;
    font.face = option::UsesJapaneseFace(d.context().state.StartJapanese) ? "ＭＳ ゴシック" : "ＭＳ Ｐゴシック";
    for (ui::Control* c : targets) c->SetFont(font);
}

}  // namespace tollervy
