// The simulator's program on a real pseudo-terminal: started, opened at its rate, asked for its
// identification, stopped. Every wait has a limit, so a fault fails the test instead of hanging.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            // the counts it prints as it ends are for people, not for the test's log
            const int quiet = open("/dev/null", O_WRONLY);
            if (quiet >= 0) dup2(quiet, STDERR_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string program = std::string(TIDEWELL_BIN_DIR) + "/tidewell-sim";
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
    }
    ~SimProcess() { Stop(); }

    // The first line of the program's output, or "" after `seconds`.
    std::string FirstLine(double seconds) {
        std::string line;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            pollfd p{stdout_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char c;
            if (read(stdout_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return "";
    }

    // SIGTERM, then SIGKILL if it has not ended within two seconds. The exit status.
    int Stop() {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        int status = -1;
        const auto end = Clock::now() + std::chrono::seconds(2);
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            usleep(10000);
        }
        pid_ = -1;
        if (stdout_ >= 0) close(stdout_);
        stdout_ = -1;
        return status;
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

int OpenAt(const std::string& device, speed_t speed) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fd;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// Reads until `until` has been seen or `seconds` have passed.
std::string ReadUntil(int fd, const std::string& until, double seconds) {
    std::string got;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end && got.find(until) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

TEST(SimEndToEnd, AnswersIdentificationOnItsPseudoTerminal) {
    tidewell::test::TempDir dir;
    const std::string txLog = dir.File("tx.bin");
    const std::string truth = dir.File("truth.txt");
    SimProcess sim({"--model", "vantor-4", "--baud", "38400", "--tx-log", txLog, "--truth", truth});
    const std::string device = sim.FirstLine(5);
    ASSERT_FALSE(device.empty());

    // at another rate it hears nothing
    int fd = OpenAt(device, B9600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "ID\r", 3), 3);
    EXPECT_EQ(ReadUntil(fd, "Identification:", 0.5).find("Identification:"), std::string::npos);
    close(fd);

    fd = OpenAt(device, B38400);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "\rID\r", 4), 4);
    const std::string reply = ReadUntil(fd, "Max depth: 600\r\n>\r\n", 5);
    EXPECT_NE(reply.find("Identification:\r\nModel: VN4\r\nS/N: V4-0102\r\n"), std::string::npos)
        << reply;
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);
    // the log holds every byte sent, and the truth what it was
    EXPECT_EQ(tidewell::test::ReadFileBytes(txLog), reply);
    EXPECT_NE(tidewell::test::ReadFileBytes(truth).find("bytes=" + std::to_string(reply.size())),
              std::string::npos);
}

}  // namespace
