// @BPUTHEX: writes the bytes that hexadecimal digits give into a buffer.
#include <cstring>

#include "content/content_arguments.h"
#include "content/hex_digits.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/report.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

enum Arg { kHandle, kOffset, kDigits };

// Everything after the offset is the hex text: the arguments that the commas between bytes made
// are joined again, comma for comma (4D,5A,90 as 4D 5A 90). False when none of them is given.
bool JoinDigits(char16_t* out, size_t capacity) {
    bool given = false;
    out[0] = 0;
    for (int index = kDigits; index < ArgTable.ArgCount; ++index) {
        if (index > kDigits) text::AppendBounded(out, capacity, u",");
        text::AppendBounded(out, capacity, ArgText(index));
        given = given || ArgGiven(index);
    }
    return given;
}

} // namespace

KV_EXPORT int KV_API f_bputhex(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    uint32_t offset = 0;
    if (!ReadBufferOffset(kOffset, true, buffer, &offset)) return -1;
    // The joined text is no longer than the argument text it came from.
    char16_t joined[kArgPoolUnits];
    if (!JoinDigits(joined, kArgPoolUnits)) return Refuse(u"Missing hex digits\r\n");
    // The digits as @BGETHEX gives them, or as @BFIND's patterns are written, after "0x".
    const char16_t* digits = joined;
    if (digits[0] == u'0' && digits[1] == u'X') digits += 2;
    uint8_t bytes[kArgPoolUnits / 2];
    const int count = ReadHexBytes(digits, bytes, sizeof bytes, HexSeparators::BlanksAndCommas);
    if (count < 0) {
        ReportMessage(u"Bad hex digits: \"%s\"\r\n", joined); // upper-cased by the split
        return -1;
    }
    if (!WriteFits(offset, static_cast<uint64_t>(count), buffer)) return -1;
    std::memcpy(buffer.Bytes() + offset, bytes, static_cast<size_t>(count));
    text::Format(text, kTextCapacity, u"%d", count);
    return 0;
}
