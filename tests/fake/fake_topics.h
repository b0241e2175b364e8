// The reset of each topic of the fake backend; fake::Reset() calls them all.
#pragma once

namespace fake::detail {

void ResetStreams();
void ResetProcess();
void ResetCodePages();
void ResetHeap();
void ResetFiles();
void ResetRegistry();
void ResetConsoleWidths();

} // namespace fake::detail
