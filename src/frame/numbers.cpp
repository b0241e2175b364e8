// Number, size and buffer handle syntax; N-byte range tests and byte order.
#include "frame/numbers.h"

#include <cstddef>

#include "frame/host_services.h"
#include "frame/report.h"
#include "sys/sys.h"

namespace {

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 99;
}

bool IsDigitOf(char16_t c, int base) {
    return DigitValue(c) < base;
}

// Reads the longest run of digits of `base`. Returns false when the value exceeds `limit`;
// `end` receives the first character after the run either way.
bool ReadDigits(const char16_t* s, int base, uint64_t limit, uint64_t* value,
                const char16_t** end) {
    uint64_t v = 0;
    bool inRange = true;
    for (; IsDigitOf(*s, base); ++s) {
        const unsigned d = DigitValue(*s);
        if (v > (limit - d) / base) inRange = false;
        if (inRange) v = v * base + d;
    }
    *value = v;
    *end = s;
    return inRange;
}

struct NumberForm {
    int base; // 0: not a number
    const char16_t* digits;
};

// The form is decided on the first characters alone.
NumberForm FormOf(const char16_t* s) {
    if (s[0] == u'0' && (s[1] == u'x' || s[1] == u'X') && IsDigitOf(s[2], 16)) return {16, s + 2};
    if (s[0] == u'0' && (s[1] == u'o' || s[1] == u'O') && IsDigitOf(s[2], 8)) return {8, s + 2};
    if (IsDigitOf(s[0], 10)) return {10, s};
    return {0, s};
}

// Reads an unsigned number up to `limit`; `end` receives the first character after it.
int ReadNumber(const char16_t* text, uint64_t limit, uint64_t* value, const char16_t** end) {
    const NumberForm form = FormOf(text);
    if (form.base == 0) return -1;
    return ReadDigits(form.digits, form.base, limit, value, end) ? 0 : kRangeError;
}

void UpperCaseInPlace(char16_t* text) {
    for (; *text != 0; ++text) *text = sys::ToUpper(*text);
}

struct Factor {
    char16_t letter;
    uint32_t factor;
};

// Units are case-sensitive (upper case counts in 1024s, lower case in 1000s); elements are not.
constexpr Factor kUnits[] = {{u'K', 1024}, {u'M', 1048576}, {u'G', 1073741824},
                             {u'k', 1000}, {u'm', 1000000}, {u'g', 1000000000}};
constexpr Factor kElements[] = {{u'B', 1}, {u'b', 1}, {u'W', 2}, {u'w', 2},
                                {u'D', 4}, {u'd', 4}, {u'Q', 8}, {u'q', 8}};

// The factor of a letter, 0 when the table has none for it.
template <size_t N>
uint32_t FactorOf(const Factor (&table)[N], char16_t c) {
    for (const Factor& f : table)
        if (f.letter == c) return f.factor;
    return 0;
}

// Hexadecimal as the C library's strtoul reads it: leading white space, "+", an optional "0x",
// then digits. A "-", which strtoul would accept and negate into some other address, is refused.
bool ReadHandleText(const char16_t* s, uint64_t* value) {
    while (*s != 0 && sys::IsSpace(*s)) ++s;
    if (*s == u'+') ++s;
    if (s[0] == u'0' && (s[1] == u'x' || s[1] == u'X') && IsDigitOf(s[2], 16)) s += 2;
    if (!IsDigitOf(*s, 16)) return false;
    const char16_t* end;
    return ReadDigits(s, 16, BufferAddress(~BufferAddress{0}), value, &end) && *end == 0;
}

} // namespace

int ParseU32(const char16_t* text, uint32_t* value, const char16_t** rest) {
    if (text == nullptr || value == nullptr) return -1;
    uint64_t v;
    const char16_t* end;
    if (const int result = ReadNumber(text, UINT32_MAX, &v, &end); result != 0) return result;
    if (rest == nullptr && *end != 0) return -1;
    *value = static_cast<uint32_t>(v);
    if (rest != nullptr) *rest = end;
    return 0;
}

int ParseU64(const char16_t* text, uint64_t* value) {
    if (text == nullptr || value == nullptr) return -1;
    uint64_t v;
    const char16_t* end;
    if (const int result = ReadNumber(text, UINT64_MAX, &v, &end); result != 0) return result;
    if (*end != 0) return -1;
    *value = v;
    return 0;
}

int ParseS64(const char16_t* text, int64_t* value) {
    if (text == nullptr || value == nullptr) return -1;
    const bool sign = (text[0] == u'-' || text[0] == u'+') && IsDigitOf(text[1], 10);
    const bool negative = sign && text[0] == u'-';
    const NumberForm form = sign ? NumberForm{10, text + 1} : FormOf(text);
    if (form.base == 0) return -1;

    uint64_t limit = UINT64_MAX;
    if (form.base == 10) limit = negative ? uint64_t{1} << 63 : INT64_MAX;
    uint64_t magnitude;
    const char16_t* end;
    if (!ReadDigits(form.digits, form.base, limit, &magnitude, &end)) return kRangeError;
    if (*end != 0) return -1;
    *value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
    return 0;
}

int ParseSize(char16_t* text, uint32_t* size) {
    if (text == nullptr || size == nullptr) return -1;
    uint32_t number;
    char16_t* p;
    const int result = ParseU32(text, &number, &p);
    if (result != 0) {
        UpperCaseInPlace(text);
        ReportMessage(u"Bad size: \"%s\"\r\n", text);
        return result;
    }

    while (*p != 0 && sys::IsSpace(*p)) ++p;
    const char16_t* unit = p;
    uint64_t multiplier = 1;
    if (*p != 0) {
        if (const uint32_t m = FactorOf(kUnits, *p); m != 0) {
            multiplier = m;
            ++p;
        }
        if (const uint32_t e = FactorOf(kElements, *p); e != 0) {
            multiplier *= e;
            ++p;
        }
        if (*p != 0) {
            UpperCaseInPlace(text);
            ReportMessage(u"Unknown unit: \"%s\"\r\n", unit);
            return -3;
        }
    }

    if (number > UINT32_MAX / multiplier) {
        UpperCaseInPlace(text);
        ReportMessage(u"Value overflow: \"%s\"\r\n", text);
        return -4;
    }
    *size = static_cast<uint32_t>(number * multiplier);
    return 0;
}

bool ReadHandleNumber(const char16_t* text, BufferAddress* address) {
    uint64_t value;
    if (text == nullptr || address == nullptr || !ReadHandleText(text, &value)) return false;
    *address = static_cast<BufferAddress>(value);
    return true;
}

BufferAddress ParseBufferHandle(const char16_t* text, uint32_t* size) {
    uint64_t value;
    if (text == nullptr || !ReadHandleText(text, &value)) return 0;
    const BufferAddress address = static_cast<BufferAddress>(value);
    if (address == 0 || address % 8 != 0) return 0;
    const uintptr_t blockSize = QueryMemSize(BufferAt(address));
    if (blockSize == 0 || blockSize > kLargestBufferSize) return 0;
    if (size != nullptr) *size = static_cast<uint32_t>(blockSize);
    return address;
}

int FitsUnsigned(int n, uint64_t value) {
    if (n <= 0) return 0;
    if (n >= 8) return 1;
    return value < (uint64_t{1} << (8 * n)) ? 1 : 0;
}

int FitsSigned(int n, int64_t value) {
    if (n <= 0) return 0;
    if (n >= 8) return 1;
    const int64_t bound = int64_t{1} << (8 * n - 1);
    return value >= -bound && value < bound ? 1 : 0;
}

uint64_t SignExtend(int n, uint64_t value) {
    if (n <= 0 || n >= 8) return value;
    const uint64_t high = ~uint64_t{0} << (8 * n);
    return (value >> (8 * n - 1)) & 1 ? value | high : value;
}

int ReverseBytes(int n, void* bytes) {
    if (bytes == nullptr) return -1;
    if (n < 2) return 0;
    auto* b = static_cast<uint8_t*>(bytes);
    for (int i = 0, j = n - 1; i < j; ++i, --j) {
        const uint8_t t = b[i];
        b[i] = b[j];
        b[j] = t;
    }
    return 1;
}

int IsOptionSeparator(char16_t c) {
    return c == u':' || c == u'=' ? 1 : 0;
}
