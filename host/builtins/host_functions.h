// The host's own variable functions (@comma, @path, @eval, @filesize); the first are pure text
// operations.
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

// One of the host's own variable functions: it gives its text, or false and why it refused.
struct HostFunction {
    std::u16string_view name; // without "@", lower case
    bool (*run)(std::u16string_view args, std::u16string& text, std::u16string& refusal);
};

// The host function of that name (in any case); null when the host has none, and the plug-in is
// asked.
const HostFunction* FindHostFunction(std::u16string_view name);

} // namespace host
