#pragma once
// A file list: the files of a folder whose names match the mask ("*.bmp;*.dib", in any case),
// sorted by name, several selectable at once.
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace vermaline::gui {

class TFileListBox : public QListWidget {
public:
    explicit TFileListBox(QWidget* parent);

    const QString& Directory() const { return directory_; }
    void SetDirectory(const QString& directory);
    void SetMask(const QString& mask);
    // Lists the folder again.
    void Update();

private:
    QString directory_;
    QStringList masks_{"*.*"};
};

} // namespace vermaline::gui
