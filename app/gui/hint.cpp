#include "app/gui/hint.h"

#include <QString>
#include <QVariant>
#include <QWidget>

namespace vermaline::gui {

void SetHint(QWidget* widget, const char* hint, THintDisplay display) {
    widget->setProperty("Hint", QString::fromUtf8(hint));
    if (display == THintDisplay::hdShown) widget->setToolTip(QString::fromUtf8(hint));
}

} // namespace vermaline::gui
