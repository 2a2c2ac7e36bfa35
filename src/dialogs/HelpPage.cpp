#include "dialogs/HelpPage.h"

#include "dialogs/LervIni.h"
#include "engine/Backup.h"
#include "engine/SwitchLog.h"
#include "settings/Environment.h"
#include "shell/Documents.h"

namespace tollervy {

HelpPage::HelpPage(ui::Form& form, LervIni& dialog)
    : FrameHelp(form, IdFrameHelp, "FrameHelp"),
      HelpBtn(form, IdHelpBtn, "HelpBtn"),
      LogBtn(form, IdLogBtn, "LogBtn"),
      BackupBtn(form, IdBackupBtn, "BackupBtn"),
      FrameVer(form, IdFrameVer, "FrameVer"),
      URLBtn(form, IdURLBtn, "URLBtn"),
      PictureIcon(form, IdPictureIconVer, "PictureIcon"),
      LabelVer(form, IdLabelVer, "LabelVer"),
      LabelVerNote(form, IdLabelVerNote, "LabelVerNote"),
      dialog_(dialog) {
    FrameHelp.Contain(HelpBtn);
    FrameHelp.Contain(LogBtn);
    FrameHelp.Contain(BackupBtn);
    FrameHelp.Contain(FrameVer);
    FrameVer.Contain(URLBtn);
    FrameVer.Contain(PictureIcon);
    FrameVer.Contain(LabelVer);
    FrameVer.Contain(LabelVerNote);
    HelpBtn.SetCaption("ヘルプ");
    HelpBtn.SetToolTipText("readmeを表示します");
    LogBtn.SetCaption("ログ");
    LogBtn.SetToolTipText("切り替えの記録を表示します");
    BackupBtn.SetCaption("バックアップ");
    BackupBtn.SetToolTipText("置き換えられた以前のファイルのフォルダを開きます");
    FrameVer.SetCaption("バージョン情報");
    URLBtn.SetCaption("Tollervy");
    URLBtn.SetToolTipText("サポートページを表示します");
    LabelVerNote.SetCaption("ひとつのWindowsアカウントを共有する人それぞれに、自分専用のファイルを。");
    HelpBtn.OnClick = [this] { HelpBtn_Click(); };
    URLBtn.OnClick = [this] { URLBtn_Click(); };
    LogBtn.OnClick = [this] { LogBtn_Click(); };
    BackupBtn.OnClick = [this] { BackupBtn_Click(); };
}

void HelpPage::HelpBtn_Click() {
    Context& c = dialog_.context();
    ShowDocument(c, JoinPath(c.system.ProgramFolder(), "readme.txt"));
}

void HelpPage::URLBtn_Click() {
    Context& c = dialog_.context();
    ShowDocument(c, c.system.VersionRecord().companyName);
}

void HelpPage::LogBtn_Click() {
    Context& c = dialog_.context();
    ShowDocument(c, SwitchLog::Path(c));
}

void HelpPage::BackupBtn_Click() {
    Context& c = dialog_.context();
    ShowDocument(c, Backup::Root(c));
}

void HelpPage::ShowVersion() {
    const platform::ProgramVersion v = dialog_.context().system.VersionRecord();
    LabelVer.SetCaption("Version " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                        std::to_string(v.revision));
}

}  // namespace tollervy
