#include "engine/InPlaceRecord.h"

#include <string_view>

#include "engine/Manifest.h"
#include "platform/Text.h"
#include "settings/Environment.h"

namespace tollervy {

namespace {

constexpr std::string_view GenerationMark = "; manifests ";

// The generation a record's text names.
std::string GenerationOf(const std::string& text) {
    const auto at = text.find(GenerationMark);
    if (at == std::string::npos || (at != 0 && text[at - 1] != '\n')) return {};
    const auto from = at + GenerationMark.size();
    auto end = text.find_first_of("\r\n", from);
    if (end == std::string::npos) end = text.size();
    return text.substr(from, end - from);
}

}  // namespace

std::string InPlaceRecord::Path(Context& c) {
    return JoinPath(c.state.DataFolderPath, InPlaceRecordName);
}

std::string InPlaceRecord::DiskGeneration(Context& c) {
    std::string bytes;
    return c.fs.ReadFile(Path(c), bytes) ? GenerationOf(bytes) : std::string();
}

void InPlaceRecord::Parse(const std::string& text) {
    owners_.clear();
    generation_ = GenerationOf(text);
    for (const std::string& line : text::Lines(text)) {
        if (line.empty() || line[0] == ';') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == line.size()) continue;
        owners_.emplace(line.substr(0, eq), line.substr(eq + 1));  // first line of a key wins
    }
}

std::string InPlaceRecord::Serialise() const {
    std::string text = "; Whose copy each listed item holds in place (key=owner; * = being overwritten)\r\n";
    if (!generation_.empty()) text.append(GenerationMark).append(generation_).append("\r\n");
    for (const auto& [key, owner] : owners_) text += key + "=" + owner + "\r\n";
    return text;
}

bool InPlaceRecord::Write(Context& c) {
    unwritten_ = !c.fs.WriteFileAtomic(Path(c), Serialise());
    return !unwritten_;
}

bool InPlaceRecord::Flush(Context& c) { return !unwritten_ || Write(c); }

void InPlaceRecord::Load(Context& c) {
    owners_.clear();
    unwritten_ = false;
    std::string bytes;
    if (c.fs.ReadFile(Path(c), bytes)) Parse(bytes);
    // A record without a generation was written by a version that keeps no
    // manifests (or is new): what is in place starts a generation of its own.
    if (generation_.empty()) {
        generation_ = NewTag(c);
        unwritten_ = true;  // the next write or flush puts it on disk
    }
}

std::string InPlaceRecord::Owner(const std::string& key) const {
    const auto it = owners_.find(key);
    return it == owners_.end() ? std::string() : it->second;
}

bool InPlaceRecord::Set(Context& c, const std::string& key, const std::string& owner) {
    if (owner.empty()) {
        if (owners_.erase(key) == 0) return Flush(c);
    } else {
        const auto it = owners_.find(key);
        if (it != owners_.end() && it->second == owner) return Flush(c);
        owners_[key] = owner;
    }
    return Write(c);
}

bool InPlaceRecord::Adopt(Context& c, const std::vector<std::string>& keys, const std::string& owner) {
    bool changed = false;
    for (const auto& key : keys) changed = owners_.emplace(key, owner).second || changed;
    return changed ? Write(c) : Flush(c);
}

bool InPlaceRecord::SetAll(Context& c, const std::vector<std::string>& keys, const std::string& owner) {
    bool changed = false;
    for (const auto& key : keys) {
        std::string& current = owners_[key];
        changed = changed || current != owner;
        current = owner;
    }
    return changed ? Write(c) : Flush(c);
}

bool InPlaceRecord::AllHeldBy(const std::vector<std::string>& keys, const std::string& user) const {
    for (const auto& key : keys)
        if (Owner(key) != user) return false;
    return true;
}

}  // namespace tollervy
