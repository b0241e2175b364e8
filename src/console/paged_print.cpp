// Formatted output written line by line, each line end through the page counter, and coloured
// runs written straight to the console.
#include <cstdarg>
#include <new>

#include "console/console_output.h"
#include "console/console_window.h"
#include "frame/host_services.h"
#include "text/format.h"

namespace {

constexpr size_t kBufferMargin = 16;
// The commands' texts are lines and short runs of them: those need no memory of the heap, and so
// cannot fail for want of it.
constexpr size_t kShortText = 1024;

// The formatted text and room for the line being gathered, both of its length plus a margin.
struct PrintBuffers {
    char16_t* text = nullptr;
    char16_t* line = nullptr;
    size_t lineLength = 0;
    char16_t shortText[kShortText + kBufferMargin];
    char16_t shortLine[kShortText + kBufferMargin];

    PrintBuffers() = default;
    PrintBuffers(const PrintBuffers&) = delete;
    PrintBuffers& operator=(const PrintBuffers&) = delete;
    ~PrintBuffers() {
        if (text != shortText) delete[] text;
        if (line != shortLine) delete[] line;
    }
    void EndLine() { line[lineLength] = 0; }
};

// kOutputOk with both buffers filled, or kOutputNoMemory.
int FormatIntoBuffers(PrintBuffers& buffers, const char16_t* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const size_t length = text::FormatV(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= kShortText) {
        buffers.text = buffers.shortText;
        buffers.line = buffers.shortLine;
    } else {
        buffers.text = new (std::nothrow) char16_t[length + kBufferMargin];
        buffers.line = new (std::nothrow) char16_t[length + kBufferMargin];
        if (buffers.text == nullptr || buffers.line == nullptr) return kOutputNoMemory;
    }
    text::FormatV(buffers.text, length + kBufferMargin, format, args);
    return kOutputOk;
}

int PagedPrintV(const char16_t* format, va_list args) {
    if (format == nullptr) return kOutputNoText;
    if (format[0] == 0) return kOutputOk;
    PrintBuffers buffers;
    if (FormatIntoBuffers(buffers, format, args) != kOutputOk) return kOutputNoMemory;
    for (const char16_t* at = buffers.text; *at != 0; ++at) {
        const char16_t c = *at;
        if (c == u'\n') {
            buffers.EndLine();
            if (buffers.lineLength > 0) QPuts(AsHost(buffers.line));
            buffers.lineLength = 0;
            if (PagedNewLines(1) == kOutputStopped) return kOutputStopped;
        } else if (c != u'\r' && c != kNormalColorCode && c != kHighlightColorCode) {
            buffers.line[buffers.lineLength++] = c;
        }
    }
    buffers.EndLine();
    if (buffers.lineLength > 0) QPuts(AsHost(buffers.line));
    return kOutputOk;
}

void PutLine(PrintBuffers& buffers, uint8_t attribute) {
    buffers.EndLine();
    if (buffers.lineLength > 0) (void)PutColored(buffers.line, attribute); // never without text
    buffers.lineLength = 0;
}

int ColorPrintV(const char16_t* format, va_list args) {
    PrintBuffers buffers;
    if (FormatIntoBuffers(buffers, format, args) != kOutputOk) return kOutputNoMemory;
    uint8_t attribute = NormalAttr;
    int result = kOutputOk;
    for (const char16_t* at = buffers.text; *at != 0; ++at) {
        const char16_t c = *at;
        if (c == u'\n') {
            PutLine(buffers, attribute);
            if (PagedNewLines(1) == kOutputStopped) {
                result = kOutputStopped;
                break;
            }
            attribute = NormalAttr;
        } else if (c == kNormalColorCode || c == kHighlightColorCode) {
            const uint8_t selected = c == kNormalColorCode ? NormalAttr : HighlightAttr;
            if (selected != attribute) PutLine(buffers, attribute);
            attribute = selected;
        } else if (c != u'\r') {
            buffers.line[buffers.lineLength++] = c;
        }
    }
    if (result == kOutputOk) PutLine(buffers, attribute);
    if (attribute != NormalAttr) {
        SetConsoleColor(sys::StdHandle(sys::StdStream::Output), NormalAttr);
        SetColors(NormalAttr);
    }
    return result;
}

} // namespace

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
    const int result = NormalAttr == 0 ? PagedPrintV(format, args) : ColorPrintV(format, args);
    va_end(args);
    return result;
}

int PutColored(const char16_t* text, uint8_t attribute) {
    if (text == nullptr) return kOutputNoText;
    SetConsoleColor(sys::StdHandle(sys::StdStream::Output), attribute);
    WriteToConsoleDevice(text);
    return kOutputOk;
}
