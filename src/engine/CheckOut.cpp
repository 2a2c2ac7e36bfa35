#include "engine/CheckOut.h"

#include <cstdio>
#include <vector>

#include "engine/EngineText.h"
#include "engine/PathUtil.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "platform/Text.h"
#include "settings/Environment.h"

namespace tollervy {

namespace {

constexpr const char* Header = "Tollervy check-out 1";
constexpr const char* UnseenMarker = "Unseen";
constexpr std::uint32_t ErrFileNotFound = 2, ErrPathNotFound = 3;

std::string Shown(const platform::LocalTime& t, bool seconds) {
    char text[32];
    if (seconds)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

std::string Age(std::uint64_t then, std::uint64_t now) {
    const std::uint64_t minutes = now > then ? (now - then) / (60 * platform::FileTimeSecond) : 0;
    if (minutes < 60) return std::to_string(minutes) + engine_text::AgeMinutes;
    if (minutes < 48 * 60) return std::to_string(minutes / 60) + engine_text::AgeHours;
    return std::to_string(minutes / (24 * 60)) + engine_text::AgeDays;
}

}  // namespace

std::string CheckOutEntry::Serialise() const {
    return std::string(Header) + "\r\n" + pc + "\r\n" + since + "\r\n" + std::to_string(time) + "\r\n" + token +
           "\r\nend\r\n";
}

bool CheckOutEntry::Parse(const std::string& text) {
    const std::vector<std::string> lines = text::Lines(text);
    *this = CheckOutEntry{};
    if (lines.size() != 6 || lines[0] != Header || lines[5] != "end" || lines[4].empty() || lines[3].empty() ||
        lines[3].find_first_not_of("0123456789") != std::string::npos || lines[3].size() > 19)
        return false;
    pc = lines[1];
    since = lines[2];
    time = std::stoull(lines[3]);
    token = lines[4];
    return true;
}

CheckOuts::CheckOuts(Context& c) : c_(c) {
    std::string text;
    if (!c_.fs.ReadFile(TokensPath(c_), text)) {
        // Not read, though there: written over, it would lose this PC's
        // check-outs.
        const std::uint32_t error = c_.fs.LastError();
        tokensUnread_ = error != ErrFileNotFound && error != ErrPathNotFound;
        return;
    }
    for (const auto& line : text::Lines(text)) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos && tab > 0 && tab + 1 < line.size())
            tokens_[line.substr(0, tab)] = line.substr(tab + 1);
    }
}

std::string CheckOuts::Folder(const Context& c) { return JoinPath(PeopleFolder(c), "CheckOut"); }
std::string CheckOuts::EntryPath(const Context& c, const std::string& user) {
    return JoinPath(Folder(c), user + ".dat");
}
std::string CheckOuts::TokensPath(const Context& c) { return JoinPath(c.state.DataFolderPath, "CheckOut.dat"); }
std::string CheckOuts::ConflictRoot(const Context& c) { return JoinPath(PeopleFolder(c), "Conflict"); }
std::string CheckOuts::SavingPath(const Context& c, const std::string& user) {
    return JoinPath(Folder(c), user + ".saving");
}

std::string CheckOuts::ThisPc() const {
    std::string name;
    if (!c_.system.ComputerName(name) || name.empty()) name = "PC";
    return name;
}

CheckOutEntry CheckOuts::Stamped(const std::string& token) const {
    CheckOutEntry entry;
    entry.pc = ThisPc();
    entry.since = Shown(c_.system.LocalNow(), false);
    entry.time = c_.fs.Now();
    entry.token = token;
    return entry;
}

std::vector<std::string> CheckOuts::Known() const {
    std::vector<std::string> users;
    for (const auto& [user, token] : tokens_) users.push_back(user);
    return users;
}

bool CheckOuts::WriteTokens() {
    if (tokensUnread_) return false;
    std::string text = "; check-outs this PC holds: user, tab, token\r\n";
    for (const auto& [user, token] : tokens_) text += user + "\t" + token + "\r\n";
    if (c_.fs.WriteFileAtomic(TokensPath(c_), text)) return true;
    // A first start: the PC's Data folder is made with its first file.
    return c_.fs.CreateFolder(c_.state.DataFolderPath) && c_.fs.WriteFileAtomic(TokensPath(c_), text);
}

bool CheckOuts::ReadEntry(const std::string& user, CheckOutEntry& entry, bool& exists) {
    std::string text;
    exists = true;
    if (c_.fs.ReadFile(EntryPath(c_, user), text)) {
        if (!entry.Parse(text)) entry = CheckOutEntry{};
        return true;
    }
    const std::uint32_t error = c_.fs.LastError();
    // A missing entry, told from a server that does not answer.
    if ((error == ErrFileNotFound || error == ErrPathNotFound) && SharedStoreReachable(c_)) {
        exists = false;
        return true;
    }
    return false;
}

CheckOuts::Hold CheckOuts::Holds(const std::string& user) {
    const auto it = tokens_.find(user);
    if (it == tokens_.end()) return Hold::NotHeld;
    CheckOutEntry entry;
    bool exists = false;
    if (!ReadEntry(user, entry, exists)) return Hold::Unknown;
    return exists && entry.token == it->second ? Hold::Held : Hold::NotHeld;
}

std::string CheckOuts::Question(const std::string& user, const CheckOutEntry& held,
                                const CheckOutEntry& saving) const {
    std::string pc = held.pc.empty() ? std::string(engine_text::CheckedOutUnknownPc) : held.pc;
    if (held.pc == ThisPc()) pc += engine_text::CheckedOutThisPc;
    std::string text = user + engine_text::CheckedOutSuffix + "\r\n\r\n" + engine_text::CheckedOutPc + pc + "\r\n";
    if (held.time != 0)
        text += std::string(engine_text::CheckedOutSince) + held.since + " (" + Age(held.time, c_.fs.Now()) + ")\r\n";
    if (saving.time != 0)
        text += "\r\n" + pc + engine_text::SavingStoppedSuffix + saving.since + " (" + Age(saving.time, c_.fs.Now()) +
                ")\r\n" + engine_text::SavingStoppedMixed + "\r\n";
    return text + "\r\n" + engine_text::CheckedOutQuestion;
}

bool CheckOuts::MarkSaving(const std::string& user) {
    const auto it = tokens_.find(user);
    return it != tokens_.end() && c_.fs.WriteFileAtomic(SavingPath(c_, user), Stamped(it->second).Serialise());
}

void CheckOuts::SavingDone(const std::string& user) {
    const auto it = tokens_.find(user);
    std::string text;
    CheckOutEntry mark;
    // Only this PC's own mark: another PC that took the copies over may be
    // saving them by now.
    if (it != tokens_.end() && c_.fs.ReadFile(SavingPath(c_, user), text) && mark.Parse(text) &&
        mark.token == it->second)
        c_.fs.DeleteFile(SavingPath(c_, user));
}

CheckOuts::Take CheckOuts::CheckOut(const std::string& user) {
    const Hold hold = Holds(user);
    if (hold == Hold::Held) return Take::Taken;
    if (hold == Hold::Unknown) return Take::Unreachable;

    std::uint64_t random[2] = {};
    if (!c_.system.RandomBytes(random, sizeof random)) random[0] = c_.fs.Now(), random[1] = c_.system.TickCount();
    char token[40];
    std::snprintf(token, sizeof token, "%016llx%016llx", static_cast<unsigned long long>(random[0]),
                  static_cast<unsigned long long>(random[1]));
    const CheckOutEntry mine = Stamped(token);
    // The token is known here before the entry exists: whatever stops in
    // between, an entry carrying it is this PC's.
    tokens_[user] = mine.token;
    if (!WriteTokens()) return Take::Unwritable;

    c_.fs.CreateFolder(Folder(c_));
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (c_.fs.CreateNewFile(EntryPath(c_, user), mine.Serialise())) return Take::Taken;
        CheckOutEntry held;
        bool exists = false;
        if (!ReadEntry(user, held, exists)) return Take::Unreachable;
        if (!exists) continue;  // checked in meanwhile: try again
        // The holder's mark of a save that did not end: the copy in the
        // store may be part old, part new.
        std::string text;
        CheckOutEntry saving;
        if (!c_.fs.ReadFile(SavingPath(c_, user), text) || !saving.Parse(text) || saving.token != held.token ||
            held.token.empty())
            saving = CheckOutEntry{};
        if (c_.messages.Show(Question(user, held, saving), ProgramTitle, engine_text::CheckedOutStyle) !=
            platform::AnswerYes) {
            tokens_.erase(user);
            WriteTokens();
            return Take::Declined;
        }
        // Taken over: the other PC's later save goes beside.
        return c_.fs.WriteFileAtomic(EntryPath(c_, user), mine.Serialise()) ? Take::Taken : Take::Unreachable;
    }
    return Take::Unreachable;
}

bool CheckOuts::CheckIn(const std::string& user) {
    const auto it = tokens_.find(user);
    if (it == tokens_.end()) return true;
    CheckOutEntry entry;
    bool exists = false;
    if (!ReadEntry(user, entry, exists)) return false;
    if (exists && entry.token == it->second && !c_.fs.DeleteFile(EntryPath(c_, user))) return false;
    tokens_.erase(it);
    return WriteTokens();
}

std::string CheckOuts::MakeConflictFolder(const std::string& user) {
    const std::string root = ConflictRoot(c_);
    const std::string userRoot = JoinPath(root, user);
    c_.fs.CreateFolder(root);
    c_.fs.CreateFolder(userRoot);
    std::string pc = ThisPc();
    if (!IsSafeFolderName(pc)) pc = "PC";
    const std::string stem = pc + " " + Shown(c_.system.LocalNow(), true);
    for (int n = 1; n < 100; ++n) {
        const std::string folder = JoinPath(userRoot, n == 1 ? stem : stem + "-" + std::to_string(n));
        if (!c_.fs.CreateFolder(folder)) continue;
        if (!c_.fs.CreateNewFile(JoinPath(folder, UnseenMarker), "")) return std::string();
        return folder;
    }
    return std::string();
}

void CheckOuts::ShowNewConflicts(const std::string& user) {
    const std::string userRoot = JoinPath(ConflictRoot(c_), user);
    std::vector<std::string> names;
    if (!c_.fs.List(WithTrailingBackslash(userRoot), platform::ListFolders, names)) return;
    std::vector<std::string> unseen;
    for (const auto& name : names) {
        if (name == "." || name == "..") continue;
        std::uint32_t attributes = 0;
        const std::string marker = JoinPath(JoinPath(userRoot, name), UnseenMarker);
        if (c_.fs.GetAttributes(marker, attributes)) unseen.push_back(JoinPath(userRoot, name));
    }
    if (unseen.empty()) return;
    std::string text = std::string(engine_text::ConflictsKept) + "\r\n";
    for (const auto& folder : unseen) text += "\r\n" + folder;
    ShowMessage(c_, text, StyleInformation);
    for (const auto& folder : unseen) c_.fs.DeleteFile(JoinPath(folder, UnseenMarker));
}

}  // namespace tollervy
