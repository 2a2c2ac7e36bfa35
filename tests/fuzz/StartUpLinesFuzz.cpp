// The [StartUp] section as a hand-edited settings file may hold it (raw
// bytes of the file, code page 932): the scan of the Start-up folders reads
// its lines beside the profiles' folders. The rows it builds are all real
// paths, counted as the page counts them, and the scan changes nothing on
// disk.
#include "FuzzSupport.h"
#include "shell/StartUpRegistration.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    p.fs.AddFolder(p.DataPath());
    p.fs.AddFolder("C:\\Boot");
    p.fs.AddFile(p.IniPath(), "[Start]\r\nStarted=1\r\n[StartUp]\r\n" + fuzz::Bytes(data, size));
    const auto before = p.fs.Dump("C:\\");
    {
        fuzz::AnsweredMessages answers(p.messages, 1);
        ScanStartUpFolders(c);
    }
    const GrobalMod& s = c.state;
    fuzz::Check(s.StartUpPathCount >= 0 && static_cast<std::size_t>(s.StartUpPathCount) <= s.StartUpPathList.size(),
                "more rows counted than the list holds");
    fuzz::Check(s.StartUpCount >= 0 && static_cast<std::size_t>(s.StartUpCount) <= s.StartUpList.size(),
                "more folders counted than the list holds");
    for (int i = 0; i < s.StartUpPathCount; ++i) {
        const StartUpEntry& row = s.StartUpPathList[static_cast<std::size_t>(i)];
        fuzz::Check(!row.Path.empty(), "an empty row");
        fuzz::Check(row.Registered == "1" || row.Registered == "0", "a row neither ticked nor unticked");
    }
    fuzz::Check(p.fs.Dump("C:\\") == before, "the scan changed the disk");
    return 0;
}
