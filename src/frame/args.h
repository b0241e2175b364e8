// Splitting a feature's argument text into the shared argument table.
//
// Every feature gets its arguments as one text; SplitArguments cuts it into arguments under a
// set of options and keeps them in ArgTable until the next split. An argument of length 0 counts
// as not given.
#pragma once

// Splitting options, combined with "|".
enum ArgOption : unsigned {
    ArgCommas = 1u << 0,        // a comma outside quotes ends an argument
    ArgBlanks = 1u << 1,        // white space outside quotes ends an argument
    ArgSlashOptions = 1u << 2,  // "/" inside a slash option (/a/b) starts a new argument
    ArgUpperCase = 1u << 3,     // stored characters are upper-cased
    ArgBracketGroups = 1u << 4, // an argument that begins with "/[!" runs to the closing "]"
    ArgQuotedTexts = 1u << 5,   // blanks inside quotes stay, also at an argument's end
};

constexpr int kArgMaxCount = 1024;
constexpr int kArgPoolUnits = 8192;

// The arguments of the last split. Each text lies in the pool, terminated; callers may change
// it in place (error paths upper-case the argument they print).
struct ArgTableData {
    int ArgCount;
    char16_t* text[kArgMaxCount];
    int length[kArgMaxCount];
    bool quoted[kArgMaxCount]; // the argument held a double quote
    bool whole[kArgMaxCount];  // it was one quoted text: two quotes, with only blanks around them
    char16_t pool[kArgPoolUnits];
};

extern ArgTableData ArgTable;

// Rebuilds ArgTable from `text`. Returns ArgCount, or -1 when `text` is null or the pool
// overflows (the overflow is reported; ArgCount is then 0).
[[nodiscard]] int SplitArguments(unsigned options, const char16_t* text);

// Bounds-checked access: an index at or beyond ArgCount reads as an empty argument.
char16_t* ArgText(int index);
int ArgLength(int index);
inline bool ArgGiven(int index) {
    return ArgLength(index) > 0;
}
// Whether the argument held a double quote (which the split removed): "0x41" is a text.
bool ArgQuoted(int index);
// Whether the argument was one whole quoted text, "John": not Jo"hn", "Jo"hn or "John"" ".
bool ArgWholeQuoted(int index);
