// Restores the whole fake system to its defaults.
#include "fake/fake_sys.h"
#include "fake/fake_topics.h"

namespace fake {

void Reset() {
    detail::ResetFaults();
    detail::ResetStreams();
    detail::ResetProcess();
    detail::ResetCodePages();
    detail::ResetHeap();
    detail::ResetFiles();
    detail::ResetRegistry();
    detail::ResetTransfer();
    detail::ResetPrograms();
    detail::ResetConsoleWidths();
    detail::ResetConsole();
}

} // namespace fake
