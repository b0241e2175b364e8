#include "content/range_check.h"

#include "frame/report.h"

int RefuseRange(const char16_t* heading, const char16_t* details, uint32_t offset, uint32_t size,
                uint32_t bufferSize) {
    ReportMessage(heading);
    Qprintf(sys::StdHandle(sys::StdStream::Error), AsHost(details), uint64_t{offset},
            uint64_t{size}, uint64_t{bufferSize});
    return -1;
}
