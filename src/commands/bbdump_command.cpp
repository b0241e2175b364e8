// The BBDUMP command: reads and checks every option, completes the settings, prepares paging and
// colour, measures the console, and dumps each buffer handle in the order given.
#include "commands/bbdump.h"
#include "commands/bbdump_options.h"
#include "commands/usage_texts.h"
#include "console/console_output.h"
#include "frame/args.h"
#include "frame/function_start.h"
#include "frame/host_services.h"
#include "frame/numbers.h"
#include "frame/report.h"
#include "frame/text_services.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace dump {

namespace {

constexpr int kResultFailed = 1;
constexpr int kResultBadHandle = 2;
constexpr int kResultStopped = 3;
constexpr uint32_t kFallbackConsoleWidth = 100;

// Everything one call of the command works with.
struct Command {
    DumpSettings settings;
    uint32_t flags;
    char16_t codePageTable[kCodePageTableSize];
    bool noHighlight;
    uint32_t pauseLines;
    bool showSettings;
    uint32_t codePage;
    int handles;
};

// Outcome of one option: go on, or end the command with `result`.
struct Step {
    bool done;
    int result;
};
constexpr Step kGoOn{false, 0};
Step EndWith(int result) {
    return Step{true, result};
}
Step FromReader(int outcome) {
    switch (outcome) {
    case kOptionOk:
        return kGoOn;
    case kOptionHelpShown:
        return EndWith(0);
    case kOptionBadValue:
        return EndWith(-1);
    default:
        return EndWith(kResultFailed);
    }
}

bool Is(const char16_t* option, std::u16string_view name) {
    return text::EqualNoCase(std::u16string_view(option), name);
}
bool Begins(const char16_t* option, std::u16string_view prefix) {
    return text::StartsWithNoCase(option, prefix);
}

// One option, matched against the rows of the option table in their order.
Step ApplyOption(Command& command, char16_t* option) {
    DumpSettings& s = command.settings;
    if (Begins(option, u"/?")) {
        return EndWith(ShowCommandUsage(commands::kBBDumpUsage, commands::kBBDumpModule,
                                        commands::kBBDumpVersion, option[2] == u'?'));
    }
    if (Is(option, u"/$")) {
        command.showSettings = true;
        return kGoOn;
    }
    if (option[1] >= u'1' && option[1] <= u'8' && option[2] == 0) {
        s.WordLen = option[1] - u'0';
        return kGoOn;
    }
    if (Is(option, u"/B")) {
        s.WordLen = 1;
        return kGoOn;
    }
    if (Is(option, u"/BE")) {
        command.flags |= BigEndianWords;
        return kGoOn;
    }
    if (Begins(option, u"/CP"))
        return FromReader(ParseCodePageOption(option, &command.codePage, command.codePageTable));
    if (Begins(option, u"/C"))
        return ParseDumpValue(u"start address", option, &s.StartAddress) == 0
                   ? kGoOn
                   : EndWith(kResultFailed);
    if (Is(option, u"/D")) {
        s.WordLen = 4;
        return kGoOn;
    }
    if (Begins(option, u"/E"))
        return ParseDumpValue(u"end address", option, &s.EndAddress) == 0 ? kGoOn
                                                                          : EndWith(kResultFailed);
    if (Begins(option, u"/F")) return FromReader(ParseFormatOption(option, &s.Format));
    if (Begins(option, u"/G")) return FromReader(ParseAddressWidthOption(option, &s.AddressWidth));
    if (Is(option, u"/H")) {
        command.flags |= ShowHeaders;
        return kGoOn;
    }
    if (Is(option, u"/HH")) {
        command.flags |= ShowHeaders | ShowSizeLine;
        return kGoOn;
    }
    if (Is(option, u"/I")) {
        command.flags |= ShowSummary;
        return kGoOn;
    }
    if (Is(option, u"/J")) {
        command.flags |= AlternateLines;
        return kGoOn;
    }
    if (Begins(option, u"/K"))
        return FromReader(ParseHexWidthOption(option, &s.HexWidth, &command.flags));
    if (Is(option, u"/LE")) {
        command.flags &= ~BigEndianWords;
        return kGoOn;
    }
    if (Begins(option, u"/ML")) return FromReader(ParseMaxLinesOption(option, &s.MaxLines));
    if (Begins(option, u"/M"))
        return ParseDumpValue(u"max bytes", option, &s.MaxBytes) == 0 ? kGoOn
                                                                      : EndWith(kResultFailed);
    if (Begins(option, u"/N"))
        return FromReader(ParseFeatureOption(option, &command.flags, &command.noHighlight));
    if (Begins(option, u"/P"))
        return ParsePauseOption(option, &command.pauseLines) == 0 ? kGoOn : EndWith(kResultFailed);
    if (Is(option, u"/Q")) {
        s.WordLen = 8;
        return kGoOn;
    }
    if (Is(option, u"/U")) {
        command.flags |= SqueezeRepeats;
        return kGoOn;
    }
    if (Is(option, u"/UC")) {
        command.flags |= UpperCaseDigits;
        return kGoOn;
    }
    if (Is(option, u"/W")) {
        s.WordLen = 2;
        return kGoOn;
    }
    if (Is(option, u"/X")) {
        command.flags |= ControlPictures;
        return kGoOn;
    }
    if (Is(option, u"/Z")) {
        s.ReplacementChar = u' ';
        return kGoOn;
    }
    if (Begins(option, u"/Z"))
        return FromReader(ParseReplacementOption(option, &s.ReplacementChar));
    UpperCaseInPlace(option);
    ReportMessage(u"Unknown option: \"%s\"\r\n", option);
    return EndWith(kResultFailed);
}

bool IsFullTable(const char16_t* table) {
    for (int b = 1; b < 256; ++b)
        if (table[b] == 0) return false;
    return true;
}

void ShowSettings(const Command& command) {
    const DumpSettings& s = command.settings;
    Printf(AsHost(u"   *  Flags        = %u\r\n"), command.flags);
    Printf(AsHost(u"   *  StartAddress = %I64u\r\n"), uint64_t{s.StartAddress});
    Printf(AsHost(u"   *  EndAddress   = %I64u\r\n"), uint64_t{s.EndAddress});
    Printf(AsHost(u"   *  MaxBytes     = %I64u\r\n"), uint64_t{s.MaxBytes});
    Printf(AsHost(u"   *  HexWidth     = %u\r\n"), s.HexWidth);
    Printf(AsHost(u"   *  AddressWidth = %u\r\n"), s.AddressWidth);
    Printf(AsHost(u"   *  WordLen      = %u\r\n"), s.WordLen);
    Printf(AsHost(u"   *  GroupWidth   = %u\r\n"), s.GroupWidth);
    Printf(AsHost(u"   *  Format       = %u\r\n"), s.Format);
    Printf(AsHost(u"   *  ConsoleWidth = %u\r\n"), s.ConsoleWidth);
}

// The settings that follow from the options; false after an error was reported.
bool CompleteSettings(Command& command) {
    DumpSettings& s = command.settings;
    if (s.EndAddress != 0 && s.StartAddress >= s.EndAddress) {
        ReportMessage(u"Start address must be less than end address: /C:%I64u \u2265 /E:%I64u\r\n",
                      uint64_t{s.StartAddress}, uint64_t{s.EndAddress});
        return false;
    }
    if (s.WordLen == 0) s.WordLen = 1;
    s.GroupWidth = GroupWidthFor(s.WordLen);
    if ((command.flags & SqueezeRepeats) != 0) {
        if (s.HexWidth == 0) s.HexWidth = 2 * s.GroupWidth;
        if (s.ReplacementChar == 0) s.ReplacementChar = u'.';
    }
    if (command.codePage != 0 && IsFullTable(command.codePageTable)) {
        s.CodePage = command.codePage;
        s.CodePageTable = command.codePageTable;
    }
    if (command.pauseLines != 0) SetPageLength(command.pauseLines);

    NormalAttr = 0;
    HighlightAttr = 0;
    if (!command.noHighlight) SetupHighlight();
    const sys::Handle out = sys::StdHandle(sys::StdStream::Output);
    if (!sys::IsConsole(out)) command.flags &= ~PollKeys;
    if (HighlightAttr == 0) command.flags &= ~AlternateLines;

    s.ConsoleWidth = sys::ConsoleWindowColumns(out);
    if (s.ConsoleWidth < 22 || s.ConsoleWidth > 400) s.ConsoleWidth = kFallbackConsoleWidth;

    if ((command.flags & FitConsoleDevice) != 0) {
        s.HexWidth = 0;
        s.ConsoleWidth = ConsoleDeviceWidth();
    } else if (s.HexWidth != 0 && s.HexWidth % s.GroupWidth != 0) {
        ReportMessage(u"HexWidth must be a multiple of %u: %u\r\n", s.GroupWidth, s.HexWidth);
        return false;
    }
    return true;
}

// Dumps every handle argument; the command's result.
int DumpHandles(Command& command) {
    int result = 0;
    for (int i = 0; i < ArgTable.ArgCount; ++i) {
        char16_t* argument = ArgText(i);
        if (ArgLength(i) == 0 || argument[0] == u'/') continue;
        uint32_t size = 0;
        const BufferAddress address = ParseBufferHandle(argument, &size);
        if (address == 0) {
            UpperCaseInPlace(argument);
            ReportMessage(u"Bad binary buffer handle \"%s\"\r\n", argument);
            result = kResultBadHandle;
            continue;
        }
        const int dumped = DumpBuffer(&command.settings, address, size, command.flags);
        if (dumped == kOutputStopped) return kResultStopped;
        if (dumped != 0) result = kResultBadHandle;
    }
    return result;
}

} // namespace

} // namespace dump

KV_EXPORT int KV_API bbdump(HostChar* hostText) {
    using namespace dump;
    char16_t* text = nullptr;
    if (const int stop =
            BeginCommand(hostText, ArgBlanks | ArgSlashOptions | ArgBracketGroups, &text);
        stop != 0)
        return stop;
    static Command command;
    command = Command{};
    command.flags = PollKeys;
    ResetCommandOutput();

    if (ArgTable.ArgCount == 0) {
        ReportMessage(u"Must specify a binary buffer handle to dump\r\n");
        return kResultFailed;
    }
    for (int i = 0; i < ArgTable.ArgCount; ++i) {
        if (ArgLength(i) == 0) continue;
        char16_t* argument = ArgText(i);
        if (argument[0] != u'/') {
            ++command.handles;
            continue;
        }
        const Step step = ApplyOption(command, argument);
        if (step.done) return step.result;
    }
    if (command.handles == 0) {
        ReportMessage(u"Must specify a binary buffer handle to dump\r\n");
        return kResultFailed;
    }
    if (!CompleteSettings(command)) return kResultFailed;
    if (command.showSettings) ShowSettings(command);
    return DumpHandles(command);
}
