// Paged and coloured output for the commands: the pause option, the page counter and its
// prompt, line-by-line printing with colour codes, and the highlight attributes.
//
// A command's calling order: ResetCommandOutput() before its options; each "/P..." argument
// through ParsePauseOption; SetPageLength when the pause-lines value is not 0; InstallCtrlHandler
// before the first line; every line end through PagedNewLines (or a "\n" given to PagedPrint or
// ColorPrint); kOutputStopped from any of them ends the output; RemoveCtrlHandler at the end.
#pragma once

#include <cstdint>

#include "console/interrupt.h"
#include "sys/sys.h"

// Results of the output routines.
constexpr int kOutputOk = 0;
constexpr int kOutputNoText = -1;
constexpr int kOutputNoMemory = -2;
constexpr int kOutputStopped = -3;

// The pause-lines value meaning "as many lines as fit the window".
constexpr uint32_t kPauseWholeWindow = 0xFFFFFFFF;

// Colour codes embedded in ColorPrint's text: back to normal, and highlighted.
constexpr char16_t kNormalColorCode = 17;
constexpr char16_t kHighlightColorCode = 18;

// Paging state of the running command.
extern uint32_t PageLines;
extern uint32_t LinesLeft;
extern uint32_t PauseMillis;

// Colour state of the running command: 0 in NormalAttr means colour is off.
extern uint8_t NormalAttr;
extern uint8_t HighlightAttr;

// Clears the paging and colour state and CtrlCPressed: a command's first step.
void ResetCommandOutput();

// 0 when the option was accepted or is not a pause option, 1 when an error was reported, -1
// when the text is missing. The text is upper-cased in place for the error messages.
[[nodiscard]] int ParsePauseOption(char16_t* option, uint32_t* pauseLines);
void SetPageLength(uint32_t pauseLines);

// kOutputOk or kOutputStopped.
[[nodiscard]] int PagedNewLines(uint32_t count);

// Writes `text` (length units, room for `capacity`) and one line end, as QPuts and then
// PagedNewLines(1) would. kOutputOk or kOutputStopped.
[[nodiscard]] int PutPagedLine(char16_t* text, size_t length, size_t capacity);

// The key pressed at the prompt (0x10000 + second code for extended keys), 3 for Ctrl-C, 32 on
// time-out.
uint32_t WaitForPauseKey();

// printf conventions of the bounded formatter (%s takes UTF-16 text). kOutputOk, kOutputNoText,
// kOutputNoMemory or kOutputStopped.
[[nodiscard]] int PagedPrint(const char16_t* format, ...);
[[nodiscard]] int ColorPrint(const char16_t* format, ...);

// Writes the text to the console device in the given attribute; kOutputNoText without text.
[[nodiscard]] int PutColored(const char16_t* text, uint8_t attribute);

// Called after each dump line on a console: Esc brings the prompt, holding Ctrl slows output.
int CheckPauseKeys();

void ShowCtrlC();

// The highlight attribute, or 0 when colour stays off; sets NormalAttr and HighlightAttr when
// it is not 0.
uint32_t SetupHighlight();
bool ColorSuppressedByEnvironment();

// 0 with a non-empty text in `out` (kHighlightTextCapacity units); otherwise a Windows error
// code and an empty `out`.
constexpr int kHighlightTextCapacity = 1024;
[[nodiscard]] uint32_t ReadHighlightValue(sys::RegistryRoot root, const char16_t* subKey,
                                          char16_t* out);

// Sets the console and the host to the Ctrl-C mark's colour; returns the attribute replaced.
uint32_t SetMarkColor();

extern const uint8_t HighlightTable[2][16];
