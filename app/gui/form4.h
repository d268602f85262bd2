#pragma once
// "Propriétés Métafile".
#include "app/conversion_options.h"
#include "app/gui/option_dialog.h"

class QLineEdit;

namespace vermaline::gui {

class TForm4 : public TOptionDialog {
public:
    explicit TForm4(QWidget* parent);
    TMetafileOptions Options() const;

    QLineEdit* Edit1;   // "Largeur"
    QLineEdit* Edit2;   // "Hauteur"
    QLineEdit* Edit3;   // "Auteur :"
    QLineEdit* Edit4;   // "Description :"
};

} // namespace vermaline::gui
