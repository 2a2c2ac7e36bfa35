// The progress bar of a switch: each item moves the bar inside its band.
#pragma once
#include <cstddef>

#include "settings/Context.h"

namespace tollervy::progress {

// The progress display is shown ([Start] Status is "1").
bool ShowsProgress(Context& c);
// Sets the bar and repaints, when the display is shown.
void SetBar(Context& c, float value);
// k of m steps of the current item done: the bar moves inside its band.
void MoveBarInBand(Context& c, std::size_t done, std::size_t total);
// The band of item i of n inside [base, base + 50], to the nearest whole
// number, halves to even.
void SetBand(Context& c, std::size_t i, std::size_t n, int base);

}  // namespace tollervy::progress
