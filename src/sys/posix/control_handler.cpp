// Ctrl-C (SIGINT) and Ctrl-\ (SIGQUIT, standing for Ctrl-Break) as console control events. The
// handler runs inside the signal handler, so it may only store to a flag.
#include <atomic>
#include <csignal>

#include "sys/posix/terminal_modes.h"
#include "sys/sys.h"

namespace sys {
namespace {

std::atomic<ControlHandler> Installed{nullptr};
struct sigaction FormerInterrupt {};
struct sigaction FormerQuit {};

void OnSignal(int signal) {
    ControlHandler handler = Installed.load();
    uint32_t event = signal == SIGQUIT ? kCtrlBreakEvent : kCtrlCEvent;
    if (handler != nullptr && handler(event) != 0) return;
    // Not handled: what the process would have done without the handler, leaving the terminal as
    // it was found.
    posix::PutBackTerminalModes();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

bool AddControlHandler(ControlHandler handler) {
    if (handler == nullptr) return false;
    if (Installed.exchange(handler) != nullptr) return true; // the signals are caught already
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGINT, &action, &FormerInterrupt) != 0) {
        Installed.store(nullptr);
        return false;
    }
    if (sigaction(SIGQUIT, &action, &FormerQuit) != 0) {
        sigaction(SIGINT, &FormerInterrupt, nullptr);
        Installed.store(nullptr);
        return false;
    }
    return true;
}

bool RemoveControlHandler(ControlHandler handler) {
    ControlHandler expected = handler;
    if (handler == nullptr || !Installed.compare_exchange_strong(expected, nullptr)) return false;
    sigaction(SIGINT, &FormerInterrupt, nullptr);
    sigaction(SIGQUIT, &FormerQuit, nullptr);
    return true;
}

} // namespace sys
