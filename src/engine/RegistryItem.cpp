#include "engine/RegistryItem.h"

#include <map>
#include <set>

#include "engine/Backup.h"
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

// --- The record of the key in place -----------------------------------------
//
// Data\InPlace\<key>.registry keeps the registry file of the key in place
// with each key's stamp (its last-write time) as it was when that file was
// made from it. While every stamp of the live tree still holds (no key made
// or deleted, no time moved on), the live tree is those bytes, and a save or
// restore need not export it: a walk reads the stamps instead of every
// value. A key's subkeys are listed with their stamps, so a key the record
// knows without subkeys, its stamp unchanged, is not opened at all: a subkey
// made in it would have moved its time. Text: the line "Tollervy registry
// 2", the item, one line "<time>\t<key>" per key, "bytes <n>" and the
// file's bytes. (A record of another form is not read: the key is exported.)
//
// A key's time moves in the system clock's steps, so a change in the step of
// the last one seen would not show: a record is written only from a walk in
// which every key's time is older than Settle, and never right after the
// program's own writes; before the program changes the key it drops the
// record.

struct StampedKey {
    std::string path;
    std::uint64_t lastWrite = 0;
    bool operator==(const StampedKey&) const = default;
};
using Stamps = std::vector<StampedKey>;

constexpr std::uint64_t Settle = 2 * platform::FileTimeSecond;
constexpr const char* RecordHeader = "Tollervy registry 2";

// The keys a record knows to have no subkeys, with their times.
using Leaves = std::map<std::string, std::uint64_t>;

Leaves LeavesOf(const Stamps& recorded) {
    Leaves leaves;
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        const bool parent = i + 1 < recorded.size() && recorded[i + 1].path.size() > recorded[i].path.size() &&
                            recorded[i + 1].path.compare(0, recorded[i].path.size() + 1, recorded[i].path + "\\") == 0;
        if (!parent) leaves.emplace(recorded[i].path, recorded[i].lastWrite);
    }
    return leaves;
}

bool WalkInto(platform::Registry& r, const std::string& key, const Leaves& leaves, Stamps& stamps) {
    platform::KeyStamp own;
    std::vector<platform::KeyStamp> subkeys;
    if (!r.StampKey(key, own, subkeys)) return false;
    stamps.push_back({key, own.lastWrite});
    for (const auto& sub : subkeys) {
        const std::string path = key + "\\" + sub.name;
        const auto leaf = leaves.find(path);
        if (leaf != leaves.end() && leaf->second == sub.lastWrite)
            stamps.push_back({path, sub.lastWrite});
        else if (!WalkInto(r, path, leaves, stamps))
            return false;
    }
    return true;
}

// The live tree's stamps, the keys `leaves` vouches for not opened; none
// when the key does not exist.
bool Walk(platform::Registry& r, const std::string& key, const Leaves& leaves, Stamps& stamps) {
    stamps.clear();
    bool exists = false;
    if (!r.KeyExists(key, exists)) return false;
    return !exists || WalkInto(r, key, leaves, stamps);
}

std::string RecordPath(Context& c, const std::string& itemKey) {
    return JoinPath(JoinPath(c.state.DataFolderPath, "InPlace"), itemKey + ".registry");
}

bool ReadRecord(Context& c, const Entry& e, Stamps& stamps, std::string& bytes) {
    stamps.clear();
    std::string text;
    std::uint32_t attributes = 0;
    if (!c.fs.GetAttributes(RecordPath(c, e.key), attributes) || !c.fs.ReadFile(RecordPath(c, e.key), text))
        return false;
    std::size_t at = 0;
    const auto line = [&](std::string& out) {
        const auto end = text.find("\r\n", at);
        if (end == std::string::npos) return false;
        out = text.substr(at, end - at);
        at = end + 2;
        return true;
    };
    std::string l;
    if (!line(l) || l != RecordHeader || !line(l) || l != e.path) return false;
    while (line(l)) {
        if (l.rfind("bytes ", 0) == 0) {
            const std::string n = l.substr(6);
            if (n.empty() || n.size() > 12 || n.find_first_not_of("0123456789") != std::string::npos ||
                std::stoull(n) != text.size() - at)
                break;
            bytes = text.substr(at);
            return true;
        }
        const auto tab = l.find('\t');
        const std::string time = l.substr(0, tab);
        if (tab == std::string::npos || time.empty() || time.size() > 19 ||
            time.find_first_not_of("0123456789") != std::string::npos)
            break;
        stamps.push_back({l.substr(tab + 1), std::stoull(time)});
    }
    stamps.clear();
    return false;
}

void WriteRecord(Context& c, const Entry& e, const Stamps& stamps, const std::string& bytes) {
    const std::uint64_t now = c.fs.Now();
    for (const auto& k : stamps)
        if (k.lastWrite + Settle > now) return;  // a change in the same step would not show
    std::string text = std::string(RecordHeader) + "\r\n" + e.path + "\r\n";
    for (const auto& k : stamps) text += std::to_string(k.lastWrite) + "\t" + k.path + "\r\n";
    text += "bytes " + std::to_string(bytes.size()) + "\r\n" + bytes;
    const std::string folder = JoinPath(c.state.DataFolderPath, "InPlace");
    std::string probe = folder;
    if (!CheckPathExists(c, probe)) c.fs.CreateFolder(folder);
    c.fs.WriteFileAtomic(RecordPath(c, e.key), text);  // without it, the next switch exports
}

// Drops the record before the key is changed. False when it stays.
bool DropRecord(Context& c, const Entry& e) {
    std::uint32_t attributes = 0;
    return !c.fs.GetAttributes(RecordPath(c, e.key), attributes) || c.fs.DeleteFile(RecordPath(c, e.key));
}

// The registry file of the live tree and its number of keys: the record's
// when its stamps hold, else an export (recorded when no key changed while
// it ran and every key's time is settled).
bool LiveBytes(Context& c, const Entry& e, const std::string& key, std::string& bytes, std::size_t& keys) {
    Stamps recorded, before;
    const bool known = ReadRecord(c, e, recorded, bytes);
    if (!Walk(*c.registry, key, LeavesOf(recorded), before)) return false;
    keys = before.size();
    if (known && recorded == before) return true;
    regfile::Tree tree;
    if (!ExportKey(*c.registry, key, tree)) return false;
    bytes = regfile::Write(tree);
    Stamps after;
    if (Walk(*c.registry, key, {}, after) && after == before) WriteRecord(c, e, after, bytes);
    return true;
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

    // The switch log counts a key's copy in keys: saved or put in place, or
    // left alone.
    bool Save(Context& c, const Entry& e, ItemStep& step, const ItemHooks* hooks) const override {
        ShowStatus(c, e.path, false);
        std::string bytes;
        std::size_t keys = 0;
        if (!LiveBytes(c, e, KeyBelowUser(e.path), bytes, keys)) return RegistryFailed(c, step);
        const std::string file = JoinPath(step.store, RegistryCopyName);
        // A stored copy of the same bytes stays as it is.
        std::string stored;
        std::uint32_t attributes = 0;
        const bool exists = c.fs.GetAttributes(file, attributes);
        const bool current = exists && c.fs.ReadFile(file, stored) && stored == bytes;
        return Wrapped(hooks, step, [&] {
            if (current) {
                step.current = keys;
                return true;
            }
            std::string folder = step.store;
            if (!CheckPathExists(c, folder) && !c.fs.CreateFolder(step.store)) {
                ShowStoreUnwritable(c, step.store);
                c.system.EndProcess(StoreUnusableExitCode);
            }
            // The copy it replaces goes into the backup first.
            Backup* backup = hooks ? hooks->backup : nullptr;
            if (exists && backup && backup->On()) {
                std::uint64_t size = 0;
                c.fs.FileLength(file, size);
                if (!backup->SetAside(step.user, e.key, file, RegistryCopyName, size)) {
                    step.reason = c.fs.LastErrorText();
                    ShowStoreUnwritable(c, file);
                    return false;
                }
                step.setAside = 1;
            }
            if (!c.fs.WriteFileAtomic(file, bytes)) {
                step.reason = c.fs.LastErrorText();
                return false;
            }
            step.copied = keys;
            return true;
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
        std::string liveBytes;
        std::size_t keys = 0;
        if (!LiveBytes(c, e, key, liveBytes, keys)) return RegistryFailed(c, step);
        // What is in place is the copy already: left as it is (the copy is
        // then the program's own export, and need not be read).
        const bool current = liveBytes == bytes;
        regfile::Tree wanted, live;
        if (!current && !regfile::Read(bytes, key, wanted, step.reason)) {
            step.reason = file + "\r\n" + step.reason;
            return false;
        }
        return Wrapped(hooks, step, [&] {
            if (current) {
                step.current = keys;
                return true;
            }
            // The live tree, to know what the copy lacks: read from its own
            // file, which the writer made, or exported again.
            std::string reason;
            if (!regfile::Read(liveBytes, key, live, reason) && !ExportKey(*c.registry, key, live))
                return RegistryFailed(c, step);
            if (!DropRecord(c, e)) {
                step.reason = c.fs.LastErrorText();
                return false;
            }
            if (!PutTree(*c.registry, live, wanted)) return RegistryFailed(c, step);
            step.copied = wanted.keys.size();
            return true;
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
