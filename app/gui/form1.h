#pragma once
// The main window: source and destination folders, the file list, size, colours, format,
// preview, and the batch behind "&Convertir".
#include <functional>
#include <memory>

#include <QWidget>

#include "app/batch.h"
#include "formats/platform/picture.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace vermaline::gui {

class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TFilterComboBox;
class TForm2;
class TForm3;
class TForm4;
class TRadioGroup;

class TForm1 : public QWidget, private TBatchWindow {
public:
    TForm1();
    ~TForm1() override;

    // The option dialogs the batch shows; they are created after the main window.
    void SetOptionDialogs(TForm2* form2, TForm3* form3, TForm4* form4);

    // The standard error display (a critical message box unless replaced, as tests do).
    std::function<void(const QString& message)> ShowErrorMessage;

    // Handlers, named after their control and event.
    void DriveComboBox1Change();
    void FileListBox1DblClick();
    void CheckBox1Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void BitBtn2Click();
    void BitBtn1Click();

    const TPicture& Picture() const { return picture_; }

    TDirectoryListBox* DirectoryListBox1;
    TFileListBox* FileListBox1;
    TFilterComboBox* FilterComboBox1;
    TDriveComboBox* DriveComboBox1;
    QLabel* Image1;
    QCheckBox* CheckBox1;   // "Echelle"
    QCheckBox* CheckBox2;   // "Visualiser"
    QCheckBox* CheckBox3;   // "Effacer"
    QPushButton* BitBtn2;   // "&Convertir"
    QProgressBar* ProgressBar1;
    QPushButton* BitBtn1;   // "&Fermer"
    TDirectoryListBox* DirectoryListBox2;
    TDriveComboBox* DriveComboBox2;
    QRadioButton* RadioButton1;   // "Identique"
    QRadioButton* RadioButton2;   // "Proportionnelle"
    QRadioButton* RadioButton3;   // "Fixe"
    QLineEdit* Edit1;             // the percentage
    QLineEdit* Edit2;             // "Largeur"
    QLineEdit* Edit3;             // "Hauteur"
    TFilterComboBox* FilterComboBox2;
    TRadioGroup* RadioGroup1;     // "Couleurs"
    QStatusBar* StatusBar1;

private:
    void CreateSourceControls();
    void CreateDestinationControls();
    void CreateSizeControls();
    void CreateOutputControls();
    void ShowPreview();
    void LoadPicture(const std::string& path);

    // The batch's view of the window.
    int EntryCount() override;
    int SelectedCount() override;
    bool EntrySelected(int index) override;
    std::string EntryText(int index) override;
    std::string SourceFolder() override;
    std::string DestinationFolder() override;
    void SetConverting(bool converting) override;
    void SetProgressStep(int step) override;
    void StepProgress() override;
    void ShowStatus(const std::string& text) override;
    int FormatIndex() override;
    bool ShowOptionsDialog(TOutputFormat format) override;
    TGraphic& LoadPreview(const std::string& path) override;
    bool Visualise() override;
    void ProcessMessages() override;
    TConversionOptions Options() override;
    void ShowError(const std::string& message) override;

    TPicture picture_;   // Image1's picture
    int progressStep_ = 10;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
};

// The filter texts of the two filter lists.
extern const char* const kSourceFilter;
extern const char* const kOutputFilter;

} // namespace vermaline::gui
