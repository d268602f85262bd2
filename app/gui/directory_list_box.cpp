#include "app/gui/directory_list_box.h"

#include <QDir>
#include <QFileInfo>

namespace vermaline::gui {

namespace {
constexpr int kPathRole = Qt::UserRole;
}

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetDirectory(item->data(kPathRole).toString()); });
    SetDirectory(QDir::currentPath());
}

void TDirectoryListBox::SetDirectory(const QString& directory) {
    const QFileInfo info(directory);
    if (!info.isDir()) return;
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    if (path == directory_) return;
    directory_ = path;
    Fill();
    if (OnChange) OnChange(directory_);
}

void TDirectoryListBox::Fill() {
    clear();
    // The path from the root down, each level indented one step further.
    QStringList levels;
    for (QDir dir(directory_);; ) {
        levels.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) break;
    }
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& level : levels) {
        const QString name = depth == 0 ? level : QFileInfo(level).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + name, this);
        item->setData(kPathRole, level);
        current = item;
        ++depth;
    }
    const QStringList children =
        QDir(directory_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + child, this);
        item->setData(kPathRole, QDir(directory_).filePath(child));
    }
    setCurrentItem(current);
}

} // namespace vermaline::gui
