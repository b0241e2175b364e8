// Running scripts: batch files, script text, and lines from standard input.
#include "runner/script_runner.h"

#include "runner/line_runner.h"
#include "runner/stdin_lines.h"
#include "session/files.h"
#include "text/u16.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace host {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view WithoutByteOrderMark(std::string_view utf8) {
    if (utf8.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        utf8.remove_prefix(kByteOrderMark.size());
    return utf8;
}

std::string_view WithoutCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

} // namespace

std::vector<std::u16string> SplitScriptLines(std::string_view utf8) {
    utf8 = WithoutByteOrderMark(utf8);
    std::vector<std::u16string> lines;
    while (!utf8.empty()) {
        size_t end = utf8.find('\n');
        lines.push_back(text::FromUtf8(WithoutCarriageReturn(utf8.substr(0, end))));
        if (end == std::string_view::npos) break;
        utf8.remove_prefix(end + 1);
    }
    return lines;
}

namespace {

// A statement of a script: the lines from its first to `lastLine`, parsed once however often a
// loop comes back to it.
struct Statement {
    CommandList commands;
    ParseResult parse;
    size_t lastLine = 0;
};

Statement ParseAt(const std::vector<std::u16string>& lines, size_t first) {
    Statement statement;
    std::u16string text = lines[first];
    size_t last = first;
    statement.parse = ParseFirstStatement(text, statement.commands);
    // A block that is open at the end of a line goes on in the next. The lines are added twice as
    // many at a time, so that a long block is parsed a few times, not once for every line.
    for (size_t more = 1;
         statement.parse.status == ParseStatus::Unclosed && last + 1 < lines.size(); more *= 2) {
        for (size_t end = std::min(last + more, lines.size() - 1); last < end;) {
            text += u'\n';
            text += lines[++last];
        }
        statement.parse = ParseFirstStatement(text, statement.commands);
    }
    statement.lastLine = statement.parse.status == ParseStatus::Unclosed
                             ? last
                             : first + size_t(statement.parse.line);
    return statement;
}

std::u16string FoldedLabel(std::u16string_view label) {
    std::u16string folded(label);
    for (char16_t& unit : folded) unit = text::AsciiLower(unit);
    return folded;
}

// Every label of the script and its line; where a label is defined twice, the first counts.
std::unordered_map<std::u16string, size_t> IndexLabels(const std::vector<std::u16string>& lines) {
    std::unordered_map<std::u16string, size_t> labels;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::u16string_view label = LabelOf(lines[i]);
        if (!label.empty()) labels.emplace(FoldedLabel(label), i);
    }
    return labels;
}

void RunLines(Session& session, const std::vector<std::u16string>& lines) {
    ScriptState& script = session.script;
    const auto labels = IndexLabels(lines);
    std::vector<std::unique_ptr<Statement>> statements(lines.size());
    size_t i = 0;
    while (i < lines.size() && !script.exitRequested && !script.quitRequested) {
        script.batchLine = int(i + 1);
        if (RefuseTooLongLine(session, lines[i])) {
            // A refused line that opens a block is a refused statement (see below).
            if (OpenBlocksAfter(lines[i], 0) > 0) {
                script.quitRequested = true;
                break;
            }
            ++i;
            continue;
        }
        if (!statements[i]) statements[i] = std::make_unique<Statement>(ParseAt(lines, i));
        const Statement& statement = *statements[i];
        if (statement.parse.status != ParseStatus::Complete) {
            // Where a refused statement ends cannot be told: the batch file ends with it, as
            // it does at a missing label, so that nothing of it runs.
            ReportParseFailure(session, statement.parse, int(i + 1));
            script.quitRequested = true;
            break;
        }
        RunStatement(session, statement.commands, int(i + 1));
        i = statement.lastLine + 1;
        if (!script.gotoRequested) continue;
        script.gotoRequested = false;
        std::u16string_view named = script.gotoLabel;
        const bool colon = !named.empty() && named.front() == u':';
        if (colon) named.remove_prefix(1);
        const std::u16string label = FoldedLabel(named);
        // "goto :eof" ends the batch file even where it has a label of that name.
        auto found = colon && label == u"eof" ? labels.end() : labels.find(label);
        if (found != labels.end()) {
            i = found->second + 1;
        } else if (label == u"eof") {
            script.quitRequested = true;
        } else {
            HostMessage(session, u"label \"" + std::u16string(named) + u"\" not found");
            script.lastResult = 1;
            script.quitRequested = true;
        }
    }
}

} // namespace

void RunScriptText(Session& session, std::string_view utf8, const std::u16string& fullPath,
                   const std::vector<std::u16string>& args) {
    ScriptState& script = session.script;
    ScriptState outer = script; // the batch state to return to
    script.inBatch = true;
    script.batchName = fullPath;
    script.args = args;

    RunLines(session, SplitScriptLines(utf8));

    script.inBatch = outer.inBatch;
    script.batchName = outer.batchName;
    script.batchLine = outer.batchLine;
    script.args = outer.args;
    script.echoOn = outer.echoOn; // echo on or off lasts as long as the batch file
    script.quitRequested = false;
    script.gotoRequested = false;
}

bool ReadScriptFile(Session& session, const std::u16string& given, std::u16string& fullPath,
                    std::string& content) {
    fullPath = FullPathOf(given);
    if (ReadFileBytes(fullPath, content) == FileRead::Read) return true;
    HostMessage(session, u"cannot read the script \"" + given + u"\"");
    session.script.lastResult = 1;
    return false;
}

bool RunScriptFile(Session& session, const std::vector<std::u16string>& args) {
    std::u16string fullPath;
    std::string content;
    if (!ReadScriptFile(session, args.at(0), fullPath, content)) return false;
    RunScriptText(session, content, fullPath, args);
    return true;
}

void RunStandardInput(Session& session) {
    std::string line;
    bool first = true;
    while (!session.script.exitRequested && ReadInputLine(line)) {
        std::string_view bytes = WithoutCarriageReturn(line);
        if (first) bytes = WithoutByteOrderMark(bytes);
        first = false;
        std::u16string statement = text::FromUtf8(bytes);
        // A block that is open at the end of a line goes on in the next: the lines are read
        // until their blocks close, and parsed once then. A statement that is refused takes
        // its lines along, so that none of them runs on its own.
        const bool tooLong = statement.size() > kMaxTextUnits;
        CommandList commands;
        ParseResult parse;
        parse.status = ParseStatus::Unclosed;
        for (int open = OpenBlocksAfter(statement, 0);;) {
            if (open == 0 && !tooLong) parse = ParseStatement(statement, commands);
            if ((open == 0 && (tooLong || parse.status != ParseStatus::Unclosed)) ||
                !ReadInputLine(line))
                break;
            std::u16string next = text::FromUtf8(WithoutCarriageReturn(line));
            open = OpenBlocksAfter(next, open);
            statement += u'\n';
            statement += next;
        }
        if (tooLong) {
            RefuseTooLongLine(session, statement);
            continue;
        }
        if (parse.status == ParseStatus::Unclosed) parse = ParseStatement(statement, commands);
        if (parse.status == ParseStatus::Complete)
            RunStatement(session, commands, 0);
        else
            ReportParseFailure(session, parse, 0);
    }
}

} // namespace host
