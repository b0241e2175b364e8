// Splitting a feature's argument text into the shared argument table.
#include "frame/args.h"

#include "frame/report.h"
#include "sys/sys.h"

ArgTableData ArgTable;

namespace {

char16_t EmptyArgument[1];

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool ReportOverflow(int inUse) {
    ReportMessage(u"Buffer overflow: b = %d, MAX_ARG_LEN = %d \r\n", inUse, kArgPoolUnits);
    return false;
}

// The scan state of one split. Arguments beyond the table's last slot are dropped: they take no
// pool room and are not counted.
struct Splitter {
    unsigned options;
    int index = 0;                     // the current argument
    int start = 0;                     // its pool position
    int length = 0;                    // its length so far
    int kept = 0;                      // with ArgQuotedTexts: its length at its last closing quote
    int quotes = 0;                    // the current argument's double quotes
    bool outside = false;              // it stored a character that is not white space outside them
    int keptLength[kArgMaxCount] = {}; // each argument's `kept`, which trailing blanks spare
    bool inQuotes = false;
    bool bracketGroup = false;
    bool addressSeen = false;

    bool Has(unsigned option) const { return (options & option) != 0; }
    bool Dropped() const { return index >= kArgMaxCount; }
    char16_t First() const { return ArgTable.pool[start]; }

    // Gives the current argument its (empty, terminated) text.
    void Open() {
        ArgTable.text[index] = &ArgTable.pool[start];
        ArgTable.length[index] = 0;
        ArgTable.quoted[index] = false;
        ArgTable.whole[index] = false;
        ArgTable.pool[start] = 0;
        kept = 0;
        quotes = 0;
        outside = false;
    }

    // A double quote: the argument was quoted, and what its quotes hold is kept whole.
    void Quote() {
        inQuotes = !inQuotes;
        if (Dropped()) return;
        ArgTable.quoted[index] = true;
        ++quotes;
        ArgTable.whole[index] = quotes == 2 && !outside;
        if (!inQuotes && Has(ArgQuotedTexts)) kept = length;
    }

    // Closes the current argument and opens the next, which needs room for its terminator.
    bool End() {
        bracketGroup = false;
        addressSeen = false;
        if (Dropped()) return true;
        keptLength[index] = kept;
        start += length + 1;
        length = 0;
        ++index;
        if (Dropped()) return true;
        if (start >= kArgPoolUnits) return ReportOverflow(start);
        Open();
        return true;
    }

    bool Store(char16_t c) {
        if (Dropped()) return true;
        if (start + length + 2 > kArgPoolUnits) return ReportOverflow(start + length + 1);
        if (!inQuotes && !sys::IsSpace(c)) {
            outside = true;
            ArgTable.whole[index] = false;
        }
        char16_t* text = ArgTable.text[index];
        text[length++] = Has(ArgUpperCase) ? sys::ToUpper(c) : c;
        text[length] = 0;
        ArgTable.length[index] = length;
        if (Has(ArgBracketGroups) && length == 3 && text[0] == u'/' && text[1] == u'[' &&
            text[2] == u'!')
            bracketGroup = true;
        return true;
    }
};

// Trailing white space goes, but for what quotes kept (ArgQuotedTexts).
void TrimTrailingBlanks(const int (&keptLength)[kArgMaxCount]) {
    for (int i = 0; i < ArgTable.ArgCount; ++i) {
        char16_t* text = ArgTable.text[i];
        int& length = ArgTable.length[i];
        while (length > keptLength[i] && sys::IsSpace(text[length - 1])) --length;
        text[length] = 0;
    }
}

} // namespace

int SplitArguments(unsigned options, const char16_t* text) {
    ArgTable.ArgCount = 0;
    if (text == nullptr) return -1;

    Splitter s{options};
    s.Open();
    for (const char16_t* p = text;; ++p) {
        const char16_t c = *p;
        if (c == u'"') {
            s.Quote();
            if (!s.bracketGroup) continue;
        }
        const bool space = c != 0 && sys::IsSpace(c);
        if (space && s.length == 0 && !s.inQuotes) continue;

        const bool separator = !s.inQuotes && ((space && s.Has(ArgBlanks) && !s.bracketGroup) ||
                                               (c == u',' && s.Has(ArgCommas)));
        if (c == u']' && !s.inQuotes) s.bracketGroup = false;

        if (s.Has(ArgSlashOptions)) {
            // "scheme://" inside an option value: its slashes belong to the value.
            if (c == u':' && s.length > 0 && IsAsciiLetter(p[-1]) && p[1] == u'/' && p[2] == u'/')
                s.addressSeen = true;
            if (c == u'/' && !s.inQuotes && !s.addressSeen && s.length >= 2 && s.First() == u'/' &&
                !s.End())
                return -1;
        }

        if (c == 0) {
            if (s.length > 0) {
                if (!s.Dropped()) s.keptLength[s.index] = s.kept;
                ++s.index;
            }
            break;
        }
        if (separator) {
            if (!s.End()) return -1;
            continue;
        }
        if (!s.Store(c)) return -1;
    }

    ArgTable.ArgCount = s.index;
    TrimTrailingBlanks(s.keptLength);
    return ArgTable.ArgCount;
}

char16_t* ArgText(int index) {
    return index >= 0 && index < ArgTable.ArgCount ? ArgTable.text[index] : EmptyArgument;
}

int ArgLength(int index) {
    return index >= 0 && index < ArgTable.ArgCount ? ArgTable.length[index] : 0;
}

bool ArgQuoted(int index) {
    return index >= 0 && index < ArgTable.ArgCount && ArgTable.quoted[index];
}

bool ArgWholeQuoted(int index) {
    return index >= 0 && index < ArgTable.ArgCount && ArgTable.whole[index];
}
