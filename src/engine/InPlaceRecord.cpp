#include "engine/InPlaceRecord.h"

#include "settings/Environment.h"

namespace tollervy {

std::string InPlaceRecord::Path(Context& c) {
    return JoinPath(c.state.DataFolderPath, InPlaceRecordName);
}

void InPlaceRecord::Parse(const std::string& text) {
    owners_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == line.size()) continue;
        owners_.emplace(line.substr(0, eq), line.substr(eq + 1));  // first line of a key wins
    }
}

std::string InPlaceRecord::Serialise() const {
    std::string text = "; Whose copy each listed item holds in place (key=owner; * = being overwritten)\r\n";
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
