// The pause option: /P[:|=][TIME[M]][,|;LINES].
#include "console/console_output.h"
#include "frame/numbers.h"
#include "frame/report.h"

namespace {

constexpr uint32_t kMostPauseLines = 1000;
// The longest pause in seconds whose milliseconds still fit in 32 bits.
constexpr uint32_t kMostPauseSeconds = 0xFFFFFFFFu / 1000;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsPauseLetter(const char16_t* option) {
    return (option[0] == u'/' || option[0] == u'-') && (option[1] == u'P' || option[1] == u'p');
}

void UpperCaseInPlace(char16_t* text) {
    for (; *text != 0; ++text) *text = sys::ToUpper(*text);
}

int RejectOption(const char16_t* message, char16_t* option) {
    UpperCaseInPlace(option);
    ReportMessage(message, option);
    return 1;
}

} // namespace

int ParsePauseOption(char16_t* option, uint32_t* pauseLines) {
    if (option == nullptr || pauseLines == nullptr) return -1;
    if (!IsPauseLetter(option)) return 0;
    *pauseLines = kPauseWholeWindow;
    PauseMillis = 0;

    char16_t* at = option + 2;
    if (*at == u':' || *at == u'=') ++at;
    if (IsDigit(*at)) {
        uint32_t time = 0;
        char16_t* rest = nullptr;
        if (ParseU32(at, &time, &rest) != 0)
            return RejectOption(u"Bad pause time: \"%s\"\r\n", option);
        if (*rest == u'M' || *rest == u'm') {
            PauseMillis = time;
            ++rest;
        } else {
            if (time > kMostPauseSeconds)
                return RejectOption(u"Bad pause time: \"%s\"\r\n", option);
            PauseMillis = time * 1000;
        }
        at = rest;
    }
    if (*at == u',' || *at == u';') {
        ++at;
        if (IsDigit(*at)) {
            uint32_t lines = 0;
            char16_t* rest = nullptr;
            if (ParseU32(at, &lines, &rest) != 0)
                return RejectOption(u"Bad pause lines: \"%s\"\r\n", option);
            *pauseLines = lines;
            if (lines > kMostPauseLines) {
                ReportMessage(u"Pause lines must be 0 - 1000: %u\r\n", lines);
                return 1;
            }
            at = rest;
        }
    }
    if (*at != 0) return RejectOption(u"Syntax error: \"%s\"\r\n", option);
    return 0;
}
