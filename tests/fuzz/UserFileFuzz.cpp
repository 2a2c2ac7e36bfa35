// The user file Data\User.dat, as another program or a hand edit may have
// left it (bytes in code page 932): loaded as the logon phase loads it, some
// users checked, and the first line split as a user-file line.
#include "FuzzSupport.h"
#include "users/UserList.h"

using namespace tollervy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    const std::string bytes = fuzz::Bytes(data, size);
    p.fs.AddFile(p.DataPath() + "\\User.dat", bytes);
    // Two profile users, as the users page prepares them.
    c.state.ProfileUserNames = {"Taro", "Aoi", ""};
    c.state.UserList.resize(2);
    c.state.UserList[0].Name = "Taro";
    c.state.UserList[0].InUse = true;
    c.state.UserList[0].IsProfileUser = true;
    c.state.UserList[1].Name = "Aoi";
    c.state.UserList[1].InUse = true;
    c.state.UserList[1].IsProfileUser = true;

    LoadUserFile(c);
    const auto& list = c.state.UserList;
    fuzz::Check(c.state.UserCount >= 2 && static_cast<std::size_t>(c.state.UserCount) == list.size(),
                "UserCount differs from the records");
    fuzz::Check(list[0].Name == "Taro" && list[1].Name == "Aoi", "a profile user was lost");
    // The first and the last records checked as the logon phase checks a
    // name (each check walks the list: all of them would be quadratic).
    for (const std::size_t i : {std::size_t{0}, list.size() / 2, list.size() - 1}) {
        const UserRecord& r = list[i];
        const std::int16_t answer = CheckLogon(c, r.Name, r.Password);
        fuzz::Check(answer >= 0 && answer <= 2, "CheckLogon answers outside 0, 1, 2");
    }
    CheckLogon(c, "", "");

    // The same bytes as one line (the reader's own splitting).
    const std::string line = bytes.substr(0, bytes.find('\n'));
    for (int n = 1; n <= 4; ++n) {
        const auto fields = SplitUserLine(line, n);
        if (fields) fuzz::Check(fields->size() == static_cast<std::size_t>(n), "wrong number of fields");
    }
    const std::string bars = MarkQuotedCommas(line, QuoteMark::TowardsBars, '"');
    fuzz::Check(bars.size() == line.size(), "marking changed the line's length");
    fuzz::Check(MarkQuotedCommas(bars, QuoteMark::TowardsCommas, '"').size() == line.size(),
                "unmarking changed the line's length");
    return 0;
}
