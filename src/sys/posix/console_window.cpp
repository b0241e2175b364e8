// The terminal's mode, window size and colours. A terminal cannot report its colours, so the
// attribute last set here stands for the console's current one; it starts as the Windows default
// (light grey on black), which is sent as the terminal's own colours.
#include <atomic>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

#include "sys/posix/posix_handle.h"
#include "sys/sys.h"

namespace sys {
namespace {

constexpr uint16_t kDefaultAttribute = 0x07;
// What Windows reports for a console's output mode: processed output, wrap at the line end.
constexpr uint32_t kTerminalMode = 0x3;

std::atomic<uint16_t> CurrentAttribute{kDefaultAttribute};

bool IsTerminal(Handle handle) {
    int fd = posix::DescriptorOf(handle);
    return fd >= 0 && isatty(fd) == 1;
}

// Windows numbers blue 1 and red 4, ANSI the other way round; bit 3 is the bright variant.
unsigned AnsiHue(unsigned color) {
    return ((color & 1) << 2) | (color & 2) | ((color & 4) >> 2);
}

std::string AnsiSequence(uint16_t attribute) {
    if ((attribute & 0xFF) == kDefaultAttribute) return "\x1b[0m";
    unsigned fg = attribute & 0xF;
    unsigned bg = (attribute >> 4) & 0xF;
    return "\x1b[0;" + std::to_string((fg & 8 ? 90 : 30) + AnsiHue(fg)) + ";" +
           std::to_string((bg & 8 ? 100 : 40) + AnsiHue(bg)) + "m";
}

} // namespace

bool ConsoleMode(Handle handle, uint32_t* mode) {
    if (!IsTerminal(handle)) return false;
    if (mode != nullptr) *mode = kTerminalMode;
    return true;
}

bool ConsoleWindowRows(Handle handle, uint32_t* rows) {
    winsize size{};
    int fd = posix::DescriptorOf(handle);
    if (!IsTerminal(handle) || ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0) return false;
    if (rows != nullptr) *rows = size.ws_row;
    return true;
}

bool ConsoleTextAttribute(Handle handle, uint16_t* attribute) {
    if (!IsTerminal(handle)) return false;
    if (attribute != nullptr) *attribute = CurrentAttribute.load();
    return true;
}

bool SetConsoleTextAttribute(Handle handle, uint16_t attribute) {
    if (!IsTerminal(handle)) return false;
    std::string sequence = AnsiSequence(attribute);
    int fd = posix::DescriptorOf(handle);
    if (write(fd, sequence.data(), sequence.size()) != static_cast<ssize_t>(sequence.size()))
        return false;
    CurrentAttribute.store(attribute);
    return true;
}

} // namespace sys
