#pragma once
// "Options GIF".
#include "app/conversion_options.h"
#include "app/gui/option_dialog.h"

class QLineEdit;

namespace vermaline::gui {

class TRadioGroup;
class TUpDown;

class TForm3 : public TOptionDialog {
public:
    explicit TForm3(QWidget* parent);
    TGifOptions Options() const;

    TRadioGroup* RadioGroup4;   // "Version", always disabled
    TRadioGroup* RadioGroup2;   // "Compression"
    TRadioGroup* RadioGroup3;   // "Tramage"
    QLineEdit* Edit1;           // the background colour number
    TUpDown* UpDown1;
};

} // namespace vermaline::gui
