// BBDUMP's option values: offsets and counts with multiplier letters, the numeric base, the
// address width, the line width, the feature letters, the replacement character and the code
// page, with the single-byte test that builds the code page's table.
#include "commands/bbdump_options.h"

#include "commands/bbdump.h"
#include "console/console_output.h"
#include "frame/host_services.h"
#include "frame/numbers.h"
#include "frame/report.h"
#include "sys/sys.h"

namespace dump {

namespace {

constexpr char16_t kFormatHelp[] =
    u"BBDUMP /F:  \u2014 numeric base for values\n\n\t/F:O  or  /F:8  \toctal\n\t/F:D  or  "
    u"/F:10 \tdecimal\n\t/F:S  or  /F:+  \tsigned decimal\n\t/F:H  or  /F:16 \thexadecimal  "
    u"(default) \n\nYou can replace the colon with an equals sign, or just omit it. \n";

constexpr char16_t kFeatureHelp[] =
    u"BBDUMP /N:  \u2014 disable features\n\n\tC\tno highlight\n\tI\tdo not display the address "
    u"field\n\tL\tomit the blank line at the end\n\tT\tdo not display the text field\n\nYou can "
    u"replace the colon with an equals sign, or just omit it. \n";

// The value of an option: past its letters and one optional ":" or "=".
char16_t* ValueAfter(char16_t* option, int letters) {
    char16_t* value = option + letters;
    if (IsOptionSeparator(*value)) ++value;
    return value;
}

bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsControl(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// A replacement character must be visible and must not be mistaken for text.
bool UsableReplacement(uint32_t c) {
    return c >= 0x20 && c <= 0xFFFF && !IsControl(c) &&
           !sys::IsLetterOrDigit(static_cast<char16_t>(c));
}

uint32_t MultiplierOf(char16_t c) {
    switch (c) {
    case 0:
    case u'B':
    case u'b':
        return 1;
    case u'W':
    case u'w':
        return 2;
    case u'D':
    case u'd':
        return 4;
    case u'Q':
    case u'q':
        return 8;
    case u'K':
        return 1024;
    case u'k':
        return 1000;
    case u'M':
        return 1048576;
    case u'm':
        return 1000000;
    case u'G':
        return 1073741824;
    case u'g':
        return 1000000000;
    default:
        return 0;
    }
}

// The whole value as one number.
bool ReadWholeNumber(const char16_t* value, uint32_t* number) {
    return value[0] != 0 && ParseU32(value, number) == 0;
}

} // namespace

void UpperCaseInPlace(char16_t* text) {
    for (; *text != 0; ++text) *text = sys::ToUpper(*text);
}

uint32_t GroupWidthFor(uint32_t wordLen) {
    static const uint32_t kGroupWidths[8] = {8, 8, 9, 8, 10, 12, 7, 8};
    return wordLen >= 1 && wordLen <= 8 ? kGroupWidths[wordLen - 1] : 8;
}

int ParseDumpValue(const char16_t* valueName, char16_t* option, uint32_t* value) {
    char16_t* number = ValueAfter(option, 2);
    if (*number == 0) {
        UpperCaseInPlace(option);
        ReportMessage(u"Missing %s: \"%s\"\r\n", valueName, option);
        return -2;
    }
    uint32_t read = 0;
    char16_t* rest = nullptr;
    const int parsed = ParseU32(number, &read, &rest);
    if (parsed != 0) {
        UpperCaseInPlace(option);
        ReportMessage(u"Bad %s: \"%s\"\r\n", valueName, option);
        return parsed;
    }
    const uint32_t multiplier = MultiplierOf(*rest);
    if (multiplier == 0) {
        ReportMessage(u"Unknown multiplier: \"%s\"\r\n", option);
        return -3;
    }
    const uint64_t product = uint64_t{read} * multiplier;
    if (product > UINT32_MAX) {
        ReportMessage(u"Overflow in %s: \"%s\"\r\n", valueName, option);
        return -4;
    }
    *value = static_cast<uint32_t>(product);
    return 0;
}

int ParseFormatOption(char16_t* option, uint32_t* format) {
    UpperCaseInPlace(option);
    const char16_t* value = ValueAfter(option, 2);
    if (*value == 0) {
        ReportMessage(u"Missing format: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    for (const char16_t* p = option; *p != 0; ++p) {
        if (*p == u'?') {
            QPuts(AsHost(kFormatHelp));
            return kOptionFailed;
        }
    }
    switch (value[0]) {
    case u'O':
        *format = 1;
        return kOptionOk;
    case u'D':
        *format = 2;
        return kOptionOk;
    case u'S':
    case u'+':
    case u'-':
        *format = 3;
        return kOptionOk;
    case u'H':
    case u'X':
        *format = 0;
        return kOptionOk;
    default:
        break;
    }
    uint32_t base = 0;
    if (ParseU32(value, &base) != 0) {
        ReportMessage(u"Bad format: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    switch (base) {
    case 0:
    case 16:
        *format = 0;
        return kOptionOk;
    case 8:
        *format = 1;
        return kOptionOk;
    case 10:
        *format = 2;
        return kOptionOk;
    default:
        ReportMessage(u"Numeric format must be 8, 10, or 16: %u\r\n", base);
        return kOptionFailed;
    }
}

int ParseAddressWidthOption(char16_t* option, uint32_t* width) {
    UpperCaseInPlace(option);
    const char16_t* value = ValueAfter(option, 2);
    if (*value == 0) {
        ReportMessage(u"Missing address width: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    uint32_t read = 0;
    if (ParseU32(value, &read) != 0) {
        ReportMessage(u"Bad address width: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    if (read != 0 && (read < 4 || read > 16)) {
        ReportMessage(u"Address width must be 4 to 16: %u\r\n", read);
        return kOptionFailed;
    }
    *width = read;
    return kOptionOk;
}

int ParseHexWidthOption(char16_t* option, uint32_t* hexWidth, uint32_t* flags) {
    uint32_t read = 0;
    if (!ReadWholeNumber(ValueAfter(option, 2), &read)) {
        UpperCaseInPlace(option);
        ReportMessage(u"Bad HexWidth: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    if (read > kMaxHexWidth) {
        ReportMessage(u"HexWidth must be \u2264 %u: %u\r\n", kMaxHexWidth, read);
        return kOptionFailed;
    }
    *hexWidth = read;
    if (read == 0)
        *flags |= FitConsoleDevice;
    else
        *flags &= ~FitConsoleDevice;
    return kOptionOk;
}

int ParseMaxLinesOption(char16_t* option, uint32_t* maxLines) {
    uint32_t read = 0;
    if (!ReadWholeNumber(ValueAfter(option, 3), &read)) {
        UpperCaseInPlace(option);
        ReportMessage(u"Bad MaxLines: \"%s\"\r\n", option);
        return kOptionBadValue;
    }
    *maxLines = read;
    return kOptionOk;
}

int ParseFeatureOption(char16_t* option, uint32_t* flags, bool* noHighlight) {
    const char16_t* letters = ValueAfter(option, 2);
    if (*letters == 0) {
        UpperCaseInPlace(option);
        ReportMessage(u"Syntax error: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    for (const char16_t* p = letters; *p != 0; ++p) {
        const char16_t letter = sys::ToUpper(*p);
        switch (letter) {
        case u'C':
            *noHighlight = true;
            break;
        case u'I':
            *flags |= NoAddressField;
            break;
        case u'L':
            *flags |= NoFinalBlankLine;
            break;
        case u'T':
            *flags |= NoTextField;
            break;
        case u'H':
            *flags &= ~PollKeys;
            break;
        case u'8':
            *flags |= NoUtf8Joins;
            break;
        case u'?':
            QPuts(AsHost(kFeatureHelp));
            return kOptionHelpShown;
        default:
            ReportMessage(u"Unknown suboption: /N:%c\r\n", letter);
            return kOptionFailed;
        }
    }
    return kOptionOk;
}

int ParseReplacementOption(char16_t* option, uint32_t* replacement) {
    const char16_t* value = ValueAfter(option, 2);
    if (*value == 0) {
        *replacement = u' ';
        return kOptionOk;
    }
    uint32_t code = 0;
    if (IsDecimalDigit(value[0])) {
        if (ParseU32(value, &code) != 0) {
            UpperCaseInPlace(option);
            ReportMessage(u"Bad value for replacement character: \"%s\"\r\n", option);
            return kOptionFailed;
        }
    } else {
        code = value[1] == 0 ? value[0] : 0;
    }
    if (!UsableReplacement(code)) {
        UpperCaseInPlace(option);
        ReportMessage(u"Bad replacement character: \"%s\"\r\n", option);
        return kOptionFailed;
    }
    *replacement = code;
    return kOptionOk;
}

int ParseCodePageOption(char16_t* option, uint32_t* codePage, char16_t* table) {
    const char16_t* value = ValueAfter(option, 3);
    uint32_t number = 0;
    if (value[0] == u'A' || value[0] == u'a') {
        number = sys::AnsiCodePage();
    } else if (value[0] == u'O' || value[0] == u'o') {
        number = sys::OemCodePage();
    } else if (!ReadWholeNumber(value, &number)) {
        UpperCaseInPlace(option);
        ReportMessage(u"Bad code page value: \"%s\"\r\n", option);
        return kOptionBadValue;
    }
    if (TestCodePage(number, table) == 0) {
        ReportMessage(u"Code page not supported: %u\r\n", number);
        return kOptionBadValue;
    }
    *codePage = number;
    return kOptionOk;
}

int TestCodePage(uint32_t codePage, char16_t* table) {
    constexpr int kCount = 255;
    constexpr int kRoom = 1024;
    char forward[kCount + 1];
    char backward[kCount + 1];
    for (int i = 0; i < kCount; ++i) {
        forward[i] = static_cast<char>(i + 1);
        backward[i] = static_cast<char>(kCount - i);
    }
    forward[kCount] = 0;
    backward[kCount] = 0;
    char16_t first[kRoom];
    char16_t second[kRoom];
    // Each count includes the terminator.
    if (sys::MultiByteToWide(codePage, forward, -1, first, kRoom) != kCount + 1) return 0;
    if (sys::MultiByteToWide(codePage, backward, -1, second, kRoom) != kCount + 1) return 0;
    // A byte that swallows its neighbour, or one that becomes two units, shows in either the
    // length or the order.
    for (int i = 0; i < kCount; ++i) {
        if (first[i] == 0 || first[i] != second[kCount - 1 - i]) return 0;
    }
    if (table != nullptr) {
        table[0] = 0;
        for (int i = 0; i < kCount; ++i) table[i + 1] = first[i];
    }
    return 1;
}

uint32_t ConsoleDeviceWidth() {
    sys::Handle device = sys::OpenConsoleDevice();
    if (device == nullptr) return 80;
    const uint32_t columns = sys::ConsoleWindowColumns(device);
    sys::CloseHandle(device);
    return columns >= 22 && columns <= 400 ? columns : 80;
}

} // namespace dump
