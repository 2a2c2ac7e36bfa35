#include "fakes/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace tollervy::fakes::cp932 {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts everything; `skip` says how many input bytes to replace by
    // '?' when the input at that point cannot be converted.
    template <typename Skip>
    std::string Run(std::string_view in, Skip skip) {
        std::string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            for (char c : in) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
            return out;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        std::size_t pos = 0;
        while (pos < in.size()) {
            char* src = const_cast<char*>(in.data() + pos);
            std::size_t srcLeft = in.size() - pos;
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            pos = in.size() - srcLeft;
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // EILSEQ (invalid or unmappable) or EINVAL (cut at the end).
                out += '?';
                pos += skip(in, pos);
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

std::size_t Utf8CharBytes(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (c >= 0xF0 && c < 0xF8) n = 4;
    else if (c >= 0xE0 && c < 0xF0) n = 3;
    else if (c >= 0xC0 && c < 0xE0) n = 2;
    if (i + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

}  // namespace

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string FromUtf8(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(utf8);
    // One converter per thread: opening one costs more than most conversions.
    thread_local Converter conv("CP932", "UTF-8");
    return conv.Run(utf8, [](std::string_view s, std::size_t i) { return Utf8CharBytes(s, i); });
}

std::string ToUtf8(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(bytes);
    thread_local Converter conv("UTF-8", "CP932");
    return conv.Run(bytes, [](std::string_view, std::size_t) -> std::size_t { return 1; });
}

std::string CutBytes(std::string_view bytes, std::size_t count) {
    if (count >= bytes.size()) return std::string(bytes);
    std::size_t i = 0;
    while (i < count) {
        const std::size_t n = IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + n > count) break;  // the partner of this lead byte is cut off
        i += n;
    }
    return std::string(bytes.substr(0, i));
}

std::string FoldCase(std::string_view bytes) {
    std::string out(bytes);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace tollervy::fakes::cp932
