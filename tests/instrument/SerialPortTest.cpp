#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "instrument/QtSerialPortIo.h"
#include "instrument/SerialPortIo.h"
#include "tests/instrument/TestApplication.h"

namespace tidewell {
namespace {

TEST(PortSettings, ReadAndWrite) {
    struct Case {
        const char* text;
        bool ok;
        PortSettings settings;
    } cases[] = {
        {"115200,n,8,1", true, {115200, 'N', 8, 1}},
        {" 19200 , E , 7 , 2 ", true, {19200, 'E', 7, 2}},
        {"4800,O,5,1", true, {4800, 'O', 5, 1}},
        {"9600,N,8", false, {}},
        {"9600,X,8,1", false, {}},
        {"9600,N,9,1", false, {}},
        {"9600,N,8,3", false, {}},
        {"96x0,N,8,1", false, {}},
    };
    for (const Case& c : cases) {
        const std::optional<PortSettings> s = ParsePortSettings(c.text);
        EXPECT_EQ(s.has_value(), c.ok) << c.text;
        if (s && c.ok) {
            EXPECT_EQ(*s, c.settings) << c.text;
        }
    }
}

// A pseudo-terminal: the test plays the instrument on the master side.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            name_ = ptsname(master_);
            fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    const std::string& name() const { return name_; }
    void Send(const std::string& s) {
        ASSERT_EQ(write(master_, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    }
    std::string Take() {
        std::string out;
        char buf[256];
        ssize_t n;
        while ((n = read(master_, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
        return out;
    }

  private:
    int master_ = -1;
    std::string name_;
};

// Reads until `want` bytes came or two seconds passed.
template <typename Read>
std::string ReadFor(Read read, size_t want) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        got += read();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return got;
}

TEST(QtSerialPortIo, TalksOverAPseudoTerminal) {
    test::TestApplication();
    PseudoTerminal pty;
    ASSERT_FALSE(pty.name().empty());
    QtSerialPortIo port;
    ASSERT_TRUE(port.Open(pty.name(), "9600,N,8,1")) << port.ErrorText();

    // bytes pass unchanged both ways: no line-end translation, no echo
    const std::string fromInstrument = std::string("*D12\r\n\x00\xff end\r", 14);
    pty.Send(fromInstrument);
    EXPECT_EQ(ReadFor([&] { return port.ReadAll(); }, fromInstrument.size()), fromInstrument);
    port.Write("ID\r\n");
    EXPECT_EQ(ReadFor([&] { return pty.Take(); }, 4), "ID\r\n");
    EXPECT_EQ(port.BytesToWrite(), 0);

    pty.Send("stale");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port.ClearReceiveBuffer();
    EXPECT_EQ(port.ReadAll(), "");
    EXPECT_TRUE(port.SetSettings("19200,N,8,1"));
    EXPECT_EQ(port.Settings(), "19200,N,8,1");
    EXPECT_FALSE(port.SetSettings("fast"));

    // the device is held: a second port cannot have it
    QtSerialPortIo second;
    EXPECT_FALSE(second.Open(pty.name(), "9600,N,8,1"));
    EXPECT_TRUE(second.AlreadyOpen());
    EXPECT_FALSE(second.ErrorText().empty());

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.ReadAll(), "");
    port.Write("ignored");
}

}  // namespace
}  // namespace tidewell
