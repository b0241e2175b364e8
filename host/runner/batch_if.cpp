// The conditions of `if`.
#include "runner/batch_if.h"

#include "frame/text/u16.h"
#include "language/words.h"
#include "runner/expand.h"

#include <optional>

namespace host {

namespace {

// A whole decimal number with an optional sign, when the text is exactly one that fits.
std::optional<long long> WholeNumber(std::u16string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    unsigned long long magnitude = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        if (magnitude > (uint64_t(INT64_MAX) + 1 - unsigned(c - u'0')) / 10) return std::nullopt;
        magnitude = magnitude * 10 + unsigned(c - u'0');
    }
    if (!negative && magnitude > uint64_t(INT64_MAX)) return std::nullopt;
    return negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
}

int TextOrder(std::u16string_view left, std::u16string_view right, bool caseSensitive) {
    const size_t common = left.size() < right.size() ? left.size() : right.size();
    for (size_t i = 0; i < common; ++i) {
        char16_t a = caseSensitive ? left[i] : text::AsciiLower(left[i]);
        char16_t b = caseSensitive ? right[i] : text::AsciiLower(right[i]);
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
    std::optional<long long> a = WholeNumber(left);
    std::optional<long long> b = WholeNumber(right);
    if (a && b)
        order = *a < *b ? -1 : (*a > *b ? 1 : 0);
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
        std::optional<long long> level = WholeNumber(left);
        if (!level) {
            HostMessage(session, u"if errorlevel needs a number, not \"" + left + u"\"");
            session.script.lastResult = 1;
            return false;
        }
        holds = session.script.lastResult >= *level;
        break;
    }
    }
    if (condition.negate) holds = !holds;
    return true;
}

} // namespace host
