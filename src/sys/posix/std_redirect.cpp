// Standard streams sent elsewhere for a while: the descriptor is duplicated onto the stream's
// number, so that every module of the process writes there and sees a file, not a terminal.
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "sys/posix/posix_handle.h"
#include "sys/sys.h"

namespace sys {

bool RedirectStdStream(StdStream stream, Handle target, Handle* saved) {
    const int fd = posix::DescriptorOf(StdHandle(stream));
    const int to = posix::DescriptorOf(target);
    if (fd < 0 || to < 0 || saved == nullptr) return false;
    FlushStandardOutput(); // what waits belongs where the stream went so far
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) return false;
    int done = -1;
    do done = dup2(to, fd);
    while (done < 0 && errno == EINTR);
    if (done < 0) {
        close(copy);
        return false;
    }
    *saved = posix::HandleOf(copy);
    return true;
}

void RestoreStdStream(StdStream stream, Handle saved) {
    const int fd = posix::DescriptorOf(StdHandle(stream));
    const int from = posix::DescriptorOf(saved);
    if (fd < 0 || from < 0) return;
    FlushStandardOutput();
    int done = -1;
    do done = dup2(from, fd);
    while (done < 0 && errno == EINTR);
    close(from);
}

const char16_t* NullDeviceName() {
    return u"/dev/null";
}

} // namespace sys
