// The settings file, as anyone may have edited it: the keys every start
// reads, read as the program reads them, the [File] and [StartUp] lists, the [File] lines split
// into key and path, and a write of [Start] NowUser that must read back.
// The input is the file's bytes (code page 932).
#include <vector>

#include "FuzzSupport.h"
#include "engine/StoreNames.h"
#include "settings/Settings.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    p.fs.AddFile(p.IniPath(), fuzz::Bytes(data, size));

    // The keys read at every start (each read parses the whole file again,
    // as the profile functions do).
    for (const auto* key : {&keys::StartNowUser, &keys::StartDebug, &keys::LastUser, &keys::LastErrorNext}) {
        const std::string value = ReadIniValue(c, *key);
        fuzz::Check(value.find('\0') == std::string::npos, "a value holds a NUL");
        fuzz::Check(value.empty() || (value.front() != ' ' && value.back() != ' '), "a value is not trimmed");
    }
    const std::int16_t errorNext = ParseErrorNext(ReadIniValue(c, keys::LastErrorNext));
    fuzz::Check(errorNext >= 0 && errorNext <= 2, "[Last] ErrorNext read as no choice of the options page");

    std::vector<std::string> lines;
    const int count = ReadIniSection(c, keys::FileSection, lines);
    fuzz::Check(count == static_cast<int>(lines.size()), "the section count differs from its lines");
    for (const auto& line : lines) {
        fuzz::Check(line.find('\0') == std::string::npos, "a section line holds a NUL");
        std::string key, value;
        if (SplitFileLine(line, key, value)) {
            fuzz::Check(IsStoreKeyName(key), "an unsafe [File] key was accepted");
            fuzz::Check(key + "=" + value == line, "a [File] line does not split at its first \"=\"");
        }
    }
    ReadIniSection(c, keys::StartUpSection, lines);

    // The start-up write of the abnormal-end marker, read back.
    if (WriteIniValue(c, keys::StartNowUser, "Taro"))
        fuzz::Check(ReadIniValue(c, keys::StartNowUser) == "Taro", "[Start] NowUser does not read back");
    return 0;
}
