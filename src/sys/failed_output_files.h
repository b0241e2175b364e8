// The files behind standard output whose writes failed, for both backends, each of which knows a
// file in its own way (`File`, compared with ==). Standard output is not written again while it
// is one of them; another file put there for a while (a command's "> file") has a fate of its
// own.
#pragma once

#include <cstdint>

namespace sys {

template <typename File>
struct FailedOutputFiles {
    static constexpr int kKept = 4;
    File files[kKept]{};
    uint32_t codes[kKept]{};
    int count = 0;

    // The error code of the failure of `file`, 0 for none.
    uint32_t FailureOf(const File& file) const {
        for (int i = 0; i < count; ++i)
            if (files[i] == file) return codes[i];
        return 0;
    }

    // The failure of the file that is standard output now (`current` tells which), 0 for none.
    // Asks which file that is only once some write has failed: the answer costs a system call.
    template <typename CurrentFile>
    uint32_t FailureNow(CurrentFile current) const {
        return count == 0 ? 0 : FailureOf(current());
    }

    // When every place is taken, the latest failure takes the last: the first is most often the
    // host's own standard output.
    void Note(const File& file, uint32_t code) {
        if (count < kKept) ++count;
        files[count - 1] = file;
        codes[count - 1] = code;
    }
};

} // namespace sys
