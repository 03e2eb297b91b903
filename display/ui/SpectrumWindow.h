#pragma once
// The spectrum window of a data window: the spectrum it is given, drawn against wavelength,
// with the spectra kept by Capture drawn beside it for comparison, each labelled with its time.
// Scale opens a small dialog that chooses automatic or fixed limits of the value axis.

#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

#include "display/Spectrum.h"

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;

namespace tidewell {

class SpectrumWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SpectrumWindow(QWidget* parent = nullptr);
    ~SpectrumWindow() override;

    // The spectrum shown now (an empty one clears it).
    void Show(const Spectrum& spectrum);
    const Spectrum& Current() const { return current_; }
    // Keeps the current spectrum on the plot; nothing when there is none.
    void Capture();
    void ClearCaptures();
    const std::vector<Spectrum>& Captured() const { return captured_; }
    void SetScale(const SpectrumScale& scale);
    const SpectrumScale& Scale() const { return scale_; }
    // The Scale dialog; the scale changes when it is accepted.
    void ChooseScale();

  signals:
    // Closed by the user: the Window menus no longer list it.
    void Hidden();

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void Draw();

    struct Plot;
    std::unique_ptr<Plot> plot_;
    Spectrum current_;
    std::vector<Spectrum> captured_;
    SpectrumScale scale_;
    QPushButton* captureButton_ = nullptr;
};

// Automatic, or a fixed minimum and maximum of the value axis; OK only while the maximum lies
// above the minimum.
class SpectrumScaleDialog : public QDialog {
    Q_OBJECT
  public:
    SpectrumScaleDialog(const SpectrumScale& scale, QWidget* parent = nullptr);
    SpectrumScale Scale() const;

  private:
    void Check();

    QCheckBox* automatic_ = nullptr;
    QDoubleSpinBox* min_ = nullptr;
    QDoubleSpinBox* max_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tidewell
