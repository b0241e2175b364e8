// One fuzz case: an input of bytes becomes a few live buffers and one or more argument texts,
// each handed to one export or parser; afterwards the invariants every feature keeps are checked.
//
// The same code serves the libFuzzer targets (built with clang) and the replay of saved inputs
// in the unit tests, so an input that once failed keeps being tried by every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

enum class Target {
    SplitArguments,
    ParseU32,
    ParseU64,
    ParseS64,
    ParseSize,
    ParseBufferHandle,
    Balloc,
    Bfree,
    Bfreeall,
    Bblasterr,
    Bloadsize,
    Bfill,
    Brandfill,
    Bload,
    Bsave,
    Bmemcmp,
    Bmemcpy,
    Bpeekx,
    Bpokex,
    Bmodval,
    Bbdump,
    Bblist,
};
constexpr int kTargetCount = static_cast<int>(Target::Bblist) + 1;

// The target's name as the fuzz programs and the directories of saved inputs use it.
const char* TargetName(Target target);

// Runs one input; returns an empty text, or what went wrong (the first broken invariant).
std::string RunInput(Target target, const uint8_t* data, size_t size);

} // namespace fuzzing
