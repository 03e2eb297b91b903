#include "calibration/ui/CalibrationWindow.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cerrno>

#include "files/DataFileWriter.h"
#include "files/FilePaths.h"
#include "instrument/CalExchange.h"
#include "settings/AppSettings.h"
#include "stream/Models.h"

namespace tidewell::ui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The groups another calibration can give, in the order the merge dialog offers them.
constexpr int32_t kMergeGroups[] = {kChangedMu,     kChangedFluorescenceMu, kChangedGain,
                                    kChangedOffset, kChangedPolySigma,      kChangedExpSigma,
                                    kChangedDepth,  kChangedIdentification};

const QColor kDifferingColour(255, 214, 150);

}  // namespace

bool SaveCalibrationAs(CalibrationDataClass& cal, AppSettings& settings, Prompter& prompter) {
    const std::string path = prompter.AskSavePath(
        "Save As", WithoutExtension(cal.SavedFile()) + ".cal", "Calibration File (*.cal)|*.cal");
    if (path.empty()) return false;
    errno = 0;
    if (!cal.SaveAsFile(path)) {
        prompter.ShowMessage(WriteErrorText(path, SystemErrorText(errno)));
        return false;
    }
    settings.CalFile = path;
    cal.Changed = 0;
    return true;
}

CalibrationWindow::CalibrationWindow(ConnectionContext& connection, int slot, QWidget* parent)
    : QWidget(parent, Qt::Window), connection_(connection), slot_(slot) {
    auto* layout = new QVBoxLayout(this);
    identity_ = new QLabel(this);
    changed_ = new QLabel(this);
    comparison_ = new QLabel(this);
    comparison_->setWordWrap(true);
    for (QLabel* l : {identity_, changed_, comparison_}) layout->addWidget(l);

    tree_ = new QTreeWidget(this);
    tree_->setColumnCount(3);
    tree_->setHeaderLabels({"Field", "Value", "Other"});
    tree_->setColumnHidden(2, true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->header()->setSectionResizeMode(QHeaderView::Interactive);
    tree_->setColumnWidth(0, 200);
    tree_->setColumnWidth(1, 180);
    layout->addWidget(tree_, 1);
    connect(tree_, &QTreeWidget::itemChanged, this, &CalibrationWindow::FieldEdited);
    // only the value column is edited
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int col) {
        if (col == 1 && (item->flags() & Qt::ItemIsEditable)) tree_->editItem(item, 1);
    });

    auto* row = new QHBoxLayout;
    auto button = [&](const char* caption, auto slotFn) {
        auto* b = new QPushButton(caption, this);
        connect(b, &QPushButton::clicked, this, slotFn);
        row->addWidget(b);
        buttons_.push_back(b);
        return b;
    };
    button("Open Other File...", [this] { ChooseOther(); });
    button("Read From Instrument", [this] { ReadOtherFromInstrument(); });
    mergeButton_ = button("Merge...", [this] { ChooseMerge(); });
    button("Save As...", [this] { SaveAs(); });
    button("Send To Instrument...", [this] { Send(); });
    row->addStretch();
    button("Close", [this] { close(); });
    layout->addLayout(row);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    resize(640, 720);
    Refresh();
}

CalibrationDataClass& CalibrationWindow::Calibration() {
    return connection_.program.Slot(slot_).Calibration();
}

void CalibrationWindow::Refresh() {
    if (Calibration().DeviceType != fieldsType_) Rebuild();
    ShowValues();
}

void CalibrationWindow::Rebuild() {
    fieldsType_ = Calibration().DeviceType;
    fields_ = CalibrationFields(fieldsType_);
    showing_ = true;
    tree_->clear();
    items_.clear();
    QTreeWidgetItem* section = nullptr;
    for (const CalField& f : fields_) {
        if (!section || section->text(0) != Q(f.section)) {
            section = new QTreeWidgetItem(tree_, {Q(f.section)});
            section->setFlags(Qt::ItemIsEnabled);
            section->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(section, {Q(f.name)});
        item->setData(0, Qt::UserRole, static_cast<int>(items_.size()));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (f.store)
            flags |= Qt::ItemIsEditable;
        else
            item->setForeground(1, QColor(110, 110, 110));  // derived: not edited
        item->setFlags(flags);
        items_.push_back(item);
    }
    showing_ = false;
}

void CalibrationWindow::ShowValues() {
    CalibrationDataClass& cal = Calibration();
    showing_ = true;
    const bool comparing = other_ != nullptr;
    tree_->setColumnHidden(2, !comparing);
    for (size_t i = 0; i < fields_.size(); ++i) {
        QTreeWidgetItem* item = items_[i];
        const QString value = Q(fields_[i].text(cal));
        item->setText(1, value);
        const bool differs = comparing && Q(fields_[i].text(*other_)) != value;
        item->setText(2, comparing ? Q(fields_[i].text(*other_)) : QString());
        QFont font = item->font(0);
        font.setBold(differs);
        for (int col = 0; col < 3; ++col) {
            item->setFont(col, font);
            item->setBackground(col, differs ? QBrush(kDifferingColour) : QBrush());
        }
    }
    showing_ = false;

    const std::string source = cal.SourceFile().empty() ? "(no file)" : cal.SourceFile();
    identity_->setText(Q(ModelName(cal.DeviceType) + " " + cal.Serial + "    " + source));
    const std::string changed = cal.ChangedDescription();
    changed_->setText(Q("Changed: " + (changed.empty() ? std::string("nothing") : changed)));
    if (comparing) {
        const std::string words = ChangeWords(cal.Compare(*other_));
        comparison_->setText(Q("Compared with " + otherSource_ + ": " +
                               (words.empty() ? std::string("no differences") : words) + " (" +
                               std::to_string(DifferingCount()) + " fields differ)"));
        tree_->headerItem()->setText(2, Q(ModelName(other_->DeviceType) + " " + other_->Serial));
    } else {
        comparison_->setText("No other calibration to compare with.");
    }
    mergeButton_->setEnabled(comparing);
    setWindowTitle(
        Q("Calibration " + ModelName(cal.DeviceType) + " " + cal.Serial + " - Tidewell"));
}

void CalibrationWindow::FieldEdited(QTreeWidgetItem* item, int column) {
    if (showing_ || column != 1) return;
    const QVariant index = item->data(0, Qt::UserRole);
    if (!index.isValid()) return;
    const CalField& field = fields_[static_cast<size_t>(index.toInt())];
    const std::string text = item->text(1).trimmed().toStdString();
    Prompter& prompter = connection_.program.prompter;
    if (!EditCalField(Calibration(), field, text, prompter))
        prompter.ShowMessage("\"" + text + "\" is not a value for " + field.name + " (" +
                             field.section + ").");
    Refresh();
}

QTreeWidgetItem* CalibrationWindow::FieldItem(const QString& section, const QString& name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (Q(fields_[i].section) == section && Q(fields_[i].name) == name) return items_[i];
    return nullptr;
}

int CalibrationWindow::DifferingCount() const {
    int n = 0;
    for (QTreeWidgetItem* item : items_)
        if (item->font(1).bold()) ++n;
    return n;
}

QString CalibrationWindow::ChangedText() const {
    return changed_->text();
}

QString CalibrationWindow::ComparisonText() const {
    return comparison_->text();
}

// ---- The other calibration.

void CalibrationWindow::ChooseOther() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Select Calibration File", Q(connection_.program.settings.OpenCalPath),
        "Calibration File (*.cal);;Old Calibration File (*.ini);;All Files (*)");
    if (!path.isEmpty()) OpenOther(path.toStdString());
}

bool CalibrationWindow::OpenOther(const std::string& path) {
    auto other = std::make_shared<CalibrationDataClass>();
    ProgramState& program = connection_.program;
    const std::string why = LoadUsableCalibration(path, program.settings.Sigma, connection_.tables,
                                                  program.prompter, *other);
    if (!why.empty()) {
        program.prompter.ShowMessage(UnusableCalibrationText(path, why));
        return false;
    }
    other_ = other;
    otherSource_ = path;
    ShowValues();
    return true;
}

template <class Exchange>
auto CalibrationWindow::Exchanging(Exchange exchange) {
    ConnectionContext ctx = connection_;
    ctx.observer = this;
    // nothing is edited while the instrument is being talked to
    tree_->setEnabled(false);
    for (QPushButton* b : buttons_) b->setEnabled(false);
    const auto result = exchange(ctx);
    for (QPushButton* b : buttons_) b->setEnabled(true);
    tree_->setEnabled(true);
    return result;
}

bool CalibrationWindow::ReadOtherFromInstrument() {
    ProgramState& program = connection_.program;
    const InstrumentRecord& r = program.Slot(slot_);
    if (!r.PortOpen() || !r.identified) {
        program.prompter.ShowMessage("Connect to the instrument before reading its calibration.");
        return false;
    }
    auto other =
        Exchanging([this](ConnectionContext& ctx) { return ReadCalibrationAside(ctx, slot_); });
    if (!other) {
        status_->setText("");
        program.prompter.ShowMessage("The calibration could not be read from the instrument.");
        return false;
    }
    other_ = other;
    otherSource_ = "the instrument " + r.serialNumber;
    status_->setText("");
    ShowValues();
    return true;
}

void CalibrationWindow::MergeFromOther(int32_t mask) {
    if (!other_) return;
    CalibrationDataClass& cal = Calibration();
    const int32_t differing = cal.Compare(*other_);
    cal.Merge(*other_, mask);
    cal.Changed |= differing & mask;
    Refresh();
}

void CalibrationWindow::ChooseMerge() {
    if (!other_) return;
    QDialog dialog(this);
    dialog.setWindowTitle("Merge");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Q("Take from " + otherSource_ + ":"), &dialog));
    const int32_t differing = Calibration().Compare(*other_);
    std::vector<std::pair<QCheckBox*, int32_t>> boxes;
    for (int32_t bit : kMergeGroups) {
        auto* box = new QCheckBox(Q(ChangeWords(bit)), &dialog);
        box->setChecked((differing & bit) != 0);
        layout->addWidget(box);
        boxes.emplace_back(box, bit);
    }
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(ok, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(ok, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(ok);
    if (dialog.exec() != QDialog::Accepted) return;
    int32_t mask = 0;
    for (const auto& [box, bit] : boxes)
        if (box->isChecked()) mask |= bit;
    MergeFromOther(mask);
}

// ---- Saving and sending.

bool CalibrationWindow::SaveAs() {
    const bool saved = SaveCalibrationAs(Calibration(), connection_.program.settings,
                                         connection_.program.prompter);
    Refresh();
    return saved;
}

bool CalibrationWindow::Send() {
    ProgramState& program = connection_.program;
    const InstrumentRecord& r = program.Slot(slot_);
    const CalibrationDataClass& cal = Calibration();
    std::string refusal;
    if (!r.PortOpen() || !r.identified)
        refusal = "Connect to the instrument before sending it a calibration.";
    else if (cal.DeviceType != r.instrumentType)
        refusal = "This calibration is for a " + ModelName(cal.DeviceType) +
                  "; the instrument is a " + ModelName(r.instrumentType) + ".";
    else if (!IsVantorFamily(r.instrumentType) && !IsSingleChannel(r.instrumentType))
        refusal = "A calibration cannot be sent to a " + ModelName(r.instrumentType) + ".";
    if (!refusal.empty()) {
        program.prompter.ShowMessage(refusal);
        return false;
    }
    if (program.prompter.Ask(kSendWarningQuestion, {"Yes", "Cancel"}) != 1) return false;
    // the slot's calibration may be swapped while the exchange reads the instrument: keep it
    const std::shared_ptr<CalibrationDataClass> sent = program.Slot(slot_).calibration;
    const bool ok = Exchanging([&](ConnectionContext& ctx) {
        return IsVantorFamily(sent->DeviceType) ? SendToVN(ctx, slot_, *sent)
                                                : SendToXLumo(ctx, slot_, *sent);
    });
    status_->setText(ok ? "The calibration was sent." : "The calibration was not sent.");
    Refresh();
    return ok;
}

// ---- The exchange's progress.

void CalibrationWindow::ShowDialogStatus(int, const std::string& text) {
    status_->setText(Q(text));
}

void CalibrationWindow::ShowWindowStatus(int slot, const std::string& text) {
    if (connection_.observer) connection_.observer->ShowWindowStatus(slot, text);
}

void CalibrationWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit Hidden();
}

}  // namespace tidewell::ui
