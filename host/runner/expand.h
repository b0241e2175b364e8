// Variable expansion: the host's rules for %name%, %name, %[name], %@function[args], %0-%9,
// %* and %%.
#pragma once

#include "session/session.h"

#include <string>
#include <string_view>

namespace host {

enum class ExpandFault {
    None,
    TooLong,            // the result would not fit; no message (the caller decides)
    UnknownFunction,    // reported
    Malformed,          // a missing "]", or nesting too deep; reported
    ExportMissing,      // an announced feature without its export; reported
    HostFunctionFailed, // a host function (@eval) refused its argument; reported
    FeatureFailed,      // a plug-in export returned nonzero (reported by the plug-in, if at all)
};

struct ExpandResult {
    ExpandFault fault = ExpandFault::None;
    int code = 0; // 0 on success; the export's result for FeatureFailed; else 1
};

// Expands `text` into `out`, which then holds at most kMaxTextUnits units. On failure `out`
// is unspecified.
ExpandResult ExpandText(Session& session, std::u16string_view text, std::u16string& out);

// Looks a variable up: host variables, then the plug-in's internal variables, then the
// environment. An unknown variable is empty.
ExpandResult VariableValue(Session& session, std::u16string_view name, std::u16string& out);

} // namespace host
