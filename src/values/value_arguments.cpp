// Reading and checking the arguments of the typed value functions.
#include "values/value_arguments.h"

#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/report.h"
#include "values/value_float.h"
#include "values/value_word.h"

int BeginWordFunction(HostChar* argument, char16_t** text, WordPlace* place, WordSizes sizes) {
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, text, &buffer);
        stop != 0)
        return stop;
    return ReadWordPlace(buffer, sizes, place) ? 0 : -1;
}

int BeginFloatFunction(HostChar* argument, char16_t** text, WordPlace* place, int flagsIndex,
                       uint32_t* flags) {
    if (const int stop = BeginWordFunction(argument, text, place, WordSizes::Floating); stop != 0)
        return stop;
    return ReadFlagsArgument(flagsIndex, flags) ? 0 : -1;
}

bool ReadWordPlace(const BufferArgument& buffer, WordSizes sizes, WordPlace* place) {
    if (!ArgGiven(1)) return Fail(u"Missing offset\r\n");
    uint32_t offset = 0;
    if (ParseU32(ArgText(1), &offset) != 0) return FailArgument(u"Bad offset: \"%s\"\r\n", 1);

    if (!ArgGiven(2)) return Fail(u"Missing word size\r\n");
    uint32_t wordSize = 0;
    if (ParseU32(ArgText(2), &wordSize) != 0) return FailArgument(u"Bad word size: \"%s\"\r\n", 2);
    if (sizes == WordSizes::Floating && wordSize != 4 && wordSize != 8) {
        ReportMessage(u"Word size must be 4 or 8: %u\r\n", static_cast<unsigned>(wordSize));
        return false;
    }
    if (wordSize < 1 || wordSize > kMaxWordSize) {
        ReportMessage(u"Word size must be 1 to 8: %u\r\n", static_cast<unsigned>(wordSize));
        return false;
    }

    *place = WordPlace{buffer.address, buffer.size, offset, static_cast<int>(wordSize)};
    return true;
}

bool ReadFlagsArgument(int index, uint32_t* flags) {
    *flags = 0;
    if (ArgGiven(index) && ParseU32(ArgText(index), flags) != 0)
        return FailArgument(u"Bad flags value: \"%s\"\r\n", index);
    return true;
}

bool ReadFormatArgument(int index, OutputFormat* format) {
    *format = OutputFormat::Unsigned;
    if (ArgGiven(index) && !ParseOutputFormat(ArgText(index), format))
        return FailArgument(u"Bad format value: \"%s\"\r\n", index);
    return true;
}

bool ReadValueArgument(int index, int n, uint32_t flags, uint64_t* value) {
    if (!ArgGiven(index)) return Fail(u"Missing value\r\n");
    const char16_t* text = ArgText(index);
    const bool isSigned = (flags & SignedValue) != 0 || text[0] == u'+' || text[0] == u'-';

    uint64_t v = 0;
    bool fits = false;
    if (isSigned) {
        int64_t s = 0;
        if (ParseS64(text, &s) != 0) return FailArgument(u"Bad value: \"%s\"\r\n", index);
        v = static_cast<uint64_t>(s);
        fits = FitsSigned(n, s) != 0;
    } else {
        if (ParseU64(text, &v) != 0) return FailArgument(u"Bad value: \"%s\"\r\n", index);
        fits = FitsUnsigned(n, v) != 0;
    }
    if (!fits) {
        ReportMessage(u"Value not in %s%u-bit range: \"%s\"\r\n", isSigned ? u"signed " : u"",
                      static_cast<unsigned>(8 * n), text);
        return false;
    }
    *value = v;
    return true;
}

bool ReadFloatArgument(int index, int n, uint64_t* bits) {
    if (!ArgGiven(index)) return Fail(u"Missing value\r\n");
    switch (ParseFloatValue(ArgText(index), n, bits)) {
    case FloatParse::Bad:
        return FailArgument(u"Bad value: \"%s\"\r\n", index);
    case FloatParse::TooLarge:
        ReportMessage(u"Value not in %u-bit floating-point range: \"%s\"\r\n",
                      static_cast<unsigned>(8 * n), ArgText(index));
        return false;
    case FloatParse::Done:
        break;
    }
    return true;
}

bool WordInsideBuffer(const WordPlace& place, const char16_t* firstLine) {
    // In 64 bits, so that an offset near 2^32 cannot wrap around into the buffer.
    const uint64_t end = uint64_t{place.offset} + static_cast<uint64_t>(place.wordSize);
    if (end <= place.bufferSize) return true;
    ReportMessage(firstLine);
    // The second line continues the message, without a second prefix.
    Qprintf(sys::StdHandle(sys::StdStream::Error),
            AsHost(u"   Offset = %q   WordSize = %u   Buffer size = %q\r\n"),
            uint64_t{place.offset}, static_cast<unsigned>(place.wordSize),
            uint64_t{place.bufferSize});
    return false;
}

uint8_t* WordAt(const WordPlace& place) {
    return BufferAt(place.address) + place.offset;
}
