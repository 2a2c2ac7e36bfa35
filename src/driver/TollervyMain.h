// The start-up window: its handlers run the whole start, decide the user,
// drive the switch with its progress display, stay resident and put the
// start-time copies back at the end.
#pragma once
#include <cstdint>
#include <string>

#include "engine/SwitchLog.h"
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
    // iostrAfterUser becomes "All Users". False when the switch could not
    // start at all: the data store's record of whose copies are in place
    // cannot be written, the shared store does not answer, or the person
    // chose not to log on while another PC holds their copies. The previous
    // user's copies then stay in place.
    bool SetData(const std::string& instrBeforUser, std::string& iostrAfterUser);
    // Why the next switch runs, for the switch log (afterwards: the exit
    // restore, which is what an unload without another reason runs).
    void SetSwitchCause(SwitchCause cause) { cause_ = cause; }

    // StatusDisplay. The file line and the bar reach the window at a steady
    // rate (every PaintInterval milliseconds at most, by the system's tick
    // count) instead of at every file: a repaint costs more than a copy. A
    // phase line, the window's first showing and ShowProgressNow paint at
    // once; the last file of an item is painted before the line is cleared.
    // A throttled paint paints what changed; the whole window is repainted
    // for WholePaintInterval after its first showing and after each phase
    // line, and otherwise once per interval.
    void SetPhaseText(const std::string& text) override;
    void SetDetailText(const std::string& text) override;
    void SetBar(float value) override;
    void MakeVisible() override;
    void Repaint() override;
    // Puts the latest file line and bar on the window and repaints it (the
    // end of a switch).
    void ShowProgressNow();
    static constexpr std::uint32_t PaintInterval = 80;
    static constexpr std::uint32_t WholePaintInterval = 1000;

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
    // The shared store does not answer.
    void ShowStoreUnreachable();

    Forms& forms_;
    Context& c_;
    bool secondInstance_ = false;
    bool fatalAtStart_ = false;
    bool logOnDone_ = false;
    SwitchCause cause_ = SwitchCause::ExitRestore;

    // The progress not yet on the window.
    void PushProgress();
    // `now`: the tick count as last read (painting reads it only after).
    void PaintProgress(std::uint32_t now);
    std::string detail_;
    float bar_ = 0;
    bool progressPending_ = false;
    bool detailPainted_ = true;  // the latest file line has been on the window
    std::uint32_t lastPaint_ = 0;
    std::uint32_t wholeFrom_ = 0;       // the first showing or the last phase line
    std::uint32_t lastWholePaint_ = 0;  // the last repaint of the whole window
};

}  // namespace tollervy
