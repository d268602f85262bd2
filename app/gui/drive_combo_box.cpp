#include "app/gui/drive_combo_box.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStringList>

namespace vermaline::gui {

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
    QStringList roots{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath())) roots << volume.rootPath();
    roots.sort();
    addItems(roots);
}

void TDriveComboBox::SetDriveOf(const QString& folder) {
    const QString path = QDir::cleanPath(folder);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemText(i);
        const bool holds = root == "/" || path == root || path.startsWith(root + "/");
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(best);
}

} // namespace vermaline::gui
