#include "engine/Progress.h"

#include <cmath>
#include <cstdint>

#include "settings/Settings.h"

namespace tollervy::progress {

bool ShowsProgress(Context& c) {
    return option::ShowsStatusWindow(c.state.StartStatus);
}

void SetBar(Context& c, float value) {
    if (!ShowsProgress(c) || c.status == nullptr) return;
    c.status->SetBar(value);
    c.status->Repaint();
}

void MoveBarInBand(Context& c, std::size_t done, std::size_t total) {
    if (!ShowsProgress(c) || total == 0) return;
    const float start = c.state.ProgressStart;
    const float end = c.state.ProgressEnd;
    SetBar(c, start + static_cast<float>(done) / static_cast<float>(total) * (end - start));
}

void SetBand(Context& c, std::size_t i, std::size_t n, int base) {
    if (!ShowsProgress(c) || n == 0) return;
    const double from = static_cast<double>(i) * 50.0 / static_cast<double>(n);
    const double to = static_cast<double>(i + 1) * 50.0 / static_cast<double>(n);
    c.state.ProgressStart = static_cast<std::int16_t>(std::nearbyint(from) + base);
    c.state.ProgressEnd = static_cast<std::int16_t>(std::nearbyint(to) + base);
}

}  // namespace tollervy::progress
