// vermaline: the batch converter's window.
#include <exception>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/gui/application_forms.h"
#include "app/gui/form1.h"
#include "formats/platform/threads.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Vermaline");
    QApplication::setApplicationVersion(VERMALINE_VERSION);
    try {
        // Calls that worker threads hand to the user-interface thread run from the event loop.
        vermaline::TSynchronizer::Instance().SetMainThread();
        QTimer synchronize;
        QObject::connect(&synchronize, &QTimer::timeout, [] { vermaline::TSynchronizer::Instance().CheckSynchronize(); });
        synchronize.start(10);

        vermaline::gui::TApplicationForms forms = vermaline::gui::CreateApplicationForms();
        forms.Form1->show();
        QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "Vermaline", QString::fromUtf8(error.what()));
    }
    return 0;
}
