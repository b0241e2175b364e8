// The export of every feature, declared from the table of features (frame/features.def). Each
// takes the host's argument text and writes its result over it (at most kTextCapacity units);
// it returns 0, -1 after the plug-in reported an error, or kNoArgumentText without a text
// (frame/function_start.h). The commands add their own results (commands/bbdump.h, bblist.h).
#pragma once

#include "frame/exports.h"

#define KV_COMMAND(name, ...) KV_EXPORT int KV_API name(HostChar* text);
#define KV_FUNCTION(name, ...) KV_EXPORT int KV_API f_##name(HostChar* text);
#define KV_VARIABLE(name, ...) KV_EXPORT int KV_API _##name(HostChar* text);
#include "frame/features.def"
