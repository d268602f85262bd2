#include "app/gui/form3.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/gui/hint.h"
#include "app/gui/radio_group.h"
#include "app/gui/up_down.h"

namespace vermaline::gui {

TForm3::TForm3(QWidget* parent) : TOptionDialog("Form3", "Options GIF", 369, 216, parent) {
    RadioGroup4 = new TRadioGroup("Version", {"Inconnue", "GIF 87a", "GIF 89a"}, this);
    RadioGroup4->setObjectName("RadioGroup4");
    RadioGroup4->setGeometry(8, 8, 113, 73);
    RadioGroup4->SetItemIndex(2);
    RadioGroup4->setEnabled(false);
    SetHint(RadioGroup4, "Non disponible actuellement", THintDisplay::hdStored);

    RadioGroup2 = new TRadioGroup("Compression", {"GIF LZW", "GIF RLE"}, this);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setGeometry(8, 88, 113, 57);
    RadioGroup2->SetItemIndex(0);
    SetHint(RadioGroup2, "Fixe la méthode de compression", THintDisplay::hdStored);

    RadioGroup3 = new TRadioGroup(
        "Tramage", {"Couleur proche", "Floyd-Steinberg", "Stucki", "Sierra", "JaJuNi", "Arche", "Burkes"}, this);
    RadioGroup3->setObjectName("RadioGroup3");
    RadioGroup3->setGeometry(128, 8, 121, 137);
    RadioGroup3->SetItemIndex(0);
    SetHint(RadioGroup3, "Choisit le mode utilisé pour réduire le nombre de couleurs", THintDisplay::hdStored);

    auto* group = new QGroupBox("Transparence", this);
    group->setObjectName("GroupBox1");
    group->setGeometry(256, 8, 105, 57);
    SetHint(group, "Choisit la couleur de transparence (0-255)", THintDisplay::hdStored);
    auto* label = new QLabel("Couleur :", group);
    label->setObjectName("Label1");
    label->move(8, 24);
    Edit1 = new QLineEdit("0", group);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(56, 20, 28, 21);
    UpDown1 = new TUpDown(Edit1, 0, 255, group);
    UpDown1->setObjectName("UpDown1");
    UpDown1->setGeometry(84, 20, 15, 21);

    AddButtons(256, 152, 105, 6, true);
}

TGifOptions TForm3::Options() const {
    TGifOptions options;
    options.Compression = RadioGroup2->ItemIndex();
    options.Dither = RadioGroup3->ItemIndex();
    options.Version = RadioGroup4->ItemIndex();
    options.Color = Edit1->text().toStdString();
    return options;
}

} // namespace vermaline::gui
