#include "engine/RegistryItem.h"

#include <map>
#include <set>

#include "engine/EngineText.h"
#include "engine/ItemKind.h"
#include "engine/PathUtil.h"
#include "settings/Environment.h"
#include "settings/RegistryKeys.h"

namespace tollervy {

namespace {

std::string Folded(std::string s) {
    for (auto& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

bool ExportInto(platform::Registry& r, const std::string& key, regfile::Tree& tree) {
    regfile::Key k{key, {}};
    if (!r.ListValues(key, k.values)) return false;
    tree.keys.push_back(std::move(k));
    std::vector<std::string> names;
    if (!r.ListSubkeys(key, names)) return false;
    for (const auto& name : names)
        if (!ExportInto(r, key + "\\" + name, tree)) return false;
    return true;
}

bool PutValues(platform::Registry& r, const std::string& key, const std::vector<platform::RegValue>& live,
               const std::vector<platform::RegValue>& wanted) {
    if (live == wanted) return true;
    std::set<std::string> wantedNames;
    for (const auto& v : wanted) wantedNames.insert(Folded(v.name));
    std::vector<std::string> gone;
    std::vector<std::string> kept;  // the live names the copy keeps, in their order
    std::map<std::string, const platform::RegValue*> liveByName;
    for (const auto& v : live) {
        (wantedNames.count(Folded(v.name)) ? kept : gone).push_back(v.name);
        liveByName[Folded(v.name)] = &v;
    }
    // The kept values stand in the copy's order when they are its first ones,
    // in order: then the rest is written after them. Otherwise all go first.
    bool inOrder = kept.size() <= wanted.size();
    for (std::size_t i = 0; inOrder && i < kept.size(); ++i) inOrder = Folded(kept[i]) == Folded(wanted[i].name);
    if (!inOrder) gone.insert(gone.end(), kept.begin(), kept.end());
    if (!gone.empty() && !r.DeleteValues(key, gone)) return false;
    std::vector<platform::RegValue> writes;
    for (const auto& v : wanted) {
        const auto it = liveByName.find(Folded(v.name));
        if (inOrder && it != liveByName.end() && *it->second == v) continue;
        writes.push_back(v);
    }
    return writes.empty() || r.SetValues(key, writes);
}

class RegistryItems final : public ItemKind {
public:
    // The value must be a key that may be listed: a hand-edited [File] or
    // [Registry] line never reaches a key that the page refuses.
    bool CheckLive(Context& c, const Entry& e) const override {
        std::string canonical;
        if (CheckRegistryKey(e.path, canonical) != RegistryKeyCheck::Listable || canonical != e.path ||
            !c.registry) {
            ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
            return false;
        }
        return true;
    }

    bool Save(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const override {
        ShowStatus(c, e.path, false);
        regfile::Tree live;
        if (!ExportKey(*c.registry, KeyBelowUser(e.path), live)) return RegistryFailed(c, step);
        const std::string bytes = regfile::Write(live);
        const std::string file = JoinPath(step.store, RegistryCopyName);
        // A stored copy of the same bytes stays as it is.
        std::string stored;
        std::uint32_t attributes = 0;
        const bool current = c.fs.GetAttributes(file, attributes) && c.fs.ReadFile(file, stored) && stored == bytes;
        return Wrapped(hooks, step, [&] {
            if (current) return true;
            std::string folder = step.store;
            if (!CheckPathExists(c, folder) && !c.fs.CreateFolder(step.store)) {
                ShowStoreUnwritable(c, step.store);
                c.system.EndProcess(StoreUnusableExitCode);
            }
            if (c.fs.WriteFileAtomic(file, bytes)) return true;
            step.reason = c.fs.LastErrorText();
            return false;
        });
    }

    bool Restore(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const override {
        ShowStatus(c, e.path, false);
        const std::string key = KeyBelowUser(e.path);
        const std::string file = JoinPath(step.store, RegistryCopyName);
        std::string bytes;
        if (!c.fs.ReadFile(file, bytes)) {
            ShowNotFound(c, file);
            step.reason = file + "\r\n" + c.fs.LastErrorText();
            return false;
        }
        regfile::Tree wanted, live;
        if (!regfile::Read(bytes, key, wanted, step.reason)) {
            step.reason = file + "\r\n" + step.reason;
            return false;
        }
        if (!ExportKey(*c.registry, key, live)) return RegistryFailed(c, step);
        // What is in place is the copy already: left as it is.
        const bool current = regfile::Write(live) == bytes;
        return Wrapped(hooks, step, [&] {
            return current || PutTree(*c.registry, live, wanted) || RegistryFailed(c, step);
        });
    }

private:
    static bool RegistryFailed(Context& c, ItemStep& step) {
        step.reason = c.registry->LastErrorText();
        return false;
    }
};

}  // namespace

bool ExportKey(platform::Registry& registry, const std::string& key, regfile::Tree& tree) {
    tree.keys.clear();
    bool exists = false;
    if (!registry.KeyExists(key, exists)) return false;
    if (!exists) return true;
    if (ExportInto(registry, key, tree)) return true;
    tree.keys.clear();
    return false;
}

bool PutTree(platform::Registry& registry, const regfile::Tree& live, const regfile::Tree& wanted) {
    std::set<std::string> wantedKeys;
    for (const auto& k : wanted.keys) wantedKeys.insert(Folded(k.path));
    std::map<std::string, const regfile::Key*> liveKeys;
    for (const auto& k : live.keys) liveKeys[Folded(k.path)] = &k;
    // The keys the copy lacks, each after its subkeys (the export lists
    // parents first).
    for (auto it = live.keys.rbegin(); it != live.keys.rend(); ++it)
        if (!wantedKeys.count(Folded(it->path)) && !registry.DeleteKey(it->path)) return false;
    static const std::vector<platform::RegValue> none;
    for (const auto& k : wanted.keys) {
        const auto found = liveKeys.find(Folded(k.path));
        if (found == liveKeys.end() && !registry.CreateKey(k.path)) return false;
        if (!PutValues(registry, k.path, found == liveKeys.end() ? none : found->second->values, k.values))
            return false;
    }
    return true;
}

const ItemKind& RegistryItemKind() {
    static const RegistryItems kind;
    return kind;
}

}  // namespace tollervy
