// The in-place record Data\InPlace.dat, as a crash, a full disk or another
// program may have left it: loaded, and written back so that it reads the
// same. The owners it names are checked by the switch before any use (a
// name that cannot be a store folder fails its item); see FileLineFuzz for
// the engine side.
#include "FuzzSupport.h"
#include "engine/InPlaceRecord.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    p.fs.AddFolder(p.DataPath());
    p.fs.AddFile(p.DataPath() + "\\InPlace.dat", fuzz::Bytes(data, size));

    InPlaceRecord record;
    record.Load(c);
    const std::string text = record.Serialise();
    InPlaceRecord again;
    again.Parse(text);
    fuzz::Check(again.Serialise() == text, "the record does not read back as written");

    // A change is written through and reads back.
    fuzz::Check(record.Set(c, "F1", "Aoi"), "the record could not be written");
    InPlaceRecord reloaded;
    reloaded.Load(c);
    fuzz::Check(reloaded.Owner("F1") == "Aoi", "a written owner does not read back");
    fuzz::Check(reloaded.Serialise() == record.Serialise(), "the written record differs");
    return 0;
}
