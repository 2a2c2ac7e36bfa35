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
