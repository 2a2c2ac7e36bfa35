#include "platform/Text.h"

namespace tollervy::text {
namespace {

// Byte length of the character that starts at s[i].
std::size_t CharBytes(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (c >= 0xF0 && c < 0xF8) n = 4;
    else if (c >= 0xE0) n = 3;
    else if (c >= 0xC0) n = 2;
    if (c >= 0xF8) n = 1;
    if (i + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

// Byte offset of character number `chars`, or s.size() when s is shorter.
std::size_t Offset(std::string_view s, std::size_t chars) {
    std::size_t i = 0;
    while (chars > 0 && i < s.size()) {
        i += CharBytes(s, i);
        --chars;
    }
    return i;
}

}  // namespace

std::size_t Length(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); i += CharBytes(s, i)) ++count;
    return count;
}

std::string Left(std::string_view s, std::size_t count) {
    return std::string(s.substr(0, Offset(s, count)));
}

std::string Mid(std::string_view s, std::size_t start, std::size_t count) {
    const std::size_t from = Offset(s, start);
    const std::string_view rest = s.substr(from);
    if (count == std::string::npos) return std::string(rest);
    return std::string(rest.substr(0, Offset(rest, count)));
}

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::string TrimRight(std::string_view s) {
    const auto last = s.find_last_not_of(' ');
    if (last == std::string_view::npos) return {};
    return std::string(s.substr(0, last + 1));
}

std::vector<std::string> Lines(std::string_view s) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < s.size()) {
        std::size_t end = s.find('\n', at);
        if (end == std::string_view::npos) end = s.size();
        std::string_view line = s.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        at = end + 1;
    }
    return lines;
}

}  // namespace tollervy::text
