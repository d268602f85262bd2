// The batch behind "&Convertir", driven through the window as a user drives it.
#include <filesystem>

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/gui/filter_combo_box.h"
#include "app/gui/form2.h"
#include "app/gui/form4.h"
#include "app/gui/radio_group.h"
#include "formats/platform/file_names.h"
#include "formats/platform/metafile.h"
#include "tests/gui/gui_fixture.h"

namespace vermaline::gui::test {
namespace {

using vermaline::test::PillowDecode;

class Batch : public GuiTest {
protected:
    void ThreeOfFour() {
        WriteGradient(In("a.bmp"), 101, 75);
        WriteGradient(In("b.bmp"), 40, 30);
        WriteGradient(In("c.bmp"), 64, 64);
        WriteGradient(In("d.bmp"), 9, 9);
        Open({"a.bmp", "b.bmp", "c.bmp"});
    }
};

TEST_F(Batch, ConvertsTheThreeSelectedFilesToEveryFormatWithAWriter) {
    ThreeOfFour();
    // Clicking a file fills "Largeur" and "Hauteur", which the metafile dialog receives.
    Form().FileListBox1->setCurrentRow(0);
    Form().FileListBox1DblClick();
    Form().FileListBox1->item(0)->setSelected(true);
    ASSERT_EQ(Form().Edit2->text(), "101");
    ASSERT_EQ(Form().Edit3->text(), "75");

    const struct {
        int index;
        const char* extension;
    } formats[] = {{0, ".bmp"}, {1, ".jpg"}, {2, ".wmf"}, {3, ".emf"}, {5, ".tif"}};
    for (const auto& f : formats) {
        Form().FilterComboBox2->setCurrentIndex(f.index);
        if (f.index == 1) AnswerDialog(forms.Form2, 1);
        if (f.index == 2 || f.index == 3) AnswerDialog(forms.Form4, 1);
        Convert();
        ASSERT_TRUE(errors.empty()) << errors.front();
        const struct {
            const char* base;
            int width, height;
        } files[] = {{"a", 101, 75}, {"b", 40, 30}, {"c", 64, 64}};
        for (const auto& file : files) {
            const std::string path = Out(std::string(file.base) + f.extension);
            ASSERT_TRUE(FileExists(path)) << path;
            if (f.index == 2 || f.index == 3) {
                TMetafile metafile;
                metafile.LoadFromFile(path);
                EXPECT_EQ(metafile.Width(), 101) << "the dialog's width, from the clicked file";
                EXPECT_EQ(metafile.Enhanced(), f.index == 3);
            } else {
                const auto image = PillowDecode(path);
                ASSERT_TRUE(image) << path;
                EXPECT_EQ(image->width, file.width) << path;
                EXPECT_EQ(image->height, file.height) << path;
            }
        }
        EXPECT_FALSE(FileExists(Out(std::string("d") + f.extension))) << "not selected";
    }
}

TEST_F(Batch, ShowsTheStatusTextsInOrder) {
    WriteGradient(In("a.bmp"), 4, 4);
    WriteGradient(In("b.bmp"), 4, 4);
    Open({"a.bmp", "b.bmp"});
    Form().CheckBox3->setChecked(true);
    Form().FilterComboBox2->setCurrentIndex(5);
    std::vector<bool> busy;
    QObject::connect(Form().StatusBar1, &QStatusBar::messageChanged, [&] {
        busy.push_back(Form().cursor().shape() == Qt::BusyCursor && !Form().BitBtn2->isEnabled() &&
                       !Form().BitBtn1->isEnabled());
    });
    Convert();
    EXPECT_EQ(busy, std::vector<bool>(10, true)) << "converting through the last text";
    const std::vector<std::string> expected = {
        "Démarrage de la conversion.", "Charge a.bmp", "Conversion de a.bmp", "Ecriture du fichier",
        "Effacement image source",     "Charge b.bmp", "Conversion de b.bmp", "Ecriture du fichier",
        "Effacement image source",     "Conversion terminée"};
    EXPECT_EQ(statuses, expected);
    EXPECT_TRUE(Form().BitBtn2->isEnabled());
    EXPECT_EQ(Form().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Batch, ProgressStepsByThousandOverTheCountAndContinuesInTheNextBatch) {
    ThreeOfFour();
    std::vector<int> positions;
    QObject::connect(Form().ProgressBar1, &QProgressBar::valueChanged, [&](int v) { positions.push_back(v); });
    Convert();
    EXPECT_EQ(positions, (std::vector<int>{333, 666, 999}));
    positions.clear();
    Open({"a.bmp", "d.bmp"});
    Convert();
    EXPECT_EQ(positions, (std::vector<int>{499, 999})) << "continued from 999, past the end";
}

TEST_F(Batch, WithoutASelectionNothingChanges) {
    WriteGradient(In("a.bmp"), 4, 4);
    Open({});
    Form().FilterComboBox2->setCurrentIndex(1);   // a dialog would show
    Convert();
    EXPECT_TRUE(statuses.empty());
    EXPECT_EQ(Form().ProgressBar1->value(), 0);
    EXPECT_FALSE(forms.Form2->isVisible());
    EXPECT_TRUE(std::filesystem::is_empty(destination));
    EXPECT_TRUE(Form().BitBtn2->isEnabled());
}

TEST_F(Batch, ProportionalFiftyOn101By75Gives50By37) {
    WriteGradient(In("a.bmp"), 101, 75);
    Open({"a.bmp"});
    Form().RadioButton2->click();
    ASSERT_TRUE(Form().Edit1->isEnabled());
    Form().Edit1->setText("50");
    Convert();
    const auto image = PillowDecode(Out("a.bmp"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 50);
    EXPECT_EQ(image->height, 37);
}

TEST_F(Batch, FixedSizeWithAnEmptyWidthStopsAtThatFileAndLeavesTheWindowUsable) {
    WriteGradient(In("a.bmp"), 10, 10);
    WriteGradient(In("b.bmp"), 10, 10);
    Open({"a.bmp", "b.bmp"});
    Form().RadioButton3->click();
    ASSERT_TRUE(Form().Edit2->isEnabled());
    Form().Edit2->setText("");
    Form().Edit3->setText("20");
    Convert();
    EXPECT_EQ(errors, std::vector<std::string>{"'' n'est pas une valeur entière correcte"});
    EXPECT_TRUE(std::filesystem::is_empty(destination)) << "nothing written for that file, none after it";
    EXPECT_EQ(statuses.back(), "Charge a.bmp") << "the status keeps its state";
    EXPECT_EQ(Form().ProgressBar1->value(), 0);
    EXPECT_TRUE(Form().BitBtn2->isEnabled());
    EXPECT_TRUE(Form().BitBtn1->isEnabled());
    EXPECT_EQ(Form().cursor().shape(), Qt::ArrowCursor) << "cursor restored";

    // The user corrects the field and goes on.
    errors.clear();
    Form().Edit2->setText("30");
    Convert();
    EXPECT_TRUE(errors.empty());
    const auto image = PillowDecode(Out("b.bmp"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 30);
    EXPECT_EQ(image->height, 20);
}

TEST_F(Batch, CancelledMetafileDialogStillSizesTheMetafileWithoutCreatorOrDescription) {
    WriteGradient(In("a.bmp"), 16, 12);
    Open({"a.bmp"});
    Form().Edit2->setText("16");
    Form().Edit3->setText("12");
    Form().FilterComboBox2->setCurrentIndex(3);
    AnswerDialog(forms.Form4, 2, [&] {
        EXPECT_EQ(forms.Form4->Edit1->text(), "16") << "copied from \"Largeur\" before showing";
        forms.Form4->Edit1->setText("800");
    });
    Convert();
    ASSERT_TRUE(errors.empty()) << errors.front();
    TMetafile metafile;
    metafile.LoadFromFile(Out("a.emf"));
    EXPECT_EQ(metafile.Width(), 800);
    EXPECT_EQ(metafile.Height(), 12);
    EXPECT_EQ(metafile.CreatedBy(), "");
    EXPECT_EQ(metafile.Description(), "");

    AnswerDialog(forms.Form4, 1);
    Convert();
    metafile.LoadFromFile(Out("a.emf"));
    EXPECT_EQ(metafile.CreatedBy(), "Q.Z.M.");
    EXPECT_EQ(metafile.Description(), "Fichier généré par QZM");
}

TEST_F(Batch, DeletesSourcesOnlyAfterCompleteOutputs) {
    WriteGradient(In("a.bmp"), 8, 8);
    vermaline::test::WriteFile(In("b.bmp"), {'B', 'M', 9});   // damaged
    WriteGradient(In("c.bmp"), 8, 8);
    Open({"a.bmp", "b.bmp", "c.bmp"});
    Form().CheckBox3->setChecked(true);
    Form().FilterComboBox2->setCurrentIndex(5);
    Convert();
    EXPECT_EQ(errors, std::vector<std::string>{"Image bitmap incorrecte"});
    EXPECT_FALSE(FileExists(In("a.bmp"))) << "converted, then deleted";
    EXPECT_TRUE(FileExists(Out("a.tif")));
    EXPECT_TRUE(FileExists(In("b.bmp"))) << "its conversion failed";
    EXPECT_TRUE(FileExists(In("c.bmp"))) << "the batch stopped before it";

    // No output format selected: nothing is written, so nothing is deleted.
    errors.clear();
    Open({"c.bmp"});
    Form().FilterComboBox2->setCurrentIndex(-1);
    Convert();
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(FileExists(In("c.bmp")));
    EXPECT_FALSE(FileExists(Out("c.tif")));

    // Output onto the source itself (same folder, same extension): the source is the output.
    Form().DirectoryListBox2->SetDirectory(QString::fromStdString(source));
    Form().FilterComboBox2->setCurrentIndex(0);
    Convert();
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(FileExists(In("c.bmp")));
    EXPECT_TRUE(PillowDecode(In("c.bmp")));
}

TEST_F(Batch, SixteenColoursGiveAFourBitBitmap) {
    WriteGradient(In("a.bmp"), 33, 17);
    Open({"a.bmp"});
    Form().RadioGroup1->SetItemIndex(2);
    Convert();
    const std::vector<uint8_t> bytes = vermaline::test::ReadFile(Out("a.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 4) << "bits per pixel";
    EXPECT_EQ(vermaline::test::Capture("identify -format '%z %wx%h' " + Out("a.bmp")), "4 33x17");
}

TEST_F(Batch, VisualiserLetsTheWindowRunOncePerFile) {
    WriteGradient(In("a.bmp"), 8, 8);
    WriteGradient(In("b.bmp"), 8, 8);
    Open({"a.bmp", "b.bmp"});
    Form().CheckBox2->setChecked(true);
    // A change made while the first file is shown applies to that file already: the format is
    // read again at every file's writing step, not once for the batch.
    int runs = 0;
    QTimer::singleShot(0, &Form(), [&] {
        ++runs;
        Form().FilterComboBox2->setCurrentIndex(5);
    });
    Convert();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(FileExists(Out("a.tif")));
    EXPECT_TRUE(FileExists(Out("b.tif")));
    EXPECT_FALSE(FileExists(Out("a.bmp")));
}

TEST_F(Batch, TheCommandLineWritesTheSameBytes) {
    WriteGradient(In("a.bmp"), 101, 75);
    vermaline::test::Run("convert -seed 3 -size 90x60 plasma: -quality 95 " + In("p.jpg"));
    Open({"a.bmp", "p.jpg"});
    Form().RadioButton2->click();
    Form().Edit1->setText("50");
    const std::string cli = vermaline::test::TempDir();
    const std::string inputs = " " + In("a.bmp") + " " + In("p.jpg");
    const std::string convert = std::string(VERMALINE_CONVERT) + " -q -s 50% -o " + cli;

    Form().RadioGroup1->SetItemIndex(3);
    Convert();
    ASSERT_EQ(vermaline::test::Run(convert + " -f bmp -c 256" + inputs), 0);

    Form().FilterComboBox2->setCurrentIndex(1);
    AnswerDialog(forms.Form2, 1, [&] { forms.Form2->Edit1->setText("25"); });
    Convert();
    ASSERT_EQ(vermaline::test::Run(convert + " -f jpg --jpeg-rate 25" + inputs), 0);

    Form().FilterComboBox2->setCurrentIndex(5);
    Form().RadioGroup1->SetItemIndex(2);
    Convert();
    ASSERT_EQ(vermaline::test::Run(convert + " -f tif -c 16" + inputs), 0);

    ASSERT_TRUE(errors.empty()) << errors.front();
    for (const char* name : {"a.bmp", "p.bmp", "a.jpg", "p.jpg", "a.tif", "p.tif"}) {
        const auto gui = vermaline::test::ReadFile(Out(name));
        EXPECT_FALSE(gui.empty()) << name;
        EXPECT_EQ(gui, vermaline::test::ReadFile(cli + "/" + name)) << name;
    }
}

} // namespace
} // namespace vermaline::gui::test
