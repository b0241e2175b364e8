// The seven operations of @BMODVAL.
#include "values/word_operation.h"

#include <iterator>

#include "text/u16.h"
#include "values/value_word.h"

namespace {

struct Keyword {
    const char16_t* name;
    WordOperation operation;
};

constexpr Keyword kKeywords[] = {
    {u"AND", WordOperation::And},        {u"&", WordOperation::And},
    {u"OR", WordOperation::Or},          {u"|", WordOperation::Or},
    {u"XOR", WordOperation::Xor},        {u"^", WordOperation::Xor},
    {u"ADD", WordOperation::Add},        {u"PLUS", WordOperation::Add},
    {u"+", WordOperation::Add},          {u"SUBTRACT", WordOperation::Subtract},
    {u"MINUS", WordOperation::Subtract}, {u"-", WordOperation::Subtract},
    {u"SHL", WordOperation::ShiftLeft},  {u"<<", WordOperation::ShiftLeft},
    {u"SHR", WordOperation::ShiftRight}, {u">>", WordOperation::ShiftRight},
};

// A 64-bit shift by 64 or more is undefined in C++; as a word operation it leaves nothing.
constexpr uint64_t kBitsInValue = 64;

} // namespace

bool FindWordOperation(const char16_t* keyword, WordOperation* operation) {
    if (keyword == nullptr) return false;
    for (const Keyword& k : kKeywords) {
        if (text::EqualNoCase(keyword, k.name)) {
            *operation = k.operation;
            return true;
        }
    }
    return false;
}

bool IsShift(WordOperation operation) {
    return operation == WordOperation::ShiftLeft || operation == WordOperation::ShiftRight;
}

uint64_t ApplyWordOperation(WordOperation operation, int n, uint64_t old, uint64_t value) {
    old &= WordMask(n);
    uint64_t result = 0;
    switch (operation) {
    case WordOperation::And:
        result = old & value;
        break;
    case WordOperation::Or:
        result = old | value;
        break;
    case WordOperation::Xor:
        result = old ^ value;
        break;
    case WordOperation::Add:
        result = old + value;
        break;
    case WordOperation::Subtract:
        result = old - value;
        break;
    case WordOperation::ShiftLeft:
        result = value < kBitsInValue ? old << value : 0;
        break;
    case WordOperation::ShiftRight:
        result = value < kBitsInValue ? old >> value : 0;
        break;
    }
    return result & WordMask(n);
}
