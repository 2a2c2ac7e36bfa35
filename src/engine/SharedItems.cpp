#include "engine/SharedItems.h"

#include <algorithm>

#include "engine/InPlaceRecord.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "platform/Text.h"
#include "settings/Environment.h"
#include "settings/RegistryKeys.h"
#include "settings/Settings.h"

namespace tollervy {

namespace {

constexpr const char* Header = "; Tollervy items ";
constexpr const char* Sections[] = {keys::FileSection, keys::RegistrySection};
constexpr SettingKey Generation{"Store", "Items", ""};

struct ItemList {
    std::string generation;
    std::vector<std::string> lines[2];  // [File], [Registry]
};

std::string Serialise(const ItemList& list) {
    std::string text = Header + list.generation + "\r\n";
    for (int s = 0; s < 2; ++s) {
        text += std::string("[") + Sections[s] + "]\r\n";
        for (const auto& line : list.lines[s]) text += line + "\r\n";
    }
    return text;
}

bool Parse(const std::string& text, ItemList& list) {
    list = ItemList{};
    int section = -1;
    bool first = true;
    for (const std::string& line : text::Lines(text)) {
        for (const char ch : line)
            if (static_cast<unsigned char>(ch) < 0x20) return false;  // no settings line holds one
        if (first) {
            if (line.rfind(Header, 0) != 0) return false;
            list.generation = line.substr(std::string(Header).size());
            first = false;
        } else if (line == std::string("[") + Sections[0] + "]") {
            section = 0;
        } else if (line == std::string("[") + Sections[1] + "]") {
            section = 1;
        } else if (!line.empty()) {
            std::string key, value;
            if (section < 0 || !SplitFileLine(line, key, value)) return false;
            list.lines[section].push_back(line);
        }
    }
    return !first && !list.generation.empty() && list.generation.size() < 10 &&
           list.generation.find_first_not_of("0123456789") == std::string::npos;
}

ItemList LocalList(Context& c) {
    ItemList list;
    for (int s = 0; s < 2; ++s) ReadIniSection(c, Sections[s], list.lines[s]);
    list.generation = ReadIniValue(c, Generation);
    return list;
}

// False when the share did not answer. A list that cannot be read (cut
// short when its first PC lost power) counts as none.
bool ReadShared(Context& c, ItemList& list, bool& exists, bool& whole) {
    std::string text;
    exists = c.fs.ReadFile(SharedItemsPath(c), text);
    if (!exists) return c.fs.LastError() == 2 || c.fs.LastError() == 3;
    whole = Parse(text, list);
    return true;
}
bool ReadShared(Context& c, ItemList& list, bool& exists) {
    bool whole = false;
    if (!ReadShared(c, list, exists, whole)) return false;
    if (!whole) exists = false, list = ItemList{};
    return true;
}

// A lock older than this was left by a PC that stopped while publishing.
constexpr std::uint64_t StaleLock = 10 * 60 * platform::FileTimeSecond;

// Done: taken; Busy: another PC holds it; Failed: the share did not answer.
PublishResult TakeLock(Context& c, const std::string& lock) {
    if (c.fs.CreateNewFile(lock, "")) return PublishResult::Done;
    if (c.fs.LastError() != 80) return PublishResult::Failed;
    std::vector<platform::FileSystem::Entry> entries;
    if (!c.fs.ListEntries(lock, platform::ListFiles, entries) || entries.size() != 1 ||
        c.fs.Now() < entries[0].lastWrite + StaleLock)
        return PublishResult::Busy;
    return c.fs.DeleteFile(lock) && c.fs.CreateNewFile(lock, "") ? PublishResult::Done : PublishResult::Busy;
}

std::string KeyOf(const std::string& line) { return line.substr(0, line.find('=')); }

}  // namespace

std::string SharedItemsPath(const Context& c) { return JoinPath(PeopleFolder(c), "Items.dat"); }

bool TakeSharedItems(Context& c) {
    ItemList shared;
    bool exists = false;
    if (!ReadShared(c, shared, exists)) return false;
    ItemList local = LocalList(c);
    if (!exists) {
        local.generation = "1";
        std::uint32_t attributes = 0;
        const bool torn = c.fs.GetAttributes(SharedItemsPath(c), attributes);
        if (torn ? c.fs.WriteFileAtomic(SharedItemsPath(c), Serialise(local))
                 : c.fs.CreateNewFile(SharedItemsPath(c), Serialise(local)))
            return WriteIniValue(c, Generation, local.generation);
        if (!ReadShared(c, shared, exists) || !exists) return false;  // another PC gave its list first
    }
    if (shared.generation == local.generation) return true;
    // Every line must come back from the settings file as it stands: the
    // list is written from settings files, so one that cannot is not whole.
    std::vector<std::string> seen;
    for (const auto& lines : shared.lines) {
        for (const auto& line : lines) {
            const std::string key = KeyOf(line), value = line.substr(line.find('=') + 1);
            const std::string folded = c.system.UpperCase(key);
            if (!FitsAnsiCodePage(c, line) || !ReadsBackUnchanged(key) || value != text::Trim(value) ||
                value.front() == '"' || value.front() == '\'' ||
                std::find(seen.begin(), seen.end(), folded) != seen.end())
                return false;
            seen.push_back(folded);
        }
    }
    // The record of a PC's first start goes into a Data folder made now.
    c.fs.CreateFolder(c.state.DataFolderPath);
    InPlaceRecord record;
    record.Load(c);
    for (int s = 0; s < 2; ++s) {
        for (const auto& line : local.lines[s]) {
            bool kept = false;
            for (const auto& other : shared.lines[s]) kept = kept || KeyOf(other) == KeyOf(line);
            if (!kept) DeleteIniKey(c, Sections[s], KeyOf(line));
        }
        for (const auto& line : shared.lines[s]) {
            bool known = false;
            for (const auto& mine : local.lines[s]) known = known || mine == line;
            if (known) continue;
            // New here (or another path under this key): the PC's own files.
            if (!record.Set(c, KeyOf(line), "All Users")) return false;
            if (!WriteIniValue(c, Sections[s], KeyOf(line), line.substr(line.find('=') + 1))) return false;
        }
    }
    return WriteIniValue(c, Generation, shared.generation);
}

PublishResult PublishItems(Context& c) {
    const std::string lock = JoinPath(PeopleFolder(c), "Items.lock");
    if (const PublishResult taken = TakeLock(c, lock); taken != PublishResult::Done) return taken;
    PublishResult result = PublishResult::Failed;
    ItemList shared;
    bool exists = false;
    ItemList local = LocalList(c);
    if (ReadShared(c, shared, exists)) {
        if (exists && shared.generation != local.generation) {
            result = PublishResult::Changed;
        } else if (exists && shared.lines[0] == local.lines[0] && shared.lines[1] == local.lines[1]) {
            result = PublishResult::Done;  // nothing changed
        } else {
            long next = exists ? option::PositiveOr(shared.generation, 0) + 1 : 1;
            local.generation = std::to_string(next);
            if (c.fs.WriteFileAtomic(SharedItemsPath(c), Serialise(local)) &&
                WriteIniValue(c, Generation, local.generation))
                result = PublishResult::Done;
        }
    }
    c.fs.DeleteFile(lock);
    return result;
}

}  // namespace tollervy
