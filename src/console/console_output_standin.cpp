// A minimal stand-in for the console output services, enough for commands whose standard output
// is a file or a pipe: no paging, no colour, no prompt. The console output services replace it.
#include <cstdarg>
#include <new>

#include "console/console_output.h"
#include "frame/host_services.h"
#include "frame/numbers.h"
#include "frame/report.h"
#include "frame/text/format.h"

uint32_t PageLines = 0;
uint32_t LinesLeft = 0;
uint32_t PauseMillis = 0;
uint8_t NormalAttr = 0;
uint8_t HighlightAttr = 0;

void ResetCommandOutput() {
    PageLines = 0;
    LinesLeft = 0;
    PauseMillis = 0;
    NormalAttr = 0;
    HighlightAttr = 0;
    CtrlCPressed = 0;
}

namespace {

bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

void UpperCaseInPlace(char16_t* text) {
    for (; *text != 0; ++text) *text = sys::ToUpper(*text);
}

int PauseOptionError(const char16_t* format, char16_t* option) {
    UpperCaseInPlace(option);
    ReportMessage(format, option);
    return 1;
}

int PagedPrintV(const char16_t* format, va_list args) {
    if (format == nullptr) return kOutputNoText;
    if (format[0] == 0) return kOutputOk;
    va_list measure;
    va_copy(measure, args);
    const size_t length = text::FormatV(nullptr, 0, format, measure);
    va_end(measure);
    char16_t* formatted = new (std::nothrow) char16_t[length + 16];
    char16_t* line = new (std::nothrow) char16_t[length + 16];
    if (formatted == nullptr || line == nullptr) {
        delete[] formatted;
        delete[] line;
        return kOutputNoMemory;
    }
    text::FormatV(formatted, length + 16, format, args);
    int result = kOutputOk;
    size_t used = 0;
    for (const char16_t* p = formatted; *p != 0; ++p) {
        if (*p == u'\n') {
            if (used != 0) {
                line[used] = 0;
                QPuts(AsHost(line));
                used = 0;
            }
            if (PagedNewLines(1) == kOutputStopped) {
                result = kOutputStopped;
                break;
            }
        } else if (*p != u'\r' && *p != kNormalColorCode && *p != kHighlightColorCode) {
            line[used++] = *p;
        }
    }
    if (result == kOutputOk && used != 0) {
        line[used] = 0;
        QPuts(AsHost(line));
    }
    delete[] formatted;
    delete[] line;
    return result;
}

} // namespace

int ParsePauseOption(char16_t* option, uint32_t* pauseLines) {
    if (option == nullptr || pauseLines == nullptr) return -1;
    const bool pauseLetters =
        (option[0] == u'/' || option[0] == u'-') && (option[1] == u'p' || option[1] == u'P');
    if (!pauseLetters) return 0;
    *pauseLines = kPauseWholeWindow;
    PauseMillis = 0;
    const char16_t* p = option + 2;
    if (IsOptionSeparator(*p)) ++p;
    if (IsDecimalDigit(*p)) {
        uint32_t time = 0;
        const char16_t* rest = nullptr;
        if (ParseU32(p, &time, &rest) != 0)
            return PauseOptionError(u"Bad pause time: \"%s\"\r\n", option);
        p = rest;
        if (*p == u'm' || *p == u'M') {
            ++p;
            PauseMillis = time;
        } else if (time > UINT32_MAX / 1000) {
            return PauseOptionError(u"Bad pause time: \"%s\"\r\n", option);
        } else {
            PauseMillis = time * 1000;
        }
    }
    if (*p == u',' || *p == u';') {
        ++p;
        if (IsDecimalDigit(*p)) {
            uint32_t lines = 0;
            const char16_t* rest = nullptr;
            if (ParseU32(p, &lines, &rest) != 0)
                return PauseOptionError(u"Bad pause lines: \"%s\"\r\n", option);
            p = rest;
            *pauseLines = lines;
            if (lines > 1000) {
                ReportMessage(u"Pause lines must be 0 - 1000: %u\r\n", lines);
                return 1;
            }
        }
    }
    if (*p != 0) return PauseOptionError(u"Syntax error: \"%s\"\r\n", option);
    return 0;
}

// Paging needs a console window; the stand-in knows none.
void SetPageLength(uint32_t /*pauseLines*/) {
    PageLines = 0;
    LinesLeft = 0;
}

int PagedNewLines(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        QPuts(AsHost(u"\r\n"));
        if (CtrlCPressed != 0) {
            ShowCtrlC();
            return kOutputStopped;
        }
    }
    return kOutputOk;
}

uint32_t WaitForPauseKey() {
    return u' ';
}

int PagedPrint(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = PagedPrintV(format, args);
    va_end(args);
    return result;
}

int ColorPrint(const char16_t* format, ...) {
    if (format == nullptr) return kOutputNoText;
    if (format[0] == 0) return kOutputOk;
    if (CtrlCPressed != 0) {
        ShowCtrlC();
        return kOutputStopped;
    }
    va_list args;
    va_start(args, format);
    const int result = PagedPrintV(format, args);
    va_end(args);
    return result;
}

int PutColored(const char16_t* text, uint8_t /*attribute*/) {
    if (text == nullptr) return kOutputNoText;
    QPuts(AsHost(text));
    return kOutputOk;
}

int CheckPauseKeys() {
    return 0;
}

void ShowCtrlC() {}

uint32_t SetupHighlight() {
    return 0;
}
