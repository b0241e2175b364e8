// Standard streams and text output. Text leaves the process as UTF-8, to a terminal as well.
#include <cerrno>
#include <string>
#include <unistd.h>

#include "frame/text/u16.h"
#include "sys/posix/posix_handle.h"
#include "sys/sys.h"

namespace sys {

Handle StdHandle(StdStream stream) {
    switch (stream) {
    case StdStream::Input:
        return posix::HandleOf(STDIN_FILENO);
    case StdStream::Output:
        return posix::HandleOf(STDOUT_FILENO);
    case StdStream::Error:
        return posix::HandleOf(STDERR_FILENO);
    }
    return nullptr;
}

bool IsConsole(Handle handle) {
    int fd = posix::DescriptorOf(handle);
    return fd >= 0 && isatty(fd) == 1;
}

bool WriteText(Handle handle, const char16_t* text, size_t length) {
    int fd = posix::DescriptorOf(handle);
    if (fd < 0 || (text == nullptr && length != 0)) return false;
    if (length == 0) return true;
    std::string bytes = text::ToUtf8(std::u16string_view(text, length));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace sys
