#include "app/gui/radio_group.h"

#include <QGridLayout>
#include <QRadioButton>

namespace vermaline::gui {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent, int columns)
    : QGroupBox(caption, parent), buttons_(this) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(0);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_.addButton(button, i);
        layout->addWidget(button, i % rows, i / rows);
    }
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_.button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: clear the exclusive group's check.
    buttons_.setExclusive(false);
    for (QAbstractButton* button : buttons_.buttons()) button->setChecked(false);
    buttons_.setExclusive(true);
}

} // namespace vermaline::gui
