#pragma once
// The application's four windows under the offscreen platform, with the error display and the
// status bar observed, and a source and a destination folder of their own.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QStatusBar>
#include <QTimer>

#include "app/gui/application_forms.h"
#include "app/gui/directory_list_box.h"
#include "app/gui/file_list_box.h"
#include "app/gui/form1.h"
#include "formats/platform/bitmap.h"
#include "tests/support/oracle.h"

namespace vermaline::gui::test {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// A 24-bit bitmap file of a gradient, so that scaling and channel errors show.
inline void WriteGradient(const std::string& path, int width, int height) {
    TBitmap b(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, RGB(uint8_t(x * 255 / std::max(1, width - 1)), uint8_t(y * 255 / std::max(1, height - 1)), 90));
    b.SaveToFile(path);
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        forms = CreateApplicationForms();
        source = vermaline::test::TempDir();
        destination = vermaline::test::TempDir();
        Form().ShowErrorMessage = [this](const QString& message) { errors.push_back(message.toStdString()); };
        QObject::connect(Form().StatusBar1, &QStatusBar::messageChanged,
                         [this](const QString& text) { statuses.push_back(text.toStdString()); });
    }

    TForm1& Form() { return *forms.Form1; }

    // Shows both folders (after the test wrote its files) and selects the named entries.
    void Open(const std::vector<std::string>& selected) {
        Form().DirectoryListBox2->SetDirectory(QString::fromStdString(destination));
        Form().DirectoryListBox1->SetDirectory(QString::fromStdString(source));
        Form().FileListBox1->Update();
        for (int i = 0; i < Form().FileListBox1->count(); ++i) {
            QListWidgetItem* item = Form().FileListBox1->item(i);
            item->setSelected(std::find(selected.begin(), selected.end(), item->text().toStdString()) != selected.end());
        }
    }

    // Answers the next modal dialog once it is shown: edit its controls, then close it with result.
    void AnswerDialog(QDialog* dialog, int result, std::function<void()> edit = {}) {
        auto* poll = new QTimer(dialog);
        QObject::connect(poll, &QTimer::timeout, dialog, [=] {
            if (!dialog->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            if (edit) edit();
            dialog->done(result);
        });
        poll->start(5);
    }

    void Convert() { Form().BitBtn2->click(); }

    std::string Out(const std::string& name) const { return destination + "/" + name; }
    std::string In(const std::string& name) const { return source + "/" + name; }

    TApplicationForms forms;
    std::string source;
    std::string destination;
    std::vector<std::string> errors;
    std::vector<std::string> statuses;
};

} // namespace vermaline::gui::test
