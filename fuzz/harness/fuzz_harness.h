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

// The parsers, then every feature of the table under its name (Target::bload).
enum class Target {
    SplitArguments,
    ParseU32,
    ParseU64,
    ParseS64,
    ParseSize,
    ParseBufferHandle,
#define KV_COMMAND(name, ...) name,
#define KV_FUNCTION(name, ...) name,
#define KV_VARIABLE(name, ...) name,
#include "frame/features.def"
    End
};
constexpr int kTargetCount = static_cast<int>(Target::End);

// The target's name as the fuzz programs and the directories of saved inputs use it.
const char* TargetName(Target target);

// Runs one input; returns an empty text, or what went wrong (the first broken invariant).
std::string RunInput(Target target, const uint8_t* data, size_t size);

} // namespace fuzzing
