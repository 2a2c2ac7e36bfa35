// The windowing layer for the unit tests: no windows, only records, and
// scripts for what the user does when a form is shown or a pop-up menu opens.
//
//   host.OnShow("FormLogOn", [](ui::Form& f) {
//       auto& logon = static_cast<FormLogOn&>(f);
//       logon.TextUser.SetText("Aoi");
//       logon.CommandOK.Click();          // hides or unloads the form
//   });
//
// The script runs inside Show (modal or not). After a modal show the form must
// be hidden or unloaded; if it is still visible the test fails and the form is
// hidden. A modal show of a form with no script fails the test and hides it.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/Form.h"

namespace tollervy::fakes {

class FakeFormHost : public ui::FormHost {
public:
    using Script = std::function<void(ui::Form&)>;

    // --- Scripts ------------------------------------------------------------
    // Runs at every Show of the form (replaces an earlier script).
    void OnShow(const std::string& formName, Script script);
    // Runs at the next Show of the form only; one-shot scripts queue up and
    // run before the lasting one.
    void OnShowOnce(const std::string& formName, Script script);
    // Runs when a pop-up menu opens: call Click on the chosen item, or choose
    // nothing. Without a script nothing is chosen.
    void OnPopup(std::function<void(ui::MenuItem&)> script);
    // Runs at each DoEvents (messages arriving while the program waits).
    std::function<void()> onDoEvents;
    // Runs at each Repaint and DoPaintEvents (a form shows its progress).
    std::function<void(ui::Form&)> onRepaint;

    // --- Records ------------------------------------------------------------
    struct Counts {
        int created = 0, destroyed = 0, shown = 0, shownModal = 0, hidden = 0, repainted = 0, updated = 0;
        int paintEvents = 0;  // DoPaintEvents
    };
    // Counts of one form (zeros for a form never seen).
    Counts CountsOf(const std::string& formName) const;
    // Form names in the order of their Show calls.
    const std::vector<std::string>& ShowOrder() const { return showOrder_; }

    // A state pushed to the window by Update: the control's (or, with an
    // empty control name, the form's) caption, enabled and visible.
    struct Pushed {
        std::string form, control, caption;
        bool enabled = true, visible = true;
    };
    const std::vector<Pushed>& Updates() const { return updates_; }

    // The control that has the focus in a form ("" = none set).
    std::string FocusOf(const std::string& formName) const;
    // Every SetFocus as "Form.Control", in order.
    const std::vector<std::string>& FocusHistory() const { return focusHistory_; }

    std::vector<std::string> topMost;        // SetTopMost, form names in order
    std::vector<std::string> closeDisabled;  // DisableCloseCommand
    bool disableCloseResult = true;
    std::vector<std::string> foreground;     // SetForeground
    int doEvents = 0;

    struct Popup {
        std::string form, menu;
    };
    std::vector<Popup> popups;

    // Notification-area icons: the tip of each form's current icon.
    std::map<std::string, std::string> trays;
    int traysAdded = 0, traysRemoved = 0;
    bool trayAddResult = true;

    // --- ui::FormHost -------------------------------------------------------
    void Create(ui::Form& form) override;
    void Destroy(ui::Form& form) override;
    void Show(ui::Form& form, bool modal) override;
    void Hide(ui::Form& form) override;
    void Update(ui::Form& form, ui::Control* control) override;
    void Repaint(ui::Form& form) override;
    void SetFocus(ui::Form& form, ui::Control& control) override;
    // charWidth pixels per character.
    int TextWidth(ui::Form& form, ui::Control& control, const std::string& text) override;
    int charWidth = 8;
    void SetTopMost(ui::Form& form) override;
    bool DisableCloseCommand(ui::Form& form) override;
    void SetForeground(ui::Form& form) override;
    void DoEvents() override;
    void DoPaintEvents(ui::Form& form) override;
    void PopupMenu(ui::Form& form, ui::MenuItem& menu) override;
    bool AddTrayIcon(ui::Form& form, const std::string& tip) override;
    bool RemoveTrayIcon(ui::Form& form) override;

    // The size a created form gets (its template's size in pixels).
    int defaultWidth = 400, defaultHeight = 300;

private:
    std::map<std::string, Counts> counts_;
    std::map<std::string, Script> scripts_;
    std::map<std::string, std::deque<Script>> onceScripts_;
    std::function<void(ui::MenuItem&)> popupScript_;
    std::vector<std::string> showOrder_;
    std::vector<Pushed> updates_;
    std::map<std::string, std::string> focus_;
    std::vector<std::string> focusHistory_;
};

}  // namespace tollervy::fakes
