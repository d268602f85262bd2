#include "app/gui/file_list_box.h"

#include <QDir>
#include <QRegularExpression>

namespace vermaline::gui {

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void TFileListBox::SetDirectory(const QString& directory) {
    directory_ = directory;
    Update();
}

void TFileListBox::SetMask(const QString& mask) {
    masks_ = mask.split(';', Qt::SkipEmptyParts);
    Update();
}

void TFileListBox::Update() {
    clear();
    // "*.*" names every file, with an extension or without, as it does on the desktop.
    std::vector<QRegularExpression> patterns;
    bool all = false;
    for (const QString& mask : masks_) {
        if (mask.trimmed() == "*.*" || mask.trimmed() == "*") all = true;
        patterns.emplace_back(QRegularExpression::wildcardToRegularExpression(mask.trimmed()),
                              QRegularExpression::CaseInsensitiveOption);
    }
    const QStringList files =
        QDir(directory_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files) {
        if (file.startsWith('.')) continue;
        const bool matches =
            all || std::any_of(patterns.begin(), patterns.end(), [&](const auto& p) { return p.match(file).hasMatch(); });
        if (matches) addItem(file);
    }
}

} // namespace vermaline::gui
