// Every fake in one place, with a Context built on them, set up as a fresh
// installation: the program in "C:\Program Files\Tollervy" (the folder
// exists), its settings file and data store paths set, the shell's special
// folders present on the fake disk. Nothing else exists yet.
#pragma once
#include <iterator>
#include <string>

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFormHost.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeSystem.h"
#include "fakes/ProcessEnded.h"
#include "settings/Context.h"

namespace tollervy::fakes {

// The engine's own bookkeeping in the data store: the manifests beside the
// stored copies (Data\<user>\<key>.manifest) and of what is in place
// (Data\InPlace\). Tests of whose bytes lie where look past it.
inline bool IsManifest(const std::string& path) {
    const auto ends = [&](const std::string& tail) {
        return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    return ends(".manifest") || ends(".manifest.tmp") || path.rfind("InPlace\\", 0) == 0 ||
           path.find("\\InPlace\\") != std::string::npos || ends("\\InPlace") || path == "InPlace";
}
template <typename Dump>
Dump WithoutManifests(Dump dump) {
    for (auto it = dump.begin(); it != dump.end();) it = IsManifest(it->first) ? dump.erase(it) : std::next(it);
    return dump;
}

struct FakePlatform {
    FakeFileSystem fs;
    FakeProfile profile{fs};
    FakeMessages messages;
    FakeSystem system;
    FakeShell shell{&fs};
    FakeFormHost host;
    FakeRegistry registry;
    Context context{fs, profile, messages, system, shell, {}, nullptr, &registry};

    FakePlatform() {
        fs.AddFolder(system.programFolder);
        for (const auto& [csidl, path] : shell.specialFolders) fs.AddFolder(path);
        context.state.IniFilePath = IniPath();
        context.state.DataFolderPath = DataPath();
        system.onSleep = [this](unsigned ms) { fs.AdvanceClock(static_cast<std::uint64_t>(ms) * 10'000); };
        registry.clock = [this] { return fs.Now(); };
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    static std::string IniPath() { return "C:\\Program Files\\Tollervy\\Tollervy.ini"; }
    static std::string DataPath() { return "C:\\Program Files\\Tollervy\\Data"; }
};

}  // namespace tollervy::fakes
