// A libFuzzer program for one target (KV_FUZZ_TARGET names it): every broken invariant aborts
// with its description, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = fuzzing::RunInput(fuzzing::Target::KV_FUZZ_TARGET, data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
