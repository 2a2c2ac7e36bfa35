// A registry item's stored copy (Data\<user>\<key>\Registry.reg), as a hand,
// another program or a torn disk may have left it. A copy that is read holds
// only the item's key and keys below it, each after its parent, no value
// twice; written again, it reads back the same tree, and writing that gives
// the same bytes.
#include <algorithm>

#include "FuzzSupport.h"
#include "engine/RegFile.h"

using namespace tollervy;

namespace {

const std::string Item = "Software\\Vendor\\App";

std::string Folded(std::string s) {
    for (auto& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::Bytes(data, size);
    regfile::Tree tree;
    std::string reason;
    if (!regfile::Read(bytes, Item, tree, reason)) {
        fuzz::Check(!reason.empty() && tree.keys.empty(), "a refused copy gives no reason or keeps keys");
        return 0;
    }
    std::vector<std::string> seen;
    for (const auto& key : tree.keys) {
        const std::string f = Folded(key.path);
        fuzz::Check(seen.empty() ? key.path == Item : f.rfind(Folded(Item) + "\\", 0) == 0,
                    "a key outside the item, or the item not first");
        if (!seen.empty()) {
            const std::string parent = f.substr(0, f.rfind('\\'));
            fuzz::Check(std::find(seen.begin(), seen.end(), parent) != seen.end(), "a key before its parent");
        }
        fuzz::Check(std::find(seen.begin(), seen.end(), f) == seen.end(), "a key listed twice");
        seen.push_back(f);
    }
    const std::string written = regfile::Write(tree);
    regfile::Tree again;
    fuzz::Check(regfile::Read(written, Item, again, reason), "a written copy is refused");
    fuzz::Check(again.keys.size() == tree.keys.size(), "a written copy reads back other keys");
    for (std::size_t i = 0; i < tree.keys.size(); ++i) {
        fuzz::Check(again.keys[i].path == tree.keys[i].path, "a key reads back under another name");
        fuzz::Check(again.keys[i].values == tree.keys[i].values, "values read back otherwise");
    }
    fuzz::Check(regfile::Write(again) == written, "writing is not one form");
    return 0;
}
