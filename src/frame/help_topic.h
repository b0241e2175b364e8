// Which help page belongs to a feature name.
#pragma once

#include <cstddef>

// The longest topic name with its terminator; every feature's topic is shorter.
constexpr size_t kTopicCapacity = 64;

// Finds `name` among the announced features (same length, equal without regard to ASCII case)
// and writes its topic into `topic`: a command keeps its name, a variable function's "@"
// becomes "f_", an internal variable gets "v" in front, all in lower case. Returns false, with
// `topic` empty, for a null name or one that is no feature.
[[nodiscard]] bool HelpTopicOf(const char16_t* name, char16_t (&topic)[kTopicCapacity]);
