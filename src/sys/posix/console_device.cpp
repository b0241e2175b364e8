// The console device: the process's controlling terminal stands in for "conout$".
#include <fcntl.h>
#include <unistd.h>

#include "sys/posix/posix_handle.h"
#include "sys/sys.h"

namespace sys {

Handle OpenConsoleDevice() {
    return posix::HandleOf(open("/dev/tty", O_RDWR | O_CLOEXEC));
}

void CloseHandle(Handle handle) {
    int fd = posix::DescriptorOf(handle);
    if (fd >= 0) close(fd);
}

} // namespace sys
