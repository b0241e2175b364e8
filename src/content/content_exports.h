// The features that work on the bytes of buffers: @BFILL, @BRANDFILL, @BLOAD, @BSAVE, @BMEMCMP
// and @BMEMCPY. Each writes its result text over its argument and returns 0, -1 after it
// reported an error, or kNoArgumentText when the host passes no text (@BSAVE also returns -1,
// silently, with the result "0" when the file could not be written).
#pragma once

#include "frame/exports.h"

// @BFILL[handle[,size[,value[,offset[,count[,flags]]]]]]: repeats a value of 1 to 8 bytes; the
// number of bytes written.
KV_EXPORT int KV_API f_bfill(HostChar* text);

// @BRANDFILL[handle[,offset[,count]]]: cryptographic random bytes; the number written, "0" when
// the generator failed.
KV_EXPORT int KV_API f_brandfill(HostChar* text);

// @BLOAD[file]: a new buffer holding a whole file (at most 8 MiB) or, for "clip:", the
// clipboard's text; its handle, or "0" with the reason in _BBLASTERR.
KV_EXPORT int KV_API f_bload(HostChar* text);

// @BSAVE[handle,file[,start[,length]]]: writes a range to a file, replacing it; the number of
// bytes written.
KV_EXPORT int KV_API f_bsave(HostChar* text);

// @BMEMCMP[bbuf1,offset1[,bbuf2[,offset2[,size]]]]: -1, 0 or 1 as unsigned bytes compare.
KV_EXPORT int KV_API f_bmemcmp(HostChar* text);

// @BMEMCPY[source,offset,[destination],offset,size]: copies a range, overlapping ranges
// included; the number of bytes copied.
KV_EXPORT int KV_API f_bmemcpy(HostChar* text);
