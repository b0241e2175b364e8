// The structure of a command line before its variables are expanded: commands joined by "&",
// "&&" and "||", "( ... )" blocks that may span lines, "if" with its condition and "else", and
// the redirections of each command. Quoted text and the brackets of %@name[...] and %[...] are
// opaque, so that nothing in them separates, redirects or closes a block; "^" makes the next
// character plain.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct Redirection {
    int stream = 1;        // 1 standard output, 2 standard error
    bool append = false;   // ">>"
    int duplicateOf = 0;   // "2>&1": the stream whose target this one shares; 0 for a file
    std::u16string target; // the file name, unexpanded
};

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

struct Condition {
    enum class Kind { Compare, Exist, Defined, ErrorLevel };
    Kind kind = Kind::Compare;
    bool negate = false;
    bool caseSensitive = false; // EQC
    CompareOp op = CompareOp::Equal;
    std::u16string left;  // unexpanded; the only operand of exist, defined and errorlevel
    std::u16string right; // unexpanded
};

struct Command;

// Commands in order; each after the first runs always ("&"), only after success ("&&") or only
// after failure ("||") of the one before.
enum class Joint { Always, IfSucceeded, IfFailed };
struct CommandList {
    std::vector<std::pair<Joint, std::unique_ptr<Command>>> commands;
};

struct Command {
    enum class Kind { Simple, Block, If };
    Kind kind = Kind::Simple;
    int line = 0;        // lines after the statement's first one
    bool quiet = false;  // a leading "@": not echoed
    std::u16string text; // Simple: the command, "^" escapes and redirections taken out
    std::vector<Redirection> redirections;
    CommandList body;      // Block: its commands; If: what runs when the condition holds
    Condition condition;   // If
    bool hasElse = false;  // If
    CommandList otherwise; // If: the else branch
};

enum class ParseStatus { Complete, Unclosed, Error };

struct ParseResult {
    ParseStatus status = ParseStatus::Complete;
    std::u16string message; // for Error
    int line = 0; // lines after the first one: where the Error is, or where the statement ends
};

// Parses one statement: a line, or lines joined by "\n" while a block is open. Unclosed means
// that a block is still open at the end and the next line belongs to it.
ParseResult ParseStatement(std::u16string_view text, CommandList& commands);

// Parses the statement that `text` starts with: it ends with the line on which its blocks are
// closed, and the lines after that one are left alone.
ParseResult ParseFirstStatement(std::u16string_view text, CommandList& commands);

// The blocks still open after `text` (lines that begin with a command) when `open` were open
// before it, as the parser opens and closes them, skimming over whatever faults the text has.
// Where a statement is refused, this tells which of the lines that follow still belong to it.
int OpenBlocksAfter(std::u16string_view text, int open);

// The label a line defines (":name" gives "name"), or empty when it defines none.
std::u16string_view LabelOf(std::u16string_view line);

} // namespace host
