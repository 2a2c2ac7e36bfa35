#include "engine/PathUtil.h"

#include "engine/Manifest.h"

#include "engine/EngineText.h"
#include "engine/FileOps.h"
#include "engine/SharedStore.h"
#include "engine/StoreNames.h"
#include "platform/Text.h"
#include "settings/Environment.h"

namespace tollervy {

using platform::AttrDirectory;
using platform::ListAll;
using platform::ListFiles;
using platform::ListFolders;

namespace {

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

char AsciiUpper(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

void SplitPathString(const std::string& path, std::string& folder, std::string& name) {
    // A backslash in the first place does not split (a path such as "\name").
    const auto pos = path.rfind('\\');
    if (pos == std::string::npos || pos == 0) {
        folder.clear();
        name = pos == 0 ? path.substr(1) : path;
        return;
    }
    folder = path.substr(0, pos);
    name = path.substr(pos + 1);
}

// The plain subfolders of a folder with their attributes (see GetSubFolders).
bool ListSubFolders(Context& c, const std::string& folder, bool keepProgramFolder,
                    std::vector<std::pair<std::string, std::uint32_t>>& out) {
    out.clear();
    if (!IsDirectory(c, folder)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    const std::string base = folder.back() == '\\' ? folder : folder + "\\";
    std::vector<platform::FileSystem::Entry> entries;
    if (!c.fs.ListEntries(base, ListFolders, entries)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    const std::string programFolder = CanonicalPath(c.system.ProgramFolder());
    for (const auto& entry : entries) {
        if (IsDotEntry(entry.name) || (entry.attributes & AttrDirectory) == 0) continue;
        const std::string full = base + entry.name;
        if (!keepProgramFolder) {
            // A plain prefix test: the program's folder, everything under it
            // and any sibling whose name begins the same way.
            if (!programFolder.empty() && StartsWithPath(CanonicalPath(full), programFolder)) continue;
            if (LiesInDataStore(c, full)) continue;
        }
        out.emplace_back(full, entry.attributes);
    }
    return true;
}

}  // namespace

// --- Small helpers -------------------------------------------------------

bool IsDirectory(Context& c, const std::string& path) {
    std::uint32_t attributes = 0;
    return c.fs.GetAttributes(path, attributes) && (attributes & AttrDirectory) != 0;
}

bool ListingYields(Context& c, const std::string& spec, std::uint32_t filter) {
    std::vector<std::string> names;
    return c.fs.List(spec, filter, names) && !names.empty();
}

std::string WithoutTrailingBackslash(const std::string& path) {
    std::string p = path;
    while (!p.empty() && p.back() == '\\') p.pop_back();
    return p;
}

std::string WithTrailingBackslash(const std::string& path) {
    return WithoutTrailingBackslash(path) + "\\";
}

std::string CanonicalPath(const std::string& path) {
    std::string p = path;
    for (auto& ch : p)
        if (ch == '/') ch = '\\';
    std::string prefix;
    std::size_t i = 0;
    if (p.rfind("\\\\", 0) == 0) {
        prefix = "\\\\";
        i = 2;
    } else if (!p.empty() && p[0] == '\\') {
        prefix = "\\";
        i = 1;
    }
    std::vector<std::string> parts;
    while (i < p.size()) {
        std::size_t j = p.find('\\', i);
        if (j == std::string::npos) j = p.size();
        std::string segment = p.substr(i, j - i);
        i = j + 1;
        if (segment.empty() || segment == ".") continue;
        if (segment == "..") {
            const bool atDrive = parts.size() == 1 && parts[0].size() == 2 && parts[0][1] == ':';
            if (!parts.empty() && !atDrive) parts.pop_back();
            continue;
        }
        // Windows drops trailing dots and blanks of a name.
        while (segment.size() > 1 && (segment.back() == '.' || segment.back() == ' ')) segment.pop_back();
        parts.push_back(segment);
    }
    std::string out = prefix;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (k > 0) out += '\\';
        out += parts[k];
    }
    return out;
}

bool StartsWithPath(const std::string& path, const std::string& prefix) {
    if (prefix.size() > path.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiUpper(path[i]) != AsciiUpper(prefix[i])) return false;
    return true;
}

namespace {
bool LiesIn(const std::string& folder, const std::string& path) {
    const std::string root = CanonicalPath(folder);
    if (root.empty()) return false;
    const std::string p = CanonicalPath(path);
    return (p.size() == root.size() && StartsWithPath(p, root)) || StartsWithPath(p, root + "\\");
}

bool LiesInStoredCopyOf(const std::string& folder, const std::string& path) {
    const std::string root = CanonicalPath(folder);
    if (root.empty()) return false;
    const std::string p = CanonicalPath(path);
    const std::string prefix = root + "\\";
    if (!StartsWithPath(p, prefix)) return false;
    const std::string rest = p.substr(prefix.size());  // user\key...
    const auto slash = rest.find('\\');
    return slash != std::string::npos && slash > 0 && slash + 1 < rest.size();
}
}  // namespace

// The PC's own data store, and the shared store where one is set.
bool LiesInDataStore(Context& c, const std::string& path) {
    return LiesIn(c.state.DataFolderPath, path) || (UsesSharedStore(c) && LiesIn(PeopleFolder(c), path));
}

bool LiesInStoredCopy(Context& c, const std::string& path) {
    return LiesInStoredCopyOf(c.state.DataFolderPath, path) ||
           (UsesSharedStore(c) && LiesInStoredCopyOf(PeopleFolder(c), path));
}

// --- Path operations -----------------------------------------------------

void SplitPath(Context& c, const std::string& path, std::string& folder, std::string& name, bool stringOnly) {
    SplitPathString(path, folder, name);
    if (stringOnly || name.empty()) return;
    std::uint32_t attributes = 0;
    if (c.fs.GetAttributes(JoinPath(folder, name), attributes) && attributes == AttrDirectory) {
        folder = folder + "\\" + name;
        name.clear();
    }
}

bool CheckPathExists(Context& c, std::string& path) {
    if (text::Length(path) <= 2) return false;
    std::string stripped = path;
    if (stripped.back() == '\\') stripped.pop_back();
    if (!ListingYields(c, stripped, ListAll)) return false;
    path = IsDirectory(c, stripped) ? stripped + "\\" : stripped;
    return true;
}

bool GetSubFolders(Context& c, const std::string& folder, std::vector<std::string>& list, bool keepProgramFolder) {
    list.clear();
    std::vector<std::pair<std::string, std::uint32_t>> found;
    if (!ListSubFolders(c, folder, keepProgramFolder, found)) return false;
    for (auto& f : found) list.push_back(std::move(f.first));
    return true;
}

bool ListPlainFiles(Context& c, const std::string& folder, const std::string* pattern, std::vector<FileEntry>& files,
                    std::uint32_t extra) {
    files.clear();
    if (!IsDirectory(c, folder)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    const std::string base = folder.empty() || folder.back() != '\\' ? folder + "\\" : folder;
    std::vector<platform::FileSystem::Entry> entries;
    if (!c.fs.ListEntries(pattern ? base + *pattern : base, ListFiles | extra, entries)) {
        ShowMessage(c, engine_text::FileSettingWrong, StyleStop);
        return false;
    }
    for (auto& entry : entries) {
        if (IsDotEntry(entry.name) || (entry.attributes & AttrDirectory) != 0) continue;
        files.push_back({std::move(entry.name), entry.attributes, entry.size, entry.lastWrite, entry.changed});
    }
    return true;
}

namespace {
bool Names(bool ok, const std::vector<FileEntry>& files, std::vector<std::string>& list) {
    list.clear();
    for (const auto& f : files) list.push_back(f.name);
    return ok;
}
}  // namespace

bool GetFolderFiles(Context& c, const std::string& folder, std::vector<std::string>& list) {
    std::vector<FileEntry> files;
    return Names(ListPlainFiles(c, folder, nullptr, files), files, list);
}

bool GetMatchingFiles(Context& c, const std::string& folder, const std::string& pattern,
                      std::vector<std::string>& list) {
    std::vector<FileEntry> files;
    return Names(ListPlainFiles(c, folder, &pattern, files), files, list);
}

bool BuildFolderTree(Context& c, const std::string& root, bool keepProgramFolder, std::vector<TreeFolder>& tree) {
    tree.clear();
    std::uint32_t rootAttributes = 0;
    if (!c.fs.GetAttributes(root, rootAttributes) || (rootAttributes & AttrDirectory) == 0) return false;
    tree.push_back({root, 0, rootAttributes});
    for (std::size_t i = 0; i < tree.size(); ++i) {
        std::vector<std::pair<std::string, std::uint32_t>> sub;
        const std::string current = tree[i].path;
        if (!ListSubFolders(c, current, keepProgramFolder, sub)) {
            tree.clear();
            return false;
        }
        for (auto& s : sub) tree.push_back({s.first + "\\", i, s.second});
    }
    return true;
}

bool GetFolderTree(Context& c, const std::string& root, std::vector<std::string>& list, bool keepProgramFolder) {
    list.clear();
    std::vector<TreeFolder> tree;
    if (!BuildFolderTree(c, root, keepProgramFolder, tree)) return false;
    for (auto& f : tree) list.push_back(std::move(f.path));
    return true;
}

// --- Status line ---------------------------------------------------------

std::string ShortenStatusLine(const std::string& line) {
    if (text::Length(line) <= 40) return line;
    std::string folder, name;
    SplitPathString(line, folder, name);
    const std::size_t nameLength = text::Length(name);
    // No room for any of the folder: the name alone.
    if (nameLength + 5 > 40) return name;
    return text::Left(line, 40 - (nameLength + 5)) + "...\\" + name;
}

void ShowStatus(Context& c, const std::string& line, bool isPhase) {
    if (c.state.StartStatus == "0" || c.status == nullptr) return;
    if (isPhase) {
        c.status->SetPhaseText(line);
        return;
    }
    c.status->SetDetailText(line);
    c.status->MakeVisible();
    c.status->Repaint();
}

// --- Removing a list entry's stored copies -------------------------------

bool PurgeEntryData(Context& c, const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = line.substr(0, eq);
    if (!IsStoreKeyName(key)) return false;

    const std::string root = WithTrailingBackslash(PeopleFolder(c));
    std::vector<std::string> names;
    if (!c.fs.List(root, ListFolders, names)) {
        // No data store: nothing to remove. A store that exists but cannot
        // be listed may still hold copies.
        std::uint32_t attributes = 0;
        return !c.fs.GetAttributes(WithoutTrailingBackslash(root), attributes);
    }
    std::vector<std::string> userFolders;
    for (const auto& entry : names) {
        if (IsDotEntry(entry)) continue;
        std::uint32_t attributes = 0;
        if (!c.fs.GetAttributes(root + entry, attributes)) return false;
        if (attributes & AttrDirectory) userFolders.push_back(root + entry);
    }
    // The manifests go with the copies (one left behind describes files that
    // are gone, and is not believed for another path).
    const auto dropManifest = [&](const std::string& manifest) {
        std::uint32_t attributes = 0;
        if (c.fs.GetAttributes(manifest, attributes)) c.fs.DeleteFile(manifest);
    };
    dropManifest(InPlaceManifestPath(c, key));
    for (const auto& userFolder : userFolders) {
        const std::string store = JoinPath(userFolder, key);
        dropManifest(StoredSide(store, "").path);
        std::uint32_t attributes = 0;
        if (!ListingYields(c, store, ListFolders) && !c.fs.GetAttributes(store, attributes)) continue;
        if (!ClearPath(c, store, "")) return false;
        if (!DeleteFolderForce(c, store)) return false;
    }
    return true;
}

}  // namespace tollervy
