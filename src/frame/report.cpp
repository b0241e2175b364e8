// The error report: the plug-in's name, then the batch file location when there is one.
#include "frame/report.h"

#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "text/u16.h"

int ReportError() {
    void* standardError = sys::StdHandle(sys::StdStream::Error);
    Qprintf(standardError, AsHost(u"%s plugin: "), plugin::kName);

    char16_t text[kTextCapacity];
    text::CopyBounded(text, kTextCapacity, u"%_batch");
    // A failed expansion leaves "%_batch" in place; that is no batch file either.
    if (ExpandVariables(AsHost(text), 1) != 0 || text[0] == u'0') return 0;
    text::CopyBounded(text, kTextCapacity, u"%_batchname [%_batchline]  ");
    if (ExpandVariables(AsHost(text), 1) != 0) return 0;
    // Written as text, not as a format: a "%" in a batch file name prints as it is.
    Qprintf(standardError, AsHost(u"%s"), text);
    return 0;
}
