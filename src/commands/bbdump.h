// BBDUMP: the hex listing of binary buffers. The command line fills a DumpSettings record and
// the Flags word; DumpBuffer renders one buffer from them; the text column turns the bytes of a
// line into characters, one column per byte.
#pragma once

#include <cstdint>

#include "frame/buffer_address.h"
#include "frame/feature_exports.h"

// The command's export, bbdump (frame/feature_exports.h), gives 0 done, 1 an option error or no
// handle, -1 a bad code page or MaxLines, 2 a bad handle among the others, 3 stopped by the
// user, 87 no text.

namespace dump {

// Bits of the Flags word.
constexpr uint32_t ShowHeaders = 0x1;
constexpr uint32_t ShowSizeLine = 0x2;
constexpr uint32_t BigEndianWords = 0x8;
constexpr uint32_t NoAddressField = 0x10;
constexpr uint32_t NoTextField = 0x20;
constexpr uint32_t NoFinalBlankLine = 0x80;
constexpr uint32_t SqueezeRepeats = 0x100;
constexpr uint32_t AlternateLines = 0x200;
constexpr uint32_t FitConsoleDevice = 0x400;
constexpr uint32_t PollKeys = 0x1000;
constexpr uint32_t ShowSummary = 0x2000;
constexpr uint32_t UpperCaseDigits = 0x4000;
constexpr uint32_t ControlPictures = 0x8000;
constexpr uint32_t NoUtf8Joins = 0x10000;

constexpr uint32_t kMaxHexWidth = 80;
constexpr int kCodePageTableSize = 257;
constexpr int kLineCapacity = 1024;

// The settings of one command call; zero means "the default" in every field.
struct DumpSettings {
    uint32_t StartAddress;
    uint32_t EndAddress;
    uint32_t MaxBytes;
    uint32_t HexWidth;
    uint32_t AddressWidth;
    uint32_t WordLen;
    uint32_t GroupWidth;
    uint32_t MaxLines;
    uint32_t Format; // 0 hexadecimal, 1 octal, 2 decimal, 3 signed decimal
    uint32_t ConsoleWidth;
    uint32_t ReplacementChar;
    uint32_t CodePage;
    const char16_t* CodePageTable; // kCodePageTableSize units, or null
};

enum TextMode : uint32_t {
    TextRaw = 0,
    TextUtf8 = 1,
    TextUtf16LE = 2,
    TextUtf16BE = 3,
    TextCodePage = 4,
};

// ---- Command line ------------------------------------------------------------------------------

// Bytes per group for a word length of 1 to 8 (a group holds whole words).
uint32_t GroupWidthFor(uint32_t wordLen);

// Reads the value of /C, /E or /M with its multiplier letter. 0 stored; -2 missing; the ParseU32
// code for a bad number; -3 unknown multiplier; -4 overflow. Reports its own errors.
[[nodiscard]] int ParseDumpValue(const char16_t* valueName, char16_t* option, uint32_t* value);

// 1 when every byte of the code page maps to one UTF-16 unit of its own (the table, when given,
// then holds them), else 0.
[[nodiscard]] int TestCodePage(uint32_t codePage, char16_t* table);

// Columns of the console device's window, 22 to 400, else 80.
uint32_t ConsoleDeviceWidth();

// ---- Rendering ---------------------------------------------------------------------------------

// 0 done; -1 no address or settings; kOutputStopped when the user stopped the output.
[[nodiscard]] int DumpBuffer(const DumpSettings* settings, BufferAddress address, uint32_t size,
                             uint32_t flags);

[[nodiscard]] int WriteDumpHeader(uint32_t codePage, BufferAddress address, uint32_t size,
                                  bool showSizeLine, TextMode mode);

// The widest line (in bytes) that fits ConsoleWidth; AddressWidth must already be defaulted.
uint32_t AutoHexWidth(const DumpSettings& settings, uint32_t digits, uint32_t flags);

// Characters of one value by word length (1 to 8) and numeric base.
uint32_t ValueDigits(uint32_t wordLen, uint32_t format);

// A text of n blanks, n from 1 to 24.
const char16_t* Blanks(uint32_t n);

// ---- Text column -------------------------------------------------------------------------------

// How a buffer's bytes read as text, judged from its first 128 KiB.
TextMode DetectTextMode(const uint8_t* buffer, uint32_t size, const DumpSettings& settings);
int LooksLikeUtf8(const uint8_t* buffer, uint32_t size);
int GuessUtf16(const uint8_t* buffer, uint32_t size);
uint32_t DecodeUtf8At(const uint8_t* buffer, uint32_t size, uint32_t position);
uint32_t DecodeUtf16At(const uint8_t* buffer, uint32_t size, uint32_t position, bool bigEndian);
char16_t ControlPicture(uint32_t x, char16_t replacement);
const char16_t* EncodingName(uint32_t mode, uint32_t codePage);

// What one line's text column needs to know.
struct TextColumnLine {
    const uint8_t* buffer;
    uint32_t size;
    uint64_t offset;
    uint32_t hexWidth;
    uint64_t end; // display end: positions at or beyond it are outside
    TextMode mode;
    char16_t replacement;
    bool controlPictures;
    const char16_t* codePageTable;
};

// Writes the text column of one line at `out` (room for `capacity` units, no terminator); returns
// the units written. At most 2 units per byte position are needed.
uint32_t WriteTextColumn(const TextColumnLine& line, char16_t* out, uint32_t capacity);

// In the modes that show each byte as a character of its own (raw and code page), the character
// of every byte value, so that a long listing looks each byte up instead of judging it again.
// Fills kByteValues units and returns true; false, with nothing written, in the other modes.
constexpr uint32_t kByteValues = 256;
bool ByteColumnChars(const TextColumnLine& line, char16_t* chars);

// The text column of one line from those characters: the same units as WriteTextColumn gives.
uint32_t WriteByteColumn(const char16_t* chars, const TextColumnLine& line, char16_t* out,
                         uint32_t capacity);

} // namespace dump
