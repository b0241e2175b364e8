// @BSIZE: the size of a buffer, from its handle alone.
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "text/format.h"

// The size the host knows for the block, as every other function checks its ranges against it,
// so a heap block without a record has its size too. Arguments after the handle are ignored.
KV_EXPORT int KV_API f_bsize(HostChar* argument) {
    char16_t* text = nullptr;
    BufferArgument buffer;
    if (const int stop = BeginBufferFunction(argument, ArgCommas | ArgUpperCase, &text, &buffer);
        stop != 0)
        return stop;
    text::Format(text, kTextCapacity, u"%u", buffer.size);
    return 0;
}
