// _BBLASTERR and _BLOADSIZE: the outcome of the last transfer between a file and a buffer
// (@BLOAD, @BSAVE, @BLOADPART, @BPATCH). Reading them changes nothing.
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "store/last_transfer.h"
#include "text/format.h"

KV_EXPORT int KV_API _bblasterr(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginWholeText(argument, &text); stop != 0) return stop;
    text::Format(text, kTextCapacity, u"%d", LastError);
    return 0;
}

KV_EXPORT int KV_API _bloadsize(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginWholeText(argument, &text); stop != 0) return stop;
    text::Format(text, kTextCapacity, u"%I64u", LastLoadSize);
    return 0;
}
