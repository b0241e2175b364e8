// How every export of a feature starts: the host's text, taken whole or split into arguments,
// and the buffer its handle argument names. A feature that starts here gets its neighbours' rules
// by construction: no text gives kNoArgumentText without a word, a split that overflows is
// reported, and a missing or bad handle gives the message of its kind.
#pragma once

#include <cstdint>

#include "frame/buffer_address.h"
#include "frame/exports.h"

// What a feature export returns when the host passes no text: Windows' ERROR_INVALID_PARAMETER.
constexpr int kNoArgumentText = 87;

// What a command returns when its text cannot be split (the overflow is reported).
constexpr int kCommandFailed = 1;

// A buffer a handle argument names, with its size as the host knows it.
struct BufferArgument {
    BufferAddress address = 0;
    uint32_t size = 0;

    uint8_t* Bytes() const { return BufferAt(address); }
};

// What a missing and a bad handle argument are told; "%s" receives the argument upper-cased.
struct HandleMessages {
    const char16_t* missing;
    const char16_t* bad;
};
inline constexpr HandleMessages kHandleMessages{u"Missing handle\r\n", u"Bad handle: \"%s\"\r\n"};

// Starts a feature that takes its text whole: 0, with `*text` the host's text (which takes the
// result); kNoArgumentText for no text.
int BeginWholeText(HostChar* argument, char16_t** text);

// The same, with the text's leading and trailing white space removed.
int BeginTrimmedText(HostChar* argument, char16_t** text);

// Starts a function: 0, with `*text` the host's text (which takes the result) split into
// ArgTable under `splitOptions`; otherwise the export's result: kNoArgumentText for no text, -1
// after a reported split overflow.
[[nodiscard]] int BeginFunction(HostChar* argument, unsigned splitOptions, char16_t** text);

// Starts a command the same way; kCommandFailed after a reported split overflow.
int BeginCommand(HostChar* argument, unsigned splitOptions, char16_t** text);

// Starts a function whose first argument is a buffer handle (ParseBufferHandle): 0 with the
// text split and `*buffer` the buffer; otherwise the export's result, the messages' after a
// missing or bad handle.
[[nodiscard]] int BeginBufferFunction(HostChar* argument, unsigned splitOptions, char16_t** text,
                                      BufferArgument* buffer,
                                      const HandleMessages& messages = kHandleMessages);

// Reads argument `index` as a buffer handle. False, with the message reported, when it is
// missing (when `required`) or no buffer; a missing optional one leaves `*buffer` as it is.
[[nodiscard]] bool ReadBufferArgument(int index, bool required, const HandleMessages& messages,
                                      BufferArgument* buffer);

// Upper-cases argument `index` in place, reports `message` with it as "%s", and gives -1.
int RefuseArgument(const char16_t* message, int index);

// Reports `message` (no arguments) and gives -1.
int Refuse(const char16_t* message);

// The same two for checks that answer false after a refusal.
bool Fail(const char16_t* message);
bool FailArgument(const char16_t* message, int index);
