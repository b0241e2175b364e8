// What a run that met its fault must show: nothing crashed (the sanitizers' part), nothing was
// left over, the call that met the fault either failed as its documents say or did its work all
// the same, what the documents promise stays stayed, and the host went on.
#pragma once

#include <string>
#include <vector>

#include "sweep/sweep_world.h"

namespace sweep {

// Every broken promise of the run, one line each; none when it kept them all.
std::vector<std::string> Judge(const Run& baseline, const Run& run);

// After a write that failed, every file but those the call was writing is as it was; each of
// those holds, at every place, its old byte or the byte the call was writing there (what
// `expected`, the call without the fault, left), and is no longer than both. An empty text when
// that holds, else what is wrong.
std::string WrittenFileFault(const std::map<std::u16string, fake::FileBytes>& before,
                             const std::map<std::u16string, fake::FileBytes>& after,
                             const ExportCall& expected);

} // namespace sweep
