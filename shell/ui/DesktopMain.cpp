#include "shell/ui/DesktopMain.h"

#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QSocketNotifier>
#include <QUrl>
#include <csignal>
#include <iostream>

#include "shell/Headless.h"
#include "shell/InstanceNumber.h"
#include "shell/QtSettingsStore.h"
#include "shell/ui/AboutWindow.h"
#include "shell/ui/DataWindow.h"
#include "shell/ui/DesktopApp.h"
#include "shell/ui/QtPrompter.h"
#include "stream/Models.h"

namespace tidewell::ui {

namespace {

constexpr const char* kOpenHelp =
    "Usage: tidewell open FILE... [--cal CALFILE]\n"
    "\n"
    "Starts Tidewell with each raw (.raw) or calibrated (.dat) file in a data window of its own\n"
    "(at most six). Raw files are converted with CALFILE, or with the last calibration used.\n";

constexpr const char* kDemoHelp =
    "Usage: tidewell demo [MODEL]\n"
    "\n"
    "Starts a simulated instrument (tidewell-sim) and Tidewell with a data window connected to\n"
    "it and sampling. MODEL is vantor-6 (the default), vantor-4, vantor-2, a-lumo, c-lumo,\n"
    "x-lumo or trevan-2. It holds three stored casts to transfer (Instrument > Transfer\n"
    "Files) and ends with the program.\n";

// SIGINT and SIGTERM end the program through the event loop.
int gSignalPipe[2] = {-1, -1};
bool gTerminated = false;

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(gSignalPipe[1], &c, 1);
}

// The simulated instrument of the demo. It ends with the program: when this object goes, and
// when the program dies without cleaning up (the system sends it SIGTERM then).
class DemoSimulator {
  public:
    bool Start(const std::string& model, std::string& error) {
        const QString program = QCoreApplication::applicationDirPath() + "/tidewell-sim";
        process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(
            program, {"--model", QString::fromStdString(model), "--period", "0.5", "--casts", "3"});
        if (!process_.waitForStarted(5000)) {
            error = "The simulated instrument could not be started: " +
                    process_.errorString().toStdString();
            return false;
        }
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        device_ = process_.readLine().trimmed().toStdString();
        if (device_.empty()) {
            error = "The simulated instrument did not say where it is.";
            return false;
        }
        return true;
    }
    const std::string& device() const { return device_; }
    ~DemoSimulator() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }

  private:
    QProcess process_;
    std::string device_;
};

}  // namespace

int ParseOpenArguments(const std::vector<std::string>& args, DesktopLaunch& launch) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << kOpenHelp;
            return 0;
        }
        if (a == "--cal") {
            if (i + 1 >= args.size()) {
                std::cerr << "open: --cal needs a value\n" << kOpenHelp;
                return 2;
            }
            launch.calFile = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            std::cerr << "open: unknown option " << a << "\n" << kOpenHelp;
            return 2;
        } else {
            launch.files.push_back(a);
        }
    }
    if (launch.files.empty()) {
        std::cerr << "open: name at least one file\n" << kOpenHelp;
        return 2;
    }
    return -1;
}

int ParseDemoArguments(const std::vector<std::string>& args, DesktopLaunch& launch) {
    launch.demoModel = "vantor-6";
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << kDemoHelp;
            return 0;
        }
        if (a.rfind("--", 0) == 0 || ModelCode(a) >= kUnknownType) {
            std::cerr << "demo: unknown model or option " << a << "\n" << kDemoHelp;
            return 2;
        }
        launch.demoModel = a;
    }
    return -1;
}

int RunDesktop(int argc, char* argv[], const DesktopLaunch& launch) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Tidewell");
    QApplication::setApplicationName("Tidewell");

    if (socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) == 0) {
        auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &app);
        // exit() leaves every running event loop, a question's or a wait's among them, and
        // later ones return at once
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
            gTerminated = true;
            QApplication::exit(0);
        });
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }

    InstanceLock lock;
    QtSettingsStore store;
    const int instance = TakeInstanceNumber(store, lock.OtherCopyRunning());
    AboutWindow splash(instance, true);
    splash.show();
    QApplication::processEvents();

    SystemClock clock;
    QtPrompter prompter;
    DesktopOptions options;
    options.instance = instance;
    options.programFolder = ProgramFolder();
    options.connectOnStartup = launch.demoModel.empty() && launch.files.empty();
    options.openDocument = [](const std::string& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };
    DesktopApp desktop(store, prompter, clock, options);
    QObject::connect(&desktop, &DesktopApp::lastWindowClosed, &app, &QApplication::quit);

    DemoSimulator simulator;
    DataWindow* first = desktop.Start();
    splash.close();
    if (!first) return 1;
    if (gTerminated) return 0;

    for (size_t i = 0; i < launch.files.size(); ++i) {
        DataWindow* window = i == 0 ? first : desktop.NewWindow();
        if (!window) break;
        window->OpenDataFile(launch.files[i], launch.calFile);
    }
    if (!launch.demoModel.empty() && !gTerminated) {
        std::string error;
        if (!simulator.Start(launch.demoModel, error)) {
            prompter.ShowMessage(error);
        } else if (first->ConnectTo(simulator.device(), 19200)) {
            first->StartSampling();
        }
    }
    // exec() would forget an exit asked for before it began
    const int status = gTerminated ? 0 : QApplication::exec();
    // closed by a signal: the windows go without questions, their temporary files stay
    for (DataWindow* w : desktop.Windows()) w->CloseWithoutAsking();
    return status;
}

}  // namespace tidewell::ui
