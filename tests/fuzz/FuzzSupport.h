// What the fuzz targets share: a check that stops the run (libFuzzer reports
// an abort as a crash, with the input that caused it), and the fakes set up
// to answer every message box.
//
// A target is one source file, <Name>Fuzz.cpp, defining
// LLVMFuzzerTestOneInput, plus its name in tests/fuzz/targets and a few seed
// files in tests/fuzz/seeds/<Name>/.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fakes/FakePlatform.h"

namespace tollervy::fuzz {

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline std::string Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Every message box the run may show is answered with `answer` (the program
// shows only a few; the queue is cleared before the fakes go).
struct AnsweredMessages {
    fakes::FakeMessages& messages;
    AnsweredMessages(fakes::FakeMessages& m, int answer) : messages(m) {
        for (int i = 0; i < 64; ++i) messages.Expect(answer);
    }
    ~AnsweredMessages() { messages.Clear(); }
};

// A path on drive C: as FakeFileSystem::Dump("C:\\") names it: relative to
// the root, "/" read as "\\", empty and "." parts dropped, ".." resolved,
// no trailing backslash. "" for a path on another drive or none at all.
inline std::string OnDriveC(const std::string& path) {
    if (path.size() < 2 || (path[0] != 'C' && path[0] != 'c') || path[1] != ':') return {};
    std::vector<std::string> parts;
    std::string part;
    const auto flush = [&] {
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (std::size_t i = 2; i < path.size(); ++i) {
        if (path[i] == '\\' || path[i] == '/') flush();
        else part += path[i];
    }
    flush();
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : "\\") + p;
    return out;
}

inline bool SameAsciiNoCase(char a, char b) {
    const auto up = [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; };
    return up(a) == up(b);
}

// `path` is `folder` itself or lies under it (both as OnDriveC gives them).
inline bool IsAtOrUnder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() < folder.size()) return false;
    for (std::size_t i = 0; i < folder.size(); ++i)
        if (!SameAsciiNoCase(path[i], folder[i])) return false;
    return path.size() == folder.size() || path[folder.size()] == '\\';
}

// The first file (not folder) of `after` that is new or changed since
// `before` and lies outside every one of `allowed` (as OnDriveC gives
// them); "" when there is none.
inline std::string WrittenOutside(const std::map<std::string, std::string>& before,
                                  const std::map<std::string, std::string>& after,
                                  const std::vector<std::string>& allowed) {
    for (const auto& [path, content] : after) {
        if (!path.empty() && path.back() == '\\') continue;
        const auto old = before.find(path);
        if (old != before.end() && old->second == content) continue;
        bool inside = false;
        for (const auto& folder : allowed) inside = inside || IsAtOrUnder(path, folder);
        if (!inside) return path;
    }
    return {};
}

}  // namespace tollervy::fuzz
