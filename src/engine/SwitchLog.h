// The switch log, Data\Switch.log: what each switch did, in UTF-8 lines a
// person can read in Notepad. One line when a switch starts (from whom to
// whom, and why), one per item (key, path, files saved or restored, left
// alone and set aside, time taken), one per failure (the path, Windows'
// reason, the question's text and the answer) and one at the end (done or
// stopped). Each line is appended whole and flushed as it happens; a new
// log starts with the UTF-8 byte order mark, by which Notepad knows it. Past
// Limit bytes the log becomes Switch.old.log (one older file) at the next
// switch's start. A log that cannot be written costs the switch nothing:
// it is not tried again in that switch, and the next log that can be
// written says so once ([Log] Unwritten in the settings file meanwhile).
#pragma once
#include <cstdint>
#include <string>

#include "settings/Context.h"

namespace tollervy {

enum class SwitchCause { WindowsStart, LogonDialog, IconMenu, ExitRestore, SettingsDialog };

struct ItemStep;

class SwitchLog {
public:
    static constexpr std::uint64_t Limit = 1024 * 1024;
    static std::string Path(Context& c);     // Data\Switch.log
    static std::string OldPath(Context& c);  // Data\Switch.old.log

    explicit SwitchLog(Context& c) : c_(c) {}

    void Begin(const std::string& from, const std::string& to, SwitchCause cause);
    // One item, after it ran; `ticks`: file-time units it took.
    void Item(const ItemStep& step, bool succeeded, std::uint64_t ticks);
    // A failed item put to the error policy: `question` the failure text it
    // showed (or would have shown), `goesOn` its answer.
    void Failure(const ItemStep& step, const std::string& question, bool goesOn);
    void End(bool done);
    // A line of its own (a copy kept beside a newer one).
    void Note(const std::string& text) { Write(text); }
    // Whether a line could not be written in this switch.
    bool Unwritable() const { return unwritable_; }

private:
    void Write(const std::string& text);
    std::string Now() const;

    Context& c_;
    bool unwritable_ = false;
    int failures_ = 0;  // items that failed in this run
    bool fresh_ = false;  // the log is new or empty: its first line carries the byte order mark
};

}  // namespace tollervy
