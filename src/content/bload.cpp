// @BLOAD: a new buffer holding a whole file or the clipboard's text.
#include "content/load_sources.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "text/u16.h"

namespace {

// The pseudo-file name of the clipboard; compared without regard to case.
constexpr char16_t kClipboardName[] = u"clip:";

// Quotes may stand anywhere in the name: "my file".txt names my file.txt.
void RemoveQuotes(char16_t* text) {
    char16_t* to = text;
    for (const char16_t* from = text; *from != 0; ++from)
        if (*from != u'"') *to++ = *from;
    *to = 0;
}

// Quoted blanks ("" "") leave no name either: no file is called that.
bool IsBlankOnly(const char16_t* text) {
    for (; *text != 0; ++text)
        if (!sys::IsSpace(*text)) return false;
    return true;
}

} // namespace

KV_EXPORT int KV_API f_bload(HostChar* argument) {
    // The whole text is the name: commas and blanks inside it belong to it.
    char16_t* text = nullptr;
    if (const int stop = BeginTrimmedText(argument, &text); stop != 0) return stop;
    RemoveQuotes(text);
    if (IsBlankOnly(text)) return Refuse(u"Missing filename\r\n");
    if (text::EqualNoCase(text, kClipboardName)) {
        LoadClipboard(text);
        return 0;
    }
    char16_t path[kPathCapacity];
    path[0] = 0;
    QueryTrueName(AsHost(text), AsHost(path));
    if (path[0] == 0) {
        for (char16_t* c = text; *c != 0; ++c) *c = sys::ToUpper(*c);
        ReportMessage(u"Error expanding filename: \"%s\"\r\n", text);
        return -1;
    }
    LoadFile(path, text);
    return 0;
}
