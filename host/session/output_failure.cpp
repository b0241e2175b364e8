// Reporting a standard output that could not be written.
#include "session/output_failure.h"

#include "language/words.h"

namespace host {

namespace {

constexpr uint32_t kBrokenPipe = 109; // ERROR_BROKEN_PIPE
constexpr uint32_t kNoData = 232;     // ERROR_NO_DATA: the reader has closed the pipe
constexpr int kClosedPipeStatus = 128 + 13;

struct Reason {
    uint32_t code;
    const char16_t* text;
};

constexpr Reason kReasons[] = {
    {112, u"the disk is full"},      {6, u"it is not open"},
    {5, u"access is denied"},        {19, u"the medium is write-protected"},
    {223, u"the file is too large"}, {1117, u"an input/output error"},
};

} // namespace

std::u16string OutputFailureText(uint32_t code) {
    for (const Reason& reason : kReasons)
        if (reason.code == code) return reason.text;
    return u"error " + DecimalText(code);
}

int StatusAfterOutput(Session& session, int status) {
    sys::FlushStandardOutput();
    const uint32_t error = sys::StandardOutputError();
    if (error == 0) return status;
    if (error == kBrokenPipe || error == kNoData) return kClosedPipeStatus;
    HostMessage(session, u"cannot write standard output: " + OutputFailureText(error));
    return status != 0 ? status : 1;
}

} // namespace host
