// BBLIST's sort keys and the order of two buffer records.
#include "commands/bblist.h"
#include "frame/report.h"
#include "sys/sys.h"

int ParseSortKeys(const char16_t* text, char16_t (&keys)[kSortKeysCapacity]) {
    keys[0] = 0;
    if (text == nullptr) return 0;
    if (*text == u':' || *text == u'=') ++text;
    // "U" alone: unsorted, which is how a later option cancels an earlier /O.
    if ((text[0] == u'U' || text[0] == u'u') && text[1] == 0) return 0;

    int count = 0;
    bool reversed = false;
    for (; *text != 0; ++text) {
        const char16_t c = *text;
        if (c == u'-') {
            reversed = true;
            continue;
        }
        const char16_t key = sys::ToUpper(c);
        if (key != u'A' && key != u'S' && key != u'T') {
            ReportMessage(u"Bad sort key: /O:%c\r\n", unsigned(key));
            keys[0] = 0;
            return 1;
        }
        if (count < kMostSortKeys) keys[count++] = reversed ? sys::ToLower(key) : key;
        reversed = false;
    }
    keys[count] = 0;
    return 0;
}

namespace {

// Addresses compare at their full width, sizes and time fields as the narrower numbers they are.
int CompareNumbers(uint64_t a, uint64_t b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

int CompareTimes(const sys::SystemTime& a, const sys::SystemTime& b) {
    const uint16_t sa[] = {a.year, a.month, a.day, a.hour, a.minute, a.second, a.milliseconds};
    const uint16_t sb[] = {b.year, b.month, b.day, b.hour, b.minute, b.second, b.milliseconds};
    for (size_t i = 0; i < sizeof sa / sizeof sa[0]; ++i)
        if (const int order = CompareNumbers(sa[i], sb[i]); order != 0) return order;
    return 0;
}

} // namespace

int CompareBufferRecords(const BufferRecord& a, const BufferRecord& b, const char16_t* keys) {
    for (const char16_t* key = keys; key != nullptr && *key != 0; ++key) {
        int order = 0;
        switch (sys::ToUpper(*key)) {
        case u'A':
            order = CompareNumbers(a.address, b.address);
            break;
        case u'S':
            order = CompareNumbers(a.size, b.size);
            break;
        case u'T':
            order = CompareTimes(a.created, b.created);
            break;
        }
        if (*key != sys::ToUpper(*key)) order = -order;
        if (order != 0) return order;
    }
    return CompareNumbers(a.address, b.address);
}
