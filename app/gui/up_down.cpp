#include "app/gui/up_down.h"

#include <algorithm>

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vermaline::gui {

TUpDown::TUpDown(QLineEdit* associate, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), associate_(associate), minimum_(minimum), maximum_(maximum), position_(minimum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName("UpButton");
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName("DownButton");
    for (QToolButton* b : {up, down}) {
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::Step(int delta) {
    bool ok = false;
    const int typed = associate_->text().trimmed().toInt(&ok);
    const int from = std::clamp(ok ? typed : position_, minimum_, maximum_);
    position_ = std::clamp(from + delta, minimum_, maximum_);
    associate_->setText(QString::number(position_));
}

} // namespace vermaline::gui
