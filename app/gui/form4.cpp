#include "app/gui/form4.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/gui/hint.h"

namespace vermaline::gui {

namespace {

QLineEdit* Field(const char* labelName, const char* labelText, const char* name, const char* text, QWidget* parent,
                 int y, int fieldX, int fieldWidth) {
    auto* label = new QLabel(QString::fromUtf8(labelText), parent);
    label->setObjectName(labelName);
    label->move(8, y + 3);
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setObjectName(name);
    edit->setGeometry(fieldX, y, fieldWidth, 21);
    return edit;
}

} // namespace

TForm4::TForm4(QWidget* parent) : TOptionDialog("Form4", "Propriétés Métafile", 190, 222, parent) {
    auto* group = new QGroupBox("Dimensions en pixels", this);
    group->setObjectName("GroupBox1");
    group->setGeometry(8, 8, 174, 77);
    SetHint(group, "Dimensions de l'image", THintDisplay::hdStored);
    Edit1 = Field("Label1", "Largeur", "Edit1", "640", group, 20, 64, 73);
    Edit2 = Field("Label2", "Hauteur", "Edit2", "480", group, 46, 64, 73);

    Edit3 = Field("Label3", "Auteur :", "Edit3", "Q.Z.M.", this, 94, 80, 102);
    SetHint(Edit3, "Auteur ou application créatrice de l'image", THintDisplay::hdStored);
    Edit4 = Field("Label4", "Description :", "Edit4", "Fichier généré par QZM", this, 122, 80, 102);
    SetHint(Edit4, "Description de l'image", THintDisplay::hdStored);

    AddButtons(8, 190, 83, 8, false);
}

TMetafileOptions TForm4::Options() const {
    TMetafileOptions options;
    options.Width = Edit1->text().toStdString();
    options.Height = Edit2->text().toStdString();
    options.Author = Edit3->text().toStdString();
    options.Description = Edit4->text().toStdString();
    return options;
}

} // namespace vermaline::gui
