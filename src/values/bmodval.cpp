// @BMODVAL: combines one word of a buffer with a value and stores the outcome in place.
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "values/value_arguments.h"
#include "values/value_format.h"
#include "values/value_word.h"
#include "values/word_operation.h"

namespace {

enum ModifyArgument { Handle, Offset, WordSize, Operation, Value, Format, Flags };

bool ReadOperationArgument(WordOperation* operation) {
    if (!ArgGiven(Operation)) {
        ReportMessage(u"Missing operation\r\n");
        return false;
    }
    if (!FindWordOperation(ArgText(Operation), operation)) {
        ReportMessage(u"Unknown operation: \"%s\"\r\n", ArgText(Operation));
        return false;
    }
    return true;
}

// A shift may move every bit out of the word, but no further. The count is shown in full as an
// unsigned 64-bit number, so that a negative or huge count is not shown as some smaller one.
bool ShiftCountFits(const WordPlace& place, uint64_t count) {
    const unsigned wordBits = 8 * static_cast<unsigned>(place.wordSize);
    if (count <= wordBits) return true;
    ReportMessage(u"Shift size greater than word size (%I64u > %u)\r\n", count, wordBits);
    return false;
}

} // namespace

KV_EXPORT int KV_API f_bmodval(HostChar* argument) {
    char16_t* text = nullptr;
    WordPlace place;
    if (const int stop = BeginWordFunction(argument, &text, &place); stop != 0) return stop;
    WordOperation operation;
    if (!ReadOperationArgument(&operation)) return -1;
    uint32_t flags;
    if (!ReadFlagsArgument(Flags, &flags)) return -1;
    uint64_t value;
    if (!ReadValueArgument(Value, place.wordSize, flags, &value)) return -1;
    OutputFormat format;
    if (!ReadFormatArgument(Format, &format)) return -1;
    if (!WordInsideBuffer(place, u"Read/write past end of buffer:\r\n")) return -1;
    if (IsShift(operation) && !ShiftCountFits(place, value)) return -1;

    const bool bigEndian = (flags & BigEndian) != 0;
    const uint64_t old = ReadWord(WordAt(place), place.wordSize, bigEndian);
    const uint64_t result = ApplyWordOperation(operation, place.wordSize, old, value);
    WriteWordValue(text, kTextCapacity, format, place.wordSize, result);
    if ((flags & NoWriteBack) == 0) WriteWord(WordAt(place), place.wordSize, bigEndian, result);
    return 0;
}
