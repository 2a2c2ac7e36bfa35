// The start-up window: its handlers run the whole start, decide the user,
// drive the switch with its progress display, stay resident and put the
// start-time copies back at the end.
#pragma once
#include <string>

#include "settings/Context.h"
#include "ui/Form.h"

namespace tollervy {

class Forms;

// Control ids of the main window's template.
enum TollervyMainIds : int {
    IdStatusMess = 101,
    IdStatusDetail = 102,
    IdStatusBar = 103,
};

class TollervyMain : public ui::Form, public StatusDisplay {
public:
    explicit TollervyMain(Forms& forms);

    ui::Label StatusMess;
    ui::Label StatusDetail;
    ui::ProgressBar StatusBar;

    // The user of the previous run, shown by the logon dialog.
    std::string mstrLogonDispName;

    void Form_Load() override;
    void Form_Unload() override;

    // Switches from the copies of one user to those of another. An empty
    // iostrAfterUser becomes "All Users". False only when the switch could
    // not start at all because the data store's record of whose copies are
    // in place cannot be written: the previous user's copies stay in place.
    bool SetData(const std::string& instrBeforUser, std::string& iostrAfterUser);

    // StatusDisplay
    void SetPhaseText(const std::string& text) override;
    void SetDetailText(const std::string& text) override;
    void SetBar(float value) override;
    void MakeVisible() override;
    void Repaint() override;

    // A command line of a user name in double quotes.
    struct QuotedName {
        bool isQuoted = false;  // at least three characters, quotes at both ends
        bool usable = false;    // the name can be a user of the data store
        std::string name;
    };
    static QuotedName ParseQuotedName(const std::string& command);

    // True once the logon phase has switched to the user of this run.
    bool LogOnDone() const { return logOnDone_; }

private:
    void RunLogOn();
    // A login name the settings file cannot hold becomes the unregistered
    // user "\", with a message.
    void RefuseUnstorableLoginName();
    // The data store's in-place record cannot be written.
    void ShowRecordUnwritable();

    Forms& forms_;
    Context& c_;
    bool secondInstance_ = false;
    bool fatalAtStart_ = false;
    bool logOnDone_ = false;
};

}  // namespace tollervy
