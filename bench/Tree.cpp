#include "Tree.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "wine/Scratch.h"

namespace bench {

void CountTree(const std::wstring& folder, Count& count) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CountTree(folder + L"\\" + name, count);
        } else {
            ++count.files;
            count.bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

std::uint32_t Next(std::uint32_t& x) {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
}

bool MakeTree(const TreeShape& o, const std::wstring& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    std::vector<std::wstring> folders;
    const int top = std::max(1, std::min(10, o.folders));
    const int subPerTop = std::max(0, o.folders / top - 1);
    for (int t = 0; t < top; ++t) {
        const std::wstring f = root + L"\\top" + std::to_wstring(t);
        CreateDirectoryW(f.c_str(), nullptr);
        folders.push_back(f);
        for (int s = 0; s < subPerTop; ++s) {
            const std::wstring g = f + L"\\sub" + std::to_wstring(s);
            CreateDirectoryW(g.c_str(), nullptr);
            folders.push_back(g);
        }
    }
    std::uint32_t seed = 12345;
    std::vector<std::uint64_t> sizes(o.files);
    double sum = 0;
    for (auto& s : sizes) {
        const double r = (Next(seed) % 1000) / 1000.0;
        if (o.small) s = 512 + Next(seed) % (4096 - 512);
        else if (r < 0.6) s = 2048 + Next(seed) % (30 << 10);
        else if (r < 0.9) s = (64 << 10) + Next(seed) % (448 << 10);
        else s = (1 << 20) + Next(seed) % (3 << 20);
        sum += static_cast<double>(s);
    }
    if (!o.small) {
        const double scale = static_cast<double>(o.bytes) / sum;
        for (auto& s : sizes) s = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(static_cast<double>(s) * scale));
    }
    std::vector<char> noise(8 << 20);
    for (auto& ch : noise) ch = static_cast<char>(Next(seed));
    for (int i = 0; i < o.files; ++i) {
        const std::wstring path = folders[i % folders.size()] + L"\\file" + std::to_wstring(i) + L".dat";
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        std::uint64_t left = sizes[i];
        std::size_t offset = (static_cast<std::size_t>(i) * 4099) % (noise.size() / 2);
        while (left > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>(left, noise.size() / 2));
            DWORD written = 0;
            if (!WriteFile(h, noise.data() + offset, chunk, &written, nullptr)) {
                CloseHandle(h);
                return false;
            }
            left -= written;
        }
        CloseHandle(h);
    }
    return true;
}

bool CopyTreeBare(const std::wstring& from, const std::wstring& to) {
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ok = CopyTreeBare(from + L"\\" + name, to + L"\\" + name) && ok;
        else ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return ok;
}

double PeakWorkingSetMB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--dir") o.dir = value();
        else if (a == "--phase") o.phase = value();
        else if (a == "--files") o.files = std::atoi(value());
        else if (a == "--folders") o.folders = std::atoi(value());
        else if (a == "--mb") o.bytes = static_cast<std::uint64_t>(std::atoll(value())) << 20;
        else if (a == "--small") o.small = true;
        else if (a == "--kept") o.kept = true;
        else if (a == "--recorded") o.recorded = true;
        else return false;
    }
    return !o.dir.empty() && !o.phase.empty() && o.files > 0 && o.folders > 0;
}

bool MakeLiveTree(const Options& o, const std::wstring& dir, const std::wstring& tree) {
    tollervy::scratch::RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW((dir + L"\\live").c_str(), nullptr);
    if (!MakeTree(o, tree)) {
        std::fprintf(stderr, "cannot make the tree (error %lu)\n", GetLastError());
        return false;
    }
    Count made;
    CountTree(tree, made);
    std::printf("tree: %llu files in %d folders, %.1f MB\n", static_cast<unsigned long long>(made.files),
                o.folders, static_cast<double>(made.bytes) / (1 << 20));
    return true;
}

}  // namespace bench
