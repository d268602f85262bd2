#pragma once
// An up-down spinner attached to a text field: its arrows step the number in the field within
// a range, without wrapping; typing in the field is not limited.
#include <QWidget>

class QLineEdit;

namespace vermaline::gui {

class TUpDown : public QWidget {
public:
    TUpDown(QLineEdit* associate, int minimum, int maximum, QWidget* parent);
    int Position() const { return position_; }
    // Steps by delta from the field's number (the last position when the field holds none).
    void Step(int delta);

private:
    QLineEdit* associate_;
    int minimum_;
    int maximum_;
    int position_;
};

} // namespace vermaline::gui
