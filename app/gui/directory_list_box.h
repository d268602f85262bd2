#pragma once
// A folder list: the current folder's path, one line per folder from the root down, followed by
// its subfolders. Activating a line (double click, Enter) opens that folder.
#include <functional>

#include <QListWidget>
#include <QString>

namespace vermaline::gui {

class TDirectoryListBox : public QListWidget {
public:
    explicit TDirectoryListBox(QWidget* parent);

    const QString& Directory() const { return directory_; }
    // Opens a folder (kept as it is when it does not exist) and reports the change.
    void SetDirectory(const QString& directory);

    // Called after the current folder changed.
    std::function<void(const QString&)> OnChange;

private:
    void Fill();
    QString directory_;
};

} // namespace vermaline::gui
