// The reset of each topic of the fake backend; fake::Reset() calls them all.
#pragma once

namespace fake::detail {

void ResetStreams();
void ResetProcess();
void ResetCodePages();
void ResetHeap();
void ResetFiles();
void ResetRegistry();
void ResetTransfer();

// Closes a file handle of the transfer files; false when the handle is none of them.
bool CloseTransferFile(void* handle);

} // namespace fake::detail
