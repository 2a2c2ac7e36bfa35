// What another PC, a power cut or a person may leave in the shared store:
// the input is split at its first NUL into a check-out entry
// (<store>\CheckOut\Aoi.dat) and the list of items (<store>\Items.dat). An
// entry vouches for this PC only when it carries this PC's token, and reads
// back as written; a list is taken whole or not at all, and every item it
// gives the PC is a safe key whose files in place are the PC's own.
#include "FuzzSupport.h"
#include "engine/CheckOut.h"
#include "engine/InPlaceRecord.h"
#include "engine/SharedItems.h"
#include "engine/StoreNames.h"
#include "settings/Settings.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::Bytes(data, size);
    const auto nul = input.find('\0');
    const std::string entryText = input.substr(0, nul);
    const std::string itemsText = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    fakes::FakePlatform p;
    Context& c = p.context;
    const std::string store = "S:\\Tollervy";
    p.fs.AddDrive("S:");
    p.fs.AddFolder(store + "\\CheckOut");
    p.fs.AddFolder(p.DataPath());
    c.state.SharedStorePath = store;

    CheckOutEntry entry;
    if (entry.Parse(entryText)) {
        CheckOutEntry again;
        fuzz::Check(again.Parse(entry.Serialise()) && again.Serialise() == entry.Serialise(),
                    "a check-out entry does not read back as written");
    }
    p.fs.AddFile(store + "\\CheckOut\\Aoi.dat", entryText);
    p.fs.AddFile(CheckOuts::TokensPath(c), "; tokens\r\nAoi\tmine\r\n");
    CheckOuts checkOuts(c);
    const bool mine = entry.Parse(entryText) && entry.token == "mine";
    fuzz::Check((checkOuts.Holds("Aoi") == CheckOuts::Hold::Held) == mine, "an entry vouches for the wrong PC");
    fuzz::Check(checkOuts.Holds("Ben") == CheckOuts::Hold::NotHeld, "a user without an entry is held");

    if (nul == std::string::npos) return 0;
    p.fs.AddFile(store + "\\Items.dat", itemsText);
    const std::string before = p.fs.Content(c.state.IniFilePath);
    const bool taken = TakeSharedItems(c);
    std::vector<std::string> lines;
    ReadIniSection(c, keys::FileSection, lines);
    InPlaceRecord record;
    record.Load(c);
    for (const auto& line : lines) {
        std::string key, value;
        fuzz::Check(SplitFileLine(line, key, value), "a taken item is not a safe key and a path");
        fuzz::Check(record.Owner(key) == "All Users", "a taken item's files in place are not the PC's own");
    }
    if (!taken) fuzz::Check(p.fs.Content(c.state.IniFilePath) == before, "a list not taken changed the settings");
    return 0;
}
