#include "engine/SharedStore.h"

#include "engine/PathUtil.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {
constexpr const char* AllUsers = "All Users";
}  // namespace

std::string ReadSharedStoreSetting(Context& c) {
    return WithoutTrailingBackslash(ReadIniValue(c, keys::StoreShared));
}

bool UsesSharedStore(const Context& c) { return !c.state.SharedStorePath.empty(); }

std::string PeopleFolder(const Context& c) {
    return UsesSharedStore(c) ? c.state.SharedStorePath : c.state.DataFolderPath;
}

std::string SaveFolderOf(const Context& c, const std::string& user) {
    if (UsesSharedStore(c) && user == AllUsers) return JoinPath(c.state.DataFolderPath, AllUsers);
    return JoinPath(PeopleFolder(c), user);
}

bool SharedStoreReachable(Context& c) {
    if (!UsesSharedStore(c)) return true;
    std::vector<std::string> names;
    return c.fs.List(WithTrailingBackslash(c.state.SharedStorePath), platform::ListFolders, names);
}

}  // namespace tollervy
