#include "calibration/ui/BbParamsForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "settings/AppSettings.h"
#include "stream/NumberText.h"

namespace tidewell::ui {

namespace {

// The choices in the order they are offered, with their captions.
struct ModelChoice {
    PureWaterModel model;
    const char* caption;
    const char* name;
};
constexpr ModelChoice kChoices[] = {
    {PureWaterModel::CorvaneRecommended, "Corvane recommended (half of fresh water)",
     "CorvaneRecommended"},
    {PureWaterModel::MorelFresh, "Morel, fresh water", "MorelFresh"},
    {PureWaterModel::MorelSalt, "Morel, salt water", "MorelSalt"},
    {PureWaterModel::CustomPure, "Custom values", "CustomPure"},
    {PureWaterModel::NoPure, "No pure-water terms", "NoPure"},
};

PureWaterModel ChosenModel(const PureWaterParams& p) {
    if (p.CorvaneRecommended) return PureWaterModel::CorvaneRecommended;
    if (p.MorelSalt) return PureWaterModel::MorelSalt;
    if (p.CustomPure) return PureWaterModel::CustomPure;
    if (p.NoPure) return PureWaterModel::NoPure;
    return PureWaterModel::MorelFresh;
}

// "1.23E-04"
QString Scientific(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2E", static_cast<double>(value));
    return text;
}

QString Single(float value) {
    return QString::fromStdString(SingleText(value));
}

void ReadBox(const QLineEdit* box, float& value) {
    double read = 0;
    if (ReadWholeDecimal(box->text().toStdString(), read)) value = static_cast<float>(read);
}

QLineEdit* Box(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

BbParamsForm::BbParamsForm(PureWaterParams& prefs, SettingsStore& store, QWidget* parent)
    : QDialog(parent), prefs_(prefs), store_(store), working_(prefs) {
    setWindowTitle("Backscattering Preferences");
    auto* layout = new QVBoxLayout(this);

    auto* water = new QGroupBox("Pure water", this);
    auto* waterLayout = new QVBoxLayout(water);
    auto* group = new QButtonGroup(this);
    for (size_t i = 0; i < models_.size(); ++i) {
        models_[i] = new QRadioButton(kChoices[i].caption, water);
        models_[i]->setObjectName(kChoices[i].name);
        group->addButton(models_[i]);
        waterLayout->addWidget(models_[i]);
        const PureWaterModel model = kChoices[i].model;
        connect(models_[i], &QRadioButton::clicked, this, [this, model] { Choose(model); });
    }
    auto* numbers = new QFormLayout;
    lambda0_ = Box("lambda0", water);
    beta0_ = Box("beta0", water);
    bb0_ = Box("bb0", water);
    gammaLambda_ = Box("gammaLambda", water);
    numbers->addRow("Reference wavelength (nm):", lambda0_);
    numbers->addRow("Volume scattering at the reference wavelength:", beta0_);
    numbers->addRow("Backscattering at the reference wavelength:", bb0_);
    numbers->addRow("Spectral exponent:", gammaLambda_);
    waterLayout->addLayout(numbers);
    layout->addWidget(water);

    auto* chiBox = new QGroupBox("Chi", this);
    auto* chiLayout = new QVBoxLayout(chiBox);
    auto* chiRow = new QHBoxLayout;
    ownChi_ = new QRadioButton("Use chi:", chiBox);
    chi_ = Box("chi", chiBox);
    chi_->setText(Single(prefs.chi));
    chiRow->addWidget(ownChi_);
    chiRow->addWidget(chi_);
    chiRow->addStretch();
    chiLayout->addLayout(chiRow);
    calFileChi_ = new QRadioButton("Use the calibration file's chi", chiBox);
    calFileChi_->setObjectName("useCalFileChi");
    chiLayout->addWidget(calFileChi_);
    (prefs.useCalFileChi ? calFileChi_ : ownChi_)->setChecked(true);
    chi_->setEnabled(!prefs.useCalFileChi);
    connect(ownChi_, &QRadioButton::toggled, chi_, &QLineEdit::setEnabled);
    layout->addWidget(chiBox);

    includeBeta_ = new QCheckBox("Include beta in calibrated data files", this);
    includeBeta_->setObjectName("IncludeBetaInDatFiles");
    includeBeta_->setChecked(prefs.IncludeBetaInDatFiles);
    layout->addWidget(includeBeta_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const PureWaterModel chosen = ChosenModel(prefs);
    for (size_t i = 0; i < models_.size(); ++i) models_[i]->setChecked(kChoices[i].model == chosen);
    ShowNumbers();
}

void BbParamsForm::Choose(PureWaterModel model) {
    // custom values start from the numbers shown
    ChoosePureWaterModel(working_, model);
    ShowNumbers();
}

void BbParamsForm::ShowNumbers() {
    const bool custom = working_.CustomPure;
    lambda0_->setText(Single(working_.lambda0));
    beta0_->setText(custom ? Single(working_.beta0) : Scientific(working_.beta0));
    bb0_->setText(custom ? Single(working_.bb0) : Scientific(working_.bb0));
    gammaLambda_->setText(Single(working_.gammaLambda));
    for (QLineEdit* box : {lambda0_, beta0_, bb0_, gammaLambda_}) box->setEnabled(custom);
}

void BbParamsForm::accept() {
    if (working_.CustomPure) {
        ReadBox(lambda0_, working_.lambda0);
        ReadBox(beta0_, working_.beta0);
        ReadBox(bb0_, working_.bb0);
        ReadBox(gammaLambda_, working_.gammaLambda);
    }
    working_.useCalFileChi = calFileChi_->isChecked();
    ReadBox(chi_, working_.chi);
    working_.IncludeBetaInDatFiles = includeBeta_->isChecked();
    prefs_ = working_;
    SaveBbPrefs(store_, prefs_);
    QDialog::accept();
}

}  // namespace tidewell::ui
