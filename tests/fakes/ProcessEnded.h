// Thrown by the fakes where the real process would end on the spot: the
// system's EndProcess, and the file system's simulated power cut. Tests catch
// it; the program's own code never does.
#pragma once

namespace tollervy::fakes {

struct ProcessEnded {
    int code = 0;
};

// The exit code carried by a simulated stop of the file system (the process
// died in the middle of the run, it did not end itself).
inline constexpr int AbortedCode = -1;

}  // namespace tollervy::fakes
