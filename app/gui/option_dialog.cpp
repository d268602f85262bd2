#include "app/gui/option_dialog.h"

#include <QFont>
#include <QPushButton>

namespace vermaline::gui {

TOptionDialog::TOptionDialog(const char* objectName, const char* caption, int clientWidth, int clientHeight,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(objectName);
    setWindowTitle(QString::fromUtf8(caption));
    setFixedSize(clientWidth, clientHeight);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    setModal(true);
}

void TOptionDialog::AddButtons(int x, int y, int width, int spacing, bool vertical) {
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    ok->setGeometry(x, y, width, 25);
    auto* cancel = new QPushButton("Annuler", this);
    cancel->setObjectName("BitBtn2");
    cancel->setGeometry(vertical ? x : x + width + spacing, vertical ? y + 25 + spacing : y, width, 25);
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
}

} // namespace vermaline::gui
