// The command line of a start, as a shortcut anyone edited may give it
// (UTF-8 here; Windows passes it as UTF-16): a whole start of the program
// on the fakes, with one listed file, from the user "Aoi" to whoever the
// command line names. Afterwards every user folder of the data store is a
// name the settings file can hold, [Last] User names a user who may have a
// folder, and nothing was written outside the data store and the listed
// file's folder.
#include "FuzzSupport.h"
#include "engine/StoreNames.h"
#include "platform/Text.h"
#include "settings/Environment.h"
#include "unit/Desk.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string command = fuzz::Bytes(data, size);
    // The reading of the command line itself, for every input.
    const std::string trimmed = text::TrimRight(command);
    const auto quoted = TollervyMain::ParseQuotedName(trimmed);
    if (quoted.isQuoted) {
        fuzz::Check(trimmed.size() >= 3 && quoted.name.size() == trimmed.size() - 2, "a quoted name of the wrong size");
        if (quoted.usable) fuzz::Check(IsStoreUserName(quoted.name), "an unsafe quoted name is usable");
    }
    // A whole start costs some milliseconds: it runs for the command lines
    // that reach the switch with a name of their own, or open the settings
    // dialog; every other one is ignored as a plain start would be.
    if (!(quoted.isQuoted || trimmed == "-s")) return 0;

    Desk d;
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "Aoi");
    d.Ini("File", "F1", "C:\\Work\\memo.txt");
    d.p.fs.AddFile("C:\\Work\\memo.txt", "Aoi's");
    d.p.fs.AddFile(std::string(Desk::Data) + "\\All Users\\F1\\memo.txt", "common");
    d.p.system.loginName = "Taro";
    d.p.system.commandLine = command;
    const auto before = d.p.fs.Dump("C:\\");
    fuzz::AnsweredMessages answers(d.p.messages, 7);

    d.Start();

    std::vector<std::string> names;
    d.p.fs.List(std::string(Desk::Data) + "\\", 16, names);
    for (const auto& name : names) {
        if (name == "." || name == ".." || !d.p.fs.IsFolder(std::string(Desk::Data) + "\\" + name)) continue;
        fuzz::Check(IsStoreUserName(name), "a store folder of an unsafe name");
        fuzz::Check(FitsAnsiCodePage(d.p.context, name), "a store folder of a name the settings file cannot hold");
    }
    const std::string last = d.IniValue("Last", "User");
    fuzz::Check(last == "\\" || (IsStoreUserName(last) && FitsAnsiCodePage(d.p.context, last)),
                "[Last] User names no possible user");
    const std::string outside = fuzz::WrittenOutside(before, d.p.fs.Dump("C:\\"),
                                                     {"Work", "Program Files\\Tollervy"});
    fuzz::Check(outside.empty(), "a file was written outside the store and the listed folder");
    return 0;
}
