// Argument readers that the content features share: optional numbers, offsets and ranges inside
// a buffer, file names and file offsets. Each reports its own message and gives false when an
// argument is refused; the messages are those of the features that first had them (@BSAVE's
// start and length, the fill functions' offset), so that every feature says the same thing of
// the same mistake.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/function_start.h"
#include "frame/plugin_state.h"

// How @BFILL and @BRANDFILL start: the text split at commas and upper-cased, and the handle,
// which they name a "binary buffer handle". 0, or the export's result (BeginBufferFunction).
int BeginFillFunction(HostChar* argument, char16_t** text, BufferArgument* buffer);

// How @BSAVE and @BPATCH start: the text split at commas, the handle, and the file name after it
// completed to its full path (ReadFileName). 0, or the export's result.
int BeginFileWrite(HostChar* argument, char16_t** text, BufferArgument* buffer,
                   char16_t (&path)[kPathCapacity]);

// Argument `index` as a ParseU32 number (the whole text). A missing argument leaves `value` as
// it is and succeeds; false when it is given and no number.
bool ReadOptionalU32(int index, uint32_t* value);

// An offset inside the buffer: "Bad offset" when it is no number, "Offset past end of buffer"
// when it is not below the size. Missing, it is "Missing offset" when `required`, else 0.
bool ReadBufferOffset(int index, bool required, const BufferArgument& buffer, uint32_t* offset);

// A start inside the buffer, as @BSAVE takes it: default 0, "Bad start value", "Start address
// past end of buffer".
bool ReadStart(int index, const BufferArgument& buffer, uint32_t* start);

// `count` bytes from `start` in a buffer of `bufferSize` bytes.
struct ByteRange {
    uint32_t start;
    uint32_t count;
};

// A range that is only read, as @BSAVE takes it: a start (default 0, "Bad start value", "Start
// address past end of buffer") and a length (default and 0: to the end, "Bad length value"),
// cut at the end of the buffer. The range holds at least one byte.
bool ReadReadRange(int startIndex, int lengthIndex, const BufferArgument& buffer, ByteRange* range);

// How @BGETHEX and @BGETB64 give a range of a buffer as text: the text split at commas and
// upper-cased, the handle, then the range as ReadReadRange reads it (start, then length), whose
// bytes `write` gives over the argument. At most `mostBytes` bytes: more is refused ("Range too
// long for KIND text: N bytes > MOST"), never cut short, since a batch file could not tell a
// text cut short from the whole. The export's result.
using RangeTextWriter = void (*)(const uint8_t* bytes, size_t count, char16_t* out);
int GiveRangeAsText(HostChar* argument, uint32_t mostBytes, const char16_t* kind,
                    RangeTextWriter write);

// The same with an offset in place of the start ("Bad offset", "Offset past end of buffer",
// "Missing offset" when `offsetRequired`).
bool ReadReadRangeAt(int offsetIndex, bool offsetRequired, int lengthIndex,
                     const BufferArgument& buffer, ByteRange* range);

// Whether `count` bytes fit from `offset` on; if not, reports "Write past end of buffer:" with
// the offset, the count and the buffer's size on a second line. Nothing may be written then.
bool WriteFits(uint32_t offset, uint64_t count, const BufferArgument& buffer);

// A file name argument, completed to its full path by the host: "Missing filename", "Error
// expanding filename".
bool ReadFileName(int index, char16_t (&path)[kPathCapacity]);

// A required 64-bit file offset (ParseU64): the messages name it "file offset" ("Missing file
// offset", "Bad file offset") or, with `plain`, "offset".
bool ReadFileOffset(int index, bool plain, uint64_t* offset);
