// The operations of @BMODVAL and their keywords.
#pragma once

#include <cstdint>

enum class WordOperation { And, Or, Xor, Add, Subtract, ShiftLeft, ShiftRight };

// The operation a keyword names ("AND" or "&", "OR" or "|", "XOR" or "^", "ADD", "PLUS" or "+",
// "SUBTRACT", "MINUS" or "-", "SHL" or "<<", "SHR" or ">>"), regardless of case. False when
// the text is no keyword.
[[nodiscard]] bool FindWordOperation(const char16_t* keyword, WordOperation* operation);

bool IsShift(WordOperation operation);

// The new value of an N-byte word: the operation on `old` and `value` in 64-bit unsigned
// arithmetic that wraps around, cut to the low 8N bits. A shift by 64 bits or more gives 0;
// shifting right always shifts in zeros.
uint64_t ApplyWordOperation(WordOperation operation, int n, uint64_t old, uint64_t value);
