#include "engine/Backup.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "engine/PathUtil.h"
#include "engine/SharedStore.h"
#include "settings/Environment.h"
#include "settings/Settings.h"

namespace tollervy {

using platform::AttrDirectory;
using platform::AttrReadOnly;

namespace {

constexpr const char* IndexName = "Backup.dat";
constexpr std::uint64_t MegaByte = 1024 * 1024;

std::string Stamp(const platform::LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

// A backup folder's name: a stamp, and "-2", "-3", ... for a later switch
// within the same second. Its place in time: the stamp, then the number.
bool BackupName(const std::string& name, std::string& stamp, int& number) {
    static const std::string shape = "0000-00-00 000000";
    if (name.size() < shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == '0' ? (name[i] < '0' || name[i] > '9') : name[i] != shape[i]) return false;
    stamp = name.substr(0, shape.size());
    number = 1;
    if (name.size() == shape.size()) return true;
    const std::string rest = name.substr(shape.size());
    if (rest.size() < 2 || rest.size() > 4 || rest[0] != '-' || rest.find_first_not_of("0123456789", 1) != std::string::npos)
        return false;
    number = std::stoi(rest.substr(1));
    return true;
}

// The bytes of every file under a folder.
std::uint64_t TreeBytes(Context& c, const std::string& folder) {
    std::vector<platform::FileSystem::Entry> entries;
    if (!c.fs.ListEntries(WithTrailingBackslash(folder), platform::ListAll, entries)) return 0;
    std::uint64_t bytes = 0;
    for (const auto& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        bytes += (e.attributes & AttrDirectory) ? TreeBytes(c, JoinPath(folder, e.name)) : e.size;
    }
    return bytes;
}

// Removes a folder and everything in it, read-only files included (only the
// program writes there). False when something stays.
bool RemoveTree(Context& c, const std::string& folder) {
    std::vector<platform::FileSystem::Entry> entries;
    if (!c.fs.ListEntries(WithTrailingBackslash(folder), platform::ListAll, entries)) return false;
    bool ok = true;
    for (const auto& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        const std::string path = JoinPath(folder, e.name);
        if (e.attributes & AttrDirectory) {
            ok = RemoveTree(c, path) && ok;
            continue;
        }
        if (e.attributes & AttrReadOnly) c.fs.SetAttributes(path, e.attributes & ~std::uint32_t{AttrReadOnly});
        ok = c.fs.DeleteFile(path) && ok;
    }
    return c.fs.RemoveFolder(folder) && ok;
}

}  // namespace

Backup::Backup(Context& c, std::string root)
    : c_(c), on_(option::KeepsBackups(ReadIniValue(c, keys::BackupUse))), root_(root.empty() ? Root(c) : std::move(root)) {}

std::string Backup::Root(Context& c) {
    return JoinPath(PeopleFolder(c), "Backup");
}

bool Backup::MakeFolder() {
    if (!folder_.empty()) return true;
    const std::string& root = root_;
    c_.fs.CreateFolder(root);
    const std::string stamp = Stamp(c_.system.LocalNow());
    for (int n = 1; n < 100; ++n) {
        const std::string folder = JoinPath(root, n == 1 ? stamp : stamp + "-" + std::to_string(n));
        if (c_.fs.CreateFolder(folder)) {
            folder_ = folder;
            return true;
        }
        std::uint32_t attributes = 0;
        if (!c_.fs.GetAttributes(folder, attributes)) return false;  // not taken: it cannot be made
    }
    return false;
}

bool Backup::MakeParents(const std::string& relativeFolder) {
    for (std::size_t at = relativeFolder.find('\\'); at != std::string::npos;
         at = relativeFolder.find('\\', at + 1)) {
        const std::string part = relativeFolder.substr(0, at);
        if (made_.count(part) != 0) continue;
        const std::string path = JoinPath(folder_, part);
        std::uint32_t attributes = 0;
        if (!c_.fs.CreateFolder(path) && !(c_.fs.GetAttributes(path, attributes) && (attributes & AttrDirectory)))
            return false;
        made_.insert(part);
    }
    return true;
}

bool Backup::SetAside(const std::string& user, const std::string& key, const std::string& path,
                      const std::string& relative, std::uint64_t size) {
    if (!MakeFolder()) return false;
    const std::string inBackup = user + "\\" + key + "\\" + relative;
    if (!MakeParents(inBackup.substr(0, inBackup.rfind('\\') + 1))) return false;
    if (!c_.fs.MoveFile(path, JoinPath(folder_, inBackup))) return false;
    ++moved_;
    bytes_ += size;
    return true;
}

bool Backup::PutBack(const std::string& user, const std::string& key, const std::string& path,
                     const std::string& relative, std::uint64_t size) {
    const std::string inBackup = JoinPath(folder_, user + "\\" + key + "\\" + relative);
    std::uint32_t attributes = 0;
    if (c_.fs.GetAttributes(path, attributes)) return false;  // the copy's file is there
    if (!c_.fs.MoveFile(inBackup, path)) {
        // Its folder went with it (a folder the copy does not write).
        for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            c_.fs.CreateFolder(path.substr(0, at));
        if (!c_.fs.MoveFile(inBackup, path)) return false;
    }
    --moved_;
    bytes_ -= size;
    return true;
}

bool SetAsideTargets::SetAside(const std::string& path, const std::string& relative, std::uint64_t size) const {
    if (!backup_->SetAside(user_, key_, path, relative, size)) return false;
    moved_.push_back({path, relative, size});
    return true;
}

std::size_t SetAsideTargets::PutBack() const {
    std::size_t back = 0;
    for (const auto& m : moved_)
        if (backup_->PutBack(user_, key_, m.path, m.relative, m.size)) ++back;
    moved_.clear();
    return back;
}

std::vector<std::string> Backup::Pruned(const std::vector<Kept>& kept, std::size_t keep, std::uint64_t maxBytes) {
    std::uint64_t total = 0;
    for (const auto& k : kept) total += k.bytes;
    std::vector<std::string> pruned;
    std::size_t left = kept.size();
    for (std::size_t i = 0; i + 1 < kept.size() && (left > keep || total > maxBytes); ++i) {
        pruned.push_back(kept[i].name);
        total -= kept[i].bytes;
        --left;
    }
    return pruned;
}

void Backup::Prune() {
    if (!on_) return;
    const std::string& root = root_;
    std::vector<platform::FileSystem::Entry> entries;
    if (!c_.fs.ListEntries(WithTrailingBackslash(root), platform::ListFolders, entries)) return;
    struct Found {
        std::string stamp;
        int number;
        std::string name;
    };
    std::vector<Found> found;
    for (const auto& e : entries) {
        Found f{{}, 0, e.name};
        if ((e.attributes & AttrDirectory) && BackupName(e.name, f.stamp, f.number)) found.push_back(f);
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });

    // The sizes measured before: "name<TAB>bytes" lines.
    const std::string index = JoinPath(root, IndexName);
    std::map<std::string, std::uint64_t> sizes;
    std::string bytes;
    if (c_.fs.ReadFile(index, bytes)) {
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            const std::string line = bytes.substr(start, end - start);
            const std::size_t tab = line.find('\t');
            if (tab != std::string::npos && tab + 1 < line.size() &&
                line.find_first_not_of("0123456789\r", tab + 1) == std::string::npos)
                sizes[line.substr(0, tab)] = std::stoull(line.substr(tab + 1));
            start = end + 1;
        }
    }
    // This run's backup is as big as what it moved; others not in the index
    // (a run that was stopped before it) are measured once.
    if (!folder_.empty()) sizes[folder_.substr(folder_.rfind('\\') + 1)] = bytes_;
    std::vector<Kept> kept;
    for (const auto& f : found) {
        const auto known = sizes.find(f.name);
        kept.push_back({f.name, known != sizes.end() ? known->second : TreeBytes(c_, JoinPath(root, f.name))});
    }
    const std::size_t keep = static_cast<std::size_t>(option::PositiveOr(ReadIniValue(c_, keys::BackupKeep), 10));
    const std::uint64_t maxBytes =
        static_cast<std::uint64_t>(option::PositiveOr(ReadIniValue(c_, keys::BackupMaxMB), 500)) * MegaByte;
    const std::vector<std::string> pruned = Pruned(kept, keep, maxBytes);
    std::string written;
    for (const auto& k : kept) {
        // A pruned backup leaves the index: one not removed whole is
        // measured again next time.
        if (std::find(pruned.begin(), pruned.end(), k.name) != pruned.end()) {
            RemoveTree(c_, JoinPath(root, k.name));
            continue;
        }
        written += k.name + "\t" + std::to_string(k.bytes) + "\r\n";
    }
    if (written != bytes) c_.fs.WriteFileAtomic(index, written);
}

}  // namespace tollervy
