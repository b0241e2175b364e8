// The scripts of a script-test folder.
#pragma once

#include <string>
#include <vector>

namespace host {

// The names of the scripts (*.btm, in any case) in the folder, sorted. False when the folder
// cannot be read.
bool ScriptNamesIn(const std::u16string& folder, std::vector<std::u16string>& names);

} // namespace host
