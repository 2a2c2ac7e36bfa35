// Every fake in one place, with a Context built on them, set up as a fresh
// installation: the program in "C:\Program Files\Tollervy" (the folder
// exists), its settings file and data store paths set, the shell's special
// folders present on the fake disk. Nothing else exists yet.
#pragma once
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFormHost.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystem.h"
#include "fakes/ProcessEnded.h"
#include "settings/Context.h"

namespace tollervy::fakes {

struct FakePlatform {
    FakeFileSystem fs;
    FakeProfile profile{fs};
    FakeMessages messages;
    FakeSystem system;
    FakeShell shell{&fs};
    FakeFormHost host;
    Context context{fs, profile, messages, system, shell, {}, nullptr};

    FakePlatform() {
        fs.AddFolder(system.programFolder);
        for (const auto& [csidl, path] : shell.specialFolders) fs.AddFolder(path);
        context.state.IniFilePath = IniPath();
        context.state.DataFolderPath = DataPath();
        system.onSleep = [this](unsigned ms) { fs.AdvanceClock(static_cast<std::uint64_t>(ms) * 10'000); };
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    static std::string IniPath() { return "C:\\Program Files\\Tollervy\\Tollervy.ini"; }
    static std::string DataPath() { return "C:\\Program Files\\Tollervy\\Data"; }
};

}  // namespace tollervy::fakes
