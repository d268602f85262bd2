#pragma once
// A filter list: a filter text of description and mask pairs separated by "|"; the list shows
// the descriptions and gives the mask of the selected one.
#include <QComboBox>
#include <QString>

namespace vermaline::gui {

class TFilterComboBox : public QComboBox {
public:
    TFilterComboBox(const QString& filter, QWidget* parent);
    // The masks of the selected entry ("" when none is selected).
    QString Mask() const;
};

} // namespace vermaline::gui
