// The start every variable function shares.
#include "frame/function_start.h"

#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/report.h"
#include "frame/text_services.h"

int BeginWholeText(HostChar* argument, char16_t** text) {
    if (argument == nullptr) return kNoArgumentText;
    *text = FromHost(argument);
    return 0;
}

int BeginTrimmedText(HostChar* argument, char16_t** text) {
    if (const int stop = BeginWholeText(argument, text); stop != 0) return stop;
    TrimBlanks(*text);
    return 0;
}

int BeginFunction(HostChar* argument, unsigned splitOptions, char16_t** text) {
    if (const int stop = BeginWholeText(argument, text); stop != 0) return stop;
    return SplitArguments(splitOptions, *text) < 0 ? -1 : 0;
}

int BeginCommand(HostChar* argument, unsigned splitOptions, char16_t** text) {
    const int stop = BeginFunction(argument, splitOptions, text);
    return stop == -1 ? kCommandFailed : stop;
}

int BeginBufferFunction(HostChar* argument, unsigned splitOptions, char16_t** text,
                        BufferArgument* buffer, const HandleMessages& messages) {
    if (const int stop = BeginFunction(argument, splitOptions, text); stop != 0) return stop;
    return ReadBufferArgument(0, true, messages, buffer) ? 0 : -1;
}

bool ReadBufferArgument(int index, bool required, const HandleMessages& messages,
                        BufferArgument* buffer) {
    if (!ArgGiven(index)) {
        if (required) Refuse(messages.missing);
        return !required;
    }
    uint32_t size = 0;
    const BufferAddress address = ParseBufferHandle(ArgText(index), &size);
    if (address == 0) {
        RefuseArgument(messages.bad, index);
        return false;
    }
    *buffer = BufferArgument{address, size};
    return true;
}

int RefuseArgument(const char16_t* message, int index) {
    for (char16_t* c = ArgText(index); *c != 0; ++c) *c = sys::ToUpper(*c);
    ReportMessage(message, ArgText(index));
    return -1;
}

int Refuse(const char16_t* message) {
    ReportMessage(message);
    return -1;
}

bool Fail(const char16_t* message) {
    Refuse(message);
    return false;
}

bool FailArgument(const char16_t* message, int index) {
    RefuseArgument(message, index);
    return false;
}
