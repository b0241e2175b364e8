// BBDUMP's command line: every option error with its message and result, the help texts, the
// settings display, the console width rules, and several handles with a bad one among them.
#include <string>

#include "bbdump_test_fixture.h"
#include "commands/usage_texts.h"

namespace {

using dumptest::Message;

class DumpOptions : public dumptest::DumpFixture {};

struct OptionError {
    const char16_t* arguments;
    const char* message;
    int result;
};

TEST_F(DumpOptions, ReportsEachOptionErrorBeforeAnyOutput) {
    const OptionError errors[] = {
        {u"", "Must specify a binary buffer handle to dump", 1},
        {u"   ", "Must specify a binary buffer handle to dump", 1},
        {u"/H /W", "Must specify a binary buffer handle to dump", 1},
        {u"/y /? 8", "Unknown option: \"/Y\"", 1},
        {u"/bx 8", "Unknown option: \"/BX\"", 1},
        {u"/hx 8", "Unknown option: \"/HX\"", 1},
        {u"/l 8", "Unknown option: \"/L\"", 1},
        {u"/ux 8", "Unknown option: \"/UX\"", 1},
        {u"/0 8", "Unknown option: \"/0\"", 1},
        {u"/9 8", "Unknown option: \"/9\"", 1},
        {u"/[!a b] 8", "Unknown option: \"/[!A B]\"", 1}, // a bracket group is one argument
        {u"/c:10 /e:10 8", "Start address must be less than end address: /C:10 \u2265 /E:10", 1},
        {u"/c:0x20 /e:16 8", "Start address must be less than end address: /C:32 \u2265 /E:16", 1},
        {u"/M:5X 8", "Unknown multiplier: \"/M:5X\"", 1},
        {u"/m:5x 8", "Unknown multiplier: \"/m:5x\"", 1},
        {u"/M:4294967296 8", "Bad max bytes: \"/M:4294967296\"", 1},
        {u"/m:abc 8", "Bad max bytes: \"/M:ABC\"", 1},
        {u"/M:5G 8", "Overflow in max bytes: \"/M:5G\"", 1},
        {u"/m:5g 8", "Overflow in max bytes: \"/m:5g\"", 1},
        {u"/C 8", "Missing start address: \"/C\"", 1},
        {u"/e: 8", "Missing end address: \"/E:\"", 1},
        {u"/cx 8", "Bad start address: \"/CX\"", 1},
        {u"/F: 8", "Missing format: \"/F:\"", 1},
        {u"/f:z 8", "Bad format: \"/F:Z\"", 1},
        {u"/F:12 8", "Numeric format must be 8, 10, or 16: 12", 1},
        {u"/G 8", "Missing address width: \"/G\"", 1},
        {u"/g:x 8", "Bad address width: \"/G:X\"", 1},
        {u"/G:3 8", "Address width must be 4 to 16: 3", 1},
        {u"/G=17 8", "Address width must be 4 to 16: 17", 1},
        {u"/k:x 8", "Bad HexWidth: \"/K:X\"", 1},
        {u"/k 8", "Bad HexWidth: \"/K\"", 1},
        {u"/K:81 8", "HexWidth must be \u2264 80: 81", 1},
        {u"/K:20 8", "HexWidth must be a multiple of 8: 20", 1},
        {u"/K:16 /3 8", "HexWidth must be a multiple of 9: 16", 1},
        {u"/ml:x 8", "Bad MaxLines: \"/ML:X\"", -1},
        {u"/ML 8", "Bad MaxLines: \"/ML\"", -1},
        {u"/n 8", "Syntax error: \"/N\"", 1},
        {u"/n: 8", "Syntax error: \"/N:\"", 1},
        {u"/N:cx 8", "Unknown suboption: /N:X", 1},
        {u"/p:5x 8", "Syntax error: \"/P:5X\"", 1},
        {u"/P:,1001 8", "Pause lines must be 0 - 1000: 1001", 1},
        {u"/z:a 8", "Bad replacement character: \"/Z:A\"", 1},
        {u"/Z:ab 8", "Bad replacement character: \"/Z:AB\"", 1},
        {u"/Z:x 8", "Bad replacement character: \"/Z:X\"", 1},
        {u"/Z:5 8", "Bad replacement character: \"/Z:5\"", 1},
        {u"/Z:31 8", "Bad replacement character: \"/Z:31\"", 1},
        {u"/Z:65536 8", "Bad replacement character: \"/Z:65536\"", 1},
        {u"/Z:\u00e9 8", "Bad replacement character: \"/Z:\u00c9\"", 1},
        {u"/Z:0x41 8", "Bad replacement character: \"/Z:0X41\"", 1},
        {u"/Z:99999999999 8", "Bad value for replacement character: \"/Z:99999999999\"", 1},
        {u"/CP 8", "Bad code page value: \"/CP\"", -1},
        {u"/cp:xyz 8", "Bad code page value: \"/CP:XYZ\"", -1},
        {u"/CP:932 8", "Code page not supported: 932", -1},
        {u"/CP:12345 8", "Code page not supported: 12345", -1},
    };
    for (const OptionError& error : errors) {
        SCOPED_TRACE(text::ToUtf8(error.arguments));
        const dumptest::Outcome outcome = Dump(error.arguments);
        EXPECT_EQ(outcome.result, error.result);
        EXPECT_EQ(outcome.err, Message(error.message));
        EXPECT_EQ(outcome.out, "");
    }
}

TEST_F(DumpOptions, GivesEightySevenWithoutText) {
    EXPECT_EQ(bbdump(nullptr), 87);
}

TEST_F(DumpOptions, ShowsTheUsageAndEnds) {
    const std::string usage = text::ToUtf8(commands::kBBDumpUsage);
    for (const char16_t* arguments : {u"/?", u"/q /?", u"/?x 8"}) {
        SCOPED_TRACE(text::ToUtf8(arguments));
        const dumptest::Outcome outcome = Dump(arguments);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.out, usage);
        EXPECT_EQ(outcome.err, "");
    }
    const dumptest::Outcome versions = Dump(u"/??");
    EXPECT_EQ(versions.result, 0);
    EXPECT_EQ(versions.out.substr(0, usage.size()), usage);
    EXPECT_NE(versions.out.find("BBDumpCmd  0.46.2.0"), std::string::npos);
}

TEST_F(DumpOptions, ShowsTheFormatAndFeatureHelp) {
    const dumptest::Outcome format = Dump(u"/F:? 8");
    EXPECT_EQ(format.result, 1);
    EXPECT_EQ(format.out.find(
                  "BBDUMP /F:  \u2014 numeric base for values\n\n\t/F:O  or  /F:8  \toctal\n"),
              0u);
    EXPECT_NE(format.out.find("\t/F:S  or  /F:+  \tsigned decimal\n"), std::string::npos);

    for (const char16_t* arguments : {u"/N? 8", u"/n:c? 8", u"/N=?"}) {
        SCOPED_TRACE(text::ToUtf8(arguments));
        const dumptest::Outcome features = Dump(arguments);
        EXPECT_EQ(features.result, 0);
        EXPECT_EQ(
            features.out,
            "BBDUMP /N:  \u2014 disable features\n\n\tC\tno highlight\n\tI\tdo not display "
            "the address field\n\tL\tomit the blank line at the end\n\tT\tdo not display the "
            "text field\n\nYou can replace the colon with an equals sign, or just omit it. \n");
    }
}

// The ten lines of the settings display, from Flags to ConsoleWidth.
std::string Settings(unsigned flags, unsigned start, unsigned end, unsigned maxBytes,
                     unsigned hexWidth, unsigned addressWidth, unsigned wordLen,
                     unsigned groupWidth, unsigned format, unsigned consoleWidth) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "   *  Flags        = %u\r\n   *  StartAddress = %u\r\n   *  EndAddress   = "
                  "%u\r\n   *  MaxBytes     = %u\r\n   *  HexWidth     = %u\r\n   *  AddressWidth "
                  "= %u\r\n   *  WordLen      = %u\r\n   *  GroupWidth   = %u\r\n   *  Format     "
                  "  = %u\r\n   *  ConsoleWidth = %u\r\n",
                  flags, start, end, maxBytes, hexWidth, addressWidth, wordLen, groupWidth, format,
                  consoleWidth);
    return text;
}

// The settings display alone: a start past the buffer's end writes no line, and without
// highlighting nothing depends on the console's colours.
std::string SettingsOf(std::u16string_view options, const std::u16string& handle) {
    const dumptest::Outcome outcome =
        DumpOptions::Dump(u"/N:CL /C:1000 " + std::u16string(options) + u" " + handle);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.result, 0);
    // Headers and closing lines may follow.
    constexpr size_t kSettingsLines = 10;
    size_t end = 0;
    for (size_t line = 0; line < kSettingsLines && end != std::string::npos; ++line)
        end = outcome.out.find('\n', end + (line == 0 ? 0 : 1));
    return end == std::string::npos ? outcome.out : outcome.out.substr(0, end + 1);
}

TEST_F(DumpOptions, AppliesOptionsAndShowsTheSettings) {
    const std::u16string h = Buffer("x");
    struct Case {
        const char16_t* options;
        std::string settings;
    } cases[] = {
        {u"/$", Settings(0x80, 1000, 0, 0, 0, 0, 1, 8, 0, 100)},
        {u"/$ /M:5KB /c=0x10 /e0o200", Settings(0x80, 16, 128, 5120, 0, 0, 1, 8, 0, 100)},
        {u"/$ /M=2q /ML:3 /G:0", Settings(0x80, 1000, 0, 16, 0, 0, 1, 8, 0, 100)},
        {u"/$ /M:1g", Settings(0x80, 1000, 0, 1000000000, 0, 0, 1, 8, 0, 100)},
        {u"/$ /M:0G /G:16", Settings(0x80, 1000, 0, 0, 0, 16, 1, 8, 0, 100)},
        {u"/$ /K:18 /3 /F:S", Settings(0x80, 1000, 0, 0, 18, 0, 3, 9, 3, 100)},
        {u"/$ /5 /f:signed", Settings(0x80, 1000, 0, 0, 0, 0, 5, 10, 3, 100)},
        {u"/$ /6 /F=octal", Settings(0x80, 1000, 0, 0, 0, 0, 6, 12, 1, 100)},
        {u"/$ /7 /F10", Settings(0x80, 1000, 0, 0, 0, 0, 7, 7, 2, 100)},
        {u"/$ /Q /F:- /F:HEX", Settings(0x80, 1000, 0, 0, 0, 0, 8, 8, 0, 100)},
        {u"/$ /D /F:+ /F:16", Settings(0x80, 1000, 0, 0, 0, 0, 4, 8, 0, 100)},
        {u"/$ /W /f:x", Settings(0x80, 1000, 0, 0, 0, 0, 2, 8, 0, 100)},
        {u"/$ /BE /HH /I /UC /X /N:IT8", Settings(0x1E0BB, 1000, 0, 0, 0, 0, 1, 8, 0, 100)},
        {u"/$ /BE /LE /J /N:CH", Settings(0x80, 1000, 0, 0, 0, 0, 1, 8, 0, 100)},
        {u"/$ /U", Settings(0x180, 1000, 0, 0, 16, 0, 1, 8, 0, 100)},
        {u"/$ /U /K:0", Settings(0x580, 1000, 0, 0, 0, 0, 1, 8, 0, 80)},
        {u"/$ /K:0 /K:24", Settings(0x80, 1000, 0, 0, 24, 0, 1, 8, 0, 100)},
        {u"/$ /c:10 /e:0", Settings(0x80, 10, 0, 0, 0, 0, 1, 8, 0, 100)},
        {u"/$ /CP:0 /CP:O /cp=ansi /P:,0", Settings(0x80, 1000, 0, 0, 0, 0, 1, 8, 0, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.options));
        EXPECT_EQ(SettingsOf(c.options, h), c.settings);
    }
}

TEST_F(DumpOptions, AcceptsTheReplacementCharacters) {
    const std::u16string h = Buffer(std::string("\t", 1));
    struct Case {
        const char16_t* options;
        const char* column;
    } cases[] = {
        {u"/Z", " "},
        {u"/Z:", " "},
        {u"/z=", " "},
        {u"/Z:.", "."},
        {u"/Z:0x2e", "."},
        {u"/Z:46", "."},
        {u"/Z:-", "-"},
        {u"/Z:\u00b7", "\u00b7"},
        {u"/Z:0x2591", "\u2591"},
        {u"", "\u00b7"},
        {u"/U", "."},
        {u"/U /Z:*", "*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.options));
        const dumptest::Outcome outcome = Dump(std::u16string(c.options) + u" /N:IL /K:8 " + h);
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(outcome.out, std::string("09                       ") + c.column + "       \r\n" +
                                   (text::EqualNoCase(c.options, u"/U") ||
                                            text::StartsWithNoCase(c.options, u"/U ")
                                        ? "00000001\r\n"
                                        : ""));
    }
}

TEST_F(DumpOptions, DumpsEveryGoodHandleAndReportsEachBadOne) {
    const std::u16string first = Buffer("A");
    const std::u16string second = Buffer("B");
    const dumptest::Outcome outcome = Dump(u"/N:L /K:8 " + first + u" xyz 00a41001 " + second +
                                           u" 0 -" + second + u" " + first + u"x");
    EXPECT_EQ(outcome.result, 2);
    EXPECT_EQ(outcome.out, "00000000  41                       A       \r\n"
                           "00000000  42                       B       \r\n");
    EXPECT_EQ(outcome.err,
              Message("Bad binary buffer handle \"XYZ\"") +
                  Message("Bad binary buffer handle \"00A41001\"") +
                  Message("Bad binary buffer handle \"0\"") +
                  Message("Bad binary buffer handle \"-" + text::ToUtf8(second) + "\"") +
                  Message("Bad binary buffer handle \"" + text::ToUtf8(first) + "X\""));
}

TEST_F(DumpOptions, AppliesOptionsGivenAfterTheHandles) {
    const std::u16string h = Buffer("ABCD");
    const dumptest::Outcome outcome = Dump(h + u" /N:L /W /K:8 /UC /F:10");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.out, "00000000  16961 17475              ABCD    \r\n");
}

// ---- Console width --------------------------------------------------------------------------

// The bytes per line the listing chose, from the length of its first line's value field.
TEST_F(DumpOptions, FitsTheLineToTheConsoleWindow) {
    const std::u16string h = Buffer(std::string(80, 'a'));
    struct Case {
        bool console;
        uint32_t columns;
        uint32_t deviceColumns;
        const char16_t* options;
        const char* settingsTail; // HexWidth .. ConsoleWidth lines compressed as "hex/console"
        unsigned flags;
    } cases[] = {
        {false, 120, 80, u"/$", "0/100", 0x80},        {true, 120, 80, u"/$", "0/120", 0x1080},
        {true, 80, 80, u"/$", "0/80", 0x1080},         {true, 22, 80, u"/$", "0/22", 0x1080},
        {true, 21, 80, u"/$", "0/100", 0x1080},        {true, 400, 80, u"/$", "0/400", 0x1080},
        {true, 401, 80, u"/$", "0/100", 0x1080},       {true, 0, 80, u"/$ /N:H", "0/100", 0x80},
        {false, 120, 132, u"/$ /K:0", "0/132", 0x480}, {false, 120, 21, u"/$ /K:0", "0/80", 0x480},
        {false, 120, 401, u"/$ /K:0", "0/80", 0x480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.options) + " " + std::to_string(c.columns));
        fake::SetIsConsole(sys::StdStream::Output, c.console);
        fake::SetConsoleWindowColumns(c.columns);
        fake::SetConsoleDeviceColumns(c.deviceColumns);
        const std::string out = SettingsOf(c.options, h);
        unsigned hex = 0, console = 0;
        std::sscanf(c.settingsTail, "%u/%u", &hex, &console);
        EXPECT_EQ(out, Settings(c.flags, 1000, 0, 0, hex, 0, 1, 8, 0, console));
    }
    fake::SetConsoleDeviceColumns(132);
    const int openBefore = fake::OpenConsoleDevices();
    fake::PlanFault(fake::Call::ConsoleOpen);
    EXPECT_EQ(SettingsOf(u"/$ /K:0", h), Settings(0x480, 1000, 0, 0, 0, 0, 1, 8, 0, 80));
    EXPECT_EQ(fake::OpenConsoleDevices(), openBefore);
}

TEST_F(DumpOptions, ChoosesTheBytesPerLineFromTheWidth) {
    const std::u16string h = Buffer(std::string(80, 'a'));
    struct Case {
        uint32_t columns;
        const char16_t* options;
        size_t bytesPerLine;
    } cases[] = {
        {80, u"", 16},    {100, u"", 16},   {120, u"", 24},     {160, u"", 32},
        {400, u"", 80},   {22, u"", 16},    {132, u"/N:T", 32}, {120, u"/N:I", 24},
        {120, u"/U", 16}, {200, u"/Q", 56}, {120, u"/3", 27},   {120, u"/G:16", 24},
    };
    fake::SetIsConsole(sys::StdStream::Output, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.options) + " " + std::to_string(c.columns));
        fake::SetConsoleWindowColumns(c.columns);
        const dumptest::Outcome outcome = Dump(std::u16string(c.options) + u" /N:CL " + h);
        const std::string first = outcome.out.substr(0, outcome.out.find('\r'));
        // Text columns of "a"; without one, the values 61 (no line is long enough for an
        // offset to hold them).
        const bool noText = text::EqualNoCase(c.options, u"/N:T");
        size_t count = 0;
        for (size_t at = first.find(noText ? "61" : "a"); at != std::string::npos;
             at = first.find(noText ? "61" : "a", at + 1))
            ++count;
        EXPECT_EQ(count, c.bytesPerLine);
    }
}

} // namespace
