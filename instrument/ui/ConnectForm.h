#pragma once
// The connection dialog of a data window: the port (the system's serial devices, or any device
// path typed in), the rate and, for opening a port without identifying, the instrument model;
// "Connect" tries the chosen port and rate, "Search" tries every port at every search rate,
// and while either runs the close button reads "Stop" and cancels it. "Disconnect" offers to
// put the instrument to sleep first. The engine does the work (instrument/Connection.h); the
// dialog drives it, shows its progress (and the "Calibration Due" reminder) and remembers its
// choices in section "Connection" when it closes.
//
// While the dialog exists it is the context's observer; what is not the dialog's own (the data
// window's status, menus, calibration choice) goes on to the observer it replaced.

#include <QDialog>

#include "instrument/ConnectionContext.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tidewell::ui {

inline constexpr const char* kSelectPortOrSearchMessage =
    "Please select a Com Port and Baud Rate, or click ";

class ConnectForm : public QDialog, private ConnectionObserver {
    Q_OBJECT
  public:
    ConnectForm(ConnectionContext& ctx, int slot, QWidget* parent = nullptr);
    ~ConnectForm() override;

    // "Connect": the chosen port and rate (or the port opened for the chosen model without
    // identifying). True when an instrument is connected; the dialog then closes, except after
    // opening without identifying.
    bool Connect();
    // "Search": every port of the list at every search rate; closes the dialog when connected.
    bool Search();
    // "Disconnect", with the question whether to put the instrument to sleep; -1 when the user
    // cancelled.
    int DisconnectInstrument();
    // A connect or search is running.
    bool Busy() const { return busy_; }
    QString StatusText() const;

  protected:
    // Esc, the close box and "Close" close the dialog; while busy they ask the work to stop.
    void reject() override;
    void done(int result) override;

  private:
    bool Run(const std::function<bool()>& action);
    void UpdateControls();
    std::vector<std::string> SearchPorts() const;

    // ConnectionObserver: the dialog's own parts here, the rest to the replaced observer.
    void ShowDialogStatus(int slot, const std::string& text) override;
    void ShowWindowStatus(int slot, const std::string& text) override;
    void ShowPortAndRate(int slot, const std::string& port, int32_t baud) override;
    void ShowInstrument(int slot, const std::string& model) override;
    void LockConnectionBoxes(int slot) override;
    void EnableCalibrationMenu(int slot, bool enabled) override;
    void ShowInstrumentStatus(int slot, const std::string& model, const std::string& serial,
                              const std::string& source, const std::string& firmware) override;
    void RefreshWindow(int slot) override;
    void RebuildInstrumentMenu(int slot) override;
    void Beep() override;
    bool SelectCalibration(int slot) override;
    int CalReminderForm(int slot, const std::string& text, Prompter& prompter) override;

    ConnectionContext& ctx_;
    int slot_;
    ConnectionObserver* next_;  // the observer the dialog stands in front of
    ConnectionObserver quiet_;  // when there was none
    bool busy_ = false;
    bool locked_ = false;
    QComboBox* port_ = nullptr;
    QComboBox* baud_ = nullptr;
    QComboBox* instrument_ = nullptr;
    QCheckBox* loadCal_ = nullptr;
    QCheckBox* noIdentify_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* disconnect_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace tidewell::ui
