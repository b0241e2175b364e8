// The width of the console windows: standard output's while it counts as a console, and the
// console device's.
#include <cstdint>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/sys.h"

namespace {

struct Widths {
    uint32_t output = fake::kDefaultConsoleColumns;
    uint32_t device = fake::kDefaultConsoleColumns;
};

Widths& State() {
    static Widths widths;
    return widths;
}

} // namespace

namespace fake {

namespace detail {
void ResetConsoleWidths() {
    State() = Widths{};
}
} // namespace detail

void SetConsoleWindowColumns(uint32_t columns) {
    State().output = columns;
}
void SetConsoleDeviceColumns(uint32_t columns) {
    State().device = columns;
}

} // namespace fake

namespace sys {

uint32_t ConsoleWindowColumns(Handle handle) {
    if (!IsConsole(handle)) return 0;
    return handle == StdHandle(StdStream::Output) ? State().output : State().device;
}

} // namespace sys
