#pragma once
// The four windows of the application, created at start-up in their order: the main window,
// then the JPEG, GIF and metafile dialogs (children of the main window, which owns them).
#include <memory>

namespace vermaline::gui {

class TForm1;
class TForm2;
class TForm3;
class TForm4;

struct TApplicationForms {
    std::unique_ptr<TForm1> Form1;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
};

// Registers the image classes and creates the windows (a QApplication must exist).
TApplicationForms CreateApplicationForms();

} // namespace vermaline::gui
