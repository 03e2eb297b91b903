// The batch window lists a folder's raw files, filters them by the calibration, converts the
// selected ones into another folder and unselects each file it has converted.

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "files/BatchProcess.h"
#include "files/BatchTestFiles.h"
#include "files/ui/BatchForm.h"
#include "support/TestSupport.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

TEST(BatchForm, ConvertsTheFilteredFileAsTheBatchConversionDoes) {
    UiApplication();
    TempDir out;
    const HeaderSettings settings = HandHeaderSettings();
    const SigmaTables tables = LoadSigmaTables(settings.sigma);
    const ManualClock clock(kTestCreationDate);
    ScriptedPrompter prompter;
    const std::string source = DataPath("batch");
    ui::BatchForm form({settings, &tables, source, DataPath("batch/vantor6.cal"), 2}, prompter,
                       clock);
    auto* list = Child<QListWidget>(form, "List1");
    auto listed = [list] {
        std::vector<std::string> names;
        for (int row = 0; row < list->count(); ++row)
            names.push_back(list->item(row)->text().toStdString());
        return names;
    };
    EXPECT_EQ(listed(),
              (std::vector<std::string>{"alumo.raw", "clumo.raw", "trevan2.raw", "vantor6.raw"}));
    Child<QCheckBox>(form, "FilterFilesCheck")->setChecked(true);
    EXPECT_EQ(listed(), std::vector<std::string>{"vantor6.raw"});

    Child<QPushButton>(form, "SelectAllButton")->click();
    Child<QCheckBox>(form, "SaveToSourceCheck")->setChecked(false);
    Child<QLineEdit>(form, "DatFileText")->setText(QString::fromStdString(out.path()));
    form.show();
    SaveScreenshot(form, "batch");
    Child<QPushButton>(form, "ProcessButton")->click();
    EXPECT_EQ(prompter.shown, std::vector<std::string>{});
    std::string dat = ReadFileBytes(out.File("vantor6.dat"));
    // The header names the raw file and the calibration by their full paths.
    for (size_t at; (at = dat.find(source + "/")) != std::string::npos;)
        dat.erase(at, source.size() + 1);
    EXPECT_EQ(dat, ReadFileBytes(DataPath("batch/vantor6.dat")));

    // The converted file was unselected.
    Child<QPushButton>(form, "ProcessButton")->click();
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kNothingSelectedMessage});
}

}  // namespace
}  // namespace tidewell::test
