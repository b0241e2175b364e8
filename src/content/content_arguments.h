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

// Two ranges of one size, in one buffer or in two, as @BMEMCMP and @BDIFF name them.
struct ComparedRanges {
    const uint8_t* first;
    const uint8_t* second;
    uint32_t size;
};

// How @BMEMCMP and @BDIFF start: the text split at commas and upper-cased, then buffer 1 and
// offset 1 (required), buffer 2 (default buffer 1), offset 2 (default 0) and the size (default:
// the rest of buffer 1), each range inside its buffer. 0, or the export's result.
int BeginCompareFunction(HostChar* argument, char16_t** text, ComparedRanges* ranges);

// Argument `index` as a ParseU32 number (the whole text). A missing argument leaves `value` as
// it is and succeeds; false when it is given and no number.
[[nodiscard]] bool ReadOptionalU32(int index, uint32_t* value);

// An offset inside the buffer: "Bad offset" when it is no number, "Offset past end of buffer"
// when it is not below the size. Missing, it is "Missing offset" when `required`, else 0.
[[nodiscard]] bool ReadBufferOffset(int index, bool required, const BufferArgument& buffer,
                                    uint32_t* offset);

// A start inside the buffer, as @BSAVE takes it: default 0, "Bad start value", "Start address
// past end of buffer".
[[nodiscard]] bool ReadStart(int index, const BufferArgument& buffer, uint32_t* start);

// `count` bytes from `start` in a buffer of `bufferSize` bytes.
struct ByteRange {
    uint32_t start;
    uint32_t count;
};

// A range that is only read, as @BSAVE takes it: a start (default 0, "Bad start value", "Start
// address past end of buffer") and a length (default and 0: to the end, "Bad length value"),
// cut at the end of the buffer. The range holds at least one byte.
[[nodiscard]] bool ReadReadRange(int startIndex, int lengthIndex, const BufferArgument& buffer,
                                 ByteRange* range);

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
[[nodiscard]] bool ReadReadRangeAt(int offsetIndex, bool offsetRequired, int lengthIndex,
                                   const BufferArgument& buffer, ByteRange* range);

// Whether `count` bytes fit from `offset` on; if not, reports "Write past end of buffer:" with
// the offset, the count and the buffer's size on a second line. Nothing may be written then.
[[nodiscard]] bool WriteFits(uint32_t offset, uint64_t count, const BufferArgument& buffer);

// A file name argument, completed to its full path by the host: "Missing filename", "Error
// expanding filename".
[[nodiscard]] bool ReadFileName(int index, char16_t (&path)[kPathCapacity]);

// An offset in a file: from its start, or, written with a leading "-", back from its end
// ("-1024": the last KiB).
struct FileOffset {
    uint64_t value;
    bool fromEnd;
};

// A required 64-bit file offset (ParseU64, after a "-" when there is one): the messages name it
// "file offset" ("Missing file offset", "Bad file offset") or, with `plain`, "offset".
[[nodiscard]] bool ReadFileOffset(int index, bool plain, FileOffset* offset);

// The length of a part of a file: 64-bit, default and 0 to the end, "Bad length value".
[[nodiscard]] bool ReadFileLength(int index, uint64_t* length);

// Where the offset lies in a file of `fileSize` bytes, into `at`; false when it lies before the
// file's start. One from the start may lie past the end: the caller says what that means.
[[nodiscard]] bool PlaceFileOffset(FileOffset offset, uint64_t fileSize, uint64_t* at);
