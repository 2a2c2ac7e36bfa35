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

// Takes a manifest line by line as its pieces come.
class Manifest::Reader {
public:
    // A reader that only counts (`m` null) finds the room a filling one needs.
    Reader(Manifest* m, const std::string& identity) : m_(m), identity_(identity) {}
    std::size_t Records() const { return records_; }
    std::size_t NameBytes() const { return nameBytes_; }

    bool Take(std::string_view piece) {
        while (!piece.empty()) {
            const auto end = piece.find('\n');
            if (end == std::string_view::npos) {
                // Part of a line: kept until its end comes. No line of a
                // manifest is this long.
                if (carried_.size() + piece.size() > LongestLine) return false;
                carried_.append(piece);
                return true;
            }
            bool ok = false;
            if (carried_.empty()) {
                ok = Line(piece.substr(0, end + 1));
            } else {
                carried_.append(piece.substr(0, end + 1));
                ok = Line(carried_);
                carried_.clear();
            }
            if (!ok) return false;
            piece.remove_prefix(end + 1);
        }
        return true;
    }
    // The whole manifest was read: it ended where its end line says.
    bool Ended() const { return stage_ == Stage::Ended && carried_.empty(); }

private:
    static constexpr std::size_t LongestLine = 1 << 17;
    enum class Stage { First, Identity, Records, Ended };

    // One line with its "\n".
    bool Line(std::string_view line) {
        if (line.size() < 2 || line[line.size() - 2] != '\r') return false;
        line.remove_suffix(2);
        switch (stage_) {
        case Stage::First:
            stage_ = Stage::Identity;
            return line == FirstLine;
        case Stage::Identity:
            stage_ = Stage::Records;
            return line == identity_;
        case Stage::Records:
            return FileLine(line);
        case Stage::Ended:
            return false;  // nothing after the end line
        }
        return false;
    }

    bool FileLine(std::string_view line) {
        std::string_view rest = line;
        const std::string_view first = NextField(rest);
        if (first == EndWord) {
            std::uint64_t count = 0;
            stage_ = Stage::Ended;
            return ReadNumber(rest, count) && count == records_;
        }
        Manifest::Record r;
        std::uint64_t attributes = 0;
        if (!ReadNumber(first, r.size) || !ReadNumber(NextField(rest), r.lastWrite) ||
            !ReadNumber(NextField(rest), r.changed) || !ReadNumber(NextField(rest), attributes) ||
            attributes > UINT32_MAX)
            return false;
        r.attributes = static_cast<std::uint32_t>(attributes);
        const std::string_view tag = NextField(rest);
        const std::string_view relative = rest;  // the rest of the line: a path holds no tab
        if (tag.empty() || tag.size() > LongestTag || HasControl(tag) || relative.empty() || HasControl(relative))
            return false;
        // Places in the names are 32 bits.
        if (nameBytes_ + tag.size() + relative.size() + 2 > UINT32_MAX) return false;
        r.at = static_cast<std::uint32_t>(nameBytes_);
        nameBytes_ += tag.size() + relative.size() + 2;
        ++records_;
        if (m_ == nullptr) return true;
        m_->names_.append(tag).append(1, '\0').append(relative).append(1, '\0');
        m_->records_.push_back(r);
        return true;
    }

    Manifest* m_;
    const std::string& identity_;
    std::size_t records_ = 0, nameBytes_ = 0;
    Stage stage_ = Stage::First;
    std::string carried_;
};

bool Manifest::Forget() {
    names_ = std::string();
    records_ = std::vector<Record>();
    return false;
}

bool Manifest::Load(Context& c, const ManifestSide& side) {
    Forget();
    if (side.identity.empty()) return false;
    // Read twice: first counted, then kept in room of exactly that size, held
    // for the whole switch of the item (grown as it is read, it would take up
    // to three times that on the way). The second reading checks all again.
    const auto read = [&](Reader& reader) {
        return c.fs.ReadPieces(side.path, [&](std::string_view piece) { return reader.Take(piece); }) &&
               reader.Ended();
    };
    Reader counter(nullptr, side.identity);
    if (!read(counter)) return Forget();
    names_.reserve(counter.NameBytes());
    records_.reserve(counter.Records());
    Reader reader(this, side.identity);
    if (!read(reader)) return Forget();
    std::sort(records_.begin(), records_.end(),
              [&](const Record& a, const Record& b) { return Relative(a) < Relative(b); });
    // A path listed twice cannot say which bytes it has.
    for (std::size_t i = 1; i < records_.size(); ++i)
        if (Relative(records_[i - 1]) == Relative(records_[i])) return Forget();
    return true;
}

std::string_view Manifest::Tag(const Record& r) const { return std::string_view(names_.data() + r.at); }

std::string_view Manifest::Relative(const Record& r) const {
    const char* tag = names_.data() + r.at;
    return std::string_view(tag + std::char_traits<char>::length(tag) + 1);
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
        // A manifest lost or cut short in a power failure is not believed
        // (it then costs copies, never a wrong file): it need not wait for
        // the disk.
        file_ = c_.fs.BeginAtomic(side_.path, platform::FileSystem::Flush::Lazily);
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
