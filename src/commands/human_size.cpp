// Sizes in binary units for BBLIST's listing.
#include "commands/bblist.h"
#include "text/format.h"

int FormatHumanSize(char16_t* out, uint64_t size) {
    if (out == nullptr) return -1;
    struct Unit {
        char16_t letter;
        int shift;
    };
    static constexpr Unit kUnits[] = {{u'E', 60}, {u'P', 50}, {u'T', 40}, {u'G', 30}, {u'M', 20}};
    Unit unit{u'k', 10};
    for (const Unit& candidate : kUnits) {
        if (size >= (uint64_t{1} << candidate.shift)) {
            unit = candidate;
            break;
        }
    }
    const double quotient = double(size) / double(uint64_t{1} << unit.shift);
    text::Format(out, kHumanSizeCapacity, u"%7.2f %cB", quotient, unsigned(unit.letter));
    return 0;
}
