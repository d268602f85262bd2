#pragma once
// What the three option dialogs share: a fixed border with only the close box, the window's
// font, no tooltips, an OK button (modal result 1, the default button) and a Cancel button
// (Escape).
#include <QDialog>

class QPushButton;

namespace vermaline::gui {

class TOptionDialog : public QDialog {
public:
    TOptionDialog(const char* objectName, const char* caption, int clientWidth, int clientHeight, QWidget* parent);

protected:
    // Places BitBtn1 (OK) and BitBtn2 (Cancel).
    void AddButtons(int x, int y, int width, int spacing, bool vertical);
};

} // namespace vermaline::gui
