// tidewell-sim: plays an instrument on a pseudo-terminal. The first line on stdout is the
// device to open; the simulator then serves until it is stopped (SIGTERM or SIGINT), and
// SIGUSR1 acts as a break on the line.
//
// A pseudo-terminal carries no line signals: a break the host raises never reaches this side.
// Tests that need a reset send SIGUSR1, or start the simulator with --reset-on-hangup, which
// takes the host closing the port (as the reset procedure does at its end) for a break.
//
// With --link PATH the pseudo-terminal is also reached as PATH, a symbolic link made before the
// first input is taken and removed as the simulator ends, so that a simulator started again
// comes back under the same name, as a re-plugged adapter does under a fixed device name.

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "calibration/BinaryImage.h"
#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "calibration/SigmaParams.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "tools/sim/BuiltInCalibrations.h"
#include "tools/sim/SimInstrument.h"
#include "tools/sim/SimOptions.h"

namespace {

std::atomic<bool> gStop{false};
std::atomic<bool> gBreak{false};

void OnStop(int) {
    gStop = true;
}
void OnBreak(int) {
    gBreak = true;
}

struct BaudRow {
    speed_t code;
    int rate;
};
constexpr BaudRow kBauds[] = {
    {B1200, 1200},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},
    {B19200, 19200},   {B38400, 38400},   {B57600, 57600},   {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

int RateOf(speed_t code) {
    for (const BaudRow& b : kBauds)
        if (b.code == code) return b.rate;
    return 0;
}

speed_t CodeOf(int rate) {
    for (const BaudRow& b : kBauds)
        if (b.rate == rate) return b.code;
    return B19200;
}

// The computer's local time as a date value: the instrument's clock starts out set to it.
double LocalNow() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    tidewell::CalendarTime c;
    c.year = local.tm_year + 1900;
    c.month = local.tm_mon + 1;
    c.day = local.tm_mday;
    c.hour = local.tm_hour;
    c.minute = local.tm_min;
    c.second = local.tm_sec;
    return tidewell::DateTimeValue(c);
}

// Points `path` at the terminal, replacing a symbolic link an earlier run left there (one killed
// before it could remove it). Anything else at `path` is left alone: false with EEXIST.
bool MakeLink(const std::string& terminal, const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            return false;
        }
        if (unlink(path.c_str()) != 0) return false;
    }
    return symlink(terminal.c_str(), path.c_str()) == 0;
}

// Removes the link while it still points at this run's terminal (a later run may have taken
// the name since).
void RemoveLink(const std::string& terminal, const std::string& path) {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == terminal) unlink(path.c_str());
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tidewell;
    sim::SimOptions options;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(sim::SimUsage().c_str(), stdout);
            return 0;
        }
    if (!sim::ParseSimOptions(args, options, error)) {
        std::fprintf(stderr, "tidewell-sim: %s\n%s", error.c_str(), sim::SimUsage().c_str());
        return 2;
    }

    CalibrationDataClass cal = sim::BuiltInCalibration(options.model);
    if (!options.calPath.empty()) {
        SigmaParams params;
        params.aStar = 0.04;  // no table file needed to hold a calibration
        params.aStarFile.clear();
        SilentPrompter quiet;
        if (!cal.SetSourceFile(options.calPath, params, SigmaTables{}, quiet)) {
            std::fprintf(stderr, "tidewell-sim: cannot read calibration %s\n",
                         options.calPath.c_str());
            return 2;
        }
        if (cal.DeviceType != options.model)
            std::fprintf(stderr, "tidewell-sim: warning: %s holds a %s calibration\n",
                         options.calPath.c_str(), ModelName(cal.DeviceType).c_str());
    }
    std::string image;
    if (IsSingleChannel(options.model) && !BuildBinaryImage(cal, image))
        std::fprintf(stderr,
                     "tidewell-sim: warning: some calibration values do not fit the "
                     "instrument's binary image\n");

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "tidewell-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    // Raw and at the instrument's rate until the host sets its own: a terminal that echoes
    // would hand the simulator its own output back as commands.
    termios tio{};
    tcgetattr(master, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, CodeOf(options.baud));
    cfsetospeed(&tio, CodeOf(options.baud));
    tcsetattr(master, TCSANOW, &tio);

    struct sigaction stop {};
    stop.sa_handler = OnStop;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    struct sigaction brk {};
    brk.sa_handler = OnBreak;
    sigaction(SIGUSR1, &brk, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const char* name = ptsname(master);
    const std::string terminal = name ? name : "";
    if (!options.linkPath.empty() && !MakeLink(terminal, options.linkPath)) {
        std::fprintf(stderr, "tidewell-sim: --link %s: %s\n", options.linkPath.c_str(),
                     std::strerror(errno));
        close(master);
        return 1;
    }
    std::printf("%s\n", terminal.c_str());
    std::fflush(stdout);

    std::FILE* txLog = nullptr;
    if (!options.txLogPath.empty()) {
        txLog = std::fopen(options.txLogPath.c_str(), "wb");
        if (!txLog)
            std::fprintf(stderr, "tidewell-sim: cannot write %s\n", options.txLogPath.c_str());
    }

    sim::SimInstrument instrument(options, cal, LocalNow());
    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::string pending;  // output the terminal did not take yet
    bool client = false;
    double lastTruth = -1;
    std::string lastTruthText;
    while (!gStop) {
        const double now = seconds();
        termios current{};
        if (tcgetattr(master, &current) == 0) instrument.SetLineBaud(RateOf(cfgetospeed(&current)));
        if (gBreak.exchange(false)) instrument.Break(now);

        pollfd p{master, POLLIN, 0};
        const int ready = poll(&p, 1, 10);
        const double after = seconds();
        const bool hangup = ready > 0 && (p.revents & POLLHUP) != 0;
        if (hangup) {
            // what the host wrote before it let go of the port was on the line and arrives;
            // with nobody holding the port, what the instrument says is lost
            if (p.revents & POLLIN) {
                char buffer[4096];
                const ssize_t n = read(master, buffer, sizeof buffer);
                if (n > 0)
                    instrument.Receive(std::string_view(buffer, static_cast<size_t>(n)), after);
            }
            if (client && options.resetOnHangup) instrument.Break(after);
            client = false;
            instrument.AdvanceTo(after);
            instrument.TakeOutput();
            pending.clear();
            usleep(20000);
        } else {
            client = true;
            if (ready > 0 && (p.revents & POLLIN)) {
                char buffer[4096];
                const ssize_t n = read(master, buffer, sizeof buffer);
                // the rate as it is now: a host sets its rate before it writes
                if (tcgetattr(master, &current) == 0)
                    instrument.SetLineBaud(RateOf(cfgetospeed(&current)));
                if (n > 0)
                    instrument.Receive(std::string_view(buffer, static_cast<size_t>(n)), after);
            }
            instrument.AdvanceTo(after);
            pending += instrument.TakeOutput();
            while (!pending.empty()) {
                const ssize_t n = write(master, pending.data(), pending.size());
                if (n <= 0) break;
                if (txLog) std::fwrite(pending.data(), 1, static_cast<size_t>(n), txLog);
                pending.erase(0, static_cast<size_t>(n));
            }
            if (txLog) std::fflush(txLog);
            // a host that stops reading loses what does not fit, as it would on a real line
            if (pending.size() > (1u << 20)) pending.clear();
        }
        if (!options.truthPath.empty() && after - lastTruth >= 0.5) {
            lastTruth = after;
            const std::string text = instrument.truth().Text();
            if (text != lastTruthText && WriteFile(options.truthPath, text)) lastTruthText = text;
        }
    }
    const std::string truth = instrument.truth().Text();
    if (!options.truthPath.empty()) WriteFile(options.truthPath, truth);
    std::fputs(truth.c_str(), stderr);
    if (txLog) std::fclose(txLog);
    if (!options.linkPath.empty()) RemoveLink(terminal, options.linkPath);
    close(master);
    return 0;
}
