#pragma once
// A data window: one instrument slot, one calibration, one pair of recording files and one
// graph. It drives the engine (connect, start, stop, record, open files) and renders what the
// engine reports; all instrument work happens in the engine's tick.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calibration/CalibratedSample.h"
#include "display/GraphModel.h"
#include "files/Recording.h"
#include "instrument/ConnectionContext.h"
#include "instrument/InputTimer.h"
#include "instrument/InstrumentRecord.h"
#include "shell/WindowTitles.h"

class QAction;
class QCheckBox;
class QVBoxLayout;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tidewell {
class GraphWidget;
class ChannelCurveWindow;
}  // namespace tidewell

namespace tidewell::ui {

class CalibrationWindow;
class DesktopApp;
class FileHeaderForm;
class InstrumentMessageWindow;
class InstrumentStatusWindow;
class LoggedDataWindow;
class TerminalWindow;

class DataWindow : public QMainWindow,
                   public DataWindowObserver,
                   public ConnectionObserver,
                   public RecordingObserver {
    Q_OBJECT
  public:
    // `cascadeFrom`: the window whose place a new window's default place follows.
    DataWindow(DesktopApp& app, int slot, const DataWindow* cascadeFrom);
    ~DataWindow() override;

    int Slot() const { return slot_; }
    InstrumentRecord& record();
    const InstrumentRecord& record() const;

    // -1 when the window must stay open: its files, calibration and connection are asked in
    // turn.
    int PrepToCloseForm();
    // Closes after PrepToCloseForm agreed (or for Exit, which asked already).
    void CloseWithoutAsking();
    // App/ConnectOnStartup: 1 the stored connection, 2 the search.
    void ConnectOnStartup(int how);
    // Connects to the instrument on `port` at `baud`; true when it was identified.
    bool ConnectTo(const std::string& port, int32_t baud);
    // The start command (new recording files first when none are open).
    void StartSampling();
    // Opens a stored raw or calibrated file into the window; `calFile` ("" for the window's
    // own) is loaded first for raw files.
    void OpenDataFile(const std::string& path, const std::string& calFile);
    // The connection dialog; true when an instrument is identified afterwards.
    bool Connect();
    // New recording files for a start command; -1 when the user cancelled.
    int OpenRecordingForStart();
    // The transfer command: the Logged Data window, listing the casts (connecting first).
    LoggedDataWindow* ShowLoggedData();

    const GraphModel& graph() const { return *graph_; }
    GraphModel& graph() { return *graph_; }
    // What the redraw timer does: the samples that came go to the graph, which is drawn when
    // it changed and the window can be seen.
    void RedrawIfChanged();
    QString StatusText() const;
    void UpdateTitles();
    void UpdateSigmaTables(const SigmaTables& tables) { connection_.tables = tables; }
    void BuildWindowMenu();
    WindowMenuSource MenuSource() const;
    void WriteGeometry();
    bool SigmaCorrected() const;
    bool VsTime() const;

    // DataWindowObserver
    void ShowLinkStatus(int slot, int32_t state, const std::optional<std::string>& text) override;
    void ShowInstrumentMessage(int slot, const std::string& text) override;
    void EnableInputTimer(int slot) override;
    void UpdateTerminal(int slot) override;
    // The terminal of the window's connection, made when first shown.
    void ShowTerminal();
    TerminalWindow* terminal() const { return terminal_; }
    // The graph against channel: the spectrum window for the multi-channel models, which
    // follows the newest live sample or, for a loaded file, the point under the mouse.
    void GraphAgainstChannel();
    void ShowSpectrum();
    ChannelCurveWindow* spectrum() const { return spectrum_; }
    // The spectrum of the graph's point nearest to `x` (minutes or depth, as the view has it).
    void FollowPointer(double x);
    // The visibility view of a-Lumo data, with the Kavra settings.
    void GraphVisibility();
    // The calibration window of the window's calibration, made when first shown.
    CalibrationWindow* ShowCalibrationWindow();
    // ConnectionObserver
    void ShowWindowStatus(int slot, const std::string& text) override;
    void EnableCalibrationMenu(int slot, bool enabled) override;
    void RefreshWindow(int slot) override;
    void Beep() override;
    bool SelectCalibration(int slot) override;
    // RecordingObserver
    void RecordingOpened(const RecordingWindow&) override;
    void RecordingClosed(const RecordingWindow&) override;
    void SetBusy(bool busy) override;
    void SaveTypeChosen(int type) override;
    bool ShowSaveError(const std::string& path, const std::string& text) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void BuildStatusBar();
    void PlaceWindow(const DataWindow* cascadeFrom);
    void LoadStartupCalibration();
    // Commands.
    void DisconnectInstrument();
    void StartStop();
    void SleepWake();
    // Sampling options, clock or reset, modal.
    template <class Form>
    void OpenInstrumentDialog();
    void NewFile();
    void Save(bool saveAs);
    void CloseFiles();
    void LoadCalibrationFile();
    void SaveCalibrationFile();
    void ShowInstrumentStatusWindow();
    void ShowMessagesWindow();
    void ShowFileHeader();
    void ShowPreferences();
    void ShowSigmaParameters();
    void ShowPureWaterParameters();
    // Live samples, collected between redraws.
    void TakeSample(const CalibratedSample& sample);
    // The graph's traces follow the type of the instrument or file shown.
    void FollowInstrumentType(int type);
    void NameChannelBoxes();
    void SetView();
    void UpdateSpectrum();
    void PrintGraph();
    void ExportGraph();
    // Stored files and calibrations.
    class GraphLoadSink;
    void OpenFileCommand();
    void OpenFileWith(const std::function<std::string(const std::string&, const std::string&,
                                                      const std::string&)>& chooseFile);
    std::string ChooseCalibrationPath();
    bool LoadCalibration(const std::string& path);
    void UpdatePanels();
    void UpdateControls();
    RecordingContext& recording() { return recording_; }
    ConnectionContext& connection() { return connection_; }

    DesktopApp& app_;
    const int slot_;
    ConnectionContext connection_;
    RecordingContext recording_;
    InputTimer inputTimer_;
    bool closing_ = false;
    bool closeAgreed_ = false;
    std::string loadedFile_;  // a file shown by a loader
    double acquisitionStart_ = 0;

    // Live samples since the last redraw.
    std::vector<CalibratedSample> pending_;
    std::unique_ptr<GraphModel> graph_;
    GraphWidget* plot_ = nullptr;
    QVBoxLayout* channelLayout_ = nullptr;
    std::vector<QCheckBox*> channelBoxes_;
    QAction* printAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QTimer* redrawTimer_ = nullptr;

    // Menus and controls.
    QMenu* windowMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* closeFilesAction_ = nullptr;
    QAction* headerAction_ = nullptr;
    QAction* connectAction_ = nullptr;
    QAction* disconnectAction_ = nullptr;
    QAction* viewTimeAction_ = nullptr;
    QAction* viewDepthAction_ = nullptr;
    QAction* feetAction_ = nullptr;
    QAction* visibilityAction_ = nullptr;
    QAction* calibrationMenuAction_ = nullptr;
    QAction* saveCalAction_ = nullptr;
    QRadioButton* sigmaButton_ = nullptr;
    QRadioButton* uncorrectedButton_ = nullptr;
    QPushButton* startStopButton_ = nullptr;
    QPushButton* sleepWakeButton_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QLabel* elapsedPanel_ = nullptr;
    QLabel* depthPanel_ = nullptr;
    QLabel* voltagePanel_ = nullptr;
    QLabel* temperaturePanel_ = nullptr;
    InstrumentMessageWindow* messagesWindow_ = nullptr;
    InstrumentStatusWindow* statusWindow_ = nullptr;
    FileHeaderForm* headerWindow_ = nullptr;
    LoggedDataWindow* loggedWindow_ = nullptr;
    TerminalWindow* terminal_ = nullptr;
    ChannelCurveWindow* spectrum_ = nullptr;
    std::optional<size_t> pointerPoint_;  // the point under the mouse
    CalibrationWindow* calibrationWindow_ = nullptr;
};

}  // namespace tidewell::ui
