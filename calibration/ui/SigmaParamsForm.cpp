#include "calibration/ui/SigmaParamsForm.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <functional>

#include "calibration/SigmaModel.h"
#include "settings/AppSettings.h"
#include "stream/NumberText.h"

namespace tidewell::ui {

namespace {

QString NumberText(double value) {
    return QString::fromStdString(FormatSignificantLeadingZero(value, 15));
}

void ReadBox(const QLineEdit* box, double& value) {
    double read = 0;
    if (ReadWholeDecimal(box->text().toStdString(), read)) value = read;
}

// A box that takes only a decimal number.
QLineEdit* NumberBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(R"([-+]?[0-9]*\.?[0-9]*([eE][-+]?[0-9]*)?)"), box));
    return box;
}

// A box that takes a number or a table file, with its "Browse" button.
QWidget* FileOrNumberRow(QLineEdit*& box, const char* name, QWidget* parent,
                         const std::function<void(QLineEdit*)>& browse) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    box = new QLineEdit(row);
    box->setObjectName(name);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 36);
    auto* button = new QPushButton("Browse", row);
    button->setObjectName(QString(name) + "Browse");
    QLineEdit* target = box;
    QObject::connect(button, &QPushButton::clicked, row, [browse, target] { browse(target); });
    layout->addWidget(box);
    layout->addWidget(button);
    return row;
}

}  // namespace

std::string AbsorptionEstimateText(const SigmaParams& params, double lambda) {
    if (!(lambda >= 350 && lambda <= 1000)) return "-----";
    // a table without the wavelength shows as no value here, not as a message per keystroke
    SilentPrompter quiet;
    const double a = EstimateA(params, LoadSigmaTables(params), static_cast<int>(lambda),
                               params.includePurewater, quiet);
    if (!std::isfinite(a)) return "-----";
    char text[64];
    std::snprintf(text, sizeof text, " %.3f", a);
    return text;
}

SigmaParamsForm::SigmaParamsForm(SigmaParams& params, SettingsStore& store,
                                 std::string programFolder, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      params_(params),
      store_(store),
      programFolder_(std::move(programFolder)),
      prompter_(prompter) {
    setWindowTitle("Sigma Parameters");
    const auto browse = [this](QLineEdit* box) { Browse(box); };
    tabs_ = new QTabWidget(this);

    auto* absorption = new QWidget(tabs_);
    auto* aForm = new QFormLayout(absorption);
    aForm->addRow("Specific absorption of phytoplankton, a*\n(a number, or a table file):",
                  FileOrNumberRow(aStar_, "aStar", absorption, browse));
    C_ = new QLineEdit(absorption);
    C_->setObjectName("C");
    aForm->addRow("Chlorophyll concentration, C:", C_);
    ad400_ = NumberBox("ad400", absorption);
    aForm->addRow("Detritus absorption at 400 nm:", ad400_);
    gammad_ = NumberBox("gammad", absorption);
    aForm->addRow("Spectral slope of detritus (per nm):", gammad_);
    gammay_ = NumberBox("gammay", absorption);
    aForm->addRow("Spectral slope of dissolved matter (per nm):", gammay_);
    auto* estimateRow = new QHBoxLayout;
    wavelength_ = NumberBox("Wavelength", absorption);
    wavelength_->setText("440");
    wavelength_->setMaximumWidth(wavelength_->fontMetrics().averageCharWidth() * 8);
    estimate_ = new QLabel(absorption);
    estimate_->setObjectName("Estimate");
    estimateRow->addWidget(wavelength_);
    estimateRow->addWidget(new QLabel("nm   Absorption estimate (per m):", absorption));
    estimateRow->addWidget(estimate_);
    estimateRow->addStretch();
    aForm->addRow("Wavelength:", estimateRow);
    tabs_->addTab(absorption, "Absorption");

    auto* scattering = new QWidget(tabs_);
    auto* bForm = new QFormLayout(scattering);
    bForm->addRow("Backscattering ratio\n(a number, or a table file):",
                  FileOrNumberRow(bTilde_, "bTilde", scattering, browse));
    tabs_->addTab(scattering, "Backscattering");

    auto* attenuation = new QWidget(tabs_);
    auto* cForm = new QFormLayout(attenuation);
    measuredK_ = new QRadioButton("K from the measured attenuation", attenuation);
    estimatedK_ =
        new QRadioButton("K from the absorption and backscattering estimates", attenuation);
    estimatedK_->setObjectName("cUseVN");
    cForm->addRow(measuredK_);
    p_ = NumberBox("p", attenuation);
    cForm->addRow("Factor from measured attenuation to K, p:", p_);
    cForm->addRow(estimatedK_);
    tabs_->addTab(attenuation, "c-Lumo");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults = buttons->addButton("Defaults", QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this, &SigmaParamsForm::FillDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    Fill(params);
    for (QLineEdit* box : {aStar_, C_, ad400_, gammad_, gammay_, wavelength_})
        connect(box, &QLineEdit::textChanged, this, &SigmaParamsForm::UpdateEstimate);
    UpdateEstimate();
}

void SigmaParamsForm::Fill(const SigmaParams& params) {
    aStar_->setText(QString::fromStdString(AStarText(params)));
    bTilde_->setText(QString::fromStdString(BTildeText(params)));
    C_->setText(NumberText(params.C));
    ad400_->setText(NumberText(params.ad400));
    gammad_->setText(NumberText(params.gammad));
    gammay_->setText(NumberText(params.gammay));
    p_->setText(NumberText(params.p));
    (params.cUseVN ? estimatedK_ : measuredK_)->setChecked(true);
}

void SigmaParamsForm::FillDefaults() {
    SigmaParams defaults = DefaultSigmaParams(programFolder_);
    defaults.cUseVN = estimatedK_->isChecked();
    Fill(defaults);
}

void SigmaParamsForm::Browse(QLineEdit* box) {
    const QFileInfo current(box->text());
    const QString file =
        QFileDialog::getOpenFileName(this, "Select Table File", current.absolutePath(),
                                     "Comma-separated Values File (*.csv);;All Files (*)", nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty()) box->setText(QDir::toNativeSeparators(file));
}

SigmaParams SigmaParamsForm::FromBoxes() const {
    SigmaParams p = params_;
    SetAStarFromText(p, aStar_->text().toStdString(), "");
    SetBTildeFromText(p, bTilde_->text().toStdString());
    ReadBox(C_, p.C);
    ReadBox(ad400_, p.ad400);
    ReadBox(gammad_, p.gammad);
    ReadBox(gammay_, p.gammay);
    ReadBox(p_, p.p);
    p.cUseVN = estimatedK_->isChecked();
    return p;
}

void SigmaParamsForm::UpdateEstimate() {
    double lambda = 0;
    if (!ReadWholeDecimal(wavelength_->text().toStdString(), lambda)) lambda = 0;
    estimate_->setText(QString::fromStdString(AbsorptionEstimateText(FromBoxes(), lambda)));
}

void SigmaParamsForm::accept() {
    const SigmaBoxTexts texts{bTilde_->text().toStdString(), aStar_->text().toStdString(),
                              C_->text().toStdString()};
    if (const auto failure = EnforceLimits(texts)) {
        prompter_.ShowMessage(failure->message);
        QLineEdit* box = failure->box == SigmaBox::bTilde  ? bTilde_
                         : failure->box == SigmaBox::aStar ? aStar_
                                                           : C_;
        // a* and C are on the first tab, the backscattering ratio on the second
        tabs_->setCurrentIndex(failure->box == SigmaBox::bTilde ? 1 : 0);
        box->setFocus();
        box->selectAll();
        return;
    }
    params_ = FromBoxes();
    SaveSigmaParams(store_, params_);
    QDialog::accept();
}

}  // namespace tidewell::ui
