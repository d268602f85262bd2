#pragma once
// A radio group: a captioned frame of exclusive items, read and set by item index.
#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace vermaline::gui {

class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent, int columns = 1);

    // The checked item, or -1 when none is.
    int ItemIndex() const { return buttons_.checkedId(); }
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(buttons_.buttons().size()); }
    QAbstractButton* Item(int index) const { return buttons_.button(index); }

private:
    QButtonGroup buttons_;
};

} // namespace vermaline::gui
