#include "shell/ui/DataWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <atomic>

#include "calibration/ui/BbParamsForm.h"
#include "calibration/ui/CalibrationWindow.h"
#include "calibration/ui/SigmaParamsForm.h"
#include "display/ChannelCurve.h"
#include "display/GraphPrint.h"
#include "display/ui/ChannelCurveWindow.h"
#include "display/ui/GraphWidget.h"
#include "files/FileLoaders.h"
#include "files/FilePaths.h"
#include "files/ui/BatchForm.h"
#include "files/ui/FileHeaderForm.h"
#include "instrument/Commands.h"
#include "instrument/Connection.h"
#include "instrument/ui/ClockForm.h"
#include "instrument/ui/ConnectForm.h"
#include "instrument/ui/LoggedDataWindow.h"
#include "instrument/ui/ResetForm.h"
#include "instrument/ui/SamplingForm.h"
#include "instrument/ui/TerminalWindow.h"
#include "settings/AppSettings.h"
#include "settings/SettingsKeys.h"
#include "shell/ui/AboutWindow.h"
#include "shell/ui/DesktopApp.h"
#include "shell/ui/InstrumentMessageWindow.h"
#include "shell/ui/InstrumentStatusWindow.h"
#include "shell/ui/PreferencesForm.h"
#include "shell/ui/SaveFileDialog.h"
#include "shell/ui/StatusPanel.h"
#include "shell/ui/Twips.h"
#include "stream/LinkState.h"
#include "stream/Models.h"
#include "stream/StatusPanels.h"

namespace tidewell::ui {

namespace {

// The graph is redrawn at most this often, and only when something changed.
constexpr int kRedrawMilliseconds = 250;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The start/stop control offers Stop while the instrument samples or is about to.
bool OffersStop(int32_t state) {
    switch (state) {
        case kLinkStarting:
        case kLinkSampling:
        case kLinkDownloading:
        case kLinkStartPending:
        case kLinkOpenShutter:
            return true;
        default:
            return false;
    }
}

}  // namespace

DataWindow::DataWindow(DesktopApp& app, int slot, const DataWindow* cascadeFrom)
    : app_(app),
      slot_(slot),
      connection_(app.program(), app.waiter()),
      recording_{app.prompter(), app.program().clock, app.recordingSettings(),
                 [&app] { return WithTrailingSeparator(app.program().settings.TempPath); }, this},
      inputTimer_(app.program(), slot) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    connection_.observer = this;
    connection_.tables = app.tables();
    connection_.instance = app.options().instance;
    connection_.loadCalFromInstrument = ReadNumber(app.store(), keys::LoadCal) != 0;

    InstrumentRecord& r = record();
    r.observer = this;
    r.recording.index = slot;
    r.link.state = kLinkNoConnection;
    r.sampleSinks.push_back(
        [this](int, const CalibratedSample& sample, const SampleRecord&) { TakeSample(sample); });

    BuildMenus();
    BuildStatusBar();
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    auto* channels = new QVBoxLayout;
    sigmaButton_ = new QRadioButton("Sigma corrected", central);
    uncorrectedButton_ = new QRadioButton("Uncorrected", central);
    channels->addWidget(sigmaButton_);
    channels->addWidget(uncorrectedButton_);
    channelLayout_ = new QVBoxLayout;
    channels->addLayout(channelLayout_);
    channels->addStretch();
    layout->addLayout(channels);
    SettingsStore& store = app.store();
    graph_ = std::make_unique<GraphModel>(
        ReadGraphDefaults([&store](const std::string& key, const std::string& defaultText) {
            return store.Read(kGraphDefaultsSection, key, defaultText);
        }),
        app.program().settings.MaxGraphPoints);
    plot_ = new GraphWidget(*graph_, central);
    plot_->setMinimumSize(400, 300);
    layout->addWidget(plot_, 1);
    setCentralWidget(central);
    connect(sigmaButton_, &QRadioButton::toggled, this, [this](bool on) {
        graph_->SetSigmaCorrected(on);
        plot_->Redraw();
        UpdateSpectrum();
    });
    connect(plot_, &GraphWidget::pointerMoved, this, &DataWindow::FollowPointer);

    const bool sigma = ReadFlag(app.store(), keys::GraphSigma);
    (sigma ? sigmaButton_ : uncorrectedButton_)->setChecked(true);
    const bool vsTime = ReadFlag(app.store(), keys::GraphVsTime);
    (vsTime ? viewTimeAction_ : viewDepthAction_)->setChecked(true);
    feetAction_->setChecked(graph_->DepthInFeet());
    SetView();

    PlaceWindow(cascadeFrom);
    LoadStartupCalibration();

    redrawTimer_ = new QTimer(this);
    connect(redrawTimer_, &QTimer::timeout, this, &DataWindow::RedrawIfChanged);
    redrawTimer_->start(kRedrawMilliseconds);
    inputTimer_.Start();
    UpdateControls();
    UpdateTitles();
}

DataWindow::~DataWindow() {
    InstrumentRecord& r = record();
    r.observer = nullptr;
    r.sampleSinks.clear();
}

InstrumentRecord& DataWindow::record() {
    return app_.program().Slot(slot_);
}

const InstrumentRecord& DataWindow::record() const {
    return app_.program().Slot(slot_);
}

void DataWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&New Window", QKeySequence::New, [this] { app_.NewWindow(); });
    file->addAction("&Open...", QKeySequence::Open, [this] { OpenFileCommand(); });
    file->addAction("New &Data File", [this] { NewFile(); });
    saveAction_ = file->addAction("&Save", QKeySequence::Save, [this] { Save(false); });
    saveAsAction_ = file->addAction("Save &As...", [this] { Save(true); });
    closeFilesAction_ = file->addAction("&Close Files", [this] { CloseFiles(); });
    headerAction_ = file->addAction("File &Header", [this] { ShowFileHeader(); });
    file->addAction("P&rocess Raw Data Files...", [this] {
        auto* batch =
            new BatchForm({app_.recordingSettings().header, &app_.tables(),
                           app_.program().settings.OpenPath, record().Calibration().SourceFile()},
                          app_.prompter(), app_.program().clock, this);
        batch->setAttribute(Qt::WA_DeleteOnClose);
        batch->show();
    });
    file->addSeparator();
    file->addAction("&Preferences...", [this] { ShowPreferences(); });
    file->addSeparator();
    file->addAction("E&xit", [this] { app_.Exit(this); });

    QMenu* instrument = menuBar()->addMenu("&Instrument");
    connectAction_ = instrument->addAction("&Connect...", [this] { Connect(); });
    disconnectAction_ = instrument->addAction("&Disconnect", [this] { DisconnectInstrument(); });
    instrument->addSeparator();
    instrument->addAction("&Start / Stop", [this] { StartStop(); });
    instrument->addAction("S&leep / Wake", [this] { SleepWake(); });
    instrument->addAction("Sampling &Options...", [this] { OpenInstrumentDialog<SamplingForm>(); });
    instrument->addAction("Set &Date && Time...", [this] { OpenInstrumentDialog<ClockForm>(); });
    instrument->addAction("&Reset...", [this] { OpenInstrumentDialog<ResetForm>(); });
    instrument->addSeparator();
    instrument->addAction("Instrument S&tatus", [this] { ShowInstrumentStatusWindow(); });
    instrument->addAction("Instrument &Messages", [this] { ShowMessagesWindow(); });
    instrument->addAction("&Transfer Files...", [this] { ShowLoggedData(); });
    instrument->addAction("&Terminal", [this] { ShowTerminal(); });

    QMenu* calibration = menuBar()->addMenu("&Calibration");
    calibrationMenuAction_ = calibration->menuAction();
    calibration->addAction("&View / Edit Calibration...", [this] { ShowCalibrationWindow(); });
    calibration->addAction("&Load Calibration File...", [this] { LoadCalibrationFile(); });
    saveCalAction_ =
        calibration->addAction("&Save Calibration As...", [this] { SaveCalibrationFile(); });

    QMenu* graph = menuBar()->addMenu("&Graph");
    auto* views = new QActionGroup(this);
    viewTimeAction_ = graph->addAction("Graph Against &Time");
    viewDepthAction_ = graph->addAction("Graph Against &Depth");
    for (QAction* a : {viewTimeAction_, viewDepthAction_}) {
        a->setCheckable(true);
        views->addAction(a);
    }
    connect(viewTimeAction_, &QAction::triggered, this, [this] { SetView(); });
    connect(viewDepthAction_, &QAction::triggered, this, [this] { SetView(); });
    feetAction_ = graph->addAction("Depth in &Feet");
    feetAction_->setCheckable(true);
    connect(feetAction_, &QAction::toggled, this, [this](bool feet) {
        graph_->ChangeDepthUnits(feet);
        plot_->Redraw();
        UpdatePanels();
    });
    graph->addSeparator();
    graph->addAction("Zoom &In", QKeySequence::ZoomIn, [this] { plot_->ZoomIn(); });
    graph->addAction("Zoom &Out", QKeySequence::ZoomOut, [this] { plot_->ZoomOut(); });
    graph->addAction("&Previous", [this] { plot_->Previous(); });
    graph->addAction("&Full View", [this] { plot_->FullView(); });
    graph->addSeparator();
    graph->addAction("Graph Against &Channel", [this] { GraphAgainstChannel(); });
    visibilityAction_ = graph->addAction("&Visibility (Kavra)", [this] { GraphVisibility(); });
    connect(graph, &QMenu::aboutToShow, this,
            [this] { visibilityAction_->setVisible(app_.program().settings.Kavra); });
    graph->addSeparator();
    printAction_ = graph->addAction("&Print...", QKeySequence::Print, [this] { PrintGraph(); });
    exportAction_ = graph->addAction("&Export Picture...", [this] { ExportGraph(); });

    windowMenu_ = menuBar()->addMenu("&Window");

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&About Tidewell", [this] {
        AboutWindow about(app_.options().instance, false, this);
        about.exec();
    });
}

void DataWindow::BuildStatusBar() {
    startStopButton_ = new QPushButton("Start", this);
    sleepWakeButton_ = new QPushButton("Sleep", this);
    connect(startStopButton_, &QPushButton::clicked, this, [this] { StartStop(); });
    connect(sleepWakeButton_, &QPushButton::clicked, this, [this] { SleepWake(); });
    statusBar()->addWidget(startStopButton_);
    statusBar()->addWidget(sleepWakeButton_);
    auto panel = [this](const char* name, int width) { return AddStatusPanel(*this, name, width); };
    statusPanel_ = panel("Status", 140);
    elapsedPanel_ = panel("Elapsed Time", 80);
    depthPanel_ = panel("Depth", 80);
    voltagePanel_ = panel("Voltage", 70);
    temperaturePanel_ = panel("Temp.", 70);
    statusPanel_->setText(Q(LinkStatusText(kLinkNoConnection, 0).value_or("")));
}

void DataWindow::PlaceWindow(const DataWindow* cascadeFrom) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    WindowGeometry defaults;
    defaults.height = static_cast<float>(screen.height() * 0.8 * kTwipsPerPixel);
    defaults.width = static_cast<float>(screen.width() * 0.8 * kTwipsPerPixel);
    if (cascadeFrom) {
        defaults.top = static_cast<float>(cascadeFrom->y() * kTwipsPerPixel + 200);
        defaults.left = static_cast<float>(cascadeFrom->x() * kTwipsPerPixel + 200);
    } else {
        defaults.top = 200;
        defaults.left = 200;
    }
    const WindowGeometry g = ReadWindowGeometry(app_.store(), slot_, defaults);
    setGeometry(PixelsFromTwips(g.left), PixelsFromTwips(g.top),
                std::max(PixelsFromTwips(g.width), 480), std::max(PixelsFromTwips(g.height), 360));
}

void DataWindow::WriteGeometry() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    const QRect g = geometry();
    auto twips = [](int px) { return static_cast<float>(TwipsFromPixels(px)); };
    WriteWindowGeometry(app_.store(), slot_,
                        {twips(g.y()), twips(g.x()), twips(g.height()), twips(g.width())});
}

void DataWindow::LoadStartupCalibration() {
    const AppSettings& s = app_.program().settings;
    const bool recall = ReadNumber(app_.store(), keys::RecallLastCal) == 1;
    bool loaded = false;
    if (recall && !s.CalFile.empty() && FileExists(s.CalFile)) {
        // a file that no longer holds a calibration leaves the window without one
        auto calibration = std::make_shared<CalibrationDataClass>();
        loaded =
            LoadUsableCalibration(s.CalFile, s.Sigma, app_.tables(), app_.prompter(), *calibration)
                .empty();
        if (loaded) record().calibration = calibration;
    }
    record().calibrationLoaded = loaded;
    EnableCalibrationMenu(slot_, loaded);
}

QString DataWindow::StatusText() const {
    return statusPanel_->text();
}

bool DataWindow::SigmaCorrected() const {
    return sigmaButton_->isChecked();
}

bool DataWindow::VsTime() const {
    return viewTimeAction_->isChecked();
}

// ---- Titles and the Window menu.

void DataWindow::UpdateTitles() {
    const InstrumentRecord& r = record();
    const DataFileState& files = r.recording.files;
    WindowTitleFacts facts;
    facts.slot = slot_;
    facts.loadedFile = loadedFile_;
    facts.recording = files.rawFile.IsOpen() || files.datFile.IsOpen();
    facts.rawName = files.rawName;
    facts.datName = files.datName;
    facts.portOpen = r.PortOpen();
    facts.portName = r.portName;
    facts.serialNumber = r.identified ? r.serialNumber : "";
    setWindowTitle(Q(DataWindowTitle(facts)));
    if (terminal_) terminal_->setWindowTitle(Q(TerminalWindowTitle(facts)));
    if (spectrum_)
        spectrum_->setWindowTitle(Q(WindowDescription(facts) + " Spectrum" + kTitleSuffix));
    app_.RebuildAllWindowMenus();
}

WindowMenuSource DataWindow::MenuSource() const {
    WindowMenuSource source;
    source.slot = slot_;
    source.title = windowTitle().toStdString();
    source.terminalOpen = terminal_ && terminal_->isVisible();
    source.spectrumOpen = spectrum_ && spectrum_->isVisible();
    source.calibrationOpen = calibrationWindow_ && calibrationWindow_->isVisible();
    return source;
}

void DataWindow::BuildWindowMenu() {
    windowMenu_->clear();
    for (const WindowMenuEntry& e :
         tidewell::BuildWindowMenu(app_.MenuSources(), slot_, WindowKind::kData)) {
        QAction* a = windowMenu_->addAction(Q(e.caption));
        a->setCheckable(true);
        a->setChecked(e.checked);
        const int slot = e.slot;
        const WindowKind kind = e.kind;
        connect(a, &QAction::triggered, this, [this, slot, kind] {
            if (DataWindow* w = app_.Window(slot); w && kind == WindowKind::kTerminal) {
                w->ShowTerminal();
            } else if (w && kind == WindowKind::kSpectrum) {
                w->ShowSpectrum();
            } else if (w && kind == WindowKind::kCalibration) {
                w->ShowCalibrationWindow();
            } else if (w) {
                w->showNormal();
                w->raise();
                w->activateWindow();
            }
            BuildWindowMenu();
        });
    }
}

// ---- The engine's reports.

void DataWindow::ShowLinkStatus(int, int32_t state, const std::optional<std::string>& text) {
    if (text) statusPanel_->setText(Q(*text));
    startStopButton_->setText(OffersStop(state) ? "Stop" : "Start");
    sleepWakeButton_->setText(state == kLinkSleeping ? "Wake" : "Sleep");
    if ((state == kLinkSampling || state == kLinkStarting) && acquisitionStart_ == 0)
        acquisitionStart_ = app_.program().Now();
    UpdatePanels();
    // the terminal is fed only while the port is open: its response box empties with the port
    if (!record().PortOpen()) UpdateTerminal(slot_);
}

void DataWindow::ShowInstrumentMessage(int, const std::string& text) {
    ShowMessagesWindow();
    messagesWindow_->Append(text);
}

void DataWindow::EnableInputTimer(int) {
    if (!inputTimer_.IsActive()) inputTimer_.Start();
}

void DataWindow::ShowWindowStatus(int, const std::string& text) {
    statusPanel_->setText(Q(text));
}

void DataWindow::EnableCalibrationMenu(int, bool enabled) {
    saveCalAction_->setEnabled(enabled);
}

void DataWindow::RefreshWindow(int) {
    if (record().identified) FollowInstrumentType(record().instrumentType);
    if (calibrationWindow_) calibrationWindow_->Refresh();
    UpdateControls();
    UpdateTitles();
}

void DataWindow::Beep() {
    QApplication::beep();
}

bool DataWindow::SelectCalibration(int) {
    return false;
}

void DataWindow::RecordingOpened(const RecordingWindow&) {
    // a new recording starts on an empty graph
    loadedFile_.clear();
    graph_->Clear();
    plot_->Redraw();
    UpdateSpectrum();
    UpdateControls();
    UpdateTitles();
}

void DataWindow::RecordingClosed(const RecordingWindow&) {
    UpdateControls();
    UpdateTitles();
}

void DataWindow::SetBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// The save-error dialog names the file and offers to open the folder that holds it.
bool DataWindow::ShowSaveError(const std::string& path, const std::string& text) {
    const int answer = app_.prompter().Ask(text, {"OK", "Open Folder", ""});
    if (answer == 0) {
        const QString folder = QFileInfo(Q(path)).absolutePath();
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
    return true;
}

void DataWindow::SaveTypeChosen(int type) {
    app_.recordingSettings().saveLiveType = type;
    app_.store().Write(keys::SaveLiveType, std::to_string(type));
}

// ---- Commands.

void DataWindow::ConnectOnStartup(int how) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ConnectForm form(connection_, slot_, this);
    form.show();
    if (how == 1)
        form.Connect();
    else
        form.Search();
    form.close();
    QApplication::restoreOverrideCursor();
    RefreshWindow(slot_);
}

bool DataWindow::ConnectTo(const std::string& port, int32_t baud) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool identified = DoConnect(connection_, slot_, false, port, baud, {});
    QApplication::restoreOverrideCursor();
    RefreshWindow(slot_);
    return identified;
}

void DataWindow::StartSampling() {
    if (!OffersStop(record().link.state)) StartStop();
}

bool DataWindow::Connect() {
    ConnectForm form(connection_, slot_, this);
    form.exec();
    RefreshWindow(slot_);
    return record().identified;
}

int DataWindow::OpenRecordingForStart() {
    if (record().recording.files.rawFile.IsOpen() || record().recording.files.datFile.IsOpen())
        return 1;
    record().SyncRecordingWindow();
    return OpenDataFiles(record().recording, "raw", true, recording_);
}

void DataWindow::DisconnectInstrument() {
    DisconnectCommand(connection_, slot_);
    RefreshWindow(slot_);
}

void DataWindow::StartStop() {
    const bool stop = OffersStop(record().link.state);
    if (!stop) {
        pending_.clear();
        acquisitionStart_ = 0;
    }
    SendCommand(app_.program(), stop ? "STOP" : "START", slot_);
    RefreshWindow(slot_);
}

template <class Form>
void DataWindow::OpenInstrumentDialog() {
    Form form(app_.program(), app_.waiter(), slot_, this);
    form.exec();
    RefreshWindow(slot_);
}

void DataWindow::SleepWake() {
    SendCommand(app_.program(), "SETSLEEP", slot_);
}

void DataWindow::NewFile() {
    record().SyncRecordingWindow();
    OpenDataFiles(record().recording, "raw", true, recording_);
}

void DataWindow::Save(bool saveAs) {
    record().SyncRecordingWindow();
    if (saveAs)
        SaveAsMenuCommand(record().recording, recording_);
    else
        SaveFileMenuCommand(record().recording, recording_);
    UpdateTitles();
}

void DataWindow::CloseFiles() {
    record().SyncRecordingWindow();
    CloseDataFiles(record().recording, false, recording_);
    loadedFile_.clear();
    UpdateTitles();
}

void DataWindow::LoadCalibrationFile() {
    const std::string path = ChooseCalibrationPath();
    if (!path.empty()) LoadCalibration(path);
}

void DataWindow::SaveCalibrationFile() {
    SaveCalibrationAs(record().Calibration(), app_.program().settings, app_.prompter());
    if (calibrationWindow_) calibrationWindow_->Refresh();
}

CalibrationWindow* DataWindow::ShowCalibrationWindow() {
    if (!calibrationWindow_) {
        calibrationWindow_ = new CalibrationWindow(connection_, slot_, this);
        connect(calibrationWindow_, &CalibrationWindow::Hidden, this,
                [this] { app_.RebuildAllWindowMenus(); });
    }
    calibrationWindow_->Refresh();
    calibrationWindow_->show();
    calibrationWindow_->raise();
    calibrationWindow_->activateWindow();
    app_.RebuildAllWindowMenus();
    return calibrationWindow_;
}

void DataWindow::UpdateTerminal(int) {
    if (!terminal_) return;
    const QString voltage = terminal_->UpdateTerminal(feetAction_->isChecked(), StatusText());
    if (!voltage.isEmpty()) voltagePanel_->setText(voltage);
}

void DataWindow::ShowTerminal() {
    if (!terminal_) {
        QList<QMenu*> menus;  // the data window's commands, repeated
        for (QAction* a : menuBar()->actions())
            if (a->menu() && a->text() != "&Graph" && a->text() != "&Help") menus << a->menu();
        terminal_ = new TerminalWindow(app_.program(), app_.prompter(), slot_, menus, this);
        connect(terminal_, &TerminalWindow::Hidden, this, [this] { app_.RebuildAllWindowMenus(); });
    }
    terminal_->show();
    terminal_->raise();
    terminal_->activateWindow();
    UpdateTitles();
}

void DataWindow::GraphAgainstChannel() {
    if (HasSpectrumView(graph_->InstrumentType()))
        ShowSpectrum();
    else
        app_.prompter().ShowMessage(kNoSpectralDataMessage);
}

void DataWindow::ShowSpectrum() {
    if (!spectrum_) {
        spectrum_ = new ChannelCurveWindow(this);
        connect(spectrum_, &ChannelCurveWindow::Hidden, this,
                [this] { app_.RebuildAllWindowMenus(); });
    }
    spectrum_->show();
    spectrum_->raise();
    spectrum_->activateWindow();
    UpdateSpectrum();
    UpdateTitles();
}

void DataWindow::FollowPointer(double x) {
    if (loadedFile_.empty() || !spectrum_ || !spectrum_->isVisible()) return;
    pointerPoint_ = graph_->NearestPoint(x);
    UpdateSpectrum();
}

// Live data show their newest sample; a loaded file the point under the mouse.
void DataWindow::UpdateSpectrum() {
    if (!spectrum_ || !spectrum_->isVisible()) return;
    const size_t n = graph_->PointCount();
    size_t point = n > 0 ? n - 1 : 0;
    if (!loadedFile_.empty() && pointerPoint_ && *pointerPoint_ < n) point = *pointerPoint_;
    std::vector<double> wavelengths;
    const CalibrationDataClass& cal = record().Calibration();
    for (int c = 0; c < graph_->Layout().yTraces; ++c) wavelengths.push_back(cal.lambda(c));
    spectrum_->Show(ChannelCurveAt(*graph_, point, wavelengths));
}

void DataWindow::GraphVisibility() {
    const AppSettings& s = app_.program().settings;
    if (!graph_->SetVisibilityView(
            {s.KavraX, s.KavraCThreshold, s.KavraInherentC, s.KavraVertical})) {
        app_.prompter().ShowMessage(kKavraOnlyALumoMessage);
        return;
    }
    viewTimeAction_->setChecked(true);
    NameChannelBoxes();
    plot_->Redraw();
}

void DataWindow::ShowInstrumentStatusWindow() {
    if (!statusWindow_)
        statusWindow_ = new InstrumentStatusWindow(
            [this]() -> const InstrumentRecord& { return record(); }, this);
    statusWindow_->Fill();
    statusWindow_->show();
    statusWindow_->raise();
}

void DataWindow::ShowMessagesWindow() {
    if (!messagesWindow_) messagesWindow_ = new InstrumentMessageWindow(app_.store(), this);
    messagesWindow_->show();
}

LoggedDataWindow* DataWindow::ShowLoggedData() {
    if (!record().identified && !Connect()) return nullptr;
    if (!loggedWindow_)
        loggedWindow_ =
            new LoggedDataWindow(app_.program(), app_.waiter(), recording_, slot_, this);
    loggedWindow_->show();
    loggedWindow_->raise();
    QTimer::singleShot(0, loggedWindow_, &LoggedDataWindow::Refresh);
    return loggedWindow_;
}

void DataWindow::ShowFileHeader() {
    if (!headerWindow_) headerWindow_ = new FileHeaderForm("", &app_.store(), this);
    headerWindow_->SetText(record().recording.headerText);
    headerWindow_->show();
    headerWindow_->raise();
}

void DataWindow::ShowPreferences() {
    PreferencesForm form(app_.program().settings, app_.store(), this);
    if (form.exec() == QDialog::Accepted) app_.SettingsChanged();
}

void DataWindow::ShowSigmaParameters() {
    SigmaParamsForm form(app_.program().settings.Sigma, app_.store(), app_.options().programFolder,
                         app_.prompter(), this);
    if (form.exec() == QDialog::Accepted) app_.SettingsChanged();
}

void DataWindow::ShowPureWaterParameters() {
    BbParamsForm form(app_.program().settings.bbPrefs, app_.store(), this);
    if (form.exec() == QDialog::Accepted) app_.SettingsChanged();
}

// ---- Live samples.

void DataWindow::TakeSample(const CalibratedSample& sample) {
    pending_.push_back(sample);
}

void DataWindow::RedrawIfChanged() {
    if (!pending_.empty()) {
        FollowInstrumentType(record().identified ? record().instrumentType
                                                 : record().Calibration().DeviceType);
        graph_->AddPoints(pending_);
        pending_.clear();
        UpdatePanels();
        UpdateSpectrum();
    }
    if (isVisible() && !isMinimized() && plot_->NeedsRedraw()) plot_->Redraw();
}

void DataWindow::FollowInstrumentType(int type) {
    if (type == graph_->InstrumentType()) return;
    graph_->SetInstrumentType(type);
    SetView();
    for (QCheckBox* box : channelBoxes_) delete box;
    channelBoxes_.clear();
    for (int t = 0; t < graph_->TraceCount(); ++t) {
        auto* box = new QCheckBox(this);
        box->setChecked(graph_->TraceVisible(t));
        connect(box, &QCheckBox::toggled, this, [this, t](bool on) {
            graph_->SetTraceVisible(t, on);
            plot_->Redraw();
        });
        channelLayout_->addWidget(box);
        channelBoxes_.push_back(box);
    }
    NameChannelBoxes();
    UpdateControls();
}

void DataWindow::NameChannelBoxes() {
    for (size_t i = 0; i < channelBoxes_.size(); ++i) {
        const int t = static_cast<int>(i);
        std::string name = graph_->TraceName(t);
        if (name.empty())
            name = (graph_->IsY2Trace(t) ? "Y2 channel " : "Channel ") + std::to_string(t + 1);
        channelBoxes_[i]->setText(Q(name));
    }
}

void DataWindow::SetView() {
    if (viewTimeAction_->isChecked())
        graph_->SetViewAgainstTime();
    else
        graph_->SetViewAgainstDepth();
    NameChannelBoxes();
    plot_->Redraw();
}

void DataWindow::PrintGraph() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintHeaderInfo info;
    info.title = windowTitle().toStdString();
    info.titleNamesWindow = true;
    const DataFileState& files = record().recording.files;
    for (const std::string* f : {&std::as_const(loadedFile_), &files.rawName, &files.datName})
        if (!f->empty()) info.dataFiles.push_back(*f);
    info.calFile = record().Calibration().SourceFile();
    info.instrumentType = graph_->InstrumentType();
    info.serialNumber = record().identified ? record().serialNumber : record().Calibration().Serial;
    info.includeDate = true;
    info.printTime = app_.program().Now();
    if (!plot_->Print(printer, PrintHeaderLines(info)))
        app_.prompter().ShowMessage(kNoDefaultPrinterMessage);
}

void DataWindow::ExportGraph() {
    int type = static_cast<int>(ReadNumber(app_.store(), keys::GraphicsExportType));
    QFileDialog dialog(this, "Save As", Q(app_.program().settings.SavePath));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = QString::fromStdString(ExportFilterList()).split(";;");
    dialog.setNameFilters(filters);
    if (type >= 0 && type < filters.size()) dialog.selectNameFilter(filters[type]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    type = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    if (type < 0) type = 0;
    app_.store().Write(keys::GraphicsExportType, std::to_string(type));
    std::string path = dialog.selectedFiles().front().toStdString();
    const std::string extension = ExportFormatFor(type).extension;
    if (path.size() < extension.size() ||
        path.compare(path.size() - extension.size(), extension.size(), extension) != 0)
        path += extension;
    const std::string error = plot_->Export(path, type);
    if (!error.empty()) app_.prompter().ShowMessage(error);
}

// ---- Stored files.

// The loaders' view of the window: its graph, a progress window with Cancel, and the menus.
class DataWindow::GraphLoadSink : public LoadSink {
  public:
    explicit GraphLoadSink(DataWindow& w) : w_(w) {}
    void Clear() override { w_.graph_->Clear(); }
    void SetInstrumentType(int type) override { w_.FollowInstrumentType(type); }
    void SetChannelNames(const std::vector<std::string>& names) override {
        // an a-Lumo's Y2 trace is its measured coefficient, its third channel ("k(...)")
        const bool aLumo = w_.graph_->InstrumentType() == kALumo;
        for (int t = 0; t < w_.graph_->TraceCount(); ++t) {
            const size_t channel = aLumo && w_.graph_->IsY2Trace(t) ? 2 : static_cast<size_t>(t);
            if (channel < names.size()) w_.graph_->SetTraceName(t, names[channel]);
        }
        w_.NameChannelBoxes();
    }
    bool AgainstDepth() const override { return w_.graph_->View() == GraphView::AgainstDepth; }
    bool DepthInFeet() const override { return w_.graph_->DepthInFeet(); }
    int64_t Capacity() const override { return w_.graph_->MaxPoints(); }
    void AddPoint(double, const CalibratedSample& sample) override {
        w_.graph_->AddPoint(sample, false);
    }
    // While loading, at most a few pictures a second.
    void Redraw(bool final) override {
        if (!final && drawn_.isValid() && drawn_.elapsed() < kRedrawMilliseconds) return;
        w_.plot_->Redraw();
        drawn_.start();
    }
    void BeginProgress(const std::string& caption, int64_t range) override {
        progress_ = std::make_unique<QProgressDialog>(Q(caption), "Cancel", 0, 1000, &w_);
        progress_->setWindowTitle(Q(caption));
        progress_->setMinimumDuration(500);
        range_ = range > 0 ? range : 1;
        QObject::connect(progress_.get(), &QProgressDialog::canceled, [this] { cancel = -1; });
    }
    void SetProgress(int64_t position) override {
        if (progress_) progress_->setValue(static_cast<int>(position * 1000 / range_));
    }
    void EndProgress() override { progress_.reset(); }
    void ProcessEvents() override { QApplication::processEvents(); }
    void LoadFinished() override {
        w_.UpdateControls();
        w_.UpdateTitles();
    }

    std::atomic<int> cancel{0};

  private:
    DataWindow& w_;
    QElapsedTimer drawn_;
    std::unique_ptr<QProgressDialog> progress_;
    int64_t range_ = 1;
};

std::string DataWindow::ChooseCalibrationPath() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Select Calibration File", Q(app_.program().settings.OpenCalPath),
        "Calibration File (*.cal);;Old Calibration File (*.ini);;All Files (*)");
    return path.toStdString();
}

bool DataWindow::LoadCalibration(const std::string& file) {
    AppSettings& s = app_.program().settings;
    auto calibration = std::make_shared<CalibrationDataClass>();
    const std::string why =
        LoadUsableCalibration(file, s.Sigma, app_.tables(), app_.prompter(), *calibration);
    if (!why.empty()) {
        app_.prompter().ShowMessage(UnusableCalibrationText(file, why));
        return false;
    }
    record().calibration = calibration;
    record().calibrationLoaded = true;
    record().SyncRecordingWindow();
    s.CalFile = file;
    const size_t cut = file.find_last_of('/');
    if (cut != std::string::npos) s.OpenCalPath = file.substr(0, cut + 1);
    EnableCalibrationMenu(slot_, true);
    RefreshWindow(slot_);
    return true;
}

void DataWindow::OpenFileCommand() {
    OpenFileWith(
        [this](const std::string& title, const std::string& types, const std::string& folder) {
            const QStringList filters = SaveNameFilters(types);
            QFileDialog dialog(this, Q(title), Q(folder));
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setOption(QFileDialog::HideNameFilterDetails);
            dialog.setNameFilters(filters);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return std::string();
            return dialog.selectedFiles().front().toStdString();
        });
}

void DataWindow::OpenDataFile(const std::string& path, const std::string& calFile) {
    if (!calFile.empty() && !LoadCalibration(calFile)) return;
    OpenFileWith(
        [path](const std::string&, const std::string&, const std::string&) { return path; });
}

void DataWindow::OpenFileWith(
    const std::function<std::string(const std::string&, const std::string&, const std::string&)>&
        chooseFile) {
    DataFileDialogs dialogs;
    dialogs.chooseFile = chooseFile;
    dialogs.chooseCalibration = [this] { return ChooseCalibrationPath(); };
    dialogs.loadCalibration = [this](const std::string& path) { return LoadCalibration(path); };
    InstrumentRecord& r = record();
    r.SyncRecordingWindow();
    const DataFileState& files = r.recording.files;
    const bool inUse = graph_->PointCount() > 0 || files.rawFile.IsOpen() || files.datFile.IsOpen();
    std::string path, calibrationFile;
    AppSettings& s = app_.program().settings;
    if (!SelectDataFile(r.recording, path, calibrationFile, inUse, s.OpenPath, dialogs,
                        app_.prompter()))
        return;
    GraphLoadSink sink(*this);
    LoadContext context{app_.prompter(), sink, s.Sigma, s.bbPrefs, &sink.cancel};
    const LoadReport report = OpenFile(r.recording, path, "", context);
    if (report.opened) loadedFile_ = path;
    pointerPoint_.reset();
    UpdateSpectrum();
    UpdateControls();
    UpdateTitles();
}

void DataWindow::UpdatePanels() {
    const InstrumentRecord& r = record();
    const double now = app_.program().Now();
    if (r.sampleCount > 0) {
        depthPanel_->setText(Q(DepthPanelText(r.converted.depth, feetAction_->isChecked())));
        temperaturePanel_->setText(Q(TemperaturePanelText(r.converted.temperature)));
        voltagePanel_->setText(Q(VoltagePanelText(r.converted.voltage, r.lastLineTime, now)));
    }
    if (acquisitionStart_ > 0) elapsedPanel_->setText(Q(ElapsedPanelText(acquisitionStart_, now)));
}

void DataWindow::UpdateControls() {
    const InstrumentRecord& r = record();
    const DataFileState& files = r.recording.files;
    const bool recording = files.rawFile.IsOpen() || files.datFile.IsOpen();
    saveAction_->setEnabled(recording);
    saveAsAction_->setEnabled(recording);
    closeFilesAction_->setEnabled(recording || !loadedFile_.empty());
    headerAction_->setEnabled(!r.recording.headerText.empty());
    const bool hasPoints = graph_->PointCount() > 0;
    printAction_->setEnabled(hasPoints);
    exportAction_->setEnabled(hasPoints);
    connectAction_->setEnabled(!r.PortOpen());
    disconnectAction_->setEnabled(r.PortOpen());
    calibrationMenuAction_->setEnabled(!recording);
    const bool vantor = IsVantorFamily(r.instrumentType);
    sigmaButton_->setEnabled(!(recording && vantor));
    uncorrectedButton_->setEnabled(!(recording && vantor));
    const bool trevan = IsTrevan(record().Calibration().DeviceType);
    sigmaButton_->setVisible(!trevan);
    uncorrectedButton_->setVisible(!trevan);
}

// ---- Closing.

int DataWindow::PrepToCloseForm() {
    InstrumentRecord& r = record();
    r.SyncRecordingWindow();
    if (CloseDataFiles(r.recording, false, recording_) == -1) return -1;
    CalibrationDataClass& cal = r.Calibration();
    if (cal.Changed != 0 && cal.DeviceType != kUnknownType) {
        const int answer = app_.prompter().Ask(
            "The calibration of the " + ModelName(cal.DeviceType) + " " + cal.Serial +
                " has changed (" + cal.ChangedDescription() + ").  Save it before closing?",
            {"Yes", "No", "Cancel"});
        if (answer == -1) return -1;
        if (answer == 1) SaveCalibrationFile();
    }
    if (r.PortOpen() && DisconnectCommand(connection_, slot_) == -1) return -1;
    return 1;
}

void DataWindow::CloseWithoutAsking() {
    closeAgreed_ = true;
    close();
}

void DataWindow::closeEvent(QCloseEvent* event) {
    if (!closeAgreed_ && PrepToCloseForm() == -1) {
        event->ignore();
        return;
    }
    closeAgreed_ = true;
    inputTimer_.Stop();
    redrawTimer_->stop();
    WriteGeometry();
    if (messagesWindow_) messagesWindow_->close();
    if (spectrum_) spectrum_->close();
    event->accept();
    app_.WindowUnloaded(this);
}

}  // namespace tidewell::ui
