// @BPUTB64: writes the bytes that base64 text gives into a buffer.
#include <cstring>

#include "content/base64_text.h"
#include "content/content_arguments.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/report.h"
#include "sys/sys.h"
#include "text/format.h"

namespace {

enum Arg { kHandle, kOffset, kText };

// Everything after the offset is the text, as the host gave it: what follows the second comma
// outside double quotes, with the quotes removed and the white space around it dropped, as the
// split treats an argument. Commas stay in it: no base64 character, they make the text bad,
// also at its end, where the split would have dropped the empty argument after them. False when
// the text does not fit `capacity` units with its terminator (blanks after such commas, which the
// split skips, can make it longer than the split's pool).
bool TextAfterOffset(const char16_t* whole, char16_t* out, size_t capacity) {
    bool quoted = false;
    int commas = 0;
    const char16_t* c = whole;
    for (; *c != 0 && commas < kText; ++c) {
        if (*c == u'"') quoted = !quoted;
        if (*c == u',' && !quoted) ++commas;
    }
    size_t length = 0;
    for (; *c != 0; ++c) {
        if (*c == u'"' || (length == 0 && sys::IsSpace(*c))) continue;
        if (length + 1 == capacity) break;
        out[length++] = *c;
    }
    while (length > 0 && sys::IsSpace(out[length - 1])) --length;
    out[length] = 0;
    return *c == 0;
}

} // namespace

KV_EXPORT int KV_API f_bputb64(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    // Not upper-cased: base64 text is case-sensitive.
    if (const int stop = BeginBufferFunction(argument, ArgCommas, &text, &buffer); stop != 0)
        return stop;
    uint32_t offset = 0;
    if (!ReadBufferOffset(kOffset, true, buffer, &offset)) return -1;
    char16_t given[kArgPoolUnits];
    const bool whole = TextAfterOffset(text, given, kArgPoolUnits);
    if (given[0] == 0) return Refuse(u"Missing base64 text\r\n");
    uint8_t bytes[kArgPoolUnits / 4 * 3];
    const int count = whole ? ReadBase64(given, bytes, sizeof bytes) : -1;
    if (count < 0) {
        // As given: the case of its letters is what a reader must check.
        ReportMessage(u"Bad base64 text: \"%s\"\r\n", given);
        return -1;
    }
    if (!WriteFits(offset, static_cast<uint64_t>(count), buffer)) return -1;
    std::memcpy(buffer.Bytes() + offset, bytes, static_cast<size_t>(count));
    text::Format(text, kTextCapacity, u"%d", count);
    return 0;
}
