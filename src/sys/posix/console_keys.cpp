// Keys from the controlling terminal (/dev/tty) without echo. While keys are wanted the terminal
// is in raw mode (no line editing, no echo; Ctrl-C and Ctrl-\ still raise their signals; see
// terminal_modes.cpp for the signals that end or stop the process meanwhile). Byte
// sequences become the codes a Windows console gives: Enter 13, Backspace 8, and 0xE0 followed
// by the key's scan code for arrows and the editing keys.
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "sys/posix/terminal_modes.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace sys {
namespace {

// How long the bytes of one key's sequence may lie apart: an Esc followed by nothing within this
// time is the Esc key itself.
constexpr int kSequenceGapMillis = 30;
constexpr uint32_t kExtendedPrefix = 0xE0;
constexpr int kPendingCapacity = 8;

struct Terminal {
    int fd = -1;
    bool opened = false;
    int depth = 0;
    bool raw = false;
    uint32_t pending[kPendingCapacity]{}; // decoded codes not yet read
    int pendingCount = 0;
};

Terminal& Tty() {
    static Terminal terminal;
    if (!terminal.opened) {
        terminal.opened = true;
        terminal.fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    }
    return terminal;
}

void Push(Terminal& tty, uint32_t code) {
    if (tty.pendingCount < kPendingCapacity) tty.pending[tty.pendingCount++] = code;
}

uint32_t Pop(Terminal& tty) {
    uint32_t code = tty.pending[0];
    for (int i = 1; i < tty.pendingCount; ++i) tty.pending[i - 1] = tty.pending[i];
    --tty.pendingCount;
    return code;
}

// True also when the terminal is gone (hung up, closed): a read then ends at once, and a
// prompt cannot wait for a key that can never come.
bool ByteWaiting(const Terminal& tty, int millis) {
    if (tty.fd < 0) return true;
    pollfd request{tty.fd, POLLIN, 0};
    int ready = poll(&request, 1, millis);
    if (ready < 0) return errno != EINTR; // a signal: let the caller look at it
    return ready > 0 && (request.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// One byte; -1 when the terminal gives none.
int ReadByte(const Terminal& tty) {
    if (tty.fd < 0) return -1;
    unsigned char byte = 0;
    for (;;) {
        ssize_t got = read(tty.fd, &byte, 1);
        if (got == 1) return byte;
        if (got < 0 && errno == EINTR) continue;
        return -1;
    }
}

// The scan code of a key sent as an escape sequence, 0 when it has none here.
uint32_t ScanCodeOf(int final, int number) {
    switch (final) {
    case 'A':
        return 0x48; // up
    case 'B':
        return 0x50; // down
    case 'C':
        return 0x4D; // right
    case 'D':
        return 0x4B; // left
    case 'H':
        return 0x47; // home
    case 'F':
        return 0x4F; // end
    case '~':
        switch (number) {
        case 1:
            return 0x47;
        case 2:
            return 0x52; // insert
        case 3:
            return 0x53; // delete
        case 4:
            return 0x4F;
        case 5:
            return 0x49; // page up
        case 6:
            return 0x51; // page down
        }
    }
    return 0;
}

// The rest of an escape sequence after "Esc [" or "Esc O".
void DecodeSequence(Terminal& tty) {
    int number = 0;
    for (int i = 0; i < 16 && ByteWaiting(tty, kSequenceGapMillis); ++i) {
        int byte = ReadByte(tty);
        if (byte < 0) break;
        if (byte >= '0' && byte <= '9') {
            number = number * 10 + (byte - '0');
            continue;
        }
        if (byte >= 0x40 && byte <= 0x7E) {
            Push(tty, kExtendedPrefix);
            Push(tty, ScanCodeOf(byte, number));
            return;
        }
    }
    Push(tty, kExtendedPrefix);
    Push(tty, 0);
}

void DecodeKey(Terminal& tty, int first);

// The UTF-8 character that begins with `lead`, as one or two UTF-16 codes, by the one decoder's
// rules: a sequence cut short is one U+FFFD, and a byte that cannot continue it is a key of its
// own.
void DecodeCharacter(Terminal& tty, int lead) {
    unsigned char bytes[4] = {static_cast<unsigned char>(lead)};
    const size_t needed = static_cast<size_t>(text::Utf8LeadOf(bytes[0]).continuations + 1);
    size_t count = 1;
    size_t taken = 0;
    char32_t value = text::DecodeUtf8(bytes, count, &taken);
    while (count < needed && taken == count && ByteWaiting(tty, kSequenceGapMillis)) {
        const int byte = ReadByte(tty);
        if (byte < 0) break;
        bytes[count++] = static_cast<unsigned char>(byte);
        value = text::DecodeUtf8(bytes, count, &taken);
    }
    if (value > 0xFFFF) {
        value -= 0x10000;
        Push(tty, 0xD800 + (value >> 10));
        Push(tty, 0xDC00 + (value & 0x3FF));
    } else {
        Push(tty, value);
    }
    if (taken < count) DecodeKey(tty, bytes[taken]);
}

// Turns the key that begins with `first` into codes in the pending queue.
void DecodeKey(Terminal& tty, int first) {
    if (first == 0x1B) {
        if (!ByteWaiting(tty, kSequenceGapMillis)) return Push(tty, 27);
        int next = ReadByte(tty);
        if (next == '[' || next == 'O') return DecodeSequence(tty);
        Push(tty, 27);
        if (next >= 0) DecodeKey(tty, next);
        return;
    }
    if (first == '\n') return Push(tty, 13);
    if (first == 0x7F) return Push(tty, 8);
    if (first >= 0x80) return DecodeCharacter(tty, first);
    Push(tty, static_cast<uint32_t>(first));
}

} // namespace

void BeginKeyInput() {
    Terminal& tty = Tty();
    if (tty.depth++ > 0 || tty.fd < 0) return;
    tty.raw = posix::EnterRawMode(tty.fd);
}

void EndKeyInput() {
    Terminal& tty = Tty();
    if (tty.depth == 0 || --tty.depth > 0) return;
    if (tty.raw) posix::LeaveRawMode();
    tty.raw = false;
}

bool KeyInputResumed() {
    return posix::TakeRawModeResumed();
}

bool KeyWaiting() {
    Terminal& tty = Tty();
    if (tty.pendingCount > 0) return true;
    BeginKeyInput();
    bool waiting = ByteWaiting(tty, 0);
    EndKeyInput();
    return waiting;
}

uint32_t ReadKeyCode() {
    Terminal& tty = Tty();
    BeginKeyInput();
    while (tty.pendingCount == 0) {
        int first = ReadByte(tty);
        if (first < 0) break;
        DecodeKey(tty, first);
    }
    EndKeyInput();
    // Without a terminal no key can come: Enter lets whatever waits go on.
    return tty.pendingCount > 0 ? Pop(tty) : 13;
}

void DiscardWaitingKeys() {
    Terminal& tty = Tty();
    tty.pendingCount = 0;
    if (tty.fd >= 0) tcflush(tty.fd, TCIFLUSH);
}

bool KeyIsDown(KeyName key) {
    if (key != KeyName::Escape) return false;
    Terminal& tty = Tty();
    // Every key that waits is decoded, so that keys typed before the Esc do not hide it; they
    // stay for a prompt, the oldest giving way when more wait than the queue holds.
    BeginKeyInput();
    while (ByteWaiting(tty, 0)) {
        int first = ReadByte(tty);
        if (first < 0) break;
        while (tty.pendingCount > kPendingCapacity - 2) Pop(tty);
        DecodeKey(tty, first);
    }
    EndKeyInput();
    for (int i = 0; i < tty.pendingCount; ++i) {
        if (tty.pending[i] != 27) continue;
        for (int j = i + 1; j < tty.pendingCount; ++j) tty.pending[j - 1] = tty.pending[j];
        --tty.pendingCount;
        return true;
    }
    return false;
}

} // namespace sys
