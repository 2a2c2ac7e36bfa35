#include "engine/Manifest.h"

#include <algorithm>

#include "engine/InPlaceRecord.h"
#include "engine/PathUtil.h"
#include "settings/Environment.h"

namespace tollervy {

namespace {

constexpr std::string_view FirstLine = "Tollervy manifest 1";
constexpr std::string_view EndWord = "end";
constexpr const char* Extension = ".manifest";
constexpr const char* InPlaceFolder = "InPlace";
constexpr std::size_t LongestTag = 64;

void AppendHex(std::string& out, std::uint64_t value, int digits) {
    static constexpr char Hex[] = "0123456789abcdef";
    for (int i = digits - 1; i >= 0; --i) out += Hex[(value >> (4 * i)) & 15];
}

// A whole decimal number, without sign or blanks, that fits.
bool ReadNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(ch - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

// Cuts the next tab-separated field off `line`.
std::string_view NextField(std::string_view& line) {
    const auto tab = line.find('\t');
    const std::string_view field = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    return field;
}

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
}

}  // namespace

bool TagSource::Append(std::string& out) {
    if (!drawn_) {
        drawn_ = true;
        unsigned char bytes[8] = {};
        if (c_.system.RandomBytes(bytes, sizeof bytes)) {
            std::uint64_t value = 0;
            for (const unsigned char b : bytes) value = (value << 8) | b;
            AppendHex(stem_, value, 16);
        }
    }
    if (stem_.empty()) return false;
    out += stem_;
    out += '.';
    AppendHex(out, next_++, 8);
    return true;
}

std::string NewTag(Context& c) {
    std::string tag;
    TagSource(c).Append(tag);
    return tag;
}

ManifestSide StoredSide(const std::string& store, const std::string& listed) {
    const std::string copy = WithoutTrailingBackslash(store);
    const auto slash = copy.rfind('\\');
    const std::string key = copy.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : copy.substr(0, slash);
    const std::string user = folder.substr(folder.rfind('\\') + 1);
    return {copy + Extension, "stored\t" + user + "\t" + key + "\t" + listed};
}

std::string InPlaceManifestPath(Context& c, const std::string& key) {
    return JoinPath(JoinPath(c.state.DataFolderPath, InPlaceFolder), key + Extension);
}

ManifestSide InPlaceSide(Context& c, const std::string& key, const std::string& listed) {
    const std::string generation = InPlaceRecord::DiskGeneration(c);
    ManifestSide side{InPlaceManifestPath(c, key), {}};
    if (!generation.empty() && !HasControl(generation))
        side.identity = "in place\t" + generation + "\t" + key + "\t" + listed;
    return side;
}

bool Manifest::Load(Context& c, const ManifestSide& side) {
    text_.clear();
    records_.clear();
    if (side.identity.empty()) return false;
    std::string bytes;
    if (!c.fs.ReadFile(side.path, bytes)) return false;
    return Parse(std::move(bytes), side.identity);
}

bool Manifest::Parse(std::string text, const std::string& identity) {
    text_ = std::move(text);
    records_.clear();
    // One record a line: held at once, with no room to spare.
    records_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')));
    const auto fail = [&] {
        text_.clear();
        records_.clear();
        return false;
    };
    // Paths and tags are kept as places in the text: it must fit them.
    if (identity.empty() || text_.size() > UINT32_MAX) return fail();
    std::size_t at = 0;
    const auto nextLine = [&](std::string_view& line) {
        const auto end = text_.find("\r\n", at);
        if (end == std::string::npos) return false;
        line = std::string_view(text_).substr(at, end - at);
        at = end + 2;
        return true;
    };
    std::string_view line;
    if (!nextLine(line) || line != FirstLine) return fail();
    if (!nextLine(line) || line != identity) return fail();
    for (;;) {
        if (!nextLine(line)) return fail();  // cut short: no end line
        std::string_view rest = line;
        const std::string_view first = NextField(rest);
        if (first == EndWord) {
            std::uint64_t count = 0;
            if (!ReadNumber(rest, count) || count != records_.size() || at != text_.size()) return fail();
            break;
        }
        Record r;
        std::uint64_t attributes = 0;
        if (!ReadNumber(first, r.size) || !ReadNumber(NextField(rest), r.lastWrite) ||
            !ReadNumber(NextField(rest), r.changed) || !ReadNumber(NextField(rest), attributes) ||
            attributes > UINT32_MAX)
            return fail();
        r.attributes = static_cast<std::uint32_t>(attributes);
        const std::string_view tag = NextField(rest);
        const std::string_view relative = rest;  // the rest of the line: a path holds no tab
        if (tag.empty() || tag.size() > LongestTag || relative.empty() || HasControl(relative)) return fail();
        r.tagAt = static_cast<std::uint32_t>(tag.data() - text_.data());
        r.tagLength = static_cast<std::uint32_t>(tag.size());
        r.pathAt = static_cast<std::uint32_t>(relative.data() - text_.data());
        r.pathLength = static_cast<std::uint32_t>(relative.size());
        records_.push_back(r);
    }
    // Only tags and paths are looked up again: keep those, not the file.
    std::size_t kept = 0;
    for (const Record& r : records_) kept += r.tagLength + r.pathLength;
    std::string packed;
    packed.reserve(kept);
    for (Record& r : records_) {
        const std::uint32_t tagAt = static_cast<std::uint32_t>(packed.size());
        packed.append(text_, r.tagAt, r.tagLength);
        r.tagAt = tagAt;
        const std::uint32_t pathAt = static_cast<std::uint32_t>(packed.size());
        packed.append(text_, r.pathAt, r.pathLength);
        r.pathAt = pathAt;
    }
    text_ = std::move(packed);
    std::sort(records_.begin(), records_.end(),
              [&](const Record& a, const Record& b) { return Relative(a) < Relative(b); });
    // A path listed twice cannot say which bytes it has.
    for (std::size_t i = 1; i < records_.size(); ++i)
        if (Relative(records_[i - 1]) == Relative(records_[i])) return fail();
    return true;
}

std::string_view Manifest::Relative(const Record& r) const {
    return std::string_view(text_).substr(r.pathAt, r.pathLength);
}

std::string_view Manifest::Relative(std::size_t record) const { return Relative(records_[record]); }

std::string_view Manifest::Tag(std::size_t record) const {
    const Record& r = records_[record];
    return std::string_view(text_).substr(r.tagAt, r.tagLength);
}

std::size_t Manifest::Find(std::string_view relative, std::uint64_t size, std::uint64_t lastWrite,
                           std::uint32_t attributes) const {
    const auto it = std::lower_bound(records_.begin(), records_.end(), relative,
                                     [&](const Record& r, std::string_view p) { return Relative(r) < p; });
    if (it == records_.end() || Relative(*it) != relative) return None;
    if (it->size != size || it->lastWrite != lastWrite || it->attributes != attributes) return None;
    return static_cast<std::size_t>(it - records_.begin());
}

namespace {
// Lines are written in pieces of about this size.
constexpr std::size_t WritePiece = 64 * 1024;
}  // namespace

ManifestWriter::ManifestWriter(Context& c, const ManifestSide& side) : c_(c), side_(side) {
    lines_.append(FirstLine).append("\r\n").append(side.identity).append("\r\n");
}

void ManifestWriter::Add(std::string_view relative, std::uint64_t size, std::uint64_t lastWrite,
                         std::uint64_t changed, std::uint32_t attributes, std::string_view tag) {
    if (tag.empty() || relative.empty() || side_.identity.empty()) return;
    lines_.append(std::to_string(size)).append("\t").append(std::to_string(lastWrite)).append("\t");
    lines_.append(std::to_string(changed)).append("\t");
    lines_.append(std::to_string(attributes)).append("\t").append(tag).append("\t").append(relative).append("\r\n");
    ++count_;
    if (lines_.size() >= WritePiece) Flush();
}

bool ManifestWriter::Flush() {
    if (!failed_ && !file_) {
        // The in-place manifests have a folder of their own.
        const std::string folder = side_.path.substr(0, side_.path.rfind('\\'));
        if (!IsDirectory(c_, folder)) c_.fs.CreateFolder(folder);
        file_ = c_.fs.BeginAtomic(side_.path);
        failed_ = !file_;
    }
    failed_ = failed_ || !file_->Write(lines_);
    lines_.clear();
    return !failed_;
}

bool ManifestWriter::Finish() {
    if (side_.identity.empty() || count_ == 0) {
        file_.reset();
        std::uint32_t attributes = 0;
        if (!c_.fs.GetAttributes(side_.path, attributes)) return true;  // none there
        return c_.fs.DeleteFile(side_.path);
    }
    lines_.append(EndWord).append("\t").append(std::to_string(count_)).append("\r\n");
    if (!Flush() || !file_->Commit()) {
        file_.reset();
        return false;
    }
    file_.reset();
    return true;
}

}  // namespace tollervy
