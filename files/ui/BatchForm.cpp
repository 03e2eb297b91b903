#include "files/ui/BatchForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>
#include <vector>

#include "files/BatchProcess.h"
#include "files/FilePaths.h"

namespace tidewell::ui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* Field(const char* name, const std::string& text, QWidget* parent) {
    auto* f = new QLineEdit(Q(text), parent);
    f->setObjectName(name);
    return f;
}

}  // namespace

// The progress window of one run, and the list's selection following the finished files.
class BatchForm::RunWindow : public BatchObserver {
  public:
    RunWindow(BatchForm& form, std::vector<int> rows) : form_(form), rows_(std::move(rows)) {}

    void Begin(const std::string& caption) override {
        dialog_ = std::make_unique<QProgressDialog>(Q(caption), "Cancel", 0, 1000, &form_);
        dialog_->setWindowTitle(Q(caption));
        // Modal to the whole program: no window may close the form while it converts.
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        QObject::connect(dialog_.get(), &QProgressDialog::canceled, &form_,
                         [this] { form_.cancel_ = -1; });
        dialog_->show();
    }
    void Progress(const ConvertFilesProgress& p) override {
        if (dialog_ && p.range > 0)
            dialog_->setValue(static_cast<int>(p.position * 1000 / p.range));
        // Cancel and the window's redraws are handled here.
        QApplication::processEvents();
    }
    void FileDone(size_t index, int, const ConversionReport&) override {
        if (index < rows_.size()) form_.list_->item(rows_[index])->setSelected(false);
    }
    void End() override { dialog_.reset(); }

  private:
    BatchForm& form_;
    std::vector<int> rows_;  // the list row of each file of the run
    std::unique_ptr<QProgressDialog> dialog_;
};

BatchForm::BatchForm(BatchFormSetup setup, Prompter& prompter, const Clock& clock, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), prompter_(prompter), clock_(clock) {
    setWindowTitle("Process Raw Data Files");

    // The source: folder, pattern and the eligible files.
    sourceText_ = Field("SourceFileText", setup_.sourceFolder, this);
    auto* browseSource = Button("BrowseSourceButton", "Browse...", this);
    pattern_ = new QComboBox(this);
    pattern_->setObjectName("Combo1");
    pattern_->setEditable(true);
    pattern_->addItems({"*.raw", "*.*"});
    list_ = new QListWidget(this);
    list_->setObjectName("List1");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    filterCheck_ = new QCheckBox("Show only files matching calibration file", this);
    filterCheck_->setObjectName("FilterFilesCheck");
    auto* selectAll = Button("SelectAllButton", "Select &All", this);
    auto* selectNone = Button("SelectNoneButton", "Select &None", this);

    auto* source = new QGridLayout;
    source->addWidget(new QLabel("Directory containing source files:", this), 0, 0, 1, 2);
    source->addWidget(sourceText_, 1, 0);
    source->addWidget(browseSource, 1, 1);
    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(new QLabel("Files:", this));
    patternRow->addWidget(pattern_, 1);
    source->addLayout(patternRow, 2, 0, 1, 2);
    source->addWidget(new QLabel("Eligible Files:", this), 3, 0, 1, 2);
    source->addWidget(list_, 4, 0, 1, 2);
    source->setRowStretch(4, 1);
    source->addWidget(filterCheck_, 5, 0, 1, 2);
    auto* selectRow = new QHBoxLayout;
    selectRow->addWidget(selectAll);
    selectRow->addWidget(selectNone);
    selectRow->addStretch();
    source->addLayout(selectRow, 6, 0, 1, 2);

    // The output: its kind with the calibration or the housekeeping columns.
    auto* output = new QGroupBox("Output", this);
    calibratedButton_ = new QRadioButton("Make Calibrated Files", output);
    calibratedButton_->setObjectName("ProcessOptionButton0");
    decimalButton_ = new QRadioButton("Make Raw Decimal Files", output);
    decimalButton_->setObjectName("ProcessOptionButton1");
    calibratedButton_->setChecked(true);
    calText_ = Field("CalFileText", setup_.calFile, output);
    browseCal_ = Button("BrowseCalFileButton", "Browse...", output);
    houseCheck_ = new QCheckBox("Include Housekeeping", output);
    houseCheck_->setObjectName("HouseCheck");
    auto* outputLayout = new QGridLayout(output);
    outputLayout->addWidget(calibratedButton_, 0, 0, 1, 2);
    outputLayout->addWidget(new QLabel("Calibration file:", output), 1, 0, 1, 2);
    outputLayout->addWidget(calText_, 2, 0);
    outputLayout->addWidget(browseCal_, 2, 1);
    outputLayout->addWidget(decimalButton_, 3, 0, 1, 2);
    outputLayout->addWidget(houseCheck_, 4, 0, 1, 2);

    // Where the outputs go.
    auto* destination = new QGroupBox("Destination", this);
    saveToSourceCheck_ = new QCheckBox("Same location as raw files", destination);
    saveToSourceCheck_->setObjectName("SaveToSourceCheck");
    saveToSourceCheck_->setChecked(true);
    destinationText_ = Field("DatFileText", "", destination);
    browseDestination_ = Button("BrowseDestinationButton", "Browse...", destination);
    auto* destinationLayout = new QGridLayout(destination);
    destinationLayout->addWidget(saveToSourceCheck_, 0, 0, 1, 2);
    destinationLayout->addWidget(destinationText_, 1, 0);
    destinationLayout->addWidget(browseDestination_, 1, 1);

    auto* process = Button("ProcessButton", "&Process", this);
    auto* close = Button("Cancel_Button", "&Close", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(process);
    buttons->addWidget(close);

    auto* right = new QVBoxLayout;
    right->addWidget(output);
    right->addWidget(destination);
    right->addStretch();
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(source, 1);
    layout->addLayout(right, 1);
    resize(720, 440);

    connect(sourceText_, &QLineEdit::textChanged, this, &BatchForm::RebuildList);
    connect(pattern_, &QComboBox::currentTextChanged, this, &BatchForm::RebuildList);
    connect(filterCheck_, &QCheckBox::toggled, this, &BatchForm::RebuildList);
    connect(calibratedButton_, &QRadioButton::toggled, this, [this] {
        UpdateEnabled();
        RebuildList();
    });
    connect(calText_, &QLineEdit::textChanged, this, &BatchForm::CalibrationChanged);
    connect(saveToSourceCheck_, &QCheckBox::toggled, this, &BatchForm::UpdateEnabled);
    connect(selectAll, &QPushButton::clicked, list_, &QListWidget::selectAll);
    connect(selectNone, &QPushButton::clicked, list_, &QListWidget::clearSelection);
    connect(browseSource, &QPushButton::clicked, this, [this] {
        const QString folder = ChooseFolder(sourceText_->text());
        if (!folder.isEmpty()) sourceText_->setText(folder);
    });
    connect(browseDestination_, &QPushButton::clicked, this, [this] {
        const QString folder = ChooseFolder(destinationText_->text());
        if (!folder.isEmpty()) destinationText_->setText(folder);
    });
    connect(browseCal_, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, "Select Calibration File", calText_->text(),
            "Calibration File (*.cal);;Old Calibration File (*.ini);;All Files (*)");
        if (!path.isEmpty()) calText_->setText(path);
    });
    connect(process, &QPushButton::clicked, this, &BatchForm::Process);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    UpdateEnabled();
    CalibrationChanged();
}

BatchForm::~BatchForm() = default;

QString BatchForm::ChooseFolder(const QString& start) {
    return QFileDialog::getExistingDirectory(this, "Select Folder", start);
}

void BatchForm::UpdateEnabled() {
    const bool calibrated = calibratedButton_->isChecked();
    calText_->setEnabled(calibrated);
    browseCal_->setEnabled(calibrated);
    filterCheck_->setEnabled(calibrated);
    houseCheck_->setEnabled(!calibrated);
    const bool elsewhere = !saveToSourceCheck_->isChecked();
    destinationText_->setEnabled(elsewhere);
    browseDestination_->setEnabled(elsewhere);
}

void BatchForm::CalibrationChanged() {
    // The filter compares the files with the calibration; its messages wait for Process.
    filterCalibration_.reset();
    const std::string path = calText_->text().toStdString();
    if (FileExists(path)) {
        auto calibration = std::make_unique<CalibrationDataClass>();
        SilentPrompter silent;
        const SigmaTables noTables;
        if (LoadUsableCalibration(path, setup_.header.sigma,
                                  setup_.tables != nullptr ? *setup_.tables : noTables, silent,
                                  *calibration)
                .empty())
            filterCalibration_ = std::move(calibration);
    }
    RebuildList();
}

void BatchForm::RebuildList() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto names = ListEligibleFiles(
        sourceText_->text().toStdString(), pattern_->currentText().toStdString(),
        calibratedButton_->isChecked() ? OutputKind::kCalibrated : OutputKind::kDecimal,
        filterCheck_->isChecked(), filterCalibration_.get());
    list_->clear();
    for (const auto& name : names) list_->addItem(Q(name));
    QApplication::restoreOverrideCursor();
}

void BatchForm::Process() {
    BatchRequest request;
    request.sourceFolder = sourceText_->text().toStdString();
    std::vector<int> rows;
    for (int row = 0; row < list_->count(); ++row) {
        if (!list_->item(row)->isSelected()) continue;
        rows.push_back(row);
        request.selected.push_back(list_->item(row)->text().toStdString());
    }
    request.output =
        calibratedButton_->isChecked() ? OutputKind::kCalibrated : OutputKind::kDecimal;
    request.calFile = calText_->text().toStdString();
    request.withHousekeeping = houseCheck_->isChecked();
    request.saveToSource = saveToSourceCheck_->isChecked();
    request.destinationFolder = destinationText_->text().toStdString();
    request.jobs = setup_.jobs > 0
                       ? setup_.jobs
                       : static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));

    // Every file of the run carries its start as creation date, however many run at once.
    const ManualClock runStart(clock_.Now());
    BatchEnvironment environment;
    environment.header = setup_.header;
    environment.tables = setup_.tables;
    environment.clock = &runStart;
    RunWindow progress(*this, std::move(rows));
    ProcessFiles(request, environment, prompter_, &progress, &cancel_);
}

}  // namespace tidewell::ui
