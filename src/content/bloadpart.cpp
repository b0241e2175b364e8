// @BLOADPART: a new buffer holding a part of a file of any size.
#include "content/content_arguments.h"
#include "content/load_sources.h"
#include "frame/args.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"

namespace {

enum Arg { kFileName, kOffset, kLength };

} // namespace

KV_EXPORT int KV_API f_bloadpart(HostChar* argument) {
    char16_t* text = nullptr;
    if (const int stop = BeginFunction(argument, ArgCommas, &text); stop != 0) return stop;
    char16_t path[kPathCapacity];
    if (!ReadFileName(kFileName, path)) return -1;
    FileOffset offset{};
    if (!ReadFileOffset(kOffset, true, &offset)) return -1;
    // A file's length, not a buffer's: a part of 4 GiB or more is the file's failure (491), and
    // a length past the end is cut to it.
    uint64_t length = 0;
    if (!ReadFileLength(kLength, &length)) return -1;
    LoadFilePart(path, offset, length, text);
    return 0;
}
