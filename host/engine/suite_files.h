// The files of scripts: a script-test folder's scripts, and reading a script or a transcript.
#pragma once

#include <string>
#include <vector>

namespace host {

// The names of the scripts (*.btm, in any case) in the folder, sorted. False when the folder
// cannot be read.
bool ScriptNamesIn(const std::u16string& folder, std::vector<std::u16string>& names);

enum class FileRead { Read, Missing, Failed };

// The full path of a file, or the path as given when it cannot be made full.
std::u16string FullPathOf(const std::u16string& path);

// The whole file as bytes; a file that is not there is Missing (and `bytes` empty).
FileRead ReadFileBytes(const std::u16string& path, std::string& bytes);

} // namespace host
