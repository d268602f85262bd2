#pragma once
// "Options JPEG".
#include "app/conversion_options.h"
#include "app/gui/option_dialog.h"

class QCheckBox;
class QLineEdit;
class QScrollBar;

namespace vermaline::gui {

class TRadioGroup;

class TForm2 : public TOptionDialog {
public:
    explicit TForm2(QWidget* parent);
    // The controls as they stand.
    TJpegOptions Options() const;
    // Copies the bar's position into the rate field.
    void ScrollBar1Change();

    TRadioGroup* RadioGroup1;   // "Format de pixel"
    QCheckBox* CheckBox1;       // "Echelle de gris"
    TRadioGroup* RadioGroup2;   // "Performance"
    QLineEdit* Edit1;           // the rate
    QScrollBar* ScrollBar1;
};

} // namespace vermaline::gui
