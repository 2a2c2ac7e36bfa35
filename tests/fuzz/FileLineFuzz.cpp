// One [File] line, as a hand-edited settings file may hold it (UTF-8 here):
// split and classified as the engine does, then saved into a user's store
// folder and restored from it, on a disk with a few live files and folders.
// A line that names no item is refused; whatever it names, nothing is
// written outside the data store and the live path the line names.
#include "FuzzSupport.h"
#include "engine/SaveRestore.h"
#include "engine/StoreNames.h"
#include "fakes/ProcessEnded.h"
#include "settings/Environment.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    p.fs.AddFolder(p.DataPath());
    p.fs.AddFile("C:\\Work\\a.txt", "a");
    p.fs.AddFile("C:\\Work\\b.dat", "b");
    p.fs.AddFile("C:\\Work\\Sub\\c.txt", "c");
    p.fs.AddFile(p.DataPath() + "\\All Users\\F1\\a.txt", "common a");
    p.fs.AddFile(p.DataPath() + "\\All Users\\F2\\c.txt", "common c");
    p.fs.AddFile("C:\\Other\\keep.txt", "keep");
    const std::string line = fuzz::Bytes(data, size);

    Entry e;
    if (ReadEntry(c, line, e)) {
        fuzz::Check(IsStoreKeyName(e.key), "an unsafe key was accepted");
        fuzz::Check(e.key + "=" + e.path == line, "the line does not split at its first \"=\"");
        fuzz::Check(e.kind != EntryKind::Folder || e.name.empty(), "a folder entry with a name part");
        fuzz::Check(e.kind != EntryKind::Pattern || e.name.find('*') != std::string::npos, "a pattern without *");
        fuzz::Check(e.target == (e.kind == EntryKind::Pattern ? e.folder : e.path), "the wrong target");
    }

    const auto before = p.fs.Dump("C:\\");
    {
        fuzz::AnsweredMessages answers(p.messages, 7);
        try {
            SaveFileEntry(c, JoinPath(p.DataPath(), "Aoi"), line);
            RestoreFileEntry(c, JoinPath(p.DataPath(), "Aoi"), line);
        } catch (const fakes::ProcessEnded&) {
            // The store could not be made: the program ends there.
        }
    }
    // What the line may change: the data store, and its own live path.
    const std::string outside =
        fuzz::WrittenOutside(before, p.fs.Dump("C:\\"), {"Program Files\\Tollervy\\Data", fuzz::OnDriveC(e.target)});
    fuzz::Check(outside.empty(), "a file was written outside the store and the listed path");
    return 0;
}
