// The width of a terminal's window, as the console's visible window width.
#include <sys/ioctl.h>

#include "sys/posix/posix_handle.h"
#include "sys/sys.h"

namespace sys {

uint32_t ConsoleWindowColumns(Handle handle) {
    const int fd = posix::DescriptorOf(handle);
    winsize size{};
    if (fd < 0 || ioctl(fd, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

} // namespace sys
