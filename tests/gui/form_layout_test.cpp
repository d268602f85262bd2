// The windows as they are at start-up: captions, items, texts, hints, sizes and states.
#include <cstdlib>
#include <QCheckBox>
#include <QImage>
#include <QPixmap>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "app/gui/filter_combo_box.h"
#include "app/gui/form2.h"
#include "app/gui/form3.h"
#include "app/gui/form4.h"
#include "app/gui/radio_group.h"
#include "app/gui/up_down.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/oracle.h"

// fontconfig keeps its caches until the process ends; LeakSanitizer is told not to report them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace vermaline::gui::test {
namespace {

class Layout : public GuiTest {};

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
}

TEST_F(Layout, MainWindowControls) {
    TForm1& f = Form();
    EXPECT_EQ(f.windowTitle(), "Vermaline 2.1");
    EXPECT_EQ(f.size(), QSize(518, 440));
    EXPECT_EQ(QApplication::applicationName(), "test_gui") << "(the program sets \"Vermaline\")";
    struct Row {
        const char* name;
        const char* text;
        const char* hint;
        bool tooltip;
    } rows[] = {
        {"GroupBox1", "Images Source", nullptr, false},
        {"DirectoryListBox1", "", "Emplacement des images souces", true},
        {"FileListBox1", "", "Fichiers sources", false},
        {"Image1", "", "Image en cours", false},
        {"CheckBox1", "Echelle", "Redimensionne l'image", false},
        {"CheckBox2", "Visualiser", "Visualise pendant la conversoin", false},
        {"CheckBox3", "Effacer", "Efface les images après conversion", false},
        {"BitBtn2", "&Convertir", "Convertit les images sélectionnées", true},
        {"ProgressBar1", "", "Indique la progression de la conversion", true},
        {"BitBtn1", "&Fermer", "Ferme l'application", true},
        {"GroupBox2", "Images Destination", nullptr, false},
        {"DirectoryListBox2", "", "Emplacement des images cible", true},
        {"GroupBox3", "Taille", nullptr, false},
        {"RadioButton1", "Identique", "Garde la taille originale de l'image", true},
        {"RadioButton2", "Proportionnelle", "Modifie proportionnellement la taille de l'image", true},
        {"RadioButton3", "Fixe", "Fixe les dimensions de l'image", true},
        {"Edit1", "100", nullptr, false},
        {"Label1", "%", nullptr, false},
        {"Edit2", "", "Largeur", false},
        {"Label2", "x", nullptr, false},
        {"Edit3", "", "Hauteur", false},
        {"Label3", "Format :", nullptr, false},
        {"FilterComboBox2", "", "Définit le format cible", true},
        {"RadioGroup1", "Couleurs", nullptr, false},
        {"StatusBar1", "", nullptr, false},
        {"DriveComboBox1", "", nullptr, false},
        {"DriveComboBox2", "", nullptr, false},
        {"FilterComboBox1", "", nullptr, false},
    };
    for (const Row& r : rows) {
        auto* w = f.findChild<QWidget*>(r.name);
        ASSERT_TRUE(w) << r.name;
        EXPECT_EQ(TextOf(w).toStdString(), r.text) << r.name;
        EXPECT_EQ(w->property("Hint").toString().toStdString(), r.hint ? r.hint : "") << r.name;
        EXPECT_EQ(w->toolTip().toStdString(), r.tooltip ? r.hint : "") << r.name;
    }
    EXPECT_TRUE(f.RadioButton1->isChecked());
    for (QLineEdit* e : {f.Edit1, f.Edit2, f.Edit3}) EXPECT_FALSE(e->isEnabled());
    EXPECT_TRUE(f.CheckBox1->isChecked());
    EXPECT_FALSE(f.CheckBox2->isChecked());
    EXPECT_FALSE(f.CheckBox3->isChecked());
    EXPECT_EQ(f.ProgressBar1->minimum(), 0);
    EXPECT_EQ(f.ProgressBar1->maximum(), 1000);
    EXPECT_EQ(f.ProgressBar1->value(), 0);
    EXPECT_EQ(f.Image1->size(), QSize(169, 169));
    EXPECT_EQ(f.FileListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(f.RadioGroup1->ItemIndex(), 0);
    QStringList colours;
    for (int i = 0; i < f.RadioGroup1->Count(); ++i) colours << f.RadioGroup1->Item(i)->text();
    EXPECT_EQ(colours, QStringList({"Identiques", "Monochrome", "16 couleurs", "256 couleurs", "Vraies couleurs"}));
}

TEST_F(Layout, FilterTextsVerbatim) {
    EXPECT_EQ(Form().FilterComboBox1->property("Filter").toString().toStdString(),
              "Toutes les Images|*.*|Images Bitmap|*.bmp;*.dib;*.rle|Images JPEG|*.jpg;*.jpeg;*.jpe|Images "
              "Compuserve|*.gif|Images ZSoft|*.pcx;*.pcc|MetaFichier Windows|*.wmf;*.emf|Images TIFF|*.tif;*.tiff|"
              "Images TrueVision|*.tga;*.vst;*.icb;*.vda;*.win|Kodak Photo-CD|*.pcd|Images Portable pixel|*.ppm;"
              "*.pgm;*.pbm|Images Photoshop|*.psd;*.pdd|Images Paint Shop Pro|*.psp|Images PNG|*.png");
    EXPECT_EQ(Form().FilterComboBox2->property("Filter").toString().toStdString(),
              "Image Bitmap|*.bmp|Image JPEG|*.jpg|MetaFichier Windows|*.wmf|MetaFichier amélioré|*.emf|Image "
              "GIF|*.gif|Image TIFF|*.tif|Image TrueVision|*.tga");
    EXPECT_EQ(Form().FilterComboBox1->currentIndex(), 0);
    EXPECT_EQ(Form().FilterComboBox2->currentIndex(), 0);
    EXPECT_EQ(Form().FilterComboBox2->count(), 7);
}

TEST_F(Layout, TheFilterSetsTheFileListMaskInAnyCase) {
    for (const char* name : {"a.bmp", "B.BMP", "c.jpg", "d.Dib", "sans"}) vermaline::test::WriteFile(In(name), {0});
    Open({});
    QStringList all;
    for (int i = 0; i < Form().FileListBox1->count(); ++i) all << Form().FileListBox1->item(i)->text();
    EXPECT_EQ(all, QStringList({"a.bmp", "B.BMP", "c.jpg", "d.Dib", "sans"}));
    Form().FilterComboBox1->setCurrentIndex(1);   // "Images Bitmap"
    QStringList bitmaps;
    for (int i = 0; i < Form().FileListBox1->count(); ++i) bitmaps << Form().FileListBox1->item(i)->text();
    EXPECT_EQ(bitmaps, QStringList({"a.bmp", "B.BMP", "d.Dib"}));
}

TEST_F(Layout, SizeButtonsEnableTheirFields) {
    TForm1& f = Form();
    f.RadioButton2->click();
    EXPECT_TRUE(f.Edit1->isEnabled());
    EXPECT_FALSE(f.Edit2->isEnabled());
    f.RadioButton3->click();
    EXPECT_FALSE(f.Edit1->isEnabled());
    EXPECT_TRUE(f.Edit2->isEnabled());
    EXPECT_TRUE(f.Edit3->isEnabled());
    f.RadioButton1->click();
    for (QLineEdit* e : {f.Edit1, f.Edit2, f.Edit3}) EXPECT_FALSE(e->isEnabled());
}

TEST_F(Layout, ClickingAFilePreviewsItAndFillsWidthAndHeight) {
    WriteGradient(In("a.bmp"), 101, 75);
    vermaline::test::WriteFile(In("b.bmp"), {'B', 'M'});
    Open({});
    Form().FileListBox1->setCurrentRow(0);
    Form().FileListBox1DblClick();
    EXPECT_EQ(Form().Edit2->text(), "101");
    EXPECT_EQ(Form().Edit3->text(), "75");
    ASSERT_FALSE(Form().Image1->pixmap().isNull());
    EXPECT_EQ(Form().Image1->pixmap().size(), QSize(101, 75));
    EXPECT_EQ(Form().Image1->pixmap().toImage().pixel(100, 74), qRgb(255, 255, 90));
    EXPECT_TRUE(Form().Image1->hasScaledContents());
    Form().CheckBox1->click();
    EXPECT_FALSE(Form().Image1->hasScaledContents()) << "\"Echelle\" switches the preview only";

    Form().FileListBox1->setCurrentRow(1);
    Form().FileListBox1DblClick();
    EXPECT_EQ(errors, std::vector<std::string>{"Image bitmap incorrecte"});
    EXPECT_EQ(Form().Edit2->text(), "101");
}

TEST_F(Layout, OptionDialogs) {
    TForm2& j = *forms.Form2;
    EXPECT_EQ(j.windowTitle(), "Options JPEG");
    EXPECT_EQ(j.size(), QSize(295, 198));
    EXPECT_EQ(j.RadioGroup1->title(), "Format de pixel");
    EXPECT_EQ(j.RadioGroup1->ItemIndex(), 0);
    EXPECT_EQ(j.RadioGroup2->title(), "Performance");
    EXPECT_EQ(j.Edit1->text(), "1");
    EXPECT_EQ(j.ScrollBar1->minimum(), 1);
    EXPECT_EQ(j.ScrollBar1->maximum(), 100);
    EXPECT_EQ(j.Edit1->property("Hint").toString(), "Compression (1=qualité, 100=faible taille)");
    EXPECT_TRUE(j.Edit1->toolTip().isEmpty()) << "the dialogs show no hints";
    j.ScrollBar1->setValue(100);
    EXPECT_EQ(j.Edit1->text(), "100");
    j.ScrollBar1->setValue(1);
    EXPECT_EQ(j.Edit1->text(), "1");

    TForm3& g = *forms.Form3;
    EXPECT_EQ(g.windowTitle(), "Options GIF");
    EXPECT_EQ(g.size(), QSize(369, 216));
    EXPECT_FALSE(g.RadioGroup4->isEnabled());
    EXPECT_EQ(g.RadioGroup4->ItemIndex(), 2);
    EXPECT_EQ(g.RadioGroup3->Count(), 7);
    EXPECT_EQ(g.RadioGroup3->Item(5)->text(), "Arche");
    EXPECT_EQ(g.Edit1->text(), "0");
    g.Edit1->setText("254");
    g.UpDown1->Step(1);
    g.UpDown1->Step(1);
    EXPECT_EQ(g.Edit1->text(), "255") << "no wrap-around";
    g.Edit1->setText("300");
    EXPECT_EQ(g.Options().Color, "300") << "typing is not limited";

    TForm4& m = *forms.Form4;
    EXPECT_EQ(m.windowTitle(), "Propriétés Métafile");
    EXPECT_EQ(m.size(), QSize(190, 222));
    EXPECT_EQ(m.Edit1->text(), "640");
    EXPECT_EQ(m.Edit2->text(), "480");
    EXPECT_EQ(m.Edit3->text(), "Q.Z.M.");
    EXPECT_EQ(m.Edit4->text(), "Fichier généré par QZM");
    for (QDialog* d : std::initializer_list<QDialog*>{&j, &g, &m}) {
        auto* ok = d->findChild<QPushButton*>("BitBtn1");
        ASSERT_TRUE(ok);
        EXPECT_TRUE(ok->isDefault());
        EXPECT_TRUE(d->findChild<QPushButton*>("BitBtn2"));
    }
}

// Renders the window as the README shows it; VERMALINE_SCREENSHOT=file.png keeps the picture.
TEST_F(Layout, Screenshot) {
    const char* kept = std::getenv("VERMALINE_SCREENSHOT");
    const std::string target = kept ? std::string(kept) : vermaline::test::TempDir() + "/window.png";
    Form().DirectoryListBox1->SetDirectory(VERMALINE_SOURCE_DIR "/samples");
    Form().FileListBox1->setCurrentRow(2);
    Form().FileListBox1DblClick();
    Form().FileListBox1->item(0)->setSelected(true);
    Form().FileListBox1->item(2)->setSelected(true);
    Form().StatusBar1->showMessage("Conversion terminée");
    Form().ProgressBar1->setValue(1000);
    Form().show();
    QApplication::processEvents();
    const QPixmap picture = Form().grab();
    EXPECT_EQ(picture.size(), Form().size());
    ASSERT_TRUE(picture.save(QString::fromStdString(target)));
    EXPECT_FALSE(QImage(QString::fromStdString(target)).isNull());
}

} // namespace
} // namespace vermaline::gui::test
