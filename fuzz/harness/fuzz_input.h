// How the bytes of a fuzz input become argument texts.
//
// The first byte chooses the buffers and the console (see fuzz_harness.cpp). The second places a
// fault: 0 none, else its low seven bits N (1 to 127) make the Nth call that can fail, of those
// the features make, fail as the system fails it, and its top bit makes a read or write of a
// file fail as one that moves nothing. After them each byte is a token: 0x00 ends one text and
// starts the next, 0x01 to 0x7F stand for themselves, F0 to F3 insert the handle of live buffer k
// as the plug-in writes it and F4 to F7 as "%x", F8 takes the next two bytes as one UTF-16 unit
// (low byte first), F9 repeats the unit before it 32 times the next byte, and the other bytes stand
// for units and numbers that the parsers treat specially.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/buffer_address.h"

namespace fuzzing {

// Texts fill the host's buffer at most: 8191 units and the terminator.
constexpr size_t kMostTextUnits = 8191;
constexpr size_t kMostTexts = 8;
constexpr int kHandleSlots = 4;

std::vector<std::u16string> DecodeTexts(const uint8_t* data, size_t size,
                                        const BufferAddress (&handles)[kHandleSlots]);

} // namespace fuzzing
