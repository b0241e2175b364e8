#include "content/content_arguments.h"

#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/report.h"

int RefuseArgument(const char16_t* message, int index) {
    for (char16_t* c = ArgText(index); *c != 0; ++c) *c = sys::ToUpper(*c);
    ReportMessage(message, ArgText(index));
    return -1;
}

bool ReadOptionalU32(int index, uint32_t* value) {
    return !ArgGiven(index) || ParseU32(ArgText(index), value) == 0;
}

bool ReadFillTarget(char16_t* text, BufferAddress* address, uint32_t* bufferSize) {
    if (SplitArguments(ArgCommas | ArgUpperCase, text) < 0) return false;
    if (!ArgGiven(0)) {
        ReportMessage(u"Missing binary buffer handle\r\n");
        return false;
    }
    *address = ParseBufferHandle(ArgText(0), bufferSize);
    if (*address == 0) {
        RefuseArgument(u"Bad binary buffer handle: \"%s\"\r\n", 0);
        return false;
    }
    return true;
}

bool ReadFillOffset(int index, uint32_t bufferSize, uint32_t* offset) {
    *offset = 0;
    if (!ReadOptionalU32(index, offset)) {
        RefuseArgument(u"Bad offset: \"%s\"\r\n", index);
        return false;
    }
    if (*offset >= bufferSize) {
        ReportMessage(u"Offset past end of buffer: %I64u \u2265 %I64u\r\n", uint64_t{*offset},
                      uint64_t{bufferSize});
        return false;
    }
    return true;
}
