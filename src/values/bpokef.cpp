// @BPOKEF: writes a floating-point number of 4 or 8 bytes into a buffer.
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "text/u16.h"
#include "values/value_arguments.h"
#include "values/value_word.h"

namespace {

enum PokeArgument { Handle, Offset, WordSize, Value, Flags };

} // namespace

KV_EXPORT int KV_API f_bpokef(HostChar* argument) {
    char16_t* text = nullptr;
    WordPlace place;
    uint32_t flags;
    if (const int stop = BeginFloatFunction(argument, &text, &place, Flags, &flags); stop != 0)
        return stop;
    // As @BPOKEX: the value is tested before the bounds, and both before a byte is written.
    uint64_t bits;
    if (!ReadFloatArgument(Value, place.wordSize, &bits)) return -1;
    if (!WordInsideBuffer(place, u"Write past end of buffer:\r\n")) return -1;

    WriteWord(WordAt(place), place.wordSize, (flags & BigEndian) != 0, bits);
    text::CopyBounded(text, kTextCapacity, u"0");
    return 0;
}
