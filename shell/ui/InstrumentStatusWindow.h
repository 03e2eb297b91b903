#pragma once
// "Instrument Status": what is known of the instrument of a data window, read-only, filled
// each time the window is activated.

#include <QDialog>
#include <functional>

#include "instrument/InstrumentRecord.h"

class QFormLayout;

namespace tidewell::ui {

class InstrumentStatusWindow : public QDialog {
  public:
    InstrumentStatusWindow(std::function<const InstrumentRecord&()> record, QWidget* parent);
    void Fill();

  protected:
    bool event(QEvent* e) override;

  private:
    std::function<const InstrumentRecord&()> record_;
    QFormLayout* form_ = nullptr;
};

}  // namespace tidewell::ui
