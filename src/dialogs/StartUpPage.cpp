#include "dialogs/StartUpPage.h"

#include <algorithm>

#include "dialogs/DirPathFrm.h"
#include "dialogs/LervIni.h"
#include "settings/Environment.h"
#include "shell/StartUpRegistration.h"
#include "ui/Forms.h"

namespace tollervy {

namespace {

// OK and Cancel, question icon, system modal.
constexpr unsigned StyleOkCancelQuestion = 4129;

}  // namespace

StartUpPage::StartUpPage(ui::Form& form, LervIni& dialog)
    : FrameStartUp(form, IdFrameStartUp, "FrameStartUp"),
      FrameStartUpList(form, IdFrameStartUpList, "FrameStartUpList"),
      CheckStartPath(form, "CheckStartPath", ui::IdRange(IdCheckStartPath0, VisibleRows)),
      TextStartPath(form, "TextStartPath", ui::IdRange(IdTextStartPath0, VisibleRows)),
      StartUpPathBtn(form, "StartUpPathBtn", ui::IdRange(IdStartUpPathBtn0, VisibleRows)),
      ScrollStartUpList(form, IdScrollStartUpList, "ScrollStartUpList"),
      dialog_(dialog) {
    FrameStartUp.Contain(FrameStartUpList);
    for (int i = 0; i < VisibleRows; ++i) {
        FrameStartUpList.Contain(CheckStartPath[i]);
        FrameStartUpList.Contain(TextStartPath[i]);
        FrameStartUpList.Contain(StartUpPathBtn[i]);
        CheckStartPath[i].OnClick = [this, i] { CheckStartPath_Click(i); };
        TextStartPath[i].OnClick = [this, i] { TextStartPath_Click(i); };
        StartUpPathBtn[i].OnClick = [this, i] { StartUpPathBtn_Click(i); };
    }
    FrameStartUpList.Contain(ScrollStartUpList);
    ScrollStartUpList.SetLargeChange(VisibleRows);
    ScrollStartUpList.Change = [this] { ScrollStartUpList_Change(); };
}

void StartUpPage::ScanStartUpFolders() {
    tollervy::ScanStartUpFolders(dialog_.context());
    FillStartUpRows();
}

bool StartUpPage::ApplyStartUpRegistration() {
    if (tollervy::ApplyStartUpRegistration(dialog_.context())) return true;
    FillStartUpRows();
    return false;
}

void StartUpPage::FillStartUpRows() {
    GrobalMod& s = dialog_.context().state;
    const int count = s.StartUpPathCount;
    // The spare slot after the last row always exists (the adding row's
    // check box writes into it).
    if (static_cast<int>(s.StartUpPathList.size()) < count + 1)
        s.StartUpPathList.resize(static_cast<std::size_t>(count) + 1, StartUpEntry{"", "0", false});

    const int first = ScrollStartUpList.Value();
    for (int i = 0; i < VisibleRows; ++i) {
        const int n = first + i;
        ui::CheckBox& check = CheckStartPath[i];
        ui::TextBox& text = TextStartPath[i];
        ui::CommandButton& button = StartUpPathBtn[i];
        if (n < count) {
            const StartUpEntry& row = s.StartUpPathList[static_cast<std::size_t>(n)];
            check.SetEnabled(true);
            check.SetValue(row.Registered == "1" ? 1 : 0);
            check.SetToolTipText(row.Path);
            check.SetVisible(true);
            text.SetText(row.Path);
            text.SetEnabled(true);
            text.SetToolTipText(row.Path);
            text.SetVisible(true);
            button.SetCaption("x");
            button.SetEnabled(row.UserAdded);
            button.SetVisible(true);
        } else {
            const bool adding = n == count;
            text.SetText("");
            text.SetEnabled(false);
            text.SetToolTipText("");
            text.SetVisible(adding);
            check.SetValue(0);
            check.SetEnabled(false);
            check.SetToolTipText("");
            check.SetVisible(adding);
            button.SetCaption(adding ? "..." : "");
            button.SetEnabled(adding);
            button.SetVisible(adding);
        }
    }
    ScrollStartUpList.SetRange(0, std::max(0, count + 1 - ScrollStartUpList.LargeChange()));
}

void StartUpPage::CheckStartPath_Click(int index) {
    GrobalMod& s = dialog_.context().state;
    const int n = ScrollStartUpList.Value() + index;
    // Rows past the adding row have no slot; their box is only ever cleared.
    if (n > s.StartUpPathCount || n >= static_cast<int>(s.StartUpPathList.size())) return;
    s.StartUpPathList[static_cast<std::size_t>(n)].Registered = CheckStartPath[index].Value() == 1 ? "1" : "0";
}

void StartUpPage::TextStartPath_Click(int index) {
    CheckStartPath[index].SetValue(1);
    CheckStartPath_Click(index);
}

void StartUpPage::StartUpPathBtn_Click(int index) {
    Context& c = dialog_.context();
    GrobalMod& s = c.state;
    const int n = ScrollStartUpList.Value() + index;

    if (StartUpPathBtn[index].Caption() == "x") {
        if (n >= s.StartUpPathCount) return;
        const std::string& path = s.StartUpPathList[static_cast<std::size_t>(n)].Path;
        if (c.messages.Show(path + "を\r\nリストから削除しますか?", ProgramTitle, StyleOkCancelQuestion) != platform::AnswerOK)
            return;
        s.StartUpPathList.erase(s.StartUpPathList.begin() + n);
        --s.StartUpPathCount;
        FillStartUpRows();
        return;
    }

    if (s.StartUpPathCount >= MaxStartUpCount) {
        ShowMessage(c, "これ以上フォルダを追加できません", StyleStop);
        return;
    }
    ui::TextBox& box = TextStartPath[index];
    s.DirPathTarget = &box;
    dialog_.forms().DirPathFrm().ShowModal();
    const std::string chosen = box.Text();
    if (chosen.empty()) return;
    for (int r = 0; r < s.StartUpPathCount; ++r) {
        if (s.StartUpPathList[static_cast<std::size_t>(r)].Path != chosen) continue;
        ShowMessage(c, "同じパスがすでに設定されています\r\n\r\n" + chosen, StyleStop);
        box.SetText("");
        return;
    }
    s.StartUpPathList.resize(static_cast<std::size_t>(s.StartUpPathCount));
    s.StartUpPathList.push_back(StartUpEntry{chosen, "1", true});
    s.StartUpPathList.push_back(StartUpEntry{"", "0", false});
    ++s.StartUpPathCount;
    FillStartUpRows();
}

void StartUpPage::ScrollStartUpList_Change() { FillStartUpRows(); }

}  // namespace tollervy
