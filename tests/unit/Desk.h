// A whole program on the fakes: the in-memory platform and every form.
//
//   Desk desk;
//   desk.Ini("Start", "Started", "1");
//   desk.p.system.loginName = "Aoi";
//   EXPECT_EQ(desk.Start(), 0);          // the program ended with code 0
//   EXPECT_EQ(desk.IniValue("Start", "NowUser"), "");
#pragma once
#include <optional>
#include <string>

#include "ui/Forms.h"
#include "dialogs/LervIni.h"
#include "driver/TollervyMain.h"
#include "fakes/FakePlatform.h"

namespace tollervy {

struct Desk {
    fakes::FakePlatform p;
    Forms forms{p.context, p.host};
    GrobalMod& state = p.context.state;

    static constexpr const char* Ini_ = "C:\\Program Files\\Tollervy\\Tollervy.ini";
    static constexpr const char* Data = "C:\\Program Files\\Tollervy\\Data";

    // Writes a value straight into the settings file.
    void Ini(const std::string& section, const std::string& key, const std::string& value) {
        p.profile.WriteString(Ini_, section, key, &value);
    }
    // The value as the file holds it; "<missing>" when the key is absent.
    std::string IniValue(const std::string& section, const std::string& key) {
        return p.profile.GetString(Ini_, section, key, "<missing>", 4096);
    }

    // The disk of another run of the program (files, folders, attributes),
    // as the next Windows start finds it.
    void TakeDiskOf(const Desk& before) {
        const auto attributes = before.p.fs.DumpAttributes("C:\\");
        for (const auto& [path, content] : before.p.fs.Dump("C:\\")) {
            const std::uint32_t attr = attributes.at(path);
            if (path.back() == '\\') p.fs.AddFolder("C:\\" + path, attr);
            else p.fs.AddFile("C:\\" + path, content, attr);
        }
    }

    // Starts the program as Windows would: the main window is shown, which
    // runs its load handler. The exit code when the program ended, nothing
    // when it lives on (resident).
    std::optional<int> Start() { return Run([this] { forms.TollervyMain().Show(); }); }

    // The settings dialog is open on screen.
    bool SettingsOpen() { return forms.LervIni().Loaded() && forms.LervIni().Visible(); }

    // Closes the open settings dialog with its Cancel button, answering Yes
    // to every closing question. The exit code when the program ended.
    std::optional<int> CancelSettings() {
        return Run([this] {
            LervIni& dialog = forms.LervIni();
            if (state.LastMessage != "0") {
                // No start-up registration, an empty file list, then Shift.
                bool registered = false;
                for (int i = 0; i < state.StartUpCount && i < static_cast<int>(state.StartUpList.size()); ++i)
                    registered = registered || state.StartUpList[static_cast<std::size_t>(i)].Registered == "1";
                const int questions = (registered ? 0 : 1) + (dialog.FileList.ListCount() == 0 ? 1 : 0) + 1;
                for (int i = 0; i < questions; ++i) p.messages.Expect(platform::AnswerYes);
            }
            dialog.CancelIniBtn.Click();
        });
    }

    // Runs an action of the living program; the exit code when it ended.
    template <class F>
    std::optional<int> Run(F&& action) {
        try {
            action();
        } catch (const fakes::ProcessEnded& ended) {
            return ended.code;
        }
        return std::nullopt;
    }
};

}  // namespace tollervy
