// The typed value functions: @BPEEKX, @BPOKEX and @BMODVAL read, write and change one integer
// of 1 to 8 bytes at a byte offset in a buffer. Each writes its result text over its argument
// and returns 0, -1 after it reported an error (the buffer is then untouched), or
// kNoArgumentText when the host passes no text.
#pragma once

#include "frame/exports.h"

// @BPEEKX[handle,offset,size[,format[,flags]]]: the word as text in the chosen format.
KV_EXPORT int KV_API f_bpeekx(HostChar* text);

// @BPOKEX[handle,offset,size,value[,flags]]: stores the value; "0".
KV_EXPORT int KV_API f_bpokex(HostChar* text);

// @BMODVAL[handle,offset,size,operation,value[,format[,flags]]]: combines the word with the
// value, stores the outcome (unless NoWriteBack) and gives it as text.
KV_EXPORT int KV_API f_bmodval(HostChar* text);
