// Raw mode of the terminal while keys are read. A signal that ends the process puts the saved
// modes back before its own action; Ctrl-Z puts them back before the process stops, and raw mode
// returns when it continues in the foreground. The handlers are installed at the first raw mode
// and stay, acting as the default action does while raw mode is off; they take only signals whose
// action is the default, leaving ignored ones and other handlers (a sanitizer's, the control
// handler's, which puts the modes back itself) alone. The handlers use only calls that are safe
// inside a signal handler.
#include "sys/posix/terminal_modes.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace sys::posix {
namespace {

// The signals whose default action ends the process and that a process can catch.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGPIPE,   SIGALRM,
                                  SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF,
                                  SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL,    SIGSYS};

struct Modes {
    int fd = -1;
    termios saved{};
    std::atomic<bool> wanted{false};  // between EnterRawMode and LeaveRawMode
    std::atomic<bool> applied{false}; // the terminal is in raw mode now
    std::atomic<bool> resumed{false};
    bool caught = false; // the handlers are installed
};

Modes State;

termios RawOf(const termios& modes) {
    termios raw = modes;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    return raw;
}

void SetAction(int signal, void (*handler)(int), struct sigaction* former = nullptr) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, former);
}

// Still the default action, so neither ignored nor taken by someone else.
bool IsDefault(int signal) {
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
           (current.sa_flags & SA_SIGINFO) == 0;
}

// Raw mode again after a stop, only in the foreground: a process in the background that sets the
// modes is stopped for it, and they are the shell's now. Brought to the foreground, it is
// continued again.
void ResumeRawMode() {
    if (!State.wanted || State.applied || tcgetpgrp(State.fd) != getpgrp()) return;
    State.applied = true;
    const termios raw = RawOf(State.saved);
    if (tcsetattr(State.fd, TCSANOW, &raw) == 0)
        State.resumed = true;
    else
        State.applied = false;
}

void OnContinue(int /*signal*/) {
    const int error = errno;
    ResumeRawMode();
    errno = error;
}

void OnEndingSignal(int signal) {
    PutBackTerminalModes();
    // The signal's own action, once this handler returns (the signal is blocked until then): the
    // process ends with the signal's status, a core dump included.
    SetAction(signal, SIG_DFL);
    raise(signal);
}

void OnStop(int signal) {
    const int error = errno;
    PutBackTerminalModes();
    struct sigaction own {};
    SetAction(signal, SIG_DFL, &own);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(signal); // returns when the process continues
    sigaction(signal, &own, nullptr);
    // A process group without a parent shell to continue it is not stopped at all: it goes on.
    ResumeRawMode();
    errno = error;
}

void CatchSignals() {
    if (State.caught) return;
    State.caught = true;
    for (int signal : kEndingSignals)
        if (IsDefault(signal)) SetAction(signal, OnEndingSignal);
    if (IsDefault(SIGTSTP)) SetAction(SIGTSTP, OnStop);
    if (IsDefault(SIGCONT)) SetAction(SIGCONT, OnContinue);
}

} // namespace

bool EnterRawMode(int fd) {
    if (tcgetattr(fd, &State.saved) != 0) return false;
    State.fd = fd;
    CatchSignals();
    State.resumed = false;
    // Marked before it is set: a signal in between puts back modes that are still the same.
    State.wanted = true;
    State.applied = true;
    const termios raw = RawOf(State.saved);
    if (tcsetattr(fd, TCSANOW, &raw) == 0) return true;
    State.wanted = false;
    State.applied = false;
    return false;
}

void LeaveRawMode() {
    State.wanted = false;
    // TCSANOW keeps what was typed: switching back to line mode hands it on as a line.
    if (State.applied) tcsetattr(State.fd, TCSANOW, &State.saved);
    State.applied = false;
}

void PutBackTerminalModes() {
    if (!State.applied) return;
    const int error = errno;
    tcsetattr(State.fd, TCSANOW, &State.saved);
    State.applied = false;
    errno = error;
}

bool TakeRawModeResumed() {
    return State.resumed.exchange(false);
}

} // namespace sys::posix
