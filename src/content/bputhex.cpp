// @BPUTHEX: writes the bytes that hexadecimal digits give into a buffer.
#include <cstring>

#include "content/content_arguments.h"
#include "content/hex_digits.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "text/format.h"

namespace {

enum Arg { kHandle, kOffset, kDigits };

} // namespace

KV_EXPORT int KV_API f_bputhex(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    uint32_t offset = 0;
    if (!ReadBufferOffset(kOffset, true, buffer, &offset)) return -1;
    if (!ArgGiven(kDigits)) return Refuse(u"Missing hex digits\r\n");
    // The digits as @BGETHEX gives them, or as @BFIND's patterns are written, after "0x".
    const char16_t* digits = ArgText(kDigits);
    if (digits[0] == u'0' && digits[1] == u'X') digits += 2;
    uint8_t bytes[kArgPoolUnits / 2];
    const int count = ReadHexBytes(digits, bytes, sizeof bytes);
    if (count < 0) return RefuseArgument(u"Bad hex digits: \"%s\"\r\n", kDigits);
    if (!WriteFits(offset, static_cast<uint64_t>(count), buffer)) return -1;
    std::memcpy(buffer.Bytes() + offset, bytes, static_cast<size_t>(count));
    text::Format(text, kTextCapacity, u"%d", count);
    return 0;
}
