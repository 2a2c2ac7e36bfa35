// The benchmarks' folder trees: their options, making one of a given
// shape, counting it, the bare FindFirstFileW/CopyFileW copy every benchmark is measured
// against, and the peak working set of the process.
#pragma once
#include "win32/WinApi.h"

#include <cstdint>
#include <string>

namespace bench {

struct TreeShape {
    int files = 2000;
    int folders = 100;
    std::uint64_t bytes = 200ull << 20;
    bool small = false;  // small files: 0.5 to 4 KB each
};

struct Count {
    std::uint64_t files = 0, bytes = 0;
};

// Adds the files below `folder` and their sizes to `count`.
void CountTree(const std::wstring& folder, Count& count);

// The next number of a simple deterministic generator.
std::uint32_t Next(std::uint32_t& x);

// Ten top folders each with (folders / 10 - 1) subfolders; files spread
// over all of them in turn, sizes mixed (or small), scaled to the total.
bool MakeTree(const TreeShape& shape, const std::wstring& root);

// The bare baseline: a recursive FindFirstFileW / CopyFileW copy.
bool CopyTreeBare(const std::wstring& from, const std::wstring& to);

double PeakWorkingSetMB();

// What every benchmark's command line gives: --dir, --phase and the tree's
// shape (--files, --folders, --mb or --small).
struct Options : TreeShape {
    std::string dir;
    std::string phase;
    bool kept = false;      // --kept: the switch log and the backup, as the program's switch has them
    bool recorded = false;  // --recorded: the in-place record written through, as the program's switch does
};
bool ParseOptions(int argc, char** argv, Options& o);

// The make phase's common part: `dir` emptied and made again with the tree
// in dir\live\tree, its size printed.
bool MakeLiveTree(const Options& o, const std::wstring& dir, const std::wstring& tree);

}  // namespace bench
