#include "fakes/FakeFormHost.h"

#include <gtest/gtest.h>

namespace tollervy::fakes {

void FakeFormHost::OnShow(const std::string& formName, Script script) { scripts_[formName] = std::move(script); }

void FakeFormHost::OnShowOnce(const std::string& formName, Script script) {
    onceScripts_[formName].push_back(std::move(script));
}

void FakeFormHost::OnPopup(std::function<void(ui::MenuItem&)> script) { popupScript_ = std::move(script); }

FakeFormHost::Counts FakeFormHost::CountsOf(const std::string& formName) const {
    const auto it = counts_.find(formName);
    return it == counts_.end() ? Counts{} : it->second;
}

std::string FakeFormHost::FocusOf(const std::string& formName) const {
    const auto it = focus_.find(formName);
    return it == focus_.end() ? std::string() : it->second;
}

void FakeFormHost::Create(ui::Form& form) {
    ++counts_[form.Name()].created;
    form.SetBounds(form.Left(), form.Top(), form.Width() > 0 ? form.Width() : defaultWidth,
                   form.Height() > 0 ? form.Height() : defaultHeight);
}

void FakeFormHost::Destroy(ui::Form& form) {
    ++counts_[form.Name()].destroyed;
    focus_.erase(form.Name());
    trays.erase(form.Name());
}

void FakeFormHost::Show(ui::Form& form, bool modal) {
    const std::string name = form.Name();
    auto& c = counts_[name];
    ++c.shown;
    if (modal) ++c.shownModal;
    showOrder_.push_back(name);

    Script script;
    auto once = onceScripts_.find(name);
    if (once != onceScripts_.end() && !once->second.empty()) {
        script = std::move(once->second.front());
        once->second.pop_front();
    } else if (auto it = scripts_.find(name); it != scripts_.end()) {
        script = it->second;  // a copy: the script may replace itself
    }
    if (!script) {
        if (modal) {
            ADD_FAILURE() << "Form " << name << " was shown modally with no script for it";
            form.Hide();
        }
        return;
    }
    script(form);
    if (modal && form.Loaded() && form.Visible()) {
        ADD_FAILURE() << "Form " << name << " is still visible after its modal script ran";
        form.Hide();
    }
}

void FakeFormHost::Hide(ui::Form& form) { ++counts_[form.Name()].hidden; }

void FakeFormHost::Update(ui::Form& form, ui::Control* control) {
    ++counts_[form.Name()].updated;
    if (control == nullptr) {
        updates_.push_back(Pushed{form.Name(), "", form.Caption(), true, form.Visible()});
    } else {
        updates_.push_back(Pushed{form.Name(), control->Name(), control->Caption(), control->Enabled(),
                                  control->Visible()});
    }
}

void FakeFormHost::Repaint(ui::Form& form) {
    ++counts_[form.Name()].repainted;
    if (onRepaint) onRepaint(form);
}

void FakeFormHost::SetFocus(ui::Form& form, ui::Control& control) {
    focus_[form.Name()] = control.Name();
    focusHistory_.push_back(form.Name() + "." + control.Name());
}

void FakeFormHost::SetTopMost(ui::Form& form) { topMost.push_back(form.Name()); }

bool FakeFormHost::DisableCloseCommand(ui::Form& form) {
    closeDisabled.push_back(form.Name());
    return disableCloseResult;
}

void FakeFormHost::SetForeground(ui::Form& form) { foreground.push_back(form.Name()); }

void FakeFormHost::DoPaintEvents(ui::Form& form) {
    ++counts_[form.Name()].paintEvents;
    if (onRepaint) onRepaint(form);
}

void FakeFormHost::DoEvents() {
    ++doEvents;
    if (onDoEvents) onDoEvents();
}

void FakeFormHost::PopupMenu(ui::Form& form, ui::MenuItem& menu) {
    popups.push_back(Popup{form.Name(), menu.Name()});
    if (popupScript_) {
        auto script = popupScript_;
        script(menu);
    }
}

bool FakeFormHost::AddTrayIcon(ui::Form& form, const std::string& tip) {
    ++traysAdded;
    if (!trayAddResult) return false;
    trays[form.Name()] = tip;
    return true;
}

bool FakeFormHost::RemoveTrayIcon(ui::Form& form) {
    ++traysRemoved;
    return trays.erase(form.Name()) > 0;
}

int FakeFormHost::TextWidth(ui::Form&, ui::Control&, const std::string& text) {
    int characters = 0;
    for (unsigned char ch : text)
        if ((ch & 0xC0) != 0x80) ++characters;
    return characters * charWidth;
}

}  // namespace tollervy::fakes
