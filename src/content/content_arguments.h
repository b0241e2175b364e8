// Argument handling shared by the content features: refusing an argument with its message, and
// reading optional numbers.
#pragma once

#include <cstdint>

#include "frame/buffer_address.h"

// Upper-cases argument `index` in place, reports `message` with it as "%s", and gives -1.
int RefuseArgument(const char16_t* message, int index);

// Argument `index` as a ParseU32 number (the whole text). A missing argument leaves `value` as
// it is and succeeds; false when it is given and no number.
bool ReadOptionalU32(int index, uint32_t* value);

// The argument text split at commas (upper-cased), and the live buffer its first argument names,
// for the fill functions. False, with the message reported, when either fails.
bool ReadFillTarget(char16_t* text, BufferAddress* address, uint32_t* bufferSize);

// The optional offset argument `index` of a fill function, inside a buffer of bufferSize bytes.
// False, with the message reported, when it is not a number or lies at or past the end.
bool ReadFillOffset(int index, uint32_t bufferSize, uint32_t* offset);
