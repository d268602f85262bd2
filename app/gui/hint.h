#pragma once
// Hints: every control keeps its hint text in the "Hint" property; only the hints the window
// displays become tooltips.
class QWidget;

namespace vermaline::gui {

enum class THintDisplay { hdShown, hdStored };

void SetHint(QWidget* widget, const char* hint, THintDisplay display);

} // namespace vermaline::gui
