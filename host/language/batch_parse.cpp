// The structure of a command line before its variables are expanded.
#include "language/batch_parse.h"

#include "language/words.h"
#include "text/u16.h"

#include <optional>

namespace host {

namespace {

// Blocks and conditions nested deeper than this are refused rather than risking the stack. A
// block counts once, an `if` once, and the block of an `if` or `else` belongs to the `if`: that
// is how a reader counts (1,000 lines of "if 1 == 1 (" are 1,000 levels).
constexpr int kMaxNesting = 1000;

bool IsNameUnit(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'$';
}

// Where a word that names a command or an operator ends.
bool EndsWord(char16_t c) {
    return IsBlank(c) || c == u'\n' || c == u'&' || c == u'|' || c == u'(' || c == u')' ||
           c == u'<' || c == u'>';
}

struct OperatorName {
    std::u16string_view name;
    CompareOp op;
    bool caseSensitive;
};

constexpr OperatorName kOperators[] = {
    {u"==", CompareOp::Equal, false},   {u"!=", CompareOp::NotEqual, false},
    {u"eq", CompareOp::Equal, false},   {u"ne", CompareOp::NotEqual, false},
    {u"lt", CompareOp::Less, false},    {u"le", CompareOp::LessEqual, false},
    {u"gt", CompareOp::Greater, false}, {u"ge", CompareOp::GreaterEqual, false},
    {u"eqc", CompareOp::Equal, true},
};

class Parser {
public:
    Parser(std::u16string_view text, bool firstOnly) : text_(text), firstOnly_(firstOnly) {}

    ParseResult Parse(CommandList& commands) {
        ParseList(commands, false, firstOnly_);
        if (!Failed()) result_.line = line_;
        return result_;
    }

    // The blocks open at the end of the text, `open` before it. The text is skimmed as it is
    // parsed, without recursion and whatever faults it has: a "(" that begins a command or
    // follows an `if`'s condition or an `else` opens a block, a ")" in a block that begins a
    // command or ends the text of one closes it.
    int CountBlocks(int open) {
        std::u16string plain; // what is skipped
        for (;;) {
            result_ = ParseResult{}; // faults are skimmed over
            SkipBlanks();
            if (!AtEnd() && Peek() == u'@') {
                ++pos_; // one "@" leads a command; a second is its text
                SkipBlanks();
            }
            if (AtEnd()) return open;
            const char16_t c = Peek();
            if (c == u'\n' || c == u'&' || c == u'|') {
                ++pos_;
            } else if (c == u'(') {
                ++open;
                ++pos_;
            } else if (c == u')' && open > 0) {
                --open;
                ++pos_;
                SkipBlanks();
                TakeWord(u"else");
            } else if (c == u':' || text::EqualNoCase(WordHere(), u"rem")) {
                SkipToLineEnd();
            } else if (TakeWord(u"else")) {
                // out of place, but a block that follows it is one
            } else if (TakeWord(u"if")) {
                // What follows a condition begins a command, even after a faulty one.
                Condition condition;
                if (!ParseCondition(condition))
                    for (SkipBlanks(); !AtEnd() && Peek() != u'(' && Peek() != u')' &&
                                       Peek() != u'\n' && Peek() != u'&' && Peek() != u'|';
                         SkipBlanks())
                        if (!CopyOpaque(plain)) CopyUnit(plain);
            } else {
                Command command;
                ParseSimple(command, open > 0);
                if (!AtEnd() && Peek() != u'\n' && Peek() != u')') ++pos_; // "&", "|" or "<"
            }
            plain.clear();
        }
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char16_t Peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : u'\0';
    }
    bool Failed() const { return result_.status != ParseStatus::Complete; }

    // Out of line, and taking a view: the frames of the recursive parse keep no message.
    [[gnu::noinline]] void Fail(std::u16string_view message) {
        if (Failed()) return;
        result_.status = ParseStatus::Error;
        result_.message = message;
        result_.line = line_;
    }
    void Unclosed() {
        if (!Failed()) result_.status = ParseStatus::Unclosed;
    }

    void SkipBlanks() {
        while (!AtEnd() && IsBlank(Peek())) ++pos_;
    }
    void SkipToLineEnd() {
        while (!AtEnd() && Peek() != u'\n') ++pos_;
    }

    // The word at the position, without moving.
    std::u16string_view WordHere() const {
        size_t end = pos_;
        while (end < text_.size() && !EndsWord(text_[end])) ++end;
        return text_.substr(pos_, end - pos_);
    }
    bool TakeWord(std::u16string_view word) {
        std::u16string_view here = WordHere();
        if (!text::EqualNoCase(here, word)) return false;
        pos_ += here.size();
        return true;
    }

    // Copies an opaque part to `out`: a quoted text, or a %@name[...] or %[...] reference with
    // its brackets. False when there is none at the position.
    bool CopyOpaque(std::u16string& out) {
        const char16_t c = Peek();
        size_t end = pos_;
        if (c == u'"') {
            end = pos_ + 1;
            while (end < text_.size() && text_[end] != u'"' && text_[end] != u'\n') ++end;
            if (end < text_.size() && text_[end] == u'"') ++end;
        } else if (c == u'%' && Peek(1) == u'%') {
            end = pos_ + 2; // a plain percent sign: what follows is no reference
        } else if (c == u'%' && (Peek(1) == u'[' || Peek(1) == u'@')) {
            size_t open = pos_ + 1;
            if (Peek(1) == u'@') {
                open = pos_ + 2;
                while (open < text_.size() && IsNameUnit(text_[open])) ++open;
                if (open == pos_ + 2 || open >= text_.size() || text_[open] != u'[') return false;
            }
            int depth = 0;
            for (end = open; end < text_.size() && text_[end] != u'\n'; ++end) {
                if (text_[end] == u'[') ++depth;
                if (text_[end] == u']' && --depth == 0) {
                    ++end;
                    break;
                }
            }
        } else {
            return false;
        }
        out.append(text_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }

    // One character of a word, with "^" taken as the escape of the next.
    void CopyUnit(std::u16string& out) {
        if (Peek() == u'^') {
            // A "^" that ends the line escapes nothing and goes.
            if (pos_ + 1 < text_.size() && Peek(1) != u'\n') out += Peek(1);
            pos_ += pos_ + 1 < text_.size() && Peek(1) != u'\n' ? 2 : 1;
            return;
        }
        out += Peek();
        ++pos_;
    }

    // A word: an operand of "if" or the file of a redirection.
    std::u16string Token(bool stopAtComparison) {
        std::u16string token;
        while (!AtEnd()) {
            const char16_t c = Peek();
            if (EndsWord(c)) break;
            if (stopAtComparison && (c == u'=' || c == u'!') && Peek(1) == u'=') break;
            if (!CopyOpaque(token)) CopyUnit(token);
        }
        return token;
    }

    void ParseList(CommandList& list, bool inBlock, bool toLineEnd) {
        Joint joint = Joint::Always;
        for (;;) {
            SkipBlanks();
            if (AtEnd()) {
                if (inBlock) Unclosed();
                return;
            }
            const char16_t c = Peek();
            if (c == u'\n') {
                if (toLineEnd) return;
                ++pos_;
                ++line_;
                joint = Joint::Always;
                continue;
            }
            if (c == u')') {
                if (inBlock) return;
                return Fail(u"unexpected \")\"");
            }
            if (c == u'&' || c == u'|')
                return Fail(c == u'&' ? u"a command is missing before \"&\""
                                      : u"a command is missing before \"|\"");
            std::unique_ptr<Command> command = ParseCommand(inBlock);
            if (Failed()) return;
            if (command) list.commands.emplace_back(joint, std::move(command));
            joint = Joint::Always;
            SkipBlanks();
            if (AtEnd()) continue;
            const char16_t next = Peek();
            if (next == u'&') {
                if (Peek(1) == u'&') joint = Joint::IfSucceeded;
                pos_ += joint == Joint::IfSucceeded ? 2 : 1;
            } else if (next == u'|') {
                if (Peek(1) != u'|') return Fail(u"pipes (\"|\") are not supported");
                pos_ += 2;
                joint = Joint::IfFailed;
            } else if (next != u'\n' && next != u')') {
                return Fail(u"unexpected text after \")\"");
            }
        }
    }

    // One level of nesting for the time it is parsed: a block, or an `if` with its branches.
    // The parser recurses once or a few times for each level, never for anything else, so this
    // bounds its depth of recursion, and that of running and freeing the commands.
    class Level {
    public:
        explicit Level(Parser& parser) : parser_(parser) {
            if (++parser_.nesting_ > kMaxNesting) parser_.FailTooDeep();
        }
        ~Level() { --parser_.nesting_; }
        Level(const Level&) = delete;
        Level& operator=(const Level&) = delete;

    private:
        Parser& parser_;
    };

    [[gnu::noinline]] void FailTooDeep() {
        Fail(u"blocks and conditions are nested too deeply (more than " + DecimalText(kMaxNesting) +
             u")");
    }

    // `branch`: the block that an `if` or `else` runs, which is of the `if`'s level.
    std::unique_ptr<Command> ParseCommand(bool inBlock, bool branch = false) {
        auto command = std::make_unique<Command>();
        command->line = line_;
        if (Peek() == u'@') {
            command->quiet = true;
            ++pos_;
            SkipBlanks();
        }
        if (AtEnd() || Peek() == u'\n') return nullptr;
        // Comments and labels run nothing, whatever follows on their line.
        if (Peek() == u':' || text::EqualNoCase(WordHere(), u"rem")) {
            SkipToLineEnd();
            return nullptr;
        }
        if (Peek() == u'(') {
            std::optional<Level> level;
            if (!branch) level.emplace(*this);
            if (Failed()) return nullptr;
            ++pos_;
            command->kind = Command::Kind::Block;
            ParseList(command->body, true, false);
            if (Failed()) return nullptr;
            ++pos_; // the ")"
            ParseRedirections(*command);
            return command;
        }
        // An `else` on a line of its own would run its block whatever the condition.
        if (text::EqualNoCase(WordHere(), u"else")) {
            Fail(u"else must follow the \")\" of an if's block on its line");
            return nullptr;
        }
        if (TakeWord(u"if")) {
            Level level(*this);
            if (Failed()) return nullptr;
            ParseIf(*command, inBlock);
            return command;
        }
        ParseSimple(*command, inBlock);
        return command;
    }

    // Redirections after a block's ")".
    void ParseRedirections(Command& command) {
        for (;;) {
            SkipBlanks();
            if (!AtRedirection(true)) return;
            ParseRedirection(command);
            if (Failed()) return;
        }
    }

    bool AtRedirection(bool wordStart) const {
        const char16_t c = Peek();
        if (c == u'>') return true;
        return wordStart && (c == u'1' || c == u'2') && Peek(1) == u'>';
    }

    void ParseRedirection(Command& command) {
        Redirection redirection;
        if (Peek() != u'>') {
            redirection.stream = Peek() - u'0';
            ++pos_;
        }
        ++pos_;
        if (Peek() == u'>') {
            redirection.append = true;
            ++pos_;
        }
        if (Peek() == u'&' && (Peek(1) == u'1' || Peek(1) == u'2')) {
            redirection.duplicateOf = Peek(1) - u'0';
            pos_ += 2;
        } else {
            SkipBlanks();
            redirection.target = Token(false);
            if (redirection.target.empty()) return Fail(u"a file name is missing after \">\"");
        }
        command.redirections.push_back(std::move(redirection));
    }

    void ParseSimple(Command& command, bool inBlock) {
        std::u16string& out = command.text;
        int depth = 0;
        bool blankPending = false; // a redirection was taken out of the text
        while (!AtEnd()) {
            const char16_t c = Peek();
            if (c == u'\n' || c == u'&' || c == u'|') break;
            if (c == u')' && depth == 0 && inBlock) break;
            if (c == u'<') return Fail(u"input redirection (\"<\") is not supported");
            if (AtRedirection(out.empty() || IsBlank(out.back()) || blankPending)) {
                while (!out.empty() && IsBlank(out.back())) out.pop_back();
                ParseRedirection(command);
                if (Failed()) return;
                blankPending = !out.empty();
                SkipBlanks();
                continue;
            }
            if (blankPending) {
                out += u' ';
                blankPending = false;
            }
            if (c == u'(') ++depth;
            if (c == u')' && depth > 0) --depth;
            if (!CopyOpaque(out)) CopyUnit(out);
        }
        // Blanks before a separator belong to neither command.
        if (!AtEnd() && Peek() != u'\n')
            while (!out.empty() && IsBlank(out.back())) out.pop_back();
    }

    // The condition of an `if`, up to what it runs. False when it is faulty.
    bool ParseCondition(Condition& condition) {
        for (;;) {
            SkipBlanks();
            if (TakeWord(u"/i")) continue;
            if (TakeWord(u"not")) {
                condition.negate = !condition.negate;
                continue;
            }
            break;
        }
        if (TakeWord(u"exist")) {
            condition.kind = Condition::Kind::Exist;
        } else if (TakeWord(u"defined")) {
            condition.kind = Condition::Kind::Defined;
        } else if (TakeWord(u"errorlevel")) {
            condition.kind = Condition::Kind::ErrorLevel;
        }
        if (condition.kind != Condition::Kind::Compare) {
            SkipBlanks();
            condition.left = Token(false);
            if (condition.left.empty()) {
                Fail(u"if: the condition is incomplete");
                return false;
            }
        } else {
            condition.left = Token(true);
            SkipBlanks();
            bool found = false;
            for (const OperatorName& candidate : kOperators) {
                const bool symbol = candidate.name[0] == u'=' || candidate.name[0] == u'!';
                if (symbol ? text_.substr(pos_, 2) == candidate.name : TakeWord(candidate.name)) {
                    if (symbol) pos_ += 2;
                    condition.op = candidate.op;
                    condition.caseSensitive = candidate.caseSensitive;
                    found = true;
                    break;
                }
            }
            if (!found || condition.left.empty()) {
                Fail(u"if needs a condition: A == B, A EQ|NE|LT|LE|GT|GE B, exist FILE or "
                     u"defined NAME");
                return false;
            }
            SkipBlanks();
            condition.right = Token(false);
            if (condition.right.empty()) {
                Fail(u"if: the condition is incomplete");
                return false;
            }
        }
        return true;
    }

    void ParseIf(Command& command, bool inBlock) {
        command.kind = Command::Kind::If;
        if (!ParseCondition(command.condition)) return;
        ParseBranch(command.body, inBlock);
        if (Failed()) return;
        if (command.body.commands.empty() ||
            command.body.commands.back().second->kind != Command::Kind::Block ||
            command.body.commands.size() != 1)
            return;
        SkipBlanks();
        if (!TakeWord(u"else")) return;
        command.hasElse = true;
        ParseBranch(command.otherwise, inBlock);
    }

    // What "if" or "else" runs: a block, or the rest of the line.
    void ParseBranch(CommandList& branch, bool inBlock) {
        SkipBlanks();
        if (AtEnd() || Peek() == u'\n' || Peek() == u'&' || Peek() == u'|' ||
            (inBlock && Peek() == u')'))
            return Fail(u"if: the command is missing");
        if (Peek() == u'(') {
            std::unique_ptr<Command> block = ParseCommand(inBlock, true);
            if (block) branch.commands.emplace_back(Joint::Always, std::move(block));
            return;
        }
        ParseList(branch, inBlock, true);
    }

    std::u16string_view text_;
    bool firstOnly_; // the statement ends with its line once its blocks are closed
    size_t pos_ = 0;
    int line_ = 0;
    int nesting_ = 0; // levels being parsed, one inside the other
    ParseResult result_;
};

} // namespace

ParseResult ParseStatement(std::u16string_view text, CommandList& commands) {
    commands.commands.clear();
    return Parser(text, false).Parse(commands);
}

ParseResult ParseFirstStatement(std::u16string_view text, CommandList& commands) {
    commands.commands.clear();
    return Parser(text, true).Parse(commands);
}

int OpenBlocksAfter(std::u16string_view text, int open) {
    return Parser(text, false).CountBlocks(open);
}

std::u16string_view LabelOf(std::u16string_view line) {
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.size() < 2 || line[0] != u':' || line[1] == u':') return {};
    line.remove_prefix(1);
    size_t end = 0;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    return line.substr(0, end);
}

} // namespace host
