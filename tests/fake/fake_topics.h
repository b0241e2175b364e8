// The reset of each topic of the fake backend; fake::Reset() calls them all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fake/fake_sys.h"

namespace fake::detail {

void ResetFaults();
// Counts a call of the kind and says whether a plan fails it: with its code, or with
// `usualCode` where the plan gives none. Nothing when the call is to go through.
std::optional<uint32_t> FaultFor(Call call, uint32_t usualCode);

void ResetStreams();
void ResetProcess();
void ResetCodePages();
void ResetHeap();
void ResetFiles();
void ResetRegistry();
void ResetTransfer();

// Closes a file handle of the transfer files; false when the handle is none of them.
bool CloseTransferFile(void* handle);
// A closed file that was standard output when a write to it failed is forgotten.
void ForgetFailedOutput(void* handle);
// Writes text at a transfer file's position (what a redirected stream writes); false when the
// handle is no transfer file open for writing.
bool AppendToTransferFile(void* handle, std::string_view bytes);

void ResetPrograms();

// The fake files: the full name a path resolves to, and whether AddFile made such a file.
std::u16string FullFakeName(std::u16string_view path);
bool HasFakeFile(const std::u16string& fullName);

void ResetConsoleWidths();

void ResetConsole();

// The console's transcript and the hooks the other topics call into it.
void AppendTranscript(std::string_view text);
void ClearTranscript();
void OnStandardOutputWrite();
void OnTicksMoved();
void OnTickCountSet();
// Hands the event to the installed control handler, if there is one.
void RaiseControlEvent(uint32_t event);

} // namespace fake::detail
