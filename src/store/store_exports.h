// The features of the buffer store: @BALLOC, @BFREE, @BFREEALL, _BBLASTERR and _BLOADSIZE. Each
// writes its result text over its argument and returns 0, -1 after it reported an error, or
// kNoArgumentText when the host passes no text.
#pragma once

#include "frame/exports.h"

// The result for a missing text: Windows' ERROR_INVALID_PARAMETER.
constexpr int kNoArgumentText = 87;

// @BALLOC[size]: a new zero-filled buffer (64 bytes for size 0); its handle, or "0" when the
// heap has no room.
KV_EXPORT int KV_API f_balloc(HostChar* text);

// @BFREE[handle[,flags]]: releases a listed buffer ("0"); flag 1 also releases a heap block
// without a record ("1").
KV_EXPORT int KV_API f_bfree(HostChar* text);

// @BFREEALL[]: releases every listed buffer; the number of records.
KV_EXPORT int KV_API f_bfreeall(HostChar* text);

// _BBLASTERR and _BLOADSIZE: the error code and the size of the last transfer.
KV_EXPORT int KV_API _bblasterr(HostChar* text);
KV_EXPORT int KV_API _bloadsize(HostChar* text);
