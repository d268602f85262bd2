#include "app/gui/filter_combo_box.h"

#include <QStringList>

namespace vermaline::gui {

TFilterComboBox::TFilterComboBox(const QString& filter, QWidget* parent) : QComboBox(parent) {
    setProperty("Filter", filter);
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) addItem(parts[i], parts[i + 1]);
    setCurrentIndex(count() > 0 ? 0 : -1);
}

QString TFilterComboBox::Mask() const {
    return currentIndex() < 0 ? QString() : currentData().toString();
}

} // namespace vermaline::gui
