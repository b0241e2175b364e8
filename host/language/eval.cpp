// @eval: integer arithmetic on 64-bit signed numbers, by recursive descent.
#include "language/eval.h"

#include "language/words.h"
#include "text/u16.h"

namespace host {

namespace {

// Deeper nesting than this is refused rather than risking the stack.
constexpr int kMaxDepth = 200;

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

class Evaluator {
public:
    explicit Evaluator(std::u16string_view text) : text_(text) {}

    bool Evaluate(long long& value, std::u16string& error) {
        long long result = 0;
        bool ok = text_.find_first_not_of(u" \t") != std::u16string_view::npos
                      ? Sum(result)
                      : Fail(u"there is no expression");
        SkipBlanks();
        if (ok && pos_ < text_.size()) ok = Fail(u"unexpected \"" + Rest() + u"\"");
        if (!ok) {
            error = error_;
            return false;
        }
        value = result;
        return true;
    }

private:
    bool Fail(std::u16string message) {
        if (error_.empty()) error_ = std::move(message);
        return false;
    }
    std::u16string Rest() const { return std::u16string(text_.substr(pos_, 20)); }
    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t')) ++pos_;
    }
    bool Take(char16_t c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool TakeMod() {
        SkipBlanks();
        if (!text::EqualNoCase(text_.substr(pos_, 3), u"mod")) return false;
        pos_ += 3;
        return true;
    }

    bool Sum(long long& value) {
        if (!Product(value)) return false;
        for (;;) {
            const bool plus = Take(u'+');
            if (!plus && !Take(u'-')) return true;
            long long right = 0;
            if (!Product(right)) return false;
            if (plus ? __builtin_add_overflow(value, right, &value)
                     : __builtin_sub_overflow(value, right, &value))
                return Fail(u"the result is too large for 64 bits");
        }
    }

    bool Product(long long& value) {
        if (!Unary(value)) return false;
        for (;;) {
            char16_t op = 0;
            if (Take(u'*'))
                op = u'*';
            else if (Take(u'/'))
                op = u'/';
            else if (Take(u'\\'))
                op = u'\\';
            else if (Take(u'%') || TakeMod())
                op = u'%';
            else
                return true;
            long long right = 0;
            if (!Unary(right)) return false;
            if (op == u'*') {
                if (__builtin_mul_overflow(value, right, &value))
                    return Fail(u"the result is too large for 64 bits");
                continue;
            }
            if (right == 0) return Fail(u"division by zero");
            if (value == INT64_MIN && right == -1) {
                if (op != u'%') return Fail(u"the result is too large for 64 bits");
                value = 0; // the remainder is 0, but computing it would overflow
                continue;
            }
            if (op == u'/' && value % right != 0)
                return Fail(DecimalText(value) + u" / " + DecimalText(right) +
                            u" is no whole number (\"\\\" divides without the fraction)");
            value = op == u'%' ? value % right : value / right;
        }
    }

    bool Unary(long long& value) {
        if (++depth_ > kMaxDepth) return Fail(u"the expression is nested too deeply");
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{depth_};
        if (Take(u'-')) {
            // A minus sign and the number it stands before make a number: -9223372036854775808
            // (-0x8000000000000000) is the most negative one, whose magnitude alone is too large.
            SkipBlanks();
            if (pos_ < text_.size() && DigitValue(text_[pos_]) >= 0 && DigitValue(text_[pos_]) < 10)
                return Number(value, true);
            if (!Unary(value)) return false;
            if (value == INT64_MIN) return Fail(u"the result is too large for 64 bits");
            value = -value;
            return true;
        }
        if (Take(u'+')) return Unary(value);
        if (Take(u'(')) {
            if (!Sum(value)) return false;
            if (!Take(u')')) return Fail(u"\")\" is missing");
            return true;
        }
        return Number(value);
    }

    // A decimal or 0x hexadecimal number, the same 64-bit signed number in either notation;
    // `negative`: with the minus sign before it.
    bool Number(long long& value, bool negative = false) {
        SkipBlanks();
        int base = 10;
        if (text_.substr(pos_, 2) == u"0x" || text_.substr(pos_, 2) == u"0X") {
            base = 16;
            pos_ += 2;
        }
        const size_t start = pos_;
        unsigned long long magnitude = 0;
        while (pos_ < text_.size()) {
            const int digit = DigitValue(text_[pos_]);
            if (digit < 0 || digit >= base) break;
            if (magnitude > (UINT64_MAX - unsigned(digit)) / unsigned(base))
                return Fail(u"the number is too large for 64 bits");
            magnitude = magnitude * unsigned(base) + unsigned(digit);
            ++pos_;
        }
        if (pos_ == start) {
            if (pos_ >= text_.size()) return Fail(u"a number is missing at the end");
            return Fail(u"a number is expected at \"" + Rest() + u"\"");
        }
        if (magnitude > uint64_t(INT64_MAX) + (negative ? 1 : 0))
            return Fail(u"the number is too large for 64 bits");
        value =
            negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
        return true;
    }

    std::u16string_view text_;
    size_t pos_ = 0;
    int depth_ = 0;
    std::u16string error_;
};

} // namespace

bool EvaluateInteger(std::u16string_view expression, long long& value, std::u16string& error) {
    return Evaluator(expression).Evaluate(value, error);
}

} // namespace host
