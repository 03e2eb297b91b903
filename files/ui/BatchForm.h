#pragma once
// The "Process Raw Data Files" window: a folder of raw files, the pattern and filter that list
// the eligible ones, the output kind, the calibration and the destination; Process converts the
// selected files (several at once) behind a progress window with Cancel. The listing, the checks,
// the questions and the conversion are the batch conversion's own (files/BatchProcess.h); the
// window only gathers its fields and shows what happens.

#include <QDialog>
#include <atomic>
#include <memory>
#include <string>

#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "files/DatFile.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tidewell::ui {

struct BatchFormSetup {
    HeaderSettings header;  // user header, sigma and pure-water parameters of the outputs
    const SigmaTables* tables = nullptr;
    std::string sourceFolder;  // the fields' first contents
    std::string calFile;
    int jobs = 0;  // files converted at once; 0: one per core
};

class BatchForm : public QDialog {
    Q_OBJECT
  public:
    // `clock` dates the outputs: every file of one run carries the run's start.
    BatchForm(BatchFormSetup setup, Prompter& prompter, const Clock& clock,
              QWidget* parent = nullptr);
    ~BatchForm() override;

    // The "Process" button.
    void Process();

  private:
    class RunWindow;
    void RebuildList();
    void CalibrationChanged();
    void UpdateEnabled();
    QString ChooseFolder(const QString& start);

    BatchFormSetup setup_;
    Prompter& prompter_;
    const Clock& clock_;
    // The calibration named in the field, for the filter; null when it cannot be used.
    std::unique_ptr<CalibrationDataClass> filterCalibration_;
    std::atomic<int> cancel_{0};

    QLineEdit* sourceText_ = nullptr;
    QComboBox* pattern_ = nullptr;
    QListWidget* list_ = nullptr;
    QCheckBox* filterCheck_ = nullptr;
    QRadioButton* calibratedButton_ = nullptr;
    QRadioButton* decimalButton_ = nullptr;
    QLineEdit* calText_ = nullptr;
    QPushButton* browseCal_ = nullptr;
    QCheckBox* houseCheck_ = nullptr;
    QCheckBox* saveToSourceCheck_ = nullptr;
    QLineEdit* destinationText_ = nullptr;
    QPushButton* browseDestination_ = nullptr;
};

}  // namespace tidewell::ui
