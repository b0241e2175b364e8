// @BPEEKF: reads a floating-point number of 4 or 8 bytes and gives it as text.
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "values/value_arguments.h"
#include "values/value_float.h"
#include "values/value_word.h"

namespace {

enum PeekArgument { Handle, Offset, WordSize, Flags };

} // namespace

KV_EXPORT int KV_API f_bpeekf(HostChar* argument) {
    char16_t* text = nullptr;
    WordPlace place;
    uint32_t flags;
    if (const int stop = BeginFloatFunction(argument, &text, &place, Flags, &flags); stop != 0)
        return stop;
    if (!WordInsideBuffer(place, u"Read past end of buffer:\r\n")) return -1;

    const uint64_t bits = ReadWord(WordAt(place), place.wordSize, (flags & BigEndian) != 0);
    WriteFloatValue(text, kTextCapacity, place.wordSize, bits);
    return 0;
}
