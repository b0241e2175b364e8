// The reset of each topic of the fake backend; fake::Reset() calls them all.
#pragma once

#include <string_view>

namespace fake::detail {

void ResetStreams();
void ResetProcess();
void ResetCodePages();
void ResetHeap();
void ResetFiles();
void ResetRegistry();
void ResetConsole();

// The console's transcript and the hooks the other topics call into it.
void AppendTranscript(std::string_view text);
void ClearTranscript();
void OnStandardOutputWrite();
void OnTicksMoved();
void OnTickCountSet();

} // namespace fake::detail
