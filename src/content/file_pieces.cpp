#include "content/file_pieces.h"

#include "content/transfer_outcome.h"

uint32_t ReadWhole(sys::Handle file, uint8_t* bytes, uint32_t size, uint32_t piece) {
    for (uint32_t done = 0; done < size;) {
        const uint32_t asked = size - done < piece ? size - done : piece;
        uint32_t got = 0;
        if (!sys::ReadFilePiece(file, bytes + done, asked, &got)) return SystemFailureCode();
        // The file became shorter since its size was read; stop rather than spin.
        if (got == 0) return kShortReadCode;
        done += got < asked ? got : asked;
    }
    return 0;
}

uint32_t WriteWhole(sys::Handle file, const uint8_t* bytes, uint32_t count, uint32_t piece,
                    uint64_t* total) {
    for (uint32_t done = 0; done < count;) {
        const uint32_t asked = count - done < piece ? count - done : piece;
        uint32_t put = 0;
        if (!sys::WriteFilePiece(file, bytes + done, asked, &put)) return SystemFailureCode();
        // A write that claims success but moves nothing would repeat forever; the system gave
        // no reason, so it fails as such.
        if (put == 0) return kNoSystemCode;
        if (put > asked) put = asked;
        done += put;
        *total += put;
    }
    return 0;
}
