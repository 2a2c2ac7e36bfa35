// Path and listing operations of the switching engine, the status line of the
// main window, and the removal of one list entry's stored copies.
//
// Paths are Windows paths with "\" as separator, compared exactly unless said
// otherwise. Lists are plain vectors: their size is the element count.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/Context.h"

namespace tollervy {

// Splits at the last "\" that is not the first character: "C:\a\b.ini" gives
// "C:\a" and "b.ini", "C:\a\" gives "C:\a" and "". A path with no such
// backslash gives an empty folder and the path (without a leading "\") as
// name. Unless `stringOnly`, a name that together with its folder names a
// directory whose attributes are exactly 16 becomes the folder:
// "C:\a" (a plain directory) gives "C:\a" and "".
void SplitPath(Context& c, const std::string& path, std::string& folder, std::string& name, bool stringOnly);

// True when the path (more than two characters) exists. On true the path is
// normalised: a directory ends with exactly one "\", a file with none.
bool CheckPathExists(Context& c, std::string& path);

// The full paths (no trailing "\") of the plain subfolders of `folder`.
// Unless `keepProgramFolder`, every entry whose path begins with the
// program's own folder (ASCII letters compared without case, as Windows
// does) or lies in the data store is left out. False, with a message, when
// `folder` is no directory or an entry cannot be told file from folder.
bool GetSubFolders(Context& c, const std::string& folder, std::vector<std::string>& list, bool keepProgramFolder);
// The bare names of the plain files of `folder` (no hidden or system file).
bool GetFolderFiles(Context& c, const std::string& folder, std::vector<std::string>& list);
// The same, only the names that match the wildcard `pattern`.
bool GetMatchingFiles(Context& c, const std::string& folder, const std::string& pattern,
                      std::vector<std::string>& list);
// `root` exactly as passed, then every subfolder with one trailing "\",
// breadth first. False without a message when root is no directory.
bool GetFolderTree(Context& c, const std::string& root, std::vector<std::string>& list, bool keepProgramFolder);

// The main window's status: the phase line (isPhase) or the file line.
// Nothing is shown when [Start] Status is "0" or no display is attached.
void ShowStatus(Context& c, const std::string& text, bool isPhase);
// The file line as the window shows it: shortened to 39 characters when
// longer than 40 (counted in characters).
std::string ShortenStatusLine(const std::string& text);

// Removes the stored copies of one [File] line from every user folder of
// the data store. False at the first copy that cannot be removed, and for a
// line that names no item.
bool PurgeEntryData(Context& c, const std::string& line);

// --- Small helpers the engine shares -------------------------------------

// The attribute query answers with the directory bit.
bool IsDirectory(Context& c, const std::string& path);
// A listing of `spec` with `filter` succeeds and yields at least one name.
bool ListingYields(Context& c, const std::string& spec, std::uint32_t filter);
// The path with its trailing backslashes replaced by exactly one.
std::string WithTrailingBackslash(const std::string& path);
// The path without trailing backslashes.
std::string WithoutTrailingBackslash(const std::string& path);
// The path in the form used to compare locations: "/" read as "\",
// repeated separators collapsed, "." and ".." segments resolved.
std::string CanonicalPath(const std::string& path);
// True when `path` begins with `prefix`, ASCII letters compared without case.
bool StartsWithPath(const std::string& path, const std::string& prefix);
// The path is the data store's root or lies anywhere inside it.
bool LiesInDataStore(Context& c, const std::string& path);
// The path lies inside a stored copy folder (Data\<user>\<key>, or deeper).
bool LiesInStoredCopy(Context& c, const std::string& path);

// A folder tree with what the walk learnt on the way: each folder's
// attributes and the index of its parent (the root has none).
struct TreeFolder {
    std::string path;            // as GetFolderTree gives it
    std::size_t parent = 0;      // index in the tree; 0 for the root itself
    std::uint32_t attributes = 0;
};
// GetFolderTree with the extra facts.
bool BuildFolderTree(Context& c, const std::string& root, bool keepProgramFolder, std::vector<TreeFolder>& tree);

// A plain file of a listing and its attributes.
struct FileEntry {
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;  // file time (100 ns units)
    std::uint64_t changed = 0;    // change time (0: none known)
};
// GetFolderFiles (pattern null) and GetMatchingFiles with the attributes.
// `extra`: more listing bits (platform::ListChangeTimes).
bool ListPlainFiles(Context& c, const std::string& folder, const std::string* pattern, std::vector<FileEntry>& files,
                    std::uint32_t extra = 0);

}  // namespace tollervy
