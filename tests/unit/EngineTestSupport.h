// What the engine's tests share: a status display that records what the main
// window would show, message boxes that answer anything (for sweeps that
// cannot script every box), and a desk with the fakes set up for switching.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/InPlaceRecord.h"
#include "fakes/FakePlatform.h"
#include "settings/Context.h"

namespace tollervy::enginetest {

// The main window's status line and bar, as recorded calls.
class RecordingStatus : public StatusDisplay {
public:
    void SetPhaseText(const std::string& text) override { phases.push_back(text); }
    void SetDetailText(const std::string& text) override { details.push_back(text); }
    void SetBar(float value) override { bars.push_back(value); }
    void MakeVisible() override { visible = true; ++makeVisibleCalls; }
    void Repaint() override { ++repaints; }

    // The file lines shown, without the empty lines that clear it.
    std::vector<std::string> FileLines() const {
        std::vector<std::string> lines;
        for (const auto& d : details)
            if (!d.empty()) lines.push_back(d);
        return lines;
    }
    bool Untouched() const {
        return phases.empty() && details.empty() && bars.empty() && makeVisibleCalls == 0 && repaints == 0;
    }

    std::vector<std::string> phases;
    std::vector<std::string> details;
    std::vector<float> bars;
    bool visible = false;
    int makeVisibleCalls = 0;
    int repaints = 0;
};

// Message boxes answered by a rule instead of a script; every box recorded.
class AnsweringMessages : public platform::Messages {
public:
    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        const int answer = answer_ ? answer_(text, style) : platform::AnswerOK;
        boxes.push_back(fakes::MessageBox{text, caption, style, answer});
        return answer;
    }
    void AnswerWith(std::function<int(const std::string& text, unsigned style)> rule) { answer_ = std::move(rule); }
    std::vector<fakes::MessageBox> boxes;

private:
    std::function<int(const std::string&, unsigned)> answer_;
};

inline const std::string ProgramFolder = "C:\\Program Files\\Tollervy";
inline const std::string Data = "C:\\Program Files\\Tollervy\\Data";

// The fakes with a data store, settings that show progress, no diagnostics,
// read-only files protected and the error policy "stop". Message boxes go to
// the scripted fake unless `lenient`, then to AnsweringMessages.
struct Desk {
    explicit Desk(bool lenient = false)
        : c{p.fs, p.profile,
            lenient ? static_cast<platform::Messages&>(answering) : static_cast<platform::Messages&>(p.messages),
            p.system, p.shell, p.context.state, &status, &p.registry} {
        fs.AddFolder(Data);
        fs.AddFolder(Data + "\\All Users");
        c.state.StartStatus = "1";
        c.state.StartDebug = "0";
        c.state.DeleteReadOnly = "0";
        c.state.LastErrorNext = 1;
        // The settings file exists from the start, as it does after set-up.
        WriteSetting("Start", "Started", "1");
        // The program switches under its in-place record, which names the
        // generation of the manifests of what is in place.
        InPlaceRecord record;
        record.Load(c);
        record.Flush(c);
    }

    void WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
        p.profile.WriteString(c.state.IniFilePath, section, key, &value);
    }
    // Lists the items, in order, as [File] keys F1, F2, ...
    void List(const std::vector<std::string>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) WriteSetting("File", "F" + std::to_string(i + 1), values[i]);
    }
    // Data\<user>\<key>\<rest>
    static std::string Store(const std::string& user, const std::string& key, const std::string& rest = "") {
        std::string s = Data + "\\" + user + "\\" + key;
        return rest.empty() ? s : s + "\\" + rest;
    }

    fakes::FakePlatform p;
    fakes::FakeFileSystem& fs = p.fs;
    fakes::FakeMessages& messages = p.messages;
    AnsweringMessages answering;
    RecordingStatus status;
    Context c;
};

// Files only, from a FakeFileSystem dump (folders and manifests left out).
inline std::map<std::string, std::string> FilesOf(const std::map<std::string, std::string>& dump) {
    std::map<std::string, std::string> files;
    for (const auto& [path, content] : dump)
        if ((path.empty() || path.back() != '\\') && !fakes::IsManifest(path)) files.emplace(path, content);
    return files;
}

}  // namespace tollervy::enginetest
