#include "fakes/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/Cp932.h"
#include "fakes/ProcessEnded.h"
#include "platform/Text.h"

namespace tollervy::fakes {

using platform::AttrArchive;
using platform::AttrDirectory;
using platform::AttrHidden;
using platform::AttrReadOnly;
using platform::AttrSystem;

struct FakeFileSystem::Node {
    std::string name;
    bool folder = false;
    std::uint32_t attrs = 0;  // folders include 16
    std::string content;
    std::uint64_t lastWrite = 0;
    std::uint64_t changed = 0;  // its change time
    Node* parent = nullptr;
    std::map<std::string, std::unique_ptr<Node>> children;  // by folded name
};

namespace {

constexpr std::uint32_t ErrFileNotFound = 2;
constexpr std::uint32_t ErrPathNotFound = 3;
constexpr std::uint32_t ErrAccessDenied = 5;
constexpr std::uint32_t ErrNotSameDevice = 17;
constexpr std::uint32_t ErrSharing = 32;
constexpr std::uint32_t ErrFileExists = 80;
constexpr std::uint32_t ErrInvalidName = 123;
constexpr std::uint32_t ErrDirNotEmpty = 145;
constexpr std::uint32_t ErrAlreadyExists = 183;

// Bits SetAttributes keeps: read-only, hidden, system, archive, temporary,
// offline, not-indexed.
constexpr std::uint32_t SettableBits = 1 | 2 | 4 | 32 | 0x100 | 0x1000 | 0x2000;
constexpr std::uint32_t AttrNormal = 128;

// ASCII letters to upper case: names compare as NTFS compares them and list
// in its order (upper-cased, then by code).
std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

struct PathParts {
    bool ok = false;
    std::string drive;               // "C:"
    std::vector<std::string> names;  // components under the root
    bool trailing = false;           // ended with a separator (not a root)
};

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    const auto letter = p.empty() ? 0 : static_cast<unsigned char>(p[0]);
    if (p.size() < 2 || !((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) || p[1] != ':')
        return parts;
    if (p.size() > 2 && p[2] != '\\') return parts;  // drive-relative: not used
    parts.drive = Fold(p.substr(0, 2));
    std::size_t i = 3;
    while (i < p.size()) {
        std::size_t j = p.find('\\', i);
        if (j == std::string::npos) j = p.size();
        std::string name = p.substr(i, j - i);
        if (name == "..") {
            if (!parts.names.empty()) parts.names.pop_back();
        } else if (!name.empty() && name != ".") {
            parts.names.push_back(name);
        }
        i = j + 1;
    }
    parts.trailing = p.size() > 3 && p.back() == '\\' && !parts.names.empty();
    parts.ok = true;
    return parts;
}

bool ValidName(const std::string& name) {
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20) return false;
        switch (c) {
            case '<': case '>': case ':': case '"': case '|': case '?': case '*': return false;
            default: break;
        }
    }
    return !name.empty();
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

std::string CanonKey(const PathParts& parts) {
    std::string key = parts.drive;
    for (const auto& n : parts.names) key += "\\" + Fold(n);
    return key;
}

// Code points of UTF-8 text with ASCII letters folded (an invalid byte is
// taken as one character).
std::vector<std::uint32_t> FoldedCodePoints(std::string_view s) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 1;
        std::uint32_t cp = c;
        if (c >= 0xF0 && c < 0xF8) n = 4, cp = c & 0x07;
        else if (c >= 0xE0 && c < 0xF0) n = 3, cp = c & 0x0F;
        else if (c >= 0xC0 && c < 0xE0) n = 2, cp = c & 0x1F;
        bool valid = i + n <= s.size();
        for (std::size_t k = 1; valid && k < n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) valid = false;
            else cp = (cp << 6) | (t & 0x3F);
        }
        if (!valid) n = 1, cp = 0xDC00 + c;
        if (cp >= 'a' && cp <= 'z') cp = cp - 'a' + 'A';
        out.push_back(cp);
        i += n;
    }
    return out;
}

// Windows wildcard matching of one name: "*" any run, "?" one character,
// "*.*" everything, a trailing "." only names without an extension.
bool WildMatch(std::string pattern, const std::string& name) {
    if (pattern == "*.*") pattern = "*";
    bool noDot = false;
    if (pattern.size() > 1 && pattern.back() == '.') {
        while (!pattern.empty() && pattern.back() == '.') pattern.pop_back();
        noDot = true;
    }
    if (noDot && name != "." && name != ".." && name.find('.') != std::string::npos) return false;
    const auto p = FoldedCodePoints(pattern);
    const auto n = FoldedCodePoints(name);
    std::size_t pi = 0, ni = 0, starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi, ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

// The listing filter admits an entry when every hidden, system and folder
// bit it carries is in the filter.
bool Admitted(std::uint32_t attrs, std::uint32_t filter) {
    return ((attrs & (AttrHidden | AttrSystem | AttrDirectory)) & ~filter) == 0;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines = text::Lines(bytes);
    for (auto& line : lines) line = cp932::ToUtf8(line);
    return lines;
}

bool IsRoot(const FakeFileSystem::Node* node) { return node->parent == nullptr; }

}  // namespace

// True when the folder part of a listing names an existing file.
bool FakeFileSystem::IsFileNamedAsFolder(const std::string& folder) const {
    std::string path = folder;
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    return node != nullptr && !node->folder;
}

const char* FakeFileSystem::OpName(Op op) {
    static const char* const names[] = {"GetAttributes", "SetAttributes", "List", "Copy", "Move",
                                        "Delete", "CreateFolder", "RemoveFolder", "Read", "Write"};
    return names[static_cast<std::size_t>(op)];
}

FakeFileSystem::FakeFileSystem() { AddDrive("C:"); }
FakeFileSystem::~FakeFileSystem() = default;

// ---------------------------------------------------------------------------
// Lookup

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path, std::uint32_t& error) const {
    const PathParts parts = SplitPath(path);
    if (!parts.ok) {
        error = ErrPathNotFound;
        return nullptr;
    }
    const auto drive = drives_.find(parts.drive);
    if (drive == drives_.end()) {
        error = ErrPathNotFound;
        return nullptr;
    }
    Node* node = drive->second.get();
    for (std::size_t i = 0; i < parts.names.size(); ++i) {
        if (!ValidName(parts.names[i])) {
            error = ErrInvalidName;
            return nullptr;
        }
        if (!node->folder) {
            error = ErrPathNotFound;
            return nullptr;
        }
        const auto child = node->children.find(Fold(parts.names[i]));
        if (child == node->children.end()) {
            error = i + 1 == parts.names.size() ? ErrFileNotFound : ErrPathNotFound;
            return nullptr;
        }
        node = child->second.get();
    }
    if (parts.trailing && !node->folder) {
        error = ErrPathNotFound;  // a file named as a folder
        return nullptr;
    }
    return node;
}

FakeFileSystem::Node* FakeFileSystem::FindParent(const std::string& path, std::string& name,
                                                 std::uint32_t& error) const {
    PathParts parts = SplitPath(path);
    if (!parts.ok) {
        error = ErrPathNotFound;
        return nullptr;
    }
    if (parts.names.empty()) {
        error = ErrAccessDenied;  // a drive root
        return nullptr;
    }
    name = parts.names.back();
    if (!ValidName(name)) {
        error = ErrInvalidName;
        return nullptr;
    }
    std::string parent = parts.drive + "\\";
    for (std::size_t i = 0; i + 1 < parts.names.size(); ++i) parent += parts.names[i] + "\\";
    Node* node = Find(parent, error);
    if (node == nullptr || !node->folder) {
        error = ErrPathNotFound;
        return nullptr;
    }
    return node;
}

std::map<std::string, std::unique_ptr<FakeFileSystem::Node>>::iterator FakeFileSystem::Locate(
    Node* parent, const std::string& name) const {
    return parent->children.find(Fold(name));
}

// ---------------------------------------------------------------------------
// Counting and faults

bool FakeFileSystem::Fail(std::uint32_t error) {
    lastError_ = error;
    return false;
}

bool FakeFileSystem::PathFaulted(std::optional<Op> op, const std::string& path, std::uint32_t& error) const {
    const PathParts parts = SplitPath(path);
    if (!parts.ok) return false;
    const std::string key = CanonKey(parts);
    for (const auto& f : pathFaults_) {
        if (f.only && (!op || *f.only != *op)) continue;
        if (key == f.key || (f.under && key.size() > f.key.size() && key.compare(0, f.key.size(), f.key) == 0 &&
                             key[f.key.size()] == '\\')) {
            error = f.error;
            return true;
        }
    }
    return false;
}

bool FakeFileSystem::Begin(Op op, std::initializer_list<const std::string*> paths, bool mutation) {
    return BeginWith(op, paths, mutation, nullptr);
}

bool FakeFileSystem::BeginWith(Op op, std::initializer_list<const std::string*> paths, bool mutation,
                               const std::function<void()>& halfDone) {
    const int call = ++calls_[static_cast<std::size_t>(op)];
    if (mutation) {
        ++mutations_;
        if (mutations_ == abortAt_) {
            ++faultsFired_;
            if (abortHalfDone_ && halfDone) halfDone();
            throw ProcessEnded{AbortedCode};
        }
    }
    for (std::size_t i = 0; i < failNth_.size(); ++i) {
        if (failNth_[i].first == op && failNth_[i].second == call) {
            ++faultsFired_;
            return Fail(failNthError_[i]);
        }
    }
    for (const std::string* p : paths) {
        std::uint32_t error = 0;
        if (PathFaulted(op, *p, error)) {
            ++faultsFired_;
            return Fail(error);
        }
    }
    return true;
}

void FakeFileSystem::ResetCounts() {
    calls_ = {};
    mutations_ = 0;
}

void FakeFileSystem::FailNth(Op op, int n, std::uint32_t error) {
    failNth_.emplace_back(op, n);
    failNthError_.push_back(error);
}

void FakeFileSystem::FailPath(const std::string& path, bool under, std::uint32_t error, std::optional<Op> only) {
    const PathParts parts = SplitPath(path);
    if (!parts.ok) {
        ADD_FAILURE() << "FakeFileSystem::FailPath: not a full Windows path: " << path;
        return;
    }
    pathFaults_.push_back(PathFault{CanonKey(parts), under, error, only});
}

void FakeFileSystem::AbortAtMutation(int n, bool halfDoneCopy) {
    abortAt_ = n;
    abortHalfDone_ = halfDoneCopy;
}

void FakeFileSystem::ClearFaults() {
    failNth_.clear();
    failNthError_.clear();
    pathFaults_.clear();
    abortAt_ = 0;
    abortHalfDone_ = false;
}

std::string FakeFileSystem::LastErrorText() {
    switch (lastError_) {
        case 0: return "The operation completed successfully.";
        case ErrFileNotFound: return "The system cannot find the file specified.";
        case ErrPathNotFound: return "The system cannot find the path specified.";
        case ErrAccessDenied: return "Access is denied.";
        case ErrNotSameDevice: return "The system cannot move the file to a different disk drive.";
        case ErrSharing: return "The process cannot access the file because it is being used by another process.";
        case ErrFileExists: return "The file exists.";
        case ErrInvalidName: return "The filename, directory name, or volume label syntax is incorrect.";
        case ErrDirNotEmpty: return "The directory is not empty.";
        case ErrAlreadyExists: return "Cannot create a file when that file already exists.";
        case 21: return "The device is not ready.";
        case 112: return "There is not enough space on the disk.";
        case 267: return "The directory name is invalid.";
        default: return "Error " + std::to_string(lastError_) + ".";
    }
}

// ---------------------------------------------------------------------------
// platform::FileSystem

bool FakeFileSystem::GetAttributes(const std::string& path, std::uint32_t& attributes) {
    if (!Begin(Op::GetAttributes, {&path}, false)) return false;
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    attributes = node->attrs;
    if (attributes == 0) attributes = AttrNormal;
    return true;
}

bool FakeFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    if (!Begin(Op::SetAttributes, {&path}, true)) return false;
    std::uint32_t error = 0;
    Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    node->attrs = attributes & SettableBits;
    if (node->folder) node->attrs |= AttrDirectory;
    node->changed = ++changes_;
    return true;
}

bool FakeFileSystem::List(const std::string& spec, std::uint32_t filter, std::vector<std::string>& names) {
    names.clear();
    std::vector<Entry> entries;
    if (!ListEntries(spec, filter, entries)) return false;
    for (auto& e : entries) names.push_back(std::move(e.name));
    return true;
}

bool FakeFileSystem::ListEntries(const std::string& spec, std::uint32_t filter, std::vector<Entry>& entries) {
    entries.clear();
    if (!Begin(Op::List, {&spec}, false)) return false;
    auto add = [&](const std::string& name, std::uint32_t attrs, const Node* node) {
        Entry& e = entries.emplace_back();
        e.name = name;
        e.attributes = attrs == 0 ? AttrNormal : attrs;
        if (node != nullptr && !node->folder) {
            e.size = node->content.size();
            e.lastWrite = node->lastWrite;
            if (filter & platform::ListChangeTimes) e.changed = node->changed;
        }
    };
    std::string s = spec;
    for (char& c : s)
        if (c == '/') c = '\\';
    const auto cut = s.find_last_of('\\');
    if (cut == std::string::npos) return Fail(ErrPathNotFound);
    const std::string folder = s.substr(0, cut + 1);
    std::string last = s.substr(cut + 1);
    if (HasWildcard(folder)) return Fail(ErrInvalidName);

    if (!last.empty() && !HasWildcard(last)) {
        // A path naming one entry: that entry's own name.
        std::uint32_t error = 0;
        const Node* node = Find(s, error);
        if (node == nullptr) {
            if (error == ErrFileNotFound) return true;  // the folder exists, nothing matches
            return Fail(error);
        }
        if (!IsRoot(node) && Admitted(node->attrs, filter)) add(node->name, node->attrs, node);
        return true;
    }
    if (last.empty()) last = "*";
    std::uint32_t error = 0;
    const Node* dir = Find(folder, error);
    if (dir == nullptr) return Fail(IsFileNamedAsFolder(folder) ? ErrInvalidName : ErrPathNotFound);
    if (!IsRoot(dir) && (filter & AttrDirectory) != 0) {
        for (const char* dot : {".", ".."})
            if (WildMatch(last, dot)) add(dot, AttrDirectory, nullptr);
    }
    for (const auto& [key, child] : dir->children)
        if (Admitted(child->attrs, filter) && WildMatch(last, child->name)) add(child->name, child->attrs, child.get());
    return true;
}

std::uint32_t FakeFileSystem::CheckCopy(const std::string& from, const std::string& to, bool failIfExists,
                                        CopyPlan& plan) const {
    std::uint32_t error = 0;
    plan.source = Find(from, error);
    if (plan.source == nullptr) return error;
    if (plan.source->folder) return ErrAccessDenied;
    plan.parent = FindParent(to, plan.name, error);
    if (plan.parent == nullptr) return error;
    const auto it = Locate(plan.parent, plan.name);
    plan.existing = it == plan.parent->children.end() ? nullptr : it->second.get();
    if (SplitPath(to).trailing && (plan.existing == nullptr || !plan.existing->folder)) return ErrInvalidName;
    if (plan.existing != nullptr) {
        if (plan.existing == plan.source) return ErrSharing;
        if (plan.existing->folder) return ErrAccessDenied;
        if (failIfExists) return ErrFileExists;
        if ((plan.existing->attrs & AttrReadOnly) != 0) return ErrAccessDenied;
        // Replacing a hidden or system file needs the same bit on the new
        // content (the destination is opened with the source's attributes).
        const std::uint32_t guarded = plan.existing->attrs & (AttrHidden | AttrSystem);
        if ((guarded & ~plan.source->attrs) != 0) return ErrAccessDenied;
    }
    return 0;
}

void FakeFileSystem::Put(CopyPlan& plan, std::string bytes, std::uint32_t attrs, std::uint64_t lastWrite) {
    const std::uint64_t stamp = Stamp(plan.parent, lastWrite);
    if (plan.existing != nullptr) {
        plan.existing->content = std::move(bytes);
        plan.existing->attrs = attrs;
        plan.existing->lastWrite = stamp;
        plan.existing->changed = ++changes_;
        return;
    }
    auto node = std::make_unique<Node>();
    node->name = plan.name;
    node->attrs = attrs;
    node->content = std::move(bytes);
    node->lastWrite = stamp;
    node->changed = ++changes_;
    node->parent = plan.parent;
    plan.parent->children[Fold(plan.name)] = std::move(node);
}

std::uint64_t FakeFileSystem::Stamp(const Node* where, std::uint64_t time) const {
    while (where->parent != nullptr) where = where->parent;
    const auto found = resolution_.find(where->name.substr(0, 2));
    const std::uint64_t step = found == resolution_.end() ? 1 : found->second;
    return (time + step - 1) / step * step;  // rounded up, as FAT does
}

void FakeFileSystem::SetTimeResolution(const std::string& drive, std::uint64_t ticks) {
    resolution_[Fold(drive.substr(0, 2))] = ticks == 0 ? 1 : ticks;
}

void FakeFileSystem::SetLastWrite(const std::string& path, std::uint64_t time) {
    std::uint32_t error = 0;
    Node* node = Find(path, error);
    if (node == nullptr || node->folder) {
        ADD_FAILURE() << "FakeFileSystem::SetLastWrite: no file " << path;
        return;
    }
    node->lastWrite = Stamp(node->parent, time);
}

std::uint64_t FakeFileSystem::LastWrite(const std::string& path) const {
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    return node == nullptr ? 0 : node->lastWrite;
}

bool FakeFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    const auto halfDone = [&] {
        CopyPlan plan;
        if (CheckCopy(from, to, failIfExists, plan) != 0) return;
        const std::string& bytes = plan.source->content;
        // Written so far, stamped now; the source's time would come last.
        Put(plan, bytes.substr(0, bytes.size() / 2), AttrArchive, Tick());
    };
    if (!BeginWith(Op::Copy, {&from, &to}, true, halfDone)) return false;
    CopyPlan plan;
    if (const std::uint32_t error = CheckCopy(from, to, failIfExists, plan); error != 0) return Fail(error);
    Put(plan, plan.source->content, plan.source->attrs | AttrArchive, plan.source->lastWrite);
    return true;
}

bool FakeFileSystem::MoveFile(const std::string& from, const std::string& to) {
    if (!Begin(Op::Move, {&from, &to}, true)) return false;
    std::uint32_t error = 0;
    Node* source = Find(from, error);
    if (source == nullptr) return Fail(error);
    if (IsRoot(source)) return Fail(ErrAccessDenied);
    std::string name;
    Node* parent = FindParent(to, name, error);
    if (parent == nullptr) return Fail(error);
    const auto existing = Locate(parent, name);
    if (existing != parent->children.end() && existing->second.get() != source) return Fail(ErrAlreadyExists);
    if (source->folder) {
        for (const Node* p = parent; p != nullptr; p = p->parent)
            if (p == source) return Fail(ErrSharing);  // into itself
        const Node* rootFrom = source;
        while (rootFrom->parent != nullptr) rootFrom = rootFrom->parent;
        const Node* rootTo = parent;
        while (rootTo->parent != nullptr) rootTo = rootTo->parent;
        if (rootFrom != rootTo) return Fail(ErrNotSameDevice);
    }
    Node* oldParent = source->parent;
    auto it = oldParent->children.find(Fold(source->name));
    std::unique_ptr<Node> node = std::move(it->second);
    oldParent->children.erase(it);
    node->name = name;
    node->parent = parent;
    parent->children[Fold(name)] = std::move(node);
    return true;
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
    if (!Begin(Op::Delete, {&path}, true)) return false;
    std::uint32_t error = 0;
    Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    if (node->folder) return Fail(ErrAccessDenied);
    if ((node->attrs & AttrReadOnly) != 0) return Fail(ErrAccessDenied);
    node->parent->children.erase(Fold(node->name));
    return true;
}

bool FakeFileSystem::CreateFolder(const std::string& path) {
    if (!Begin(Op::CreateFolder, {&path}, true)) return false;
    std::uint32_t error = 0;
    std::string name;
    Node* parent = FindParent(path, name, error);
    if (parent == nullptr) return Fail(error);
    if (Locate(parent, name) != parent->children.end()) return Fail(ErrAlreadyExists);
    auto node = std::make_unique<Node>();
    node->name = name;
    node->folder = true;
    node->attrs = AttrDirectory;
    node->parent = parent;
    parent->children[Fold(name)] = std::move(node);
    return true;
}

bool FakeFileSystem::RemoveFolder(const std::string& path) {
    if (!Begin(Op::RemoveFolder, {&path}, true)) return false;
    std::uint32_t error = 0;
    Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    if (!node->folder) return Fail(267);  // not a folder
    if (IsRoot(node)) return Fail(ErrAccessDenied);
    if (!node->children.empty()) return Fail(ErrDirNotEmpty);
    if ((node->attrs & AttrReadOnly) != 0) return Fail(ErrAccessDenied);
    node->parent->children.erase(Fold(node->name));
    return true;
}

bool FakeFileSystem::FileLength(const std::string& path, std::uint64_t& length) {
    if (!Begin(Op::Read, {&path}, false)) return false;
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    if (node->folder) return Fail(ErrAccessDenied);
    length = node->content.size();
    return true;
}

bool FakeFileSystem::ReadLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    if (!Begin(Op::Read, {&path}, false)) return false;
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    if (node->folder) return Fail(ErrAccessDenied);
    lines = SplitLines(node->content);
    return true;
}

bool FakeFileSystem::Writable(const std::string& path, CopyPlan& plan, std::uint32_t& error) const {
    plan.parent = FindParent(path, plan.name, error);
    if (plan.parent == nullptr) return false;
    if (SplitPath(path).trailing) {
        error = ErrInvalidName;
        return false;
    }
    const auto it = Locate(plan.parent, plan.name);
    plan.existing = it == plan.parent->children.end() ? nullptr : it->second.get();
    if (plan.existing != nullptr && (plan.existing->folder || (plan.existing->attrs & AttrReadOnly) != 0)) {
        error = ErrAccessDenied;
        return false;
    }
    return true;
}

bool FakeFileSystem::AppendLine(const std::string& path, const std::string& line) {
    return AppendBytes(path, cp932::FromUtf8(line) + "\r\n");
}

bool FakeFileSystem::AppendBytes(const std::string& path, const std::string& bytes) {
    if (!Begin(Op::Write, {&path}, true)) return false;
    CopyPlan plan;
    std::uint32_t error = 0;
    if (!Writable(path, plan, error)) return Fail(error);
    if (plan.existing != nullptr) {
        plan.existing->content += bytes;
        plan.existing->lastWrite = Stamp(plan.parent, Tick());
        plan.existing->changed = ++changes_;
    } else {
        Put(plan, bytes, AttrArchive, Tick());
    }
    return true;
}

bool FakeFileSystem::WriteFileAtomic(const std::string& path, const std::string& bytes) {
    if (!Begin(Op::Write, {&path}, true)) return false;
    CopyPlan plan;
    std::uint32_t error = 0;
    if (!Writable(path, plan, error)) return Fail(error);
    // The new file is renamed over the old one: it has a new file's bits.
    Put(plan, bytes, AttrArchive, Tick());
    return true;
}

bool FakeFileSystem::CreateNewFile(const std::string& path, const std::string& bytes) {
    // A process that dies half-way leaves the file made and empty.
    const auto madeEmpty = [&] {
        CopyPlan plan;
        std::uint32_t error = 0;
        if (Writable(path, plan, error) && plan.existing == nullptr) Put(plan, "", AttrArchive, Tick());
    };
    if (!BeginWith(Op::Write, {&path}, true, madeEmpty)) return false;
    CopyPlan plan;
    std::uint32_t error = 0;
    plan.parent = FindParent(path, plan.name, error);
    if (plan.parent == nullptr) return Fail(error);
    if (Locate(plan.parent, plan.name) != plan.parent->children.end()) return Fail(ErrFileExists);
    if (!Writable(path, plan, error)) return Fail(error);
    Put(plan, bytes, AttrArchive, Tick());
    return true;
}

bool FakeFileSystem::ReadFile(const std::string& path, std::string& bytes) {
    if (!Begin(Op::Read, {&path}, false)) return false;
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    if (node->folder) return Fail(ErrAccessDenied);
    bytes = node->content;
    return true;
}

bool FakeFileSystem::ReadPieces(const std::string& path, const std::function<bool(std::string_view)>& take) {
    std::string bytes;
    if (!ReadFile(path, bytes)) return false;
    const std::string_view all(bytes);
    for (std::size_t at = 0; at < all.size(); at += pieceLength)
        if (!take(all.substr(at, pieceLength))) return false;
    return true;
}

bool FakeFileSystem::FilesEqual(const std::string& a, const std::string& b) {
    if (!Begin(Op::Read, {&a, &b}, false)) return false;
    std::uint32_t error = 0;
    const Node* x = Find(a, error);
    if (x == nullptr) return Fail(error);
    const Node* y = Find(b, error);
    if (y == nullptr) return Fail(error);
    if (x->folder || y->folder) return Fail(ErrAccessDenied);
    return x->content == y->content;
}

bool FakeFileSystem::WriteOther(const std::string& path, const std::string& bytes) {
    std::uint32_t error = 0;
    if (PathFaulted(Op::Write, path, error)) return Fail(error);
    CopyPlan plan;
    if (!Writable(path, plan, error)) return Fail(error);
    Put(plan, bytes, plan.existing != nullptr ? plan.existing->attrs : AttrArchive, Tick());
    return true;
}

bool FakeFileSystem::ReadOther(const std::string& path, std::string& bytes) {
    std::uint32_t error = 0;
    if (PathFaulted(Op::Read, path, error)) return Fail(error);
    const Node* node = Find(path, error);
    if (node == nullptr) return Fail(error);
    if (node->folder) return Fail(ErrAccessDenied);
    bytes = node->content;
    return true;
}

// ---------------------------------------------------------------------------
// Setting up and looking

void FakeFileSystem::AddDrive(const std::string& drive) {
    const PathParts parts = SplitPath(drive);
    if (!parts.ok) {
        ADD_FAILURE() << "FakeFileSystem::AddDrive: not a drive: " << drive;
        return;
    }
    auto& root = drives_[parts.drive];
    if (root) return;
    root = std::make_unique<Node>();
    root->name = parts.drive + "\\";
    root->folder = true;
    root->attrs = AttrDirectory;
}

FakeFileSystem::Node* FakeFileSystem::EnsureFolder(const std::vector<std::string>& names, const std::string& drive,
                                                   std::size_t count, const std::string& path) {
    AddDrive(drive);
    Node* node = drives_[drive].get();
    for (std::size_t i = 0; i < count; ++i) {
        if (!ValidName(names[i])) {
            ADD_FAILURE() << "FakeFileSystem: bad name in " << path;
            return nullptr;
        }
        auto& child = node->children[Fold(names[i])];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = names[i];
            child->folder = true;
            child->attrs = AttrDirectory;
            child->parent = node;
        }
        if (!child->folder) {
            ADD_FAILURE() << "FakeFileSystem: a file stands in the way of " << path;
            return nullptr;
        }
        node = child.get();
    }
    return node;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& bytes, std::uint32_t attributes) {
    const PathParts parts = SplitPath(path);
    if (!parts.ok || parts.names.empty()) {
        ADD_FAILURE() << "FakeFileSystem::AddFile: not a file path: " << path;
        return;
    }
    Node* parent = EnsureFolder(parts.names, parts.drive, parts.names.size() - 1, path);
    if (parent == nullptr || !ValidName(parts.names.back())) {
        ADD_FAILURE() << "FakeFileSystem::AddFile: cannot make " << path;
        return;
    }
    auto& node = parent->children[Fold(parts.names.back())];
    if (node && node->folder) {
        ADD_FAILURE() << "FakeFileSystem::AddFile: a folder is there: " << path;
        return;
    }
    if (!node) {
        node = std::make_unique<Node>();
        node->name = parts.names.back();
        node->parent = parent;
    }
    node->content = bytes;
    node->attrs = attributes & ~AttrDirectory & ~AttrNormal;
    node->lastWrite = Stamp(parent, Tick());
    node->changed = ++changes_;
}

void FakeFileSystem::AddTextFile(const std::string& path, const std::vector<std::string>& lines,
                                 std::uint32_t attributes) {
    std::string bytes;
    for (const auto& line : lines) bytes += cp932::FromUtf8(line) + "\r\n";
    AddFile(path, bytes, attributes);
}

void FakeFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
    const PathParts parts = SplitPath(path);
    if (!parts.ok) {
        ADD_FAILURE() << "FakeFileSystem::AddFolder: not a full path: " << path;
        return;
    }
    Node* node = EnsureFolder(parts.names, parts.drive, parts.names.size(), path);
    if (node != nullptr && !IsRoot(node)) node->attrs = (attributes & SettableBits) | AttrDirectory;
}

void FakeFileSystem::Remove(const std::string& path) {
    std::uint32_t error = 0;
    Node* node = Find(path, error);
    if (node == nullptr || IsRoot(node)) return;
    node->parent->children.erase(Fold(node->name));
}

bool FakeFileSystem::Exists(const std::string& path) const {
    std::uint32_t error = 0;
    return Find(path, error) != nullptr;
}

bool FakeFileSystem::IsFile(const std::string& path) const {
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    return node != nullptr && !node->folder;
}

bool FakeFileSystem::IsFolder(const std::string& path) const {
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    return node != nullptr && node->folder;
}

std::string FakeFileSystem::Content(const std::string& path) const {
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    return node != nullptr && !node->folder ? node->content : std::string();
}

std::vector<std::string> FakeFileSystem::TextLines(const std::string& path) const {
    return SplitLines(Content(path));
}

std::optional<std::uint32_t> FakeFileSystem::Attributes(const std::string& path) const {
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    if (node == nullptr) return std::nullopt;
    return node->attrs;
}

std::string FakeFileSystem::StoredPath(const std::string& path) const {
    std::uint32_t error = 0;
    const Node* node = Find(path, error);
    if (node == nullptr) return {};
    std::string out;
    for (; node != nullptr; node = node->parent) {
        if (IsRoot(node)) out = node->name + out;
        else out = node->name + (out.empty() ? "" : "\\" + out);
    }
    return out;
}

namespace {

template <typename Value, typename Get>
void Walk(const FakeFileSystem::Node& node, const std::string& prefix, std::map<std::string, Value>& out, Get get) {
    for (const auto& [key, child] : node.children) {
        const std::string rel = prefix + child->name;
        if (child->folder) {
            out[rel + "\\"] = get(*child);
            Walk(*child, rel + "\\", out, get);
        } else {
            out[rel] = get(*child);
        }
    }
}

}  // namespace

std::map<std::string, std::string> FakeFileSystem::Dump(const std::string& folder) const {
    std::map<std::string, std::string> out;
    std::uint32_t error = 0;
    const Node* node = Find(folder, error);
    if (node != nullptr && node->folder)
        Walk(*node, "", out, [](const Node& n) { return n.folder ? std::string("<dir>") : n.content; });
    return out;
}

std::map<std::string, std::uint32_t> FakeFileSystem::DumpAttributes(const std::string& folder) const {
    std::map<std::string, std::uint32_t> out;
    std::uint32_t error = 0;
    const Node* node = Find(folder, error);
    if (node != nullptr && node->folder) Walk(*node, "", out, [](const Node& n) { return n.attrs; });
    return out;
}

std::vector<std::string> FakeFileSystem::Drives() {
    std::vector<std::string> drives;
    for (const auto& [drive, node] : drives_)
        if (node) drives.push_back(drive);
    return drives;
}

}  // namespace tollervy::fakes
