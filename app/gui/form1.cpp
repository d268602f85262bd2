#include "app/gui/form1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "app/gui/bitmap_image.h"
#include "app/gui/directory_list_box.h"
#include "app/gui/drive_combo_box.h"
#include "app/gui/file_list_box.h"
#include "app/gui/filter_combo_box.h"
#include "app/gui/form2.h"
#include "app/gui/form3.h"
#include "app/gui/form4.h"
#include "app/gui/hint.h"
#include "app/gui/radio_group.h"
#include "app/progress_step.h"

namespace vermaline::gui {

const char* const kSourceFilter =
    "Toutes les Images|*.*|Images Bitmap|*.bmp;*.dib;*.rle|Images JPEG|*.jpg;*.jpeg;*.jpe|Images "
    "Compuserve|*.gif|Images ZSoft|*.pcx;*.pcc|MetaFichier Windows|*.wmf;*.emf|Images TIFF|*.tif;*.tiff|Images "
    "TrueVision|*.tga;*.vst;*.icb;*.vda;*.win|Kodak Photo-CD|*.pcd|Images Portable pixel|*.ppm;*.pgm;*.pbm|Images "
    "Photoshop|*.psd;*.pdd|Images Paint Shop Pro|*.psp|Images PNG|*.png";
const char* const kOutputFilter =
    "Image Bitmap|*.bmp|Image JPEG|*.jpg|MetaFichier Windows|*.wmf|MetaFichier amélioré|*.emf|Image "
    "GIF|*.gif|Image TIFF|*.tif|Image TrueVision|*.tga";

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string Utf8(const QString& text) { return text.toStdString(); }

} // namespace

TForm1::TForm1()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName("Form1");
    setWindowTitle("Vermaline 2.1");
    setFixedSize(518, 440);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    CreateSourceControls();
    CreateDestinationControls();
    CreateSizeControls();
    CreateOutputControls();

    ShowErrorMessage = [this](const QString& message) { QMessageBox::critical(this, "Vermaline", message); };
}

TForm1::~TForm1() = default;

void TForm1::CreateSourceControls() {
    auto* group = Named(new QGroupBox("Images Source", this), "GroupBox1");
    group->setGeometry(8, 8, 250, 214);

    DriveComboBox1 = Named(new TDriveComboBox(group), "DriveComboBox1");
    DriveComboBox1->setGeometry(8, 18, 234, 22);
    DirectoryListBox1 = Named(new TDirectoryListBox(group), "DirectoryListBox1");
    DirectoryListBox1->setGeometry(8, 42, 234, 62);
    SetHint(DirectoryListBox1, "Emplacement des images souces", THintDisplay::hdShown);
    FileListBox1 = Named(new TFileListBox(group), "FileListBox1");
    FileListBox1->setGeometry(8, 106, 234, 78);
    SetHint(FileListBox1, "Fichiers sources", THintDisplay::hdStored);
    FilterComboBox1 = Named(new TFilterComboBox(QString::fromUtf8(kSourceFilter), group), "FilterComboBox1");
    FilterComboBox1->setGeometry(8, 186, 234, 22);

    // The drive list drives the folder list, which drives the file list; the filter sets its mask.
    DirectoryListBox1->OnChange = [this](const QString& folder) {
        FileListBox1->SetDirectory(folder);
        DriveComboBox1->SetDriveOf(folder);
    };
    FileListBox1->SetMask(FilterComboBox1->Mask());
    FileListBox1->SetDirectory(DirectoryListBox1->Directory());
    DriveComboBox1->SetDriveOf(DirectoryListBox1->Directory());
    connect(FilterComboBox1, &QComboBox::currentIndexChanged, this,
            [this](int) { FileListBox1->SetMask(FilterComboBox1->Mask()); });
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, [this](int) { DriveComboBox1Change(); });
    connect(FileListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { FileListBox1DblClick(); });
}

void TForm1::CreateDestinationControls() {
    auto* group = Named(new QGroupBox("Images Destination", this), "GroupBox2");
    group->setGeometry(266, 8, 244, 150);
    DriveComboBox2 = Named(new TDriveComboBox(group), "DriveComboBox2");
    DriveComboBox2->setGeometry(8, 18, 228, 22);
    DirectoryListBox2 = Named(new TDirectoryListBox(group), "DirectoryListBox2");
    DirectoryListBox2->setGeometry(8, 42, 228, 100);
    SetHint(DirectoryListBox2, "Emplacement des images cible", THintDisplay::hdShown);
    DriveComboBox2->SetDriveOf(DirectoryListBox2->Directory());
    DirectoryListBox2->OnChange = [this](const QString& folder) { DriveComboBox2->SetDriveOf(folder); };
    connect(DriveComboBox2, &QComboBox::currentIndexChanged, this,
            [this](int) { DirectoryListBox2->SetDirectory(DriveComboBox2->Drive()); });

    Image1 = Named(new QLabel(this), "Image1");
    Image1->setGeometry(266, 164, 169, 169);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setScaledContents(true);
    SetHint(Image1, "Image en cours", THintDisplay::hdStored);

    BitBtn2 = Named(new QPushButton("&Convertir", this), "BitBtn2");
    BitBtn2->setGeometry(441, 164, 69, 25);
    SetHint(BitBtn2, "Convertit les images sélectionnées", THintDisplay::hdShown);
    BitBtn1 = Named(new QPushButton("&Fermer", this), "BitBtn1");
    BitBtn1->setGeometry(441, 196, 69, 25);
    SetHint(BitBtn1, "Ferme l'application", THintDisplay::hdShown);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TForm1::CreateSizeControls() {
    auto* group = Named(new QGroupBox("Taille", this), "GroupBox3");
    group->setGeometry(8, 226, 250, 78);
    RadioButton1 = Named(new QRadioButton("Identique", group), "RadioButton1");
    RadioButton1->setGeometry(8, 16, 110, 17);
    SetHint(RadioButton1, "Garde la taille originale de l'image", THintDisplay::hdShown);
    RadioButton2 = Named(new QRadioButton("Proportionnelle", group), "RadioButton2");
    RadioButton2->setGeometry(8, 36, 110, 17);
    SetHint(RadioButton2, "Modifie proportionnellement la taille de l'image", THintDisplay::hdShown);
    RadioButton3 = Named(new QRadioButton("Fixe", group), "RadioButton3");
    RadioButton3->setGeometry(8, 56, 110, 17);
    SetHint(RadioButton3, "Fixe les dimensions de l'image", THintDisplay::hdShown);
    RadioButton1->setChecked(true);

    Edit1 = Named(new QLineEdit("100", group), "Edit1");
    Edit1->setGeometry(124, 34, 40, 20);
    Named(new QLabel("%", group), "Label1")->move(168, 37);
    Edit2 = Named(new QLineEdit(group), "Edit2");
    Edit2->setGeometry(124, 54, 44, 20);
    SetHint(Edit2, "Largeur", THintDisplay::hdStored);
    Named(new QLabel("x", group), "Label2")->move(172, 57);
    Edit3 = Named(new QLineEdit(group), "Edit3");
    Edit3->setGeometry(182, 54, 44, 20);
    SetHint(Edit3, "Hauteur", THintDisplay::hdStored);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3}) edit->setEnabled(false);

    connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton2Click(); });
    connect(RadioButton3, &QRadioButton::clicked, this, [this] { RadioButton3Click(); });
}

void TForm1::CreateOutputControls() {
    RadioGroup1 = Named(new TRadioGroup("Couleurs",
                                        {"Identiques", "Monochrome", "16 couleurs", "256 couleurs", "Vraies couleurs"},
                                        this, 2),
                        "RadioGroup1");
    RadioGroup1->setGeometry(8, 308, 250, 64);
    RadioGroup1->SetItemIndex(0);

    CheckBox1 = Named(new QCheckBox("Echelle", this), "CheckBox1");
    CheckBox1->setGeometry(8, 376, 80, 17);
    CheckBox1->setChecked(true);
    SetHint(CheckBox1, "Redimensionne l'image", THintDisplay::hdStored);
    CheckBox2 = Named(new QCheckBox("Visualiser", this), "CheckBox2");
    CheckBox2->setGeometry(92, 376, 80, 17);
    SetHint(CheckBox2, "Visualise pendant la conversoin", THintDisplay::hdStored);
    CheckBox3 = Named(new QCheckBox("Effacer", this), "CheckBox3");
    CheckBox3->setGeometry(176, 376, 80, 17);
    SetHint(CheckBox3, "Efface les images après conversion", THintDisplay::hdStored);
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });

    Named(new QLabel("Format :", this), "Label3")->move(266, 340);
    FilterComboBox2 = Named(new TFilterComboBox(QString::fromUtf8(kOutputFilter), this), "FilterComboBox2");
    FilterComboBox2->setGeometry(266, 356, 244, 22);
    SetHint(FilterComboBox2, "Définit le format cible", THintDisplay::hdShown);

    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setGeometry(8, 398, 502, 16);
    ProgressBar1->setRange(0, kProgressMax);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    SetHint(ProgressBar1, "Indique la progression de la conversion", THintDisplay::hdShown);

    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setGeometry(0, 421, 518, 19);
    StatusBar1->setSizeGripEnabled(false);
}

void TForm1::SetOptionDialogs(TForm2* form2, TForm3* form3, TForm4* form4) {
    form2_ = form2;
    form3_ = form3;
    form4_ = form4;
}

// ---- Handlers

void TForm1::DriveComboBox1Change() { DirectoryListBox1->SetDirectory(DriveComboBox1->Drive()); }

void TForm1::FileListBox1DblClick() {
    QListWidgetItem* item = FileListBox1->currentItem();
    if (!item) return;
    const std::string path = Utf8(QDir(FileListBox1->Directory()).filePath(item->text()));
    try {
        LoadPicture(path);
        Edit2->setText(QString::number(picture_.Width()));
        Edit3->setText(QString::number(picture_.Height()));
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

void TForm1::CheckBox1Click() {
    Image1->setScaledContents(CheckBox1->isChecked());
    ShowPreview();
}

void TForm1::RadioButton1Click() {
    Edit2->setEnabled(false);
    Edit3->setEnabled(false);
    Edit1->setEnabled(false);
}

void TForm1::RadioButton2Click() {
    Edit1->setEnabled(true);
    Edit2->setEnabled(false);
    Edit3->setEnabled(false);
}

void TForm1::RadioButton3Click() {
    Edit1->setEnabled(false);
    Edit2->setEnabled(true);
    Edit3->setEnabled(true);
}

void TForm1::BitBtn2Click() { RunBatch(*this); }

void TForm1::BitBtn1Click() { close(); }

// ---- Preview

void TForm1::LoadPicture(const std::string& path) {
    picture_.LoadFromFile(path);
    ShowPreview();
}

void TForm1::ShowPreview() {
    TGraphic* graphic = picture_.Graphic();
    if (!graphic) return;
    Image1->setPixmap(QPixmap::fromImage(ToQImage(*graphic)));
}

// ---- The batch's view of the window

int TForm1::EntryCount() { return FileListBox1->count(); }
int TForm1::SelectedCount() { return static_cast<int>(FileListBox1->selectedItems().size()); }
bool TForm1::EntrySelected(int index) {
    QListWidgetItem* item = FileListBox1->item(index);
    return item && item->isSelected();
}
std::string TForm1::EntryText(int index) { return Utf8(FileListBox1->item(index)->text()); }
std::string TForm1::SourceFolder() { return Utf8(FileListBox1->Directory()); }
std::string TForm1::DestinationFolder() { return Utf8(DirectoryListBox2->Directory()); }

void TForm1::SetConverting(bool converting) {
    BitBtn2->setEnabled(!converting);
    BitBtn1->setEnabled(!converting);
    if (converting)
        setCursor(Qt::BusyCursor);   // the arrow with an hourglass
    else
        unsetCursor();
}

void TForm1::SetProgressStep(int step) { progressStep_ = step; }

void TForm1::StepProgress() {
    ProgressBar1->setValue(StepPosition(ProgressBar1->value(), progressStep_, ProgressBar1->minimum(),
                                        ProgressBar1->maximum()));
}

void TForm1::ShowStatus(const std::string& text) { StatusBar1->showMessage(Text(text)); }

int TForm1::FormatIndex() { return FilterComboBox2->currentIndex(); }

bool TForm1::ShowOptionsDialog(TOutputFormat format) {
    QDialog* dialog = nullptr;
    switch (format) {
    case TOutputFormat::ofJpeg: dialog = form2_; break;
    case TOutputFormat::ofGif: dialog = form3_; break;
    case TOutputFormat::ofWindowsMetafile:
    case TOutputFormat::ofEnhancedMetafile:
        form4_->Edit1->setText(Edit2->text());
        form4_->Edit2->setText(Edit3->text());
        dialog = form4_;
        break;
    default: return false;
    }
    return dialog->exec() == 1;
}

TGraphic& TForm1::LoadPreview(const std::string& path) {
    LoadPicture(path);
    return *picture_.Graphic();
}

bool TForm1::Visualise() { return CheckBox2->isChecked(); }

void TForm1::ProcessMessages() { QCoreApplication::processEvents(); }

TConversionOptions TForm1::Options() {
    TConversionOptions options;
    options.FormatIndex = FilterComboBox2->currentIndex();
    options.Size.Mode = RadioButton2->isChecked()   ? TSizeMode::smProportional
                        : RadioButton1->isChecked() ? TSizeMode::smSame
                                                    : TSizeMode::smFixed;
    options.Size.Percent = Utf8(Edit1->text());
    options.Size.Width = Utf8(Edit2->text());
    options.Size.Height = Utf8(Edit3->text());
    options.ColorIndex = RadioGroup1->ItemIndex();
    if (form2_) options.Jpeg = form2_->Options();
    if (form3_) options.Gif = form3_->Options();
    if (form4_) options.Metafile = form4_->Options();
    options.DeleteSource = CheckBox3->isChecked();
    return options;
}

void TForm1::ShowError(const std::string& message) { ShowErrorMessage(Text(message)); }

} // namespace vermaline::gui
