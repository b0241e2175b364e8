#include "content/content_arguments.h"

#include "content/range_check.h"
#include "frame/args.h"
#include "frame/numbers.h"
#include "frame/report.h"

namespace {

// `count` is the rest of the buffer from `start`, or the length when that is shorter and not 0.
bool ReadLength(int index, uint32_t start, uint32_t bufferSize, ByteRange* range) {
    uint32_t length = 0;
    if (!ReadOptionalU32(index, &length))
        return FailArgument(u"Bad length value: \"%s\"\r\n", index);
    const uint32_t rest = bufferSize - start;
    *range = ByteRange{start, length != 0 && length < rest ? length : rest};
    return true;
}

} // namespace

bool ReadOptionalU32(int index, uint32_t* value) {
    return !ArgGiven(index) || ParseU32(ArgText(index), value) == 0;
}

bool ReadBufferOffset(int index, bool required, const BufferArgument& buffer, uint32_t* offset) {
    *offset = 0;
    if (required && !ArgGiven(index)) return Fail(u"Missing offset\r\n");
    if (!ReadOptionalU32(index, offset)) return FailArgument(u"Bad offset: \"%s\"\r\n", index);
    if (*offset >= buffer.size) {
        ReportMessage(u"Offset past end of buffer: %I64u \u2265 %I64u\r\n", uint64_t{*offset},
                      uint64_t{buffer.size});
        return false;
    }
    return true;
}

bool ReadStart(int index, const BufferArgument& buffer, uint32_t* start) {
    *start = 0;
    if (!ReadOptionalU32(index, start)) return FailArgument(u"Bad start value: \"%s\"\r\n", index);
    if (*start >= buffer.size) {
        ReportMessage(u"Start address past end of buffer: %I64u \u2265 %I64u\r\n", uint64_t{*start},
                      uint64_t{buffer.size});
        return false;
    }
    return true;
}

bool ReadReadRange(int startIndex, int lengthIndex, const BufferArgument& buffer,
                   ByteRange* range) {
    uint32_t start = 0;
    return ReadStart(startIndex, buffer, &start) &&
           ReadLength(lengthIndex, start, buffer.size, range);
}

int GiveRangeAsText(HostChar* argument, uint32_t mostBytes, const char16_t* kind,
                    RangeTextWriter write) {
    enum Arg { kHandle, kStart, kLength };
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    ByteRange range;
    if (!ReadReadRange(kStart, kLength, buffer, &range)) return -1;
    if (range.count > mostBytes) {
        ReportMessage(u"Range too long for %s text: %u bytes > %u\r\n", kind, range.count,
                      mostBytes);
        return -1;
    }
    write(buffer.Bytes() + range.start, range.count, text);
    return 0;
}

bool ReadReadRangeAt(int offsetIndex, bool offsetRequired, int lengthIndex,
                     const BufferArgument& buffer, ByteRange* range) {
    uint32_t offset = 0;
    return ReadBufferOffset(offsetIndex, offsetRequired, buffer, &offset) &&
           ReadLength(lengthIndex, offset, buffer.size, range);
}

bool WriteFits(uint32_t offset, uint64_t count, const BufferArgument& buffer) {
    if (offset + count <= buffer.size) return true;
    ReportMessage(u"Write past end of buffer:\r\n");
    Qprintf(sys::StdHandle(sys::StdStream::Error),
            AsHost(u"   Offset = %q   Size = %q   Buffer size = %q\r\n"), uint64_t{offset}, count,
            uint64_t{buffer.size});
    return false;
}

int BeginFillFunction(HostChar* argument, char16_t** text, BufferArgument* buffer) {
    static constexpr HandleMessages kFillHandleMessages{u"Missing binary buffer handle\r\n",
                                                        u"Bad binary buffer handle: \"%s\"\r\n"};
    return BeginBufferFunction(argument, ArgCommas | ArgUpperCase, text, buffer,
                               kFillHandleMessages);
}

int BeginCompareFunction(HostChar* argument, char16_t** text, ComparedRanges* ranges) {
    enum Arg { kBuffer1, kOffset1, kBuffer2, kOffset2, kSize };
    static constexpr char16_t kRange1Heading[] = u"Read past end of buffer 1:\r\n";
    static constexpr char16_t kRange1Details[] =
        u"   Offset1 = %q   Size = %q   Buffer 1 size = %q\r\n";
    static constexpr char16_t kRange2Heading[] = u"Read past end of buffer 2:\r\n";
    static constexpr char16_t kRange2Details[] =
        u"   Offset2 = %q   Size = %q   Buffer 2 size = %q\r\n";

    BufferArgument first;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, text, &first,
                                             {u"Missing bbuf1\r\n", u"Bad bbuf1: \"%s\"\r\n"});
        stop != 0)
        return stop;

    if (!ArgGiven(kOffset1)) return Refuse(u"Missing offset1\r\n");
    uint32_t offset1 = 0;
    if (ParseU32(ArgText(kOffset1), &offset1) != 0)
        return RefuseArgument(u"Bad offset1: \"%s\"\r\n", kOffset1);

    BufferArgument second = first;
    if (!ReadBufferArgument(kBuffer2, false, {nullptr, u"Bad bbuf2: \"%s\"\r\n"}, &second))
        return -1;
    uint32_t offset2 = 0;
    if (!ReadOptionalU32(kOffset2, &offset2))
        return RefuseArgument(u"Bad offset2: \"%s\"\r\n", kOffset2);

    uint32_t size = 0;
    if (ArgGiven(kSize)) {
        if (ParseU32(ArgText(kSize), &size) != 0)
            return RefuseArgument(u"Bad size: \"%s\"\r\n", kSize);
    } else {
        // The rest of buffer 1; an offset beyond its end leaves no rest to take.
        if (offset1 > first.size)
            return RefuseRange(kRange1Heading, kRange1Details, offset1, 0, first.size);
        size = first.size - offset1;
    }

    if (!RangeFits(offset1, size, first.size))
        return RefuseRange(kRange1Heading, kRange1Details, offset1, size, first.size);
    if (!RangeFits(offset2, size, second.size))
        return RefuseRange(kRange2Heading, kRange2Details, offset2, size, second.size);
    *ranges = ComparedRanges{first.Bytes() + offset1, second.Bytes() + offset2, size};
    return 0;
}

int BeginFileWrite(HostChar* argument, char16_t** text, BufferArgument* buffer,
                   char16_t (&path)[kPathCapacity]) {
    if (const int stop = BeginBufferFunction(argument, ArgCommas, text, buffer); stop != 0)
        return stop;
    return ReadFileName(1, path) ? 0 : -1;
}

bool ReadFileName(int index, char16_t (&path)[kPathCapacity]) {
    if (!ArgGiven(index)) return Fail(u"Missing filename\r\n");
    path[0] = 0;
    QueryTrueName(AsHost(ArgText(index)), AsHost(path));
    if (path[0] == 0) return FailArgument(u"Error expanding filename: \"%s\"\r\n", index);
    return true;
}

bool ReadFileOffset(int index, bool plain, FileOffset* offset) {
    if (!ArgGiven(index)) return Fail(plain ? u"Missing offset\r\n" : u"Missing file offset\r\n");
    const char16_t* digits = ArgText(index);
    offset->fromEnd = digits[0] == u'-';
    if (ParseU64(digits + (offset->fromEnd ? 1 : 0), &offset->value) != 0)
        return FailArgument(plain ? u"Bad offset: \"%s\"\r\n" : u"Bad file offset: \"%s\"\r\n",
                            index);
    return true;
}

bool ReadFileLength(int index, uint64_t* length) {
    *length = 0;
    if (ArgGiven(index) && ParseU64(ArgText(index), length) != 0)
        return FailArgument(u"Bad length value: \"%s\"\r\n", index);
    return true;
}

bool PlaceFileOffset(FileOffset offset, uint64_t fileSize, uint64_t* at) {
    if (!offset.fromEnd) {
        *at = offset.value;
        return true;
    }
    if (offset.value > fileSize) return false;
    *at = fileSize - offset.value;
    return true;
}
