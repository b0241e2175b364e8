// @BPEEKX: reads one word of a buffer and gives it as text.
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "values/value_arguments.h"
#include "values/value_format.h"
#include "values/value_word.h"

namespace {

enum PeekArgument { Handle, Offset, WordSize, Format, Flags };

} // namespace

KV_EXPORT int KV_API f_bpeekx(HostChar* argument) {
    char16_t* text = nullptr;
    WordPlace place;
    if (const int stop = BeginWordFunction(argument, &text, &place); stop != 0) return stop;
    OutputFormat format;
    if (!ReadFormatArgument(Format, &format)) return -1;
    uint32_t flags;
    if (!ReadFlagsArgument(Flags, &flags)) return -1;
    if (!WordInsideBuffer(place, u"Read past end of buffer:\r\n")) return -1;

    const uint64_t value = ReadWord(WordAt(place), place.wordSize, (flags & BigEndian) != 0);
    WriteWordValue(text, kTextCapacity, format, place.wordSize, value);
    return 0;
}
