#include "fakes/FakeSystem.h"

#include "fakes/Cp932.h"
#include "fakes/ProcessEnded.h"

namespace tollervy::fakes {

namespace {
constexpr int VkShift = 0x10;
}

void FakeSystem::SetShiftDown(bool down) {
    keyStates[VkShift] = down ? static_cast<std::int16_t>(0x8000) : std::int16_t{0};
}

bool FakeSystem::UserName(std::string& name) {
    if (loginFails) return false;
    name = loginName;
    return true;
}

bool FakeSystem::FitsAnsiCodePage(const std::string& text) {
    return cp932::ToUtf8(cp932::FromUtf8(text)) == text;
}

namespace {

std::uint32_t UpperOf(std::uint32_t cp) {
    struct Range {
        std::uint32_t first, last, upperFirst;
    };
    static const Range ranges[] = {
        {0x61, 0x7A, 0x41},      {0xE0, 0xF6, 0xC0},      {0xF8, 0xFE, 0xD8},      // ASCII, Latin-1
        {0x3B1, 0x3C1, 0x391},   {0x3C2, 0x3C2, 0x3A3},   {0x3C3, 0x3C9, 0x3A3},   // Greek, final sigma
        {0x430, 0x44F, 0x410},   {0x450, 0x45F, 0x400},                            // Cyrillic
        {0x2170, 0x217F, 0x2160}, {0xFF41, 0xFF5A, 0xFF21},                        // Roman numerals, full width
    };
    for (const Range& r : ranges)
        if (cp >= r.first && cp <= r.last) return cp - r.first + r.upperFirst;
    return cp;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string FakeSystem::UpperCase(const std::string& text) {
    // Two- and three-byte characters are mapped; anything else is kept as
    // it stands (none of those has an upper case here).
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xC0 && c < 0xE0 ? 2 : 1;
        bool valid = n > 1 && i + n <= text.size();
        std::uint32_t cp = n == 3 ? c & 0x0F : c & 0x1F;
        for (std::size_t k = 1; valid && k < n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            valid = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (n == 1 || !valid) {
            out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            ++i;
            continue;
        }
        AppendUtf8(out, UpperOf(cp));
        i += n;
    }
    return out;
}

bool FakeSystem::Version(platform::VersionInfo& info) {
    if (versionFails) return false;
    info = version;
    return true;
}

std::int16_t FakeSystem::AsyncKeyState(int virtualKey) {
    const auto it = keyStates.find(virtualKey);
    return it == keyStates.end() ? std::int16_t{0} : it->second;
}

std::string FakeSystem::ProgramExePath() {
    if (!exePath.empty()) return exePath;
    const bool root = !programFolder.empty() && programFolder.back() == '\\';
    return programFolder + (root ? "" : "\\") + title + ".exe";
}

bool FakeSystem::PreviousInstance() {
    ++previousInstanceCalls;
    if (!previousAnswer_) previousAnswer_ = previousInstance;
    return *previousAnswer_;
}

void FakeSystem::EndProcess(int exitCode) {
    endedWith = exitCode;
    throw ProcessEnded{exitCode};
}

void FakeSystem::Sleep(unsigned milliseconds) {
    ++sleeps;
    sleptMilliseconds += milliseconds;
    tickCount += milliseconds;
    if (onSleep) onSleep(milliseconds);
}

bool FakeSystem::RandomBytes(void* buffer, std::size_t size) {
    if (randomFails) return false;
    // A counter shared by every instance, spread over the bytes: distinct
    // runs of one test get distinct bytes, as real runs do.
    static std::uint64_t drawn = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 8 == 0) ++drawn;
        out[i] = static_cast<unsigned char>((drawn * 0x9E3779B97F4A7C15ull) >> (8 * (i % 8)));
    }
    return true;
}

}  // namespace tollervy::fakes
