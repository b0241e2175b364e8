// The sources of @BLOAD and @BLOADPART. Each leaves its outcome in LastError and LastLoadSize and
// writes the result text: the new buffer's handle, or "0".
#pragma once

#include <cstdint>

#include "content/content_arguments.h"

// A whole file of 1 byte to 8 MiB, by its full path name.
void LoadFile(const char16_t* path, char16_t* result);

// The clipboard's Unicode text with its terminating zero.
void LoadClipboard(char16_t* result);

// `length` bytes (0: to the end; cut at the end) of a file of any size from `offset` on, by its
// full path name. Only those bytes are read.
void LoadFilePart(const char16_t* path, FileOffset offset, uint64_t length, char16_t* result);
