#include "shell/ui/PreferencesForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"

namespace tidewell::ui {

namespace {

QCheckBox* CheckBox(const char* caption, const SettingKey& key, bool checked, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(key.key);
    box->setChecked(checked);
    return box;
}

}  // namespace

PreferencesForm::PreferencesForm(AppSettings& settings, SettingsStore& store, QWidget* parent)
    : QDialog(parent), settings_(settings), store_(store) {
    setWindowTitle("Tidewell Preferences");
    auto* layout = new QVBoxLayout(this);

    recallLastCal_ = CheckBox("Automatically recall last selected calibration file",
                              keys::RecallLastCal, ReadFlag(store, keys::RecallLastCal), this);
    kavra_ = CheckBox("Enable Kavra options", keys::KAVRA, settings.Kavra, this);
    layout->addWidget(recallLastCal_);
    layout->addWidget(kavra_);

    auto* startup = new QGroupBox("Connect when program starts", this);
    auto* startupLayout = new QVBoxLayout(startup);
    connectOnStartup_ = new QButtonGroup(this);
    const int stored = RoundToInt32(ReadNumber(store, keys::ConnectOnStartup));
    for (auto [caption, id] :
         {std::pair{"Search for instruments", 2}, std::pair{"Restore previous connection", 1},
          std::pair{"Do not connect", 0}}) {
        auto* option = new QRadioButton(caption, startup);
        option->setObjectName(QString("%1%2").arg(keys::ConnectOnStartup.key).arg(id));
        option->setChecked(id == stored || (id == 0 && (stored < 0 || stored > 2)));
        connectOnStartup_->addButton(option, id);
        startupLayout->addWidget(option);
    }
    layout->addWidget(startup);

    auto* pointsRow = new QHBoxLayout;
    pointsRow->addWidget(new QLabel("Maximum samples in a graph:", this));
    maxGraphPoints_ = new QLineEdit(QString::number(settings.MaxGraphPoints), this);
    maxGraphPoints_->setObjectName(keys::MaxGraphPoints.key);
    maxGraphPoints_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), maxGraphPoints_));
    maxGraphPoints_->setMaximumWidth(maxGraphPoints_->fontMetrics().horizontalAdvance("0") * 12);
    pointsRow->addWidget(maxGraphPoints_);
    pointsRow->addStretch();
    layout->addLayout(pointsRow);
    layout->addWidget(new QLabel("(Does not affect graphs that are open now)", this));

    nameFilesOnOpen_ =
        CheckBox("Request user to name files when they are created", keys::NameFilesOnOpen,
                 ReadFlag(store, keys::NameFilesOnOpen), this);
    layout->addWidget(nameFilesOnOpen_);

    layout->addWidget(new QLabel("Header to include in all data files:", this));
    userHeader_ = new QPlainTextEdit(QString::fromStdString(store.Read(keys::UserHeader)), this);
    userHeader_->setObjectName(keys::UserHeader.key);
    userHeader_->setMinimumHeight(userHeader_->fontMetrics().lineSpacing() * 5);
    layout->addWidget(userHeader_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void PreferencesForm::accept() {
    store_.Write(keys::RecallLastCal, CheckBoxText(recallLastCal_->isChecked()));
    // written with the other settings in memory when the program saves them
    settings_.Kavra = kavra_->isChecked();
    store_.Write(keys::ConnectOnStartup, PlainInt(connectOnStartup_->checkedId()));
    settings_.MaxGraphPoints = ClampGraphPoints(ReadDecimal(maxGraphPoints_->text().toStdString()));
    store_.Write(keys::MaxGraphPoints, PlainInt(settings_.MaxGraphPoints));
    store_.Write(keys::NameFilesOnOpen, CheckBoxText(nameFilesOnOpen_->isChecked()));
    store_.Write(keys::UserHeader, userHeader_->toPlainText().toStdString());
    QDialog::accept();
}

}  // namespace tidewell::ui
