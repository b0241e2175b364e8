// Calling a feature export with the host's text buffer.
#include "plugin/feature_call.h"

#include <memory>

#include "plugin/low_heap_room.h"
#include "sys/sys.h"

namespace host {

FeatureCall CallFeatureExport(FeatureExport entry, std::u16string_view argument) {
    // On the heap: expansions nest, and a plug-in may expand text again while it runs.
    auto buffer = std::make_unique<char16_t[]>(kHostExpandCapacity);
    size_t length = argument.size() < size_t(kHostExpandCapacity) ? argument.size()
                                                                  : size_t(kHostExpandCapacity) - 1;
    argument.copy(buffer.get(), length);
    buffer[length] = 0;

    // A test host's aid on x64: what the plug-in allocates lies above 4 GiB.
    if (TakesLowHeapRoom()) sys::TakeLowHeapRoom();
    FeatureCall call;
    call.result = entry(AsHost(buffer.get()));
    size_t end = 0;
    while (end < size_t(kHostExpandCapacity) && buffer[end] != 0) ++end;
    call.fits = end < size_t(kHostExpandCapacity);
    call.text.assign(buffer.get(), end);
    return call;
}

} // namespace host
