// The conditions of `if`.
#include "runner/batch_if.h"

#include "language/words.h"
#include "runner/expand.h"
#include "text/u16.h"

#include <optional>

namespace host {

namespace {

// A whole decimal number of any length: its sign and its digits without leading zeros (none
// for zero, which has no sign).
struct WholeNumber {
    bool negative = false;
    std::u16string_view digits;
};

// The number that the text is exactly, with an optional sign and leading zeros.
std::optional<WholeNumber> ReadWholeNumber(std::u16string_view text) {
    WholeNumber number;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        number.negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    for (char16_t c : text)
        if (c < u'0' || c > u'9') return std::nullopt;
    while (!text.empty() && text[0] == u'0') text.remove_prefix(1);
    number.digits = text;
    if (text.empty()) number.negative = false;
    return number;
}

int NumberOrder(const WholeNumber& left, const WholeNumber& right) {
    if (left.negative != right.negative) return left.negative ? -1 : 1;
    int order = 0; // of the magnitudes
    if (left.digits.size() != right.digits.size())
        order = left.digits.size() < right.digits.size() ? -1 : 1;
    else
        order = left.digits.compare(right.digits) < 0 ? -1 : (left.digits == right.digits ? 0 : 1);
    return left.negative ? -order : order;
}

// Without regard to case, every letter is taken as its lower case.
int TextOrder(std::u16string_view left, std::u16string_view right, bool caseSensitive) {
    const size_t common = left.size() < right.size() ? left.size() : right.size();
    for (size_t i = 0; i < common; ++i) {
        char16_t a = caseSensitive ? left[i] : sys::ToLower(left[i]);
        char16_t b = caseSensitive ? right[i] : sys::ToLower(right[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

bool Expand(Session& session, const std::u16string& text, std::u16string& out) {
    ExpandResult expansion = ExpandText(session, text, out);
    if (expansion.fault == ExpandFault::None) return true;
    if (expansion.fault == ExpandFault::TooLong)
        HostMessage(session, u"an operand of if is too long");
    session.script.lastResult = expansion.code;
    return false;
}

} // namespace

bool Compare(std::u16string_view left, std::u16string_view right, CompareOp op,
             bool caseSensitive) {
    int order = 0;
    std::optional<WholeNumber> a = caseSensitive ? std::nullopt : ReadWholeNumber(left);
    std::optional<WholeNumber> b = caseSensitive ? std::nullopt : ReadWholeNumber(right);
    if (a && b)
        order = NumberOrder(*a, *b);
    else
        order = TextOrder(left, right, caseSensitive);
    switch (op) {
    case CompareOp::Equal:
        return order == 0;
    case CompareOp::NotEqual:
        return order != 0;
    case CompareOp::Less:
        return order < 0;
    case CompareOp::LessEqual:
        return order <= 0;
    case CompareOp::Greater:
        return order > 0;
    case CompareOp::GreaterEqual:
        return order >= 0;
    }
    return false;
}

bool TestCondition(Session& session, const Condition& condition, bool& holds) {
    std::u16string left;
    if (!Expand(session, condition.left, left)) return false;
    switch (condition.kind) {
    case Condition::Kind::Compare: {
        std::u16string right;
        if (!Expand(session, condition.right, right)) return false;
        holds = Compare(left, right, condition.op, condition.caseSensitive);
        break;
    }
    case Condition::Kind::Exist: {
        const std::u16string path(WithoutQuotes(left));
        holds = !path.empty() && sys::FileAttributes(path.c_str()) != sys::kNoFileAttributes;
    } break;
    case Condition::Kind::Defined:
        holds = ReadEnvironment(left).has_value();
        break;
    case Condition::Kind::ErrorLevel: {
        if (!ReadWholeNumber(left)) {
            HostMessage(session, u"if errorlevel needs a number, not \"" + left + u"\"");
            session.script.lastResult = 1;
            return false;
        }
        holds =
            Compare(DecimalText(session.script.lastResult), left, CompareOp::GreaterEqual, false);
        break;
    }
    }
    if (condition.negate) holds = !holds;
    return true;
}

} // namespace host
