// _BBLASTERR and _BLOADSIZE: the outcome of the last transfer between a file and a buffer
// (@BLOAD, @BSAVE, @BLOADPART, @BPATCH). Reading them changes nothing.
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "store/last_transfer.h"
#include "text/format.h"

KV_EXPORT int KV_API _bblasterr(HostChar* text) {
    if (text == nullptr) return kNoArgumentText;
    text::Format(FromHost(text), kTextCapacity, u"%d", LastError);
    return 0;
}

KV_EXPORT int KV_API _bloadsize(HostChar* text) {
    if (text == nullptr) return kNoArgumentText;
    text::Format(FromHost(text), kTextCapacity, u"%I64u", LastLoadSize);
    return 0;
}
