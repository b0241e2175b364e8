// @eval: integer arithmetic on 64-bit signed numbers.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Evaluates `+ - * / \ % mod`, unary signs and parentheses over decimal and 0x hexadecimal
// numbers, which are the same 64-bit signed numbers in either notation (a minus sign before a
// number belongs to it: -9223372036854775808 is one). "/" must divide exactly ("\" drops the
// fraction, as the real host's integer division does); "%" and "mod" give the remainder with the
// sign of the dividend. False, with a message in `error`, for a malformed expression, a number
// or a result outside 64 bits or a division by zero.
bool EvaluateInteger(std::u16string_view expression, long long& value, std::u16string& error);

} // namespace host
