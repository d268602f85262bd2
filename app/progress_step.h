#pragma once
// The progress bar's arithmetic: the step a batch uses and how the bar steps past its end.

namespace vermaline {

inline constexpr int kProgressMax = 1000;

// 1000 divided by the number of selected files, in integer division (0 beyond 1000 files).
constexpr int ProgressStep(int selectedCount) { return selectedCount > 0 ? kProgressMax / selectedCount : 0; }

// The position after one step: beyond the maximum the bar starts over from its minimum, keeping
// the part that went past it.
constexpr int StepPosition(int position, int step, int minimum = 0, int maximum = kProgressMax) {
    const int next = position + step;
    if (next <= maximum || maximum <= minimum) return next <= maximum ? next : maximum;
    return minimum + (next - minimum) % (maximum - minimum);
}

} // namespace vermaline
