// The desktop prompter's windows answer with the button clicked, under the caller's captions.

#include <QFileDialog>
#include <QPushButton>
#include <QTest>

#include "shell/ui/ErrorForm.h"
#include "shell/ui/QtPrompter.h"
#include "shell/ui/SaveFileDialog.h"
#include "shell/ui/YesNoCancelForm.h"
#include "support/TestSupport.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

using ui::YesNoCancelForm;

TEST(QtPrompter, AQuestionAnswersWithTheButtonClickedOrAsItsLastButtonOnEscape) {
    UiApplication();
    const std::vector<std::string> three{"Select Cal", "Use Current", "Cancel"};
    const std::vector<std::string> two{"Yes", "", "No"};  // the middle one hidden
    struct Case {
        std::vector<std::string> captions;
        int click;  // button index, or -1 for Esc
        int answer;
    };
    const Case cases[] = {{three, 0, 1},   {three, 1, 0},          {three, 2, -1},
                          {three, -1, -1}, {{"Yes", "No"}, -1, 0}, {two, -1, -1}};
    ui::QtPrompter prompter;
    for (const Case& c : cases) {
        WhenModal<YesNoCancelForm>([&](YesNoCancelForm* form) {
            EXPECT_EQ(form->Text(), "Replace it?");
            for (size_t i = 0; i < 3; ++i) {
                const std::string caption = i < c.captions.size() ? c.captions[i] : "";
                EXPECT_EQ(form->Button(i)->text().toStdString(), caption);
                EXPECT_EQ(form->Button(i)->isVisible(), !caption.empty());
            }
            if (c.captions == three && c.click == 0) SaveScreenshot(*form, "YesNoCancelForm");
            if (c.click < 0)
                QTest::keyClick(form, Qt::Key_Escape);
            else
                QTest::mouseClick(form->Button(c.click), Qt::LeftButton);
        });
        EXPECT_EQ(prompter.Ask("Replace it?", c.captions), c.answer);
    }

    const std::string message =
        "Error opening /home/observer/cruises/2024-spring/station-17/VN6-2201-cast-0042.raw: No "
        "such file or directory.";
    WhenModal<ui::ErrorForm>([&](ui::ErrorForm* form) {
        EXPECT_EQ(form->Text().toStdString(), message);
        SaveScreenshot(*form, "ErrorForm");
        QTest::mouseClick(form->OkButton(), Qt::LeftButton);
    });
    prompter.ShowMessage(message);
}

TEST(QtPrompter, TheSaveDialogShowsTheTypesAndReturnsThePathAndTypeChosen) {
    UiApplication();
    const std::string types =
        "Raw and Calibrated Data (*.raw, *.dat)|*.raw;*.dat|Raw Data Only (*.raw)|*.raw|"
        "Calibrated Data Only (*.dat)|*.dat";
    EXPECT_EQ(
        ui::SaveNameFilters(types),
        QStringList({"Raw and Calibrated Data (*.raw, *.dat) (*.raw *.dat)",
                     "Raw Data Only (*.raw) (*.raw)", "Calibrated Data Only (*.dat) (*.dat)"}));
    TempDir temp;
    ui::QtPrompter prompter;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), temp.path());
        EXPECT_EQ(ui::ChosenFileType(*dialog), 3);
        SaveScreenshot(*dialog, "SaveAs");
        dialog->selectNameFilter(ui::SaveNameFilters(types)[1]);
        // a file dialog leaves its name box alone while the box has the focus, which it may
        // already have been given
        if (QWidget* focused = dialog->focusWidget()) focused->clearFocus();
        dialog->selectFile(QString::fromStdString(temp.File("cast7")));
        static_cast<QDialog*>(dialog)->accept();  // public as a QDialog
    });
    int type = 3;
    EXPECT_EQ(prompter.AskSavePathAndType("Save As", temp.path() + "/", types, type),
              temp.File("cast7.raw"));
    EXPECT_EQ(type, 2);

    WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(prompter.AskSavePath("Save As", temp.File("a.cal"), "Calibration File (*.cal)|*.cal"),
              "");
}

}  // namespace
}  // namespace tidewell::test
