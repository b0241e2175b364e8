// Eight bytes a step through eight tables ("slicing by eight"), so that a large buffer is not
// held up by one table look-up per byte.
#include "content/crc32.h"

namespace {

struct Tables {
    uint32_t t[8][256];

    constexpr Tables() : t{} {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int k = 1; k < 8; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    }
};

constexpr Tables kTables;

} // namespace

uint32_t Crc32(const uint8_t* bytes, size_t size) {
    const auto& t = kTables.t;
    uint32_t crc = 0xFFFFFFFFu;
    for (; size >= 8; bytes += 8, size -= 8) {
        const uint32_t low = crc ^ (uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
                                    uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
              t[4][low >> 24] ^ t[3][bytes[4]] ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]];
    }
    for (; size > 0; ++bytes, --size) crc = t[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}
