// vermaline: the batch converter's main window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Vermaline");
    QMainWindow window;
    window.setObjectName("Form1");
    window.setWindowTitle("Vermaline 2.1");
    window.show();
    return QApplication::exec();
}
