// A manifest of the data store (Data\<user>\<key>.manifest beside a stored
// copy, Data\InPlace\<key>.manifest for what is in place), as a crash, a
// full disk, another version or a hand may have left it, loaded for both
// sides. What the format says is checked apart from the reader: a text that
// breaks it is not believed at all; one in the writer's own form is; what is
// believed is exactly its lines, written again it reads back the same, and
// Find never vouches for a file whose size, time or attributes differ.
#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <string_view>

#include "FuzzSupport.h"
#include "engine/InPlaceRecord.h"
#include "engine/Manifest.h"
#include "settings/Environment.h"

using namespace tollervy;

namespace {

struct Line {
    std::uint64_t size = 0, lastWrite = 0, changed = 0;
    std::uint32_t attributes = 0;
    std::string tag;
};

enum class Form {
    Broken,     // must not be believed
    Writers,    // as the program writes it: must be believed
    Tolerated,  // well-formed, written otherwise (leading zeros, odd tags): either
};

struct Reading {
    Form form = Form::Writers;
    std::map<std::string, Line> lines;  // by relative path
};

// A decimal field no larger than `max`. Leading zeros are tolerated.
std::optional<std::uint64_t> Number(std::string_view s, std::uint64_t max, Form& form) {
    std::uint64_t v = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || v > max) return std::nullopt;
    if (s.size() > 1 && s[0] == '0') form = Form::Tolerated;
    return v;
}

std::vector<std::string_view> Split(std::string_view s, std::string_view by) {
    std::vector<std::string_view> parts;
    for (std::size_t at = 0;;) {
        const auto next = s.find(by, at);
        parts.push_back(s.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos) return parts;
        at = next + by.size();
    }
}

// The format of engine/Manifest.h, read line by line.
Reading Read(std::string_view text, const std::string& identity) {
    Reading r;
    const auto broken = [&] {
        r.form = Form::Broken;
        r.lines.clear();
        return r;
    };
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return broken();
    const auto lines = Split(text.substr(0, text.size() - 2), "\r\n");
    if (lines.size() < 3 || lines[0] != "Tollervy manifest 1" || lines[1] != identity) return broken();
    for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
        const auto fields = Split(lines[i], "\t");
        if (fields.size() != 6) return broken();
        Line line;
        const auto size = Number(fields[0], UINT64_MAX, r.form);
        const auto time = Number(fields[1], UINT64_MAX, r.form);
        const auto changed = Number(fields[2], UINT64_MAX, r.form);
        const auto attributes = Number(fields[3], UINT32_MAX, r.form);
        const std::string_view tag = fields[4], path = fields[5];
        if (!size || !time || !changed || !attributes || tag.empty() || path.empty()) return broken();
        if (std::any_of(path.begin(), path.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20; }))
            return broken();
        const bool plainTag = tag.size() <= 64 && std::all_of(tag.begin(), tag.end(), [](char ch) {
                                  return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || ch == '.';
                              });
        if (!plainTag) r.form = Form::Tolerated;
        line = Line{*size, *time, *changed, static_cast<std::uint32_t>(*attributes), std::string(tag)};
        if (!r.lines.emplace(std::string(path), line).second) return broken();  // a path listed twice
    }
    const auto end = Split(lines.back(), "\t");
    if (end.size() != 2 || end[0] != "end" || Number(end[1], UINT64_MAX, r.form) != r.lines.size()) return broken();
    return r;
}

// Exactly the lines of `r`, found by their own size, time and attributes
// only, in the order of their paths.
void CheckSame(const Manifest& m, const Reading& r) {
    fuzz::Check(m.Count() == r.lines.size(), "a believed manifest holds another number of files");
    std::size_t i = 0;
    for (const auto& [path, line] : r.lines) {
        fuzz::Check(m.Relative(i) == path, "the files are not in the order of their paths");
        fuzz::Check(m.Find(path, line.size, line.lastWrite, line.attributes) == i, "a listed file is not found");
        fuzz::Check(m.Tag(i) == line.tag, "a file has another tag");
        fuzz::Check(m.Changed(i) == line.changed, "a file has another change time");
        for (const std::uint64_t d : {1ull, 2ull, ~0ull}) {
            fuzz::Check(m.Find(path, line.size + d, line.lastWrite, line.attributes) == Manifest::None &&
                            m.Find(path, line.size, line.lastWrite + d, line.attributes) == Manifest::None &&
                            m.Find(path, line.size, line.lastWrite, line.attributes ^ static_cast<std::uint32_t>(d)) ==
                                Manifest::None,
                        "Find vouches for another size, time or attributes");
        }
        if (!r.lines.count(path + "x"))
            fuzz::Check(m.Find(path + "x", line.size, line.lastWrite, line.attributes) == Manifest::None,
                        "Find vouches for an unlisted path");
        ++i;
    }
}

void CheckSide(fakes::FakePlatform& p, const ManifestSide& side, const std::string& bytes) {
    Context& c = p.context;
    p.fs.AddFile(side.path, bytes);
    const Reading r = Read(bytes, side.identity);
    Manifest m;
    const bool believed = m.Load(c, side);
    if (r.form == Form::Broken) fuzz::Check(!believed, "a manifest out of form was believed");
    if (r.form == Form::Writers) fuzz::Check(believed, "a manifest in the writer's form was not believed");
    if (!believed) {
        fuzz::Check(m.Count() == 0, "an unbelieved manifest lists files");
        return;
    }
    CheckSame(m, r);

    // Written again, record by record, it reads back the same.
    ManifestWriter writer(c, side);
    for (std::size_t i = 0; i < m.Count(); ++i) {
        const Line& line = r.lines.at(std::string(m.Relative(i)));
        writer.Add(m.Relative(i), line.size, line.lastWrite, line.changed, line.attributes, m.Tag(i));
    }
    fuzz::Check(writer.Finish(), "the manifest could not be written again");
    Manifest again;
    const bool reread = again.Load(c, side);
    if (r.lines.empty()) {
        fuzz::Check(!reread, "an empty list left a manifest behind");  // nothing to list: removed
        return;
    }
    fuzz::Check(reread, "a written manifest is not believed");
    CheckSame(again, r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform p;
    Context& c = p.context;
    const std::string bytes = fuzz::Bytes(data, size);
    const std::string listed = "C:\\Users\\葵\\書類\\";
    p.fs.AddFile(InPlaceRecord::Path(c), "; record\r\n; manifests 5d41402abc4b2a76.00000000\r\nF1=Aoi\r\n");

    const ManifestSide stored = StoredSide(JoinPath(JoinPath(p.DataPath(), "Aoi"), "F1"), listed);
    const ManifestSide inPlace = InPlaceSide(c, "F1", listed);
    fuzz::Check(stored.identity == "stored\tAoi\tF1\t" + listed, "the stored side's identity");
    fuzz::Check(inPlace.identity == "in place\t5d41402abc4b2a76.00000000\tF1\t" + listed, "the in-place identity");
    CheckSide(p, stored, bytes);
    CheckSide(p, inPlace, bytes);
    return 0;
}
