// The native console: a pseudo-terminal's window and colours, control events from signals, and
// local time.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

#include "sys/sys.h"

namespace {

sys::Handle HandleOfDescriptor(int fd) {
    return reinterpret_cast<sys::Handle>(intptr_t{fd} + 1);
}

// A pseudo-terminal pair whose window the test sets; the slave side stands for the console.
struct Pty {
    int master = -1;
    int slave = -1;
    Pty() { openpty(&master, &slave, nullptr, nullptr, nullptr); }
    ~Pty() {
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
    }
    void SetRows(unsigned short rows) {
        winsize size{};
        size.ws_row = rows;
        size.ws_col = 80;
        ioctl(master, TIOCSWINSZ, &size);
    }
    std::string Received() {
        std::string text;
        char buffer[256];
        fcntl(master, F_SETFL, O_NONBLOCK);
        for (ssize_t got; (got = read(master, buffer, sizeof buffer)) > 0;)
            text.append(buffer, size_t(got));
        return text;
    }
};

TEST(PosixConsole, APipeIsNoConsole) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    uint32_t mode = 0xFFFFFFFF;
    uint32_t rows = 0;
    uint16_t attribute = 0;
    EXPECT_FALSE(sys::ConsoleMode(HandleOfDescriptor(fds[1]), &mode));
    EXPECT_EQ(mode, 0xFFFFFFFFu);
    EXPECT_FALSE(sys::ConsoleWindowRows(HandleOfDescriptor(fds[1]), &rows));
    EXPECT_FALSE(sys::ConsoleTextAttribute(HandleOfDescriptor(fds[1]), &attribute));
    EXPECT_FALSE(sys::SetConsoleTextAttribute(HandleOfDescriptor(fds[1]), 0x1F));
    EXPECT_FALSE(sys::ConsoleMode(nullptr, &mode));
    close(fds[0]);
    close(fds[1]);
}

TEST(PosixConsole, ATerminalHasItsWindowAndColours) {
    Pty pty;
    ASSERT_GE(pty.slave, 0);
    const sys::Handle console = HandleOfDescriptor(pty.slave);
    pty.SetRows(30);
    uint32_t mode = 0xFFFFFFFF;
    uint32_t rows = 0;
    EXPECT_TRUE(sys::ConsoleMode(console, &mode));
    EXPECT_NE(mode, 0xFFFFFFFFu);
    EXPECT_TRUE(sys::ConsoleWindowRows(console, &rows));
    EXPECT_EQ(rows, 30u);

    struct Case {
        uint16_t attribute;
        const char* sequence;
    };
    const Case cases[] = {{0x1F, "\x1b[0;97;44m"}, {0x4E, "\x1b[0;93;41m"}, {0x07, "\x1b[0m"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(sys::SetConsoleTextAttribute(console, c.attribute));
        uint16_t attribute = 0;
        EXPECT_TRUE(sys::ConsoleTextAttribute(console, &attribute));
        EXPECT_EQ(attribute, c.attribute);
        EXPECT_EQ(pty.Received(), c.sequence);
    }
}

TEST(PosixConsole, AWindowOfNoSizeIsNotReported) {
    Pty pty;
    ASSERT_GE(pty.slave, 0);
    pty.SetRows(0);
    uint32_t rows = 0;
    EXPECT_FALSE(sys::ConsoleWindowRows(HandleOfDescriptor(pty.slave), &rows));
}

std::atomic<int> LastEvent{-1};
int RecordEvent(uint32_t event) {
    LastEvent = int(event);
    return 1;
}

TEST(PosixConsole, SignalsBecomeControlEventsWhileTheHandlerIsInstalled) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction formerInterrupt {
    }, formerQuit{};
    sigaction(SIGINT, &ignore, &formerInterrupt);
    sigaction(SIGQUIT, &ignore, &formerQuit);

    ASSERT_TRUE(sys::AddControlHandler(RecordEvent));
    raise(SIGINT);
    EXPECT_EQ(LastEvent.load(), int(sys::kCtrlCEvent));
    raise(SIGQUIT);
    EXPECT_EQ(LastEvent.load(), int(sys::kCtrlBreakEvent));
    EXPECT_TRUE(sys::RemoveControlHandler(RecordEvent));
    EXPECT_FALSE(sys::RemoveControlHandler(RecordEvent));

    // The dispositions from before are back: the signals are ignored again.
    LastEvent = -1;
    raise(SIGINT);
    raise(SIGQUIT);
    EXPECT_EQ(LastEvent.load(), -1);
    struct sigaction now {};
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);

    sigaction(SIGINT, &formerInterrupt, nullptr);
    sigaction(SIGQUIT, &formerQuit, nullptr);
}

TEST(PosixConsole, LocalTimeFollowsTheTimeZone) {
    const char* former = getenv("TZ");
    const std::string saved = former == nullptr ? "" : former;
    setenv("TZ", "EST5", 1);
    sys::SystemTime local{};
    ASSERT_TRUE(sys::LocalTimeOf(sys::SystemTime{2024, 1, 1, 1, 3, 4, 5, 678}, &local));
    EXPECT_EQ(local.year, 2023);
    EXPECT_EQ(local.month, 12);
    EXPECT_EQ(local.day, 31);
    EXPECT_EQ(local.dayOfWeek, 0);
    EXPECT_EQ(local.hour, 22);
    EXPECT_EQ(local.minute, 4);
    EXPECT_EQ(local.second, 5);
    EXPECT_EQ(local.milliseconds, 678);
    sys::SystemTime untouched{1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(sys::LocalTimeOf(sys::SystemTime{2024, 13, 0, 1, 0, 0, 0, 0}, &untouched));
    EXPECT_FALSE(sys::LocalTimeOf(sys::SystemTime{2024, 1, 0, 1, 24, 0, 0, 0}, &untouched));
    EXPECT_EQ(untouched.year, 1);
    if (former == nullptr)
        unsetenv("TZ");
    else
        setenv("TZ", saved.c_str(), 1);
    tzset();
}

} // namespace
