// BBDUMP's listing of one buffer: the range, the automatic line width, the header and size line,
// one line per HexWidth bytes (address, values in any word length and base, text column), the
// squeezing of repeated lines, alternate line colours and the closing line.
//
// Every line is built in one fixed buffer with table-driven digit writers rather than a general
// formatter per value: the listing of a large buffer is what users wait for.
#include <algorithm>
#include <cstring>

#include "commands/bbdump.h"
#include "commands/bbdump_vector.h"
#include "console/console_output.h"
#include "console/line_batch.h"
#include "frame/host_services.h"
#include "frame/numbers.h"
#include "frame/text_services.h"
#include "text/format.h"

namespace dump {

namespace {

constexpr char16_t kLowerDigits[] = u"0123456789abcdef";
constexpr char16_t kUpperDigits[] = u"0123456789ABCDEF";
constexpr char16_t kDefaultReplacement = 0x00B7;
constexpr uint32_t kDefaultAddressWidth = 8;
constexpr uint32_t kMaxBlanks = 24;

// Digits of one value: rows by word length, columns hexadecimal, octal, decimal, signed.
constexpr uint8_t kValueDigits[8][4] = {
    {2, 3, 3, 4},     {4, 6, 5, 6},     {6, 8, 8, 8},     {8, 11, 10, 11},
    {10, 14, 13, 13}, {12, 16, 15, 16}, {14, 19, 17, 18}, {16, 22, 20, 21},
};

enum Base : uint32_t { Hexadecimal = 0, Octal = 1, Decimal = 2, SignedDecimal = 3 };

// The line being built in storage of kLineCapacity units; every write is bounded by it.
struct Line {
    explicit Line(char16_t* storage) : text(storage) {}
    char16_t* text;
    uint32_t used = 0;

    void Put(char16_t c) {
        if (used < kLineCapacity - 1) text[used++] = c;
    }
    void PutBlanks(uint32_t n) {
        while (n-- > 0) Put(u' ');
    }
    // Digits of `value` in base 8 or 16, zero-padded to `width` (more when the value needs them).
    void PutZeroPadded(uint64_t value, uint32_t shift, uint32_t width, const char16_t* digits) {
        // The usual case, a value that fits its width, written in place from the last digit.
        if (width != 0 && width < 64 / shift && (value >> (shift * width)) == 0 &&
            used + width < kLineCapacity) {
            const uint64_t mask = (uint64_t{1} << shift) - 1;
            for (uint32_t k = width; k-- > 0; value >>= shift)
                text[used + k] = digits[value & mask];
            used += width;
            return;
        }
        char16_t scratch[24];
        uint32_t n = 0;
        const uint64_t mask = (uint64_t{1} << shift) - 1;
        do {
            scratch[n++] = digits[value & mask];
            value >>= shift;
        } while (value != 0);
        while (width > n) {
            Put(u'0');
            --width;
        }
        while (n > 0) Put(scratch[--n]);
    }
    // Decimal digits right-aligned in `width` columns, with a sign when negative.
    void PutDecimal(uint64_t magnitude, bool negative, uint32_t width) {
        char16_t scratch[24];
        uint32_t n = 0;
        do {
            scratch[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative) scratch[n++] = u'-';
        if (width > n) PutBlanks(width - n);
        while (n > 0) Put(scratch[--n]);
    }
    void Terminate() { text[used] = 0; }
};

// One value in the chosen base; signed values are sign-extended from the word's top bit.
void PutValue(Line& line, uint64_t value, uint32_t wordLen, uint32_t format, uint32_t digits,
              const char16_t* digitTable) {
    switch (format) {
    case Octal:
        line.PutZeroPadded(value, 3, digits, digitTable);
        break;
    case Decimal:
        line.PutDecimal(value, false, digits);
        break;
    case SignedDecimal: {
        const int64_t s = static_cast<int64_t>(SignExtend(static_cast<int>(wordLen), value));
        const uint64_t magnitude = s < 0 ? uint64_t{0} - static_cast<uint64_t>(s) : uint64_t(s);
        line.PutDecimal(magnitude, s < 0, digits);
        break;
    }
    default:
        line.PutZeroPadded(value, 4, digits, digitTable);
        break;
    }
}

// Everything one buffer's listing works with.
struct Dump {
    const DumpSettings* settings;
    const uint8_t* buffer;
    uint32_t size;
    uint32_t flags;
    uint64_t start;
    uint64_t end;
    uint32_t wordLen;
    uint32_t groupWidth;
    uint32_t hexWidth;
    uint32_t addressWidth;
    uint32_t format;
    uint32_t digits;
    const char16_t* digitTable;
    char16_t replacement;
    TextMode mode;
    bool joinsOn;
    uint32_t joinCount;
    uint32_t lineCount;
    bool squeezed;
    uint8_t previous[kMaxHexWidth];
    bool byteColumn; // the text column maps each byte through byteChars
    char16_t byteChars[kByteValues];
    // Per byte value its two hexadecimal digits and a blank, the fourth unit left over: one
    // 8-byte store writes a byte's cell of a hexadecimal line.
    uint64_t hexCells[kByteValues];
    // Whether lines whose bytes all lie inside the range take PutCommonLine, and whether its
    // text column shows the bytes raw (else through a code page).
    bool commonLines;
    bool rawColumn;
    // Common lines that need nothing else: no squeezing, no keys to poll.
    bool quickLines;
    // Lines waiting for one host call while nothing happens at their ends.
    LineBatch batch;
};

bool Has(const Dump& dump, uint32_t flag) {
    return (dump.flags & flag) != 0;
}

void HighlightIfAlternate(const Dump& dump) {
    if (Has(dump, AlternateLines) && (dump.lineCount & 1) != 0) SetColors(HighlightAttr);
}

// The separator after a byte: "-" while the bytes of one UTF-8 character are being joined.
char16_t JoinSeparator(Dump& dump, uint64_t p) {
    if (dump.joinCount > 0) {
        --dump.joinCount;
        return u'-';
    }
    const uint8_t b = dump.buffer[p];
    if ((b & 0xC0) != 0xC0) return u' ';
    uint32_t need = 0;
    if (b <= 0xDF)
        need = 1;
    else if (b <= 0xEF)
        need = 2;
    else if (b <= 0xF7)
        need = 3;
    else
        return u' ';
    for (uint32_t i = 1; i <= need; ++i)
        if (p + i >= dump.end || (dump.buffer[p + i] & 0xC0) != 0x80) return u' ';
    dump.joinCount = need - 1;
    return u'-';
}

// The cells of whole groups of eight bytes, a blank after each group; each cell's fourth unit
// lands where the next cell or the group's blank goes. Returns where the groups end.
char16_t* PutHexGroupsOf8(const Dump& dump, const uint8_t* bytes, uint32_t groups, char16_t* at) {
    if (char16_t* end = PutHexGroupsOf8Runs(bytes, groups, Has(dump, UpperCaseDigits), at))
        return end;
    for (uint32_t g = 0; g < groups; ++g, bytes += 8) {
        for (uint32_t k = 0; k < 8; ++k, at += 3)
            std::memcpy(at, &dump.hexCells[bytes[k]], sizeof dump.hexCells[0]);
        *at++ = u' ';
    }
    return at;
}

// A whole line of hexadecimal bytes without joins, the listing's common case: three units per
// byte and a blank after each group, with the room checked once for the line.
bool PutHexBytesFast(const Dump& dump, Line& line, uint64_t offset) {
    if (dump.format != Hexadecimal || dump.joinsOn || offset + dump.hexWidth > dump.end ||
        line.used + 4 * dump.hexWidth + 1 >= kLineCapacity)
        return false;
    const uint8_t* bytes = dump.buffer + offset;
    char16_t* at = line.text + line.used;
    uint32_t j = 0;
    if (dump.groupWidth == 8) {
        at = PutHexGroupsOf8(dump, bytes, dump.hexWidth / 8, at);
        j = dump.hexWidth / 8 * 8;
    }
    for (uint32_t inGroup = 0; j < dump.hexWidth; ++j) {
        std::memcpy(at, &dump.hexCells[bytes[j]], sizeof dump.hexCells[0]);
        at += 3;
        if (++inGroup == dump.groupWidth) {
            *at++ = u' ';
            inGroup = 0;
        }
    }
    line.used = static_cast<uint32_t>(at - line.text);
    return true;
}

void PutByteValues(Dump& dump, Line& line, uint64_t offset) {
    if (PutHexBytesFast(dump, line, offset)) return;
    const bool hexFast = dump.format == Hexadecimal;
    uint32_t inGroup = 0;
    for (uint32_t j = 0; j < dump.hexWidth; ++j) {
        const uint64_t p = offset + j;
        if (p >= dump.end) {
            line.PutBlanks(dump.digits + 1);
        } else {
            const char16_t separator = dump.joinsOn ? JoinSeparator(dump, p) : u' ';
            const uint8_t b = dump.buffer[p];
            if (hexFast) {
                line.Put(dump.digitTable[b >> 4]);
                line.Put(dump.digitTable[b & 0xF]);
            } else {
                PutValue(line, b, 1, dump.format, dump.digits, dump.digitTable);
            }
            line.Put(separator);
        }
        if (++inGroup == dump.groupWidth) {
            line.Put(u' ');
            inGroup = 0;
        }
    }
}

// The value whose first byte is at p: least significant byte first, or reversed for big-endian
// words. A word that the end of the range cuts short keeps its full width: the bytes at or beyond
// the end count as 0, so that they sit at the high end of a little-endian word and at the low end
// of a big-endian one, as od pads them.
uint64_t WordAt(const Dump& dump, uint64_t p) {
    uint8_t bytes[8] = {};
    const uint32_t length = std::min<uint32_t>(dump.wordLen, sizeof bytes);
    for (uint32_t i = 0; i < length; ++i)
        if (p + i < dump.end) bytes[i] = dump.buffer[p + i];
    if (Has(dump, BigEndianWords)) ReverseBytes(static_cast<int>(length), bytes);
    uint64_t value = 0;
    for (uint32_t i = length; i-- > 0;) value = (value << 8) | bytes[i];
    return value;
}

void PutWordValues(Dump& dump, Line& line, uint64_t offset) {
    const bool quad = dump.wordLen == 8;
    const uint32_t trailing = quad ? 2 : 1;
    for (uint32_t k = 0; k < dump.hexWidth; k += dump.wordLen) {
        const uint64_t p = offset + k;
        if (p >= dump.end) {
            line.PutBlanks(dump.digits + trailing);
        } else {
            PutValue(line, WordAt(dump, p), dump.wordLen, dump.format, dump.digits,
                     dump.digitTable);
            line.PutBlanks(trailing);
        }
        if (!quad && (k + dump.wordLen) % dump.groupWidth == 0) line.Put(u' ');
    }
}

// Whether the line at offset repeats the previous one. A line that runs past the buffer itself
// never does; bytes past the display end but inside the buffer take part.
bool RepeatsPrevious(const Dump& dump, uint64_t offset) {
    if (offset + dump.hexWidth > dump.size) return false;
    return std::memcmp(dump.buffer + offset, dump.previous, dump.hexWidth) == 0;
}

void PutAddressField(const Dump& dump, Line& line, uint64_t offset) {
    if (dump.addressWidth == 8 && offset <= UINT32_MAX &&
        PutHexDigits8(static_cast<uint32_t>(offset), Has(dump, UpperCaseDigits),
                      line.text + line.used))
        line.used += 8;
    else
        line.PutZeroPadded(offset, 4, dump.addressWidth, dump.digitTable);
    line.PutBlanks(2);
}

void PutTextColumn(const Dump& dump, Line& line, uint64_t offset) {
    const TextColumnLine column{dump.buffer,
                                dump.size,
                                offset,
                                dump.hexWidth,
                                dump.end,
                                dump.mode,
                                dump.replacement,
                                Has(dump, ControlPictures),
                                dump.settings->CodePageTable};
    char16_t* at = line.text + line.used;
    const uint32_t room = kLineCapacity - 1 - line.used;
    line.used += dump.byteColumn ? WriteByteColumn(dump.byteChars, column, at, room)
                                 : WriteTextColumn(column, at, room);
}

// The listing's common line: eight offset digits, hexadecimal bytes in groups of eight and a
// text column of one character per byte, every byte inside the range. Built in one pass without
// the checks of the general fields, to the same units.
bool CommonLinesApply(const Dump& dump) {
    return dump.format == Hexadecimal && dump.wordLen == 1 && !dump.joinsOn &&
           dump.groupWidth == 8 && dump.hexWidth % 8 == 0 && dump.addressWidth == 8 &&
           !Has(dump, NoAddressField) && !Has(dump, NoTextField) && dump.byteColumn &&
           dump.end <= UINT32_MAX;
}

// The widest common line fits its buffer, so that it is written without a check per unit.
static_assert(8 + 2 + 3 * kMaxHexWidth + kMaxHexWidth / 8 + 1 + kMaxHexWidth < kLineCapacity);

void PutCommonLine(Dump& dump, Line& line, uint64_t offset) {
    // The offset's digits at once where the build has the vector loops; the field's own way
    // otherwise (a call per line here would cost more than the digits).
    line.used = 0;
    if (!PutHexDigits8(static_cast<uint32_t>(offset), Has(dump, UpperCaseDigits), line.text))
        line.PutZeroPadded(offset, 4, 8, dump.digitTable);
    line.text[8] = u' ';
    line.text[9] = u' ';
    const uint8_t* bytes = dump.buffer + offset;
    char16_t* at = PutHexGroupsOf8(dump, bytes, dump.hexWidth / 8, line.text + 10);
    // Raw bytes go by compares where the build has the vector loops, the rest by the table.
    uint32_t j = dump.rawColumn ? PutRawColumnRuns(bytes, dump.hexWidth, dump.replacement,
                                                   Has(dump, ControlPictures), at)
                                : 0;
    for (; j < dump.hexWidth; ++j) at[j] = dump.byteChars[bytes[j]];
    line.used = static_cast<uint32_t>(at + dump.hexWidth - line.text);
}

// Writes the line at offset; kOutputStopped when the user stopped the output.
int WriteOneLine(Dump& dump, uint64_t offset) {
    // The bulk of a long listing: common lines with nothing to decide between them.
    if (dump.quickLines && offset + dump.hexWidth <= dump.end && LinesMayWait()) {
        Line line(NextBatchedLine(dump.batch, kLineCapacity));
        PutCommonLine(dump, line, offset);
        ++dump.lineCount;
        return EndBatchedLine(dump.batch, line.used);
    }
    // Lines wait for one host call while nothing but their ends comes between them.
    const bool waits = !Has(dump, PollKeys) && LinesMayWait();
    if (!waits) FlushLineBatch(dump.batch);
    if (Has(dump, SqueezeRepeats) && dump.lineCount != 0) {
        if (!RepeatsPrevious(dump, offset)) {
            dump.squeezed = false;
        } else if (dump.squeezed) {
            return kOutputOk;
        } else {
            dump.squeezed = true;
            FlushLineBatch(dump.batch);
            HighlightIfAlternate(dump);
            QPuts(AsHost(u"*"));
            ++dump.lineCount;
            return PagedNewLines(1);
        }
    }
    HighlightIfAlternate(dump);

    char16_t own[kLineCapacity];
    Line line(waits ? NextBatchedLine(dump.batch, kLineCapacity) : own);
    if (dump.commonLines && offset + dump.hexWidth <= dump.end) {
        PutCommonLine(dump, line, offset);
    } else {
        if (!Has(dump, NoAddressField)) PutAddressField(dump, line, offset);
        if (dump.wordLen == 1)
            PutByteValues(dump, line, offset);
        else
            PutWordValues(dump, line, offset);
        if (Has(dump, NoTextField)) {
            while (line.used > 0 && line.text[line.used - 1] == u' ') --line.used;
        } else {
            PutTextColumn(dump, line, offset);
        }
    }
    ++dump.lineCount;
    const int result = waits ? EndBatchedLine(dump.batch, line.used)
                             : PutPagedLine(line.text, line.used, kLineCapacity);
    if (result == kOutputStopped) return result;
    if (Has(dump, PollKeys)) CheckPauseKeys();
    if (Has(dump, SqueezeRepeats)) {
        const uint64_t inside = std::min<uint64_t>(dump.hexWidth, dump.size - offset);
        std::memcpy(dump.previous, dump.buffer + offset, inside);
    }
    return kOutputOk;
}

int WriteClosing(const Dump& dump, BufferAddress address) {
    const uint64_t shown = dump.end > dump.start ? dump.end - dump.start : 0;
    if (Has(dump, SqueezeRepeats)) {
        HighlightIfAlternate(dump);
        char16_t own[kLineCapacity];
        Line line(own);
        line.PutZeroPadded(shown, 4, dump.addressWidth, kLowerDigits);
        line.Terminate();
        QPuts(AsHost(line.text));
        return PagedNewLines(1);
    }
    if (Has(dump, ShowSummary)) {
        if (PagedNewLines(1) == kOutputStopped) return kOutputStopped;
        char16_t count[kLineCapacity];
        text::Format(count, kLineCapacity, u"%I64u", shown);
        (void)CommaFormatText(count, kLineCapacity); // the plain digits stay when it fails
        if (ColorPrint(u"\x12"
                       u"Displayed %s bytes (0x%04I64x bytes) from %s%I64X%s.",
                       count, shown, u"", uint64_t{address}, u"") == kOutputStopped)
            return kOutputStopped;
        return PagedNewLines(Has(dump, NoFinalBlankLine) ? 1 : 2);
    }
    if (Has(dump, NoFinalBlankLine)) return kOutputOk;
    return PagedNewLines(1);
}

} // namespace

uint32_t ValueDigits(uint32_t wordLen, uint32_t format) {
    if (wordLen < 1 || wordLen > 8) wordLen = 1;
    if (format > SignedDecimal) format = Hexadecimal;
    return kValueDigits[wordLen - 1][format];
}

const char16_t* Blanks(uint32_t n) {
    static const char16_t kBlanks[kMaxBlanks + 1] = u"                        ";
    n = std::clamp<uint32_t>(n, 1, kMaxBlanks);
    return kBlanks + (kMaxBlanks - n);
}

uint32_t AutoHexWidth(const DumpSettings& settings, uint32_t digits, uint32_t flags) {
    const uint32_t wordLen = settings.WordLen >= 1 && settings.WordLen <= 8 ? settings.WordLen : 1;
    const uint32_t group = settings.GroupWidth != 0 ? settings.GroupWidth : GroupWidthFor(wordLen);
    int64_t room = int64_t{settings.ConsoleWidth} - 1;
    if ((flags & NoAddressField) == 0) room -= int64_t{settings.AddressWidth} + 2;
    uint32_t result = 0;
    for (uint32_t w = group; w <= kMaxHexWidth; w += group) {
        int64_t needed = int64_t{w / wordLen} * (digits + 1) + w / group;
        needed += (flags & NoTextField) != 0 ? -1 : int64_t{w};
        if (needed > room) break;
        result = w;
    }
    return result != 0 ? result : 2 * group;
}

int WriteDumpHeader(uint32_t codePage, BufferAddress address, uint32_t size, bool showSizeLine,
                    TextMode mode) {
    if (PagedNewLines(1) == kOutputStopped) return kOutputStopped;
    if (ColorPrint(u"\x12\rBuffer %s%I64X%s :\r\n", u"", uint64_t{address}, u"") == kOutputStopped)
        return kOutputStopped;
    if (showSizeLine) {
        struct Unit {
            uint32_t bytes;
            text::FormatString<const char16_t*> format;
        };
        static const Unit kUnits[] = {
            {1073741824, u"  (%s GB)"}, {1048576, u"  (%s MB)"}, {1024, u"  (%s kB)"}};
        char16_t human[kLineCapacity] = u"";
        for (const Unit& unit : kUnits) {
            if (size < unit.bytes) continue;
            char16_t quotient[kLineCapacity];
            text::Format(quotient, kLineCapacity, u"%.1f", double(size) / double(unit.bytes));
            (void)CommaFormatText(quotient, kLineCapacity); // as it is when it fails
            text::Format(human, kLineCapacity, unit.format, quotient);
            break;
        }
        if (ColorPrint(u"  \u2022  %s bytes%s    %s\r\n", CommaFormatU64(size), human,
                       EncodingName(mode, codePage)) == kOutputStopped)
            return kOutputStopped;
    }
    return PagedNewLines(1);
}

int DumpBuffer(const DumpSettings* settings, BufferAddress address, uint32_t size, uint32_t flags) {
    if (settings == nullptr || address == 0) return -1;
    Dump dump{};
    dump.settings = settings;
    dump.buffer = BufferAt(address);
    dump.size = size;
    dump.flags = flags;
    dump.wordLen = settings->WordLen >= 1 && settings->WordLen <= 8 ? settings->WordLen : 1;
    dump.groupWidth = GroupWidthFor(dump.wordLen);
    dump.format = settings->Format <= SignedDecimal ? settings->Format : Hexadecimal;
    dump.digits = ValueDigits(dump.wordLen, dump.format);
    dump.digitTable = (flags & UpperCaseDigits) != 0 ? kUpperDigits : kLowerDigits;
    dump.replacement = settings->ReplacementChar != 0
                           ? static_cast<char16_t>(settings->ReplacementChar)
                           : kDefaultReplacement;
    dump.mode = DetectTextMode(dump.buffer, size, *settings);
    dump.joinsOn =
        dump.mode == TextUtf8 && dump.wordLen == 1 && (flags & (SqueezeRepeats | NoUtf8Joins)) == 0;
    const TextColumnLine columnModel{dump.buffer,
                                     size,
                                     0,
                                     0,
                                     0,
                                     dump.mode,
                                     dump.replacement,
                                     (flags & ControlPictures) != 0,
                                     settings->CodePageTable};
    dump.byteColumn = ByteColumnChars(columnModel, dump.byteChars);
    for (uint32_t b = 0; b < kByteValues; ++b) {
        const char16_t cell[4] = {dump.digitTable[b >> 4], dump.digitTable[b & 0xF], u' ', u' '};
        std::memcpy(&dump.hexCells[b], cell, sizeof cell);
    }

    InstallCtrlHandler();

    // Offsets and sums are 64-bit, so that no range can wrap around.
    dump.start = settings->StartAddress;
    dump.end = settings->EndAddress;
    if (dump.end == 0 || dump.end > size) dump.end = size;
    if (settings->MaxBytes != 0 && dump.start + settings->MaxBytes < dump.end)
        dump.end = dump.start + settings->MaxBytes;
    dump.addressWidth = settings->AddressWidth != 0 ? settings->AddressWidth : kDefaultAddressWidth;
    DumpSettings widthSettings = *settings;
    widthSettings.AddressWidth = dump.addressWidth;
    widthSettings.WordLen = dump.wordLen;
    widthSettings.GroupWidth = dump.groupWidth;
    dump.hexWidth = settings->HexWidth != 0 ? settings->HexWidth
                                            : AutoHexWidth(widthSettings, dump.digits, flags);
    dump.hexWidth = std::min(dump.hexWidth, kMaxHexWidth);
    if (settings->MaxLines != 0 &&
        dump.start + uint64_t{settings->MaxLines} * dump.hexWidth < dump.end)
        dump.end = dump.start + uint64_t{settings->MaxLines} * dump.hexWidth;
    dump.commonLines = CommonLinesApply(dump);
    dump.quickLines = dump.commonLines && (flags & (SqueezeRepeats | PollKeys)) == 0;
    dump.rawColumn = dump.mode != TextCodePage || settings->CodePageTable == nullptr;

    int result = kOutputOk;
    if ((flags & ShowHeaders) != 0)
        result = WriteDumpHeader(settings->CodePage, address, size, (flags & ShowSizeLine) != 0,
                                 dump.mode);
    for (uint64_t offset = dump.start; result != kOutputStopped && offset < dump.end;
         offset += dump.hexWidth)
        result = WriteOneLine(dump, offset);
    FlushLineBatch(dump.batch);
    if (result != kOutputStopped) result = WriteClosing(dump, address);

    RemoveCtrlHandler();
    return result == kOutputStopped ? kOutputStopped : 0;
}

} // namespace dump
