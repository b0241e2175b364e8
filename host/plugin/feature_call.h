// Calling a feature export with the host's text buffer.
#pragma once

#include "frame/exports.h"

#include <string>
#include <string_view>

namespace host {

struct FeatureCall {
    int result = 0;
    std::u16string text; // what the export left in its buffer
    bool fits = true;    // false when the export left no terminator in the buffer
};

// Copies `argument` into a buffer of kHostExpandCapacity units and calls the export with it.
// The argument must be shorter than the buffer.
FeatureCall CallFeatureExport(FeatureExport entry, std::u16string_view argument);

} // namespace host
