// The Usage export, and `_clver$`.
#include "commands/usage_texts.h"
#include "frame/exports.h"
#include "frame/plugin_state.h"
#include "frame/text_services.h"
#include "text/u16.h"

KV_EXPORT int KV_API Usage(const HostChar* hostName, HostChar* hostOut) {
    const char16_t* name = FromHost(hostName);
    if (name == nullptr || hostOut == nullptr || name[0] == u'@' || name[0] == u'_') return 0;
    const char16_t* usage = nullptr;
    if (text::EqualNoCase(name, u"bbdump"))
        usage = commands::kBBDumpUsage;
    else if (text::EqualNoCase(name, u"bblist"))
        usage = commands::kBBListUsage;
    else
        return 0;

    // Start at the syntax line: past the description and the line feeds after it.
    while (*usage != 0 && *usage != u'\n') ++usage;
    while (*usage == u'\n') ++usage;
    text::CopyBounded(FromHost(hostOut), kUsageCapacity, usage);
    return 1;
}

KV_EXPORT int KV_API ClverExport(HostChar* out) {
    if (out == nullptr) return -1;
    AnsiText("1.1.1.3", FromHost(out), kUsageCapacity);
    return 0;
}
