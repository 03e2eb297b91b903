#pragma once
// The graph-against-channel window of a data window: the curve it is given, drawn against
// wavelength, with the curves kept by Capture drawn beside it for comparison, each labelled with
// its time. Scale opens a small dialog that chooses automatic or fixed limits of the value axis.

#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

#include "display/ChannelCurve.h"

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;

namespace tidewell {

class ChannelCurveWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ChannelCurveWindow(QWidget* parent = nullptr);
    ~ChannelCurveWindow() override;

    // The curve shown now (an empty one clears it).
    void Show(const ChannelCurve& curve);
    const ChannelCurve& Current() const { return current_; }
    // Keeps the current curve on the plot; nothing when there is none.
    void Capture();
    void ClearCaptures();
    const std::vector<ChannelCurve>& Captured() const { return captured_; }
    void SetScale(const CurveScale& scale);
    const CurveScale& Scale() const { return scale_; }
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
    ChannelCurve current_;
    std::vector<ChannelCurve> captured_;
    CurveScale scale_;
    QPushButton* captureButton_ = nullptr;
};

// Automatic, or a fixed minimum and maximum of the value axis; OK only while the maximum lies
// above the minimum.
class CurveScaleDialog : public QDialog {
    Q_OBJECT
  public:
    CurveScaleDialog(const CurveScale& scale, QWidget* parent = nullptr);
    CurveScale Scale() const;

  private:
    void Check();

    QCheckBox* automatic_ = nullptr;
    QDoubleSpinBox* min_ = nullptr;
    QDoubleSpinBox* max_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tidewell
