#pragma once
// A drive list: the mounted volumes, by their mount points.
#include <QComboBox>
#include <QString>

namespace vermaline::gui {

class TDriveComboBox : public QComboBox {
public:
    explicit TDriveComboBox(QWidget* parent);
    // The mount point selected.
    QString Drive() const { return currentText(); }
    // Selects the volume that holds the folder (the deepest mount point above it).
    void SetDriveOf(const QString& folder);
};

} // namespace vermaline::gui
