// BBLIST: lists the buffers in the buffer registry.
#include <algorithm>

#include "commands/bblist.h"
#include "commands/usage_texts.h"
#include "console/console_output.h"
#include "frame/args.h"
#include "frame/function_start.h"
#include "frame/report.h"
#include "frame/text_services.h"
#include "store/buffer_registry.h"
#include "text/format.h"
#include "text/u16.h"

namespace {

constexpr int kCommandStopped = 3;
constexpr int kGroupedSizeCapacity = 64;

constexpr char16_t kSortKeyHelp[] =
    u"BBLIST /O:  \u2014 sort buffers\n\n\tA\tby address (handle)\n\tS\tby size\n\tT\tby "
    u"creation time\n\t-\treverse the following key\n";

// The handle column is as wide as a handle; the titles of a wider column move right by half
// the extra width and the rest of the header by all of it.
constexpr int kHandlePadding = (kHandleDigits - 8) / 2;
constexpr char16_t kHeaderFormat[] =
    u"\n %*sHandle%*s       Size          Size           Created\n";
constexpr char16_t kRule[] = u"\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
                             u"\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
                             u"\u2500\u2500\u2500";
constexpr char16_t kUnderlineFormat[] = u"%.*s  %.13s  %.10s  %.19s\n";

struct ListOptions {
    bool bare = false;
    bool utc = false;
    uint32_t pauseLines = 0;
    char16_t sortKeys[kSortKeysCapacity] = {};
};

// What reading the options decided: list, or end at once with a result.
struct OptionsOutcome {
    bool list;
    int result;
};

void UpperCaseInPlace(char16_t* text) {
    for (; *text != 0; ++text) *text = sys::ToUpper(*text);
}

bool HasLetter(const char16_t* argument, char16_t upper) {
    return argument[0] == u'/' && sys::ToUpper(argument[1]) == upper;
}

OptionsOutcome ReadOptions(ListOptions& options) {
    for (int i = 0; i < ArgTable.ArgCount; ++i) {
        if (!ArgGiven(i)) continue;
        char16_t* argument = ArgText(i);
        if (argument[0] == u'/' && argument[1] == u'?')
            return {false, ShowCommandUsage(commands::kBBListUsage, commands::kBBListModule,
                                            commands::kBBListVersion, argument[2] == u'?')};
        if (text::EqualNoCase(argument, u"/B")) {
            options.bare = true;
        } else if (text::EqualNoCase(argument, u"/O")) {
            text::CopyBounded(options.sortKeys, kSortKeysCapacity, u"A");
        } else if (HasLetter(argument, u'O')) {
            if (std::u16string_view(argument).find(u'?') != std::u16string_view::npos) {
                QPuts(AsHost(kSortKeyHelp));
                return {false, 0};
            }
            if (ParseSortKeys(argument + 2, options.sortKeys) != 0) return {false, kCommandFailed};
        } else if (HasLetter(argument, u'P')) {
            if (ParsePauseOption(argument, &options.pauseLines) != 0)
                return {false, kCommandFailed};
        } else if (text::EqualNoCase(argument, u"/U")) {
            options.utc = true;
        } else {
            const char16_t* message =
                argument[0] == u'/' ? u"Unknown option: \"%s\"\r\n" : u"Syntax error: \"%s\"\r\n";
            UpperCaseInPlace(argument);
            ReportMessage(message, argument);
            return {false, kCommandFailed};
        }
    }
    return {true, 0};
}

void FormatCreationTime(const BufferRecord& record, bool utc, char16_t* out, size_t capacity) {
    sys::SystemTime shown{};
    if (utc)
        shown = record.created;
    else if (!sys::LocalTimeOf(record.created, &shown))
        shown = sys::SystemTime{}; // a failed conversion shows as all zeros
    text::Format(out, capacity, u"%04u-%02u-%02u %02u:%02u:%02u", unsigned(shown.year),
                 unsigned(shown.month), unsigned(shown.day), unsigned(shown.hour),
                 unsigned(shown.minute), unsigned(shown.second));
}

// kOutputStopped when the user stopped the listing; any other result lets it go on (a line
// that found no memory is left out).
int WriteRow(const BufferRecord& record, bool utc) {
    char16_t grouped[kGroupedSizeCapacity];
    text::Format(grouped, kGroupedSizeCapacity, u"%u", unsigned(record.size));
    (void)CommaFormatText(grouped, kGroupedSizeCapacity); // the plain digits stay when it fails
    char16_t human[kHumanSizeCapacity];
    FormatHumanSize(human, record.size);
    char16_t created[32];
    FormatCreationTime(record, utc, created, sizeof created / sizeof created[0]);
    char16_t handle[kHandleTextCapacity];
    FormatHandle(handle, kHandleTextCapacity, record.address);
    return ColorPrint(u"%s  %13s  %s  %s\n", handle, grouped, human, created);
}

int WriteListing(const BufferRecord* list, int count, const ListOptions& options) {
    if (options.bare) {
        for (int i = 0; i < count; ++i) {
            char16_t handle[kHandleTextCapacity];
            FormatHandle(handle, kHandleTextCapacity, list[i].address);
            if (ColorPrint(u"%s\n", handle) == kOutputStopped) return kOutputStopped;
        }
        return kOutputOk;
    }
    if (ColorPrint(kHeaderFormat, kHandlePadding, u"", kHandlePadding, u"") == kOutputStopped ||
        ColorPrint(kUnderlineFormat, kHandleDigits, kRule, kRule, kRule, kRule) == kOutputStopped)
        return kOutputStopped;
    for (int i = 0; i < count; ++i)
        if (WriteRow(list[i], options.utc) == kOutputStopped) return kOutputStopped;
    return ColorPrint(u"\n%u %s.\n", unsigned(count), count == 1 ? u"buffer" : u"buffers");
}

} // namespace

KV_EXPORT int KV_API bblist(HostChar* hostText) {
    char16_t* text = nullptr;
    if (const int stop = BeginCommand(hostText, ArgBlanks | ArgSlashOptions, &text); stop != 0)
        return stop;
    ListOptions options;
    ResetCommandOutput();
    const OptionsOutcome outcome = ReadOptions(options);
    if (!outcome.list) return outcome.result;
    if (options.pauseLines != 0) SetPageLength(options.pauseLines);
    // BBLIST's output is never coloured.
    NormalAttr = 0;
    HighlightAttr = 0;

    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    if (count <= 0 || list == nullptr) {
        QPuts(AsHost(u"No binary buffers allocated.\r\n"));
        FreeBufferRecords(list);
        return 0;
    }
    if (count >= 2 && options.sortKeys[0] != 0) {
        const char16_t* keys = options.sortKeys;
        std::sort(list, list + count, [keys](const BufferRecord& a, const BufferRecord& b) {
            return CompareBufferRecords(a, b, keys) < 0;
        });
    }

    InstallCtrlHandler();
    const int written = WriteListing(list, count, options);
    FreeBufferRecords(list);
    RemoveCtrlHandler();
    return written == kOutputStopped ? kCommandStopped : 0;
}
