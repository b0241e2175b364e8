// Keys from a real terminal: a child process takes a pseudo-terminal as its controlling
// terminal, reads what the parent types into it, and reports the key codes it got.
#include <gtest/gtest.h>

#include <cstdio>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sys/sys.h"

namespace {

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written <= 0) return;
        done += size_t(written);
    }
}

// Reads one line (without its end) from the report pipe; empty at its end.
std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

// What the child does with the terminal, reporting through `report`. Returns its exit status.
int ChildReadsKeys(int slave, int report) {
    alarm(20); // nothing here may hang the test
    if (setsid() < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) return 2;

    sys::BeginKeyInput();
    WriteAll(report, "ready\n");
    std::string codes;
    for (int i = 0; i < 16; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%X ", unsigned(sys::ReadKeyCode()));
        codes += text;
    }
    WriteAll(report, codes + "\n");
    sys::EndKeyInput();

    // An Esc alone counts as the key held down, once, behind another key or not.
    WriteAll(report, "escape\n");
    bool down = false;
    for (int i = 0; i < 200 && !down; ++i) {
        down = sys::KeyIsDown(sys::KeyName::Escape);
        if (!down) usleep(10000);
    }
    WriteAll(report, std::string(down ? "down" : "up") +
                         (sys::KeyIsDown(sys::KeyName::Escape) ? " down" : " up") +
                         (sys::KeyIsDown(sys::KeyName::Control) ? " down\n" : " up\n"));

    // Waiting keys are discarded.
    sys::BeginKeyInput();
    WriteAll(report, "discard\n");
    bool waiting = false;
    for (int i = 0; i < 200 && !waiting; ++i) {
        waiting = sys::KeyWaiting();
        if (!waiting) usleep(10000);
    }
    sys::DiscardWaitingKeys();
    WriteAll(report, std::string(waiting ? "waited" : "none") +
                         (sys::KeyWaiting() ? " still\n" : " gone\n"));
    sys::EndKeyInput();
    return 0;
}

TEST(PosixKeys, TerminalBytesBecomeConsoleKeyCodes) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(master);
        close(report[0]);
        _exit(ChildReadsKeys(slave, report[1]));
    }
    close(slave);
    close(report[1]);

    EXPECT_EQ(ReadLine(report[0]), "ready");
    // A letter, up and down arrows in both forms, page up, e acute, Backspace, Enter, an emoji
    // (a surrogate pair), a character cut short by a letter (one U+FFFD, then the letter), a
    // byte that begins no character, and Esc alone.
    WriteAll(master, "x\x1b[A\x1bOB\x1b[5~\xC3\xA9\x7F\r\xF0\x9F\x98\x80\xE2\x82x\xFF\x1b");
    EXPECT_EQ(ReadLine(report[0]), "78 E0 48 E0 50 E0 49 E9 8 D D83D DE00 FFFD 78 FFFD 1B ");

    // A key typed before the Esc does not hide it.
    EXPECT_EQ(ReadLine(report[0]), "escape");
    WriteAll(master, "x\x1b");
    EXPECT_EQ(ReadLine(report[0]), "down up up");

    EXPECT_EQ(ReadLine(report[0]), "discard");
    WriteAll(master, "abc");
    EXPECT_EQ(ReadLine(report[0]), "waited gone");

    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    close(report[0]);
    close(master);
}

} // namespace
