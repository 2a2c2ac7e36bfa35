#include "engine/RegFile.h"

#include <cstdint>
#include <map>
#include <set>

namespace tollervy::regfile {

namespace {

constexpr char16_t Bom = 0xFEFF;
constexpr const char* Header = "Windows Registry Editor Version 5.00";
constexpr std::size_t WrapAt = 76;  // a hex line goes on on the next one past this width

std::u16string U16(const std::string& utf8) {
    const std::string bytes = Utf16Bytes(utf8);
    std::u16string s(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return s;
}

char16_t Fold(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch; }
std::u16string Folded(std::u16string s) {
    for (auto& ch : s) ch = Fold(ch);
    return s;
}

void Hex(std::u16string& out, std::uint64_t v, int digits) {
    static const char16_t* const d = u"0123456789abcdef";
    for (int i = digits - 1; i >= 0; --i) out += d[(v >> (4 * i)) & 15];
}

void Escaped(std::u16string& out, const std::u16string& s) {
    for (const char16_t ch : s) {
        if (ch == u'\\' || ch == u'"') out += u'\\';
        if (ch == u'\n') out += u"\\n";
        else if (ch == u'\r') out += u"\\r";
        else if (ch == 0) out += u"\\0";
        else out += ch;
    }
}

// A REG_SZ whose bytes the quoted form gives back exactly: whole UTF-16
// units, one terminating zero and no other, no line break.
bool Quotable(const platform::RegValue& v, std::u16string& text) {
    if (v.type != platform::RegSz || v.data.size() < 2 || v.data.size() % 2 != 0) return false;
    text.clear();
    for (std::size_t i = 0; i + 2 < v.data.size(); i += 2) {
        const char16_t ch = static_cast<char16_t>(static_cast<unsigned char>(v.data[i]) |
                                                  static_cast<unsigned char>(v.data[i + 1]) << 8);
        if (ch == 0 || ch == u'\r' || ch == u'\n') return false;
        text += ch;
    }
    return v.data[v.data.size() - 2] == 0 && v.data[v.data.size() - 1] == 0;
}

void WriteValue(std::u16string& out, const platform::RegValue& v) {
    const std::size_t lineStart = out.size();
    if (v.name.empty()) {
        out += u"@=";
    } else {
        out += u'"';
        Escaped(out, U16(v.name));
        out += u"\"=";
    }
    std::u16string text;
    if (Quotable(v, text)) {
        out += u'"';
        Escaped(out, text);
        out += u"\"\r\n";
        return;
    }
    if (v.type == platform::RegDword && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(v.data[static_cast<std::size_t>(i)]);
        out += u"dword:";
        Hex(out, n, 8);
        out += u"\r\n";
        return;
    }
    if (v.type == platform::RegBinary) {
        out += u"hex:";
    } else {
        out += u"hex(";
        int digits = 1;
        while (digits < 8 && (v.type >> (4 * digits)) != 0) ++digits;
        Hex(out, v.type, digits);
        out += u"):";
    }
    std::size_t width = out.size() - lineStart;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        Hex(out, static_cast<unsigned char>(v.data[i]), 2);
        width += 2;
        if (i + 1 == v.data.size()) break;
        out += u',';
        ++width;
        if (width > WrapAt) {
            out += u"\\\r\n  ";
            width = 2;
        }
    }
    out += u"\r\n";
}

// --- Reading ---------------------------------------------------------------

struct Reader {
    std::vector<std::u16string> lines;
    std::size_t at = 0;  // the next line
    std::string reason;

    bool Refuse(const std::string& why) {
        reason = why;
        return false;
    }
    bool Unreadable() { return Refuse(std::to_string(at) + "行目を読み込めません"); }
};

std::u16string TrimRight(std::u16string s) {
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.pop_back();
    return s;
}
std::size_t SkipBlanks(const std::u16string& s, std::size_t i) {
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
    return i;
}

// A quoted text from s[i] (the opening quote) on; i ends past the closing one.
bool Quoted(const std::u16string& s, std::size_t& i, std::u16string& text) {
    text.clear();
    if (i >= s.size() || s[i] != u'"') return false;
    for (++i; i < s.size(); ++i) {
        char16_t ch = s[i];
        if (ch == u'"') {
            ++i;
            return true;
        }
        if (ch == u'\\') {
            if (++i == s.size()) return false;
            switch (s[i]) {
                case u'\\': ch = u'\\'; break;
                case u'"': ch = u'"'; break;
                case u'n': ch = u'\n'; break;
                case u'r': ch = u'\r'; break;
                case u'0': ch = 0; break;
                default: return false;
            }
        }
        text += ch;
    }
    return false;
}

int HexDigit(char16_t ch) {
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return -1;
}

// A hex number of 1 to `most` digits from s[i] on.
bool HexNumber(const std::u16string& s, std::size_t& i, int most, std::uint32_t& v) {
    v = 0;
    int n = 0;
    for (; i < s.size() && HexDigit(s[i]) >= 0; ++i, ++n) {
        if (n == most) return false;
        v = v << 4 | static_cast<std::uint32_t>(HexDigit(s[i]));
    }
    return n > 0;
}

bool HexBytes(const std::u16string& s, std::size_t i, std::string& data) {
    data.clear();
    i = SkipBlanks(s, i);
    if (i == s.size()) return true;
    for (;;) {
        std::uint32_t b = 0;
        if (!HexNumber(s, i, 2, b)) return false;
        data += static_cast<char>(b);
        i = SkipBlanks(s, i);
        if (i == s.size()) return true;
        if (s[i] != u',') return false;
        i = SkipBlanks(s, i + 1);
    }
}

bool ReadValue(Reader& r, std::u16string line, platform::RegValue& v) {
    std::size_t i = 0;
    std::u16string name;
    if (line[0] == u'@') {
        i = 1;
    } else if (!Quoted(line, i, name) || name.empty()) {
        return r.Unreadable();  // "" names the default value only as @
    }
    v.name = Utf8(name);
    i = SkipBlanks(line, i);
    if (i == line.size() || line[i] != u'=') return r.Unreadable();
    i = SkipBlanks(line, i + 1);
    const std::u16string rest = line.substr(i);
    if (rest == u"-") return r.Refuse("値の削除が書かれています");
    if (!rest.empty() && rest[0] == u'"') {
        std::u16string text;
        if (!Quoted(line, i, text) || SkipBlanks(line, i) != line.size()) return r.Unreadable();
        v.type = platform::RegSz;
        v.data.clear();
        for (const char16_t ch : text) v.data += {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
        v.data += std::string(2, '\0');
        return true;
    }
    if (rest.rfind(u"dword:", 0) == 0) {
        std::size_t j = i + 6;
        std::uint32_t n = 0;
        if (!HexNumber(line, j, 8, n) || SkipBlanks(line, j) != line.size()) return r.Unreadable();
        v.type = platform::RegDword;
        v.data.clear();
        for (int b = 0; b < 4; ++b) v.data += static_cast<char>((n >> (8 * b)) & 0xFF);
        return true;
    }
    if (rest.rfind(u"hex", 0) != 0) return r.Unreadable();
    std::size_t j = i + 3;
    v.type = platform::RegBinary;
    if (j < line.size() && line[j] == u'(') {
        ++j;
        if (!HexNumber(line, j, 8, v.type) || j == line.size() || line[j] != u')') return r.Unreadable();
        ++j;
    }
    if (j == line.size() || line[j] != u':') return r.Unreadable();
    // The bytes go on over lines that end in "\".
    std::u16string bytes = line.substr(j + 1);
    while (!bytes.empty() && bytes.back() == u'\\') {
        bytes.pop_back();
        if (r.at == r.lines.size()) return r.Unreadable();
        const std::u16string next = TrimRight(r.lines[r.at++]);
        bytes += next.substr(SkipBlanks(next, 0));
    }
    if (!HexBytes(bytes, 0, v.data)) return r.Unreadable();
    return true;
}

}  // namespace

std::string Utf16Bytes(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto put = [&](std::uint32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int n = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        std::uint32_t cp = n == 0 ? b : n == 1 ? (b & 0x1F) : n == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = n >= 0 && i + static_cast<std::size_t>(n) < utf8.size();
        for (int k = 1; ok && k <= n; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            ok = (c >> 6) == 2;
            cp = cp << 6 | (c & 0x3F);
        }
        ok = ok && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) &&
             (n == 0 || cp >= (n == 1 ? 0x80u : n == 2 ? 0x800u : 0x10000u));
        if (!ok) {
            put(0xFFFD);
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(n) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string Write(const Tree& tree) {
    std::u16string out;
    out += Bom;
    out += U16(Header);
    out += u"\r\n\r\n";
    for (const auto& key : tree.keys) {
        out += u"[";
        out += U16(std::string(Root) + "\\" + key.path);
        out += u"]\r\n";
        for (const auto& v : key.values) WriteValue(out, v);
        out += u"\r\n";
    }
    std::string bytes(out.size() * 2, '\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        bytes[2 * i] = static_cast<char>(out[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(out[i] >> 8);
    }
    return bytes;
}

bool Read(const std::string& bytes, const std::string& item, Tree& tree, std::string& reason) {
    tree.keys.clear();
    Reader r;
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[0] != '\xFF' || bytes[1] != '\xFE') {
        reason = "登録ファイル (UTF-16) ではありません";
        return false;
    }
    std::u16string text;
    text.reserve(bytes.size() / 2 - 1);
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find(u'\n', at);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        r.lines.push_back(std::move(line));
        at = end + 1;
    }
    if (r.lines.empty() || TrimRight(r.lines[0]) != U16(Header)) {
        reason = "登録ファイルの見出しがありません";
        return false;
    }
    r.at = 1;

    const std::u16string itemText = U16(item);
    const std::u16string itemFolded = Folded(U16(std::string(Root) + "\\" + item));
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::map<std::u16string, std::size_t> index;  // folded path -> key
    std::set<std::u16string> sections;            // folded paths the file names
    std::size_t current = None;
    std::set<std::u16string> names;  // folded value names of the current key
    const auto keyOf = [&](const std::u16string& path) {
        const auto [it, added] = index.emplace(Folded(path), tree.keys.size());
        if (added) tree.keys.push_back(Key{Utf8(path), {}});
        return it->second;
    };
    const auto refuse = [&](const std::string& why) {
        reason = why;
        tree.keys.clear();
        return false;
    };
    while (r.at < r.lines.size()) {
        const std::u16string raw = r.lines[r.at++];
        const std::u16string line = TrimRight(raw.substr(SkipBlanks(raw, 0)));
        if (line.empty() || line[0] == u';') continue;
        if (line[0] == u'[') {
            if (line.size() > 1 && line[1] == u'-') return refuse("キーの削除が書かれています");
            if (line.back() != u']') return r.Unreadable(), refuse(r.reason);
            const std::u16string name = line.substr(1, line.size() - 2);
            const std::u16string folded = Folded(name);
            if (folded != itemFolded && folded.rfind(itemFolded + u"\\", 0) != 0)
                return refuse("この項目の外のキーが書かれています: " + Utf8(name));
            // Below the item in the file's spelling; the item in its own.
            const std::u16string below = name.substr(itemFolded.size());
            if (below.find(u"\\\\") != std::u16string::npos || (!below.empty() && below.back() == u'\\'))
                return r.Unreadable(), refuse(r.reason);
            if (!sections.insert(Folded(itemText + below)).second)
                return refuse("同じキーが二度書かれています: " + Utf8(name));
            // Keys the file skips are made on the way, each after its parent.
            for (std::size_t slash = below.find(u'\\'); slash != std::u16string::npos;
                 slash = below.find(u'\\', slash + 1))
                keyOf(itemText + below.substr(0, slash));
            current = keyOf(itemText + below);
            names.clear();
            for (const auto& v : tree.keys[current].values) names.insert(Folded(U16(v.name)));
            continue;
        }
        if (current == None || (line[0] != u'@' && line[0] != u'"')) return r.Unreadable(), refuse(r.reason);
        platform::RegValue v;
        if (!ReadValue(r, line, v)) return refuse(r.reason);
        if (!names.insert(Folded(U16(v.name))).second)
            return refuse("同じ値が二度書かれています: " + (v.name.empty() ? std::string("@") : v.name));
        tree.keys[current].values.push_back(std::move(v));
    }
    return true;
}

}  // namespace tollervy::regfile
