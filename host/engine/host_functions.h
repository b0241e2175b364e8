// The host's own variable functions, as pure text operations.
#pragma once

#include <string>
#include <string_view>

namespace host {

// @comma: groups the first run of digits in threes with ",". A sign before the digits is kept;
// what follows the digits (a fraction, a unit) is kept unchanged; a text that does not start
// with a number is returned unchanged.
std::u16string CommaGroup(std::u16string_view text);

// @path: the directory part of a path with its trailing separator ("/" or "\"), or the drive
// ("c:") of a drive-relative name; empty when the path names no directory.
std::u16string PathPart(std::u16string_view path);

} // namespace host
