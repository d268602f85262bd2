#include "app/gui/form2.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "app/gui/hint.h"
#include "app/gui/radio_group.h"

namespace vermaline::gui {

namespace {

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent, int x, int y) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->move(x, y);
    return label;
}

} // namespace

TForm2::TForm2(QWidget* parent) : TOptionDialog("Form2", "Options JPEG", 295, 198, parent) {
    RadioGroup1 = new TRadioGroup("Format de pixel", {"24 bits", "8 bits"}, this);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setGeometry(8, 8, 137, 57);
    RadioGroup1->SetItemIndex(0);
    SetHint(RadioGroup1, "Choisit le format de couleur", THintDisplay::hdStored);

    RadioGroup2 = new TRadioGroup(QString::fromUtf8("Performance"), {QString::fromUtf8("Qualité"), "Vitesse"}, this);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setGeometry(152, 8, 135, 57);
    RadioGroup2->SetItemIndex(0);
    SetHint(RadioGroup2, "Choisit le mode d'affichage", THintDisplay::hdStored);

    CheckBox1 = new QCheckBox("Echelle de gris", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(8, 72, 137, 17);
    SetHint(CheckBox1, "Image couleur ou grise", THintDisplay::hdStored);

    auto* group = new QGroupBox("Compression", this);
    group->setObjectName("GroupBox1");
    group->setGeometry(8, 94, 279, 66);
    MakeLabel("Label3", "Taux :", group, 8, 20);
    Edit1 = new QLineEdit("1", group);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(48, 16, 41, 21);
    SetHint(Edit1, "Compression (1=qualité, 100=faible taille)", THintDisplay::hdStored);
    MakeLabel("Label4", "/1", group, 94, 20);
    MakeLabel("Label2", "Qualité", group, 8, 44);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, group);
    ScrollBar1->setObjectName("ScrollBar1");
    ScrollBar1->setGeometry(56, 42, 170, 16);
    ScrollBar1->setRange(1, 100);
    ScrollBar1->setPageStep(0);
    ScrollBar1->setValue(1);
    SetHint(ScrollBar1, "Fixe la qualité de l'image", THintDisplay::hdStored);
    MakeLabel("Label1", "Taille", group, 232, 44);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int) { ScrollBar1Change(); });

    AddButtons(64, 166, 75, 16, false);
}

void TForm2::ScrollBar1Change() { Edit1->setText(QString::number(ScrollBar1->value())); }

TJpegOptions TForm2::Options() const {
    TJpegOptions options;
    options.PixelFormat = RadioGroup1->ItemIndex();
    options.Performance = RadioGroup2->ItemIndex();
    options.Grayscale = CheckBox1->isChecked();
    options.Rate = Edit1->text().toStdString();
    return options;
}

} // namespace vermaline::gui
