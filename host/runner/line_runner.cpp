// Running one command line.
#include "runner/line_runner.h"

#include "builtins/commands.h"

#include "language/batch_parse.h"
#include "language/words.h"
#include "runner/batch_if.h"
#include "runner/expand.h"
#include "runner/redirection.h"
#include "text/u16.h"

namespace host {

namespace {

// Whether the rest of the statement is to be left: the script ends or goes elsewhere.
bool Leaving(const ScriptState& script) {
    return script.exitRequested || script.quitRequested || script.gotoRequested;
}

class StatementRunner {
public:
    StatementRunner(Session& session, int firstLine) : session_(session), firstLine_(firstLine) {}

    // False when the rest of the statement is dropped: an expansion or a redirection failed,
    // or the script ends or goes elsewhere.
    bool RunList(const CommandList& list, bool quiet) {
        for (const auto& [joint, command] : list.commands) {
            const bool succeeded = session_.script.lastResult == 0;
            if ((joint == Joint::IfSucceeded && !succeeded) ||
                (joint == Joint::IfFailed && succeeded))
                continue;
            if (!RunCommand(*command, quiet || command->quiet)) return false;
            if (Leaving(session_.script)) return false;
        }
        return true;
    }

private:
    bool RunCommand(const Command& command, bool quiet) {
        if (session_.script.inBatch && firstLine_ > 0)
            session_.script.batchLine = firstLine_ + command.line;
        switch (command.kind) {
        case Command::Kind::Simple:
            return RunSimple(command, quiet);
        case Command::Kind::Block: {
            Redirect redirect(session_, command.redirections);
            return redirect.Applied() && RunList(command.body, quiet);
        }
        case Command::Kind::If: {
            bool holds = false;
            if (!TestCondition(session_, command.condition, holds)) return false;
            if (holds) return RunList(command.body, quiet);
            return !command.hasElse || RunList(command.otherwise, quiet);
        }
        }
        return true;
    }

    // Out of line: its locals stay out of the frames that nested blocks and conditions stack up.
    [[gnu::noinline]] bool RunSimple(const Command& command, bool quiet) {
        // What the expansion writes to standard error (a failing function's message) belongs to
        // the command: it is held until the command's redirections apply, so that its "2>"
        // takes it. The expansion comes first, as the real host expands a command before it
        // redirects it; when it fails, the command fails as an unknown one does, its
        // redirections applied.
        std::u16string expansionErrors;
        const OutputStream standardError = session_.err;
        if (!command.redirections.empty()) session_.err = OutputStream{nullptr, &expansionErrors};
        std::u16string expanded;
        ExpandResult expansion = ExpandText(session_, command.text, expanded);
        if (expansion.fault == ExpandFault::TooLong)
            HostMessage(session_, u"expanded line too long (more than " +
                                      DecimalText(kMaxTextUnits) + u" characters): not run");
        session_.err = standardError;
        if (expansion.fault != ExpandFault::None) {
            Redirect redirect(session_, command.redirections);
            WriteErr(session_, expansionErrors);
            session_.script.lastResult = expansion.code;
            return false;
        }
        // With echo on, a batch file shows each command as it runs, as it reads once expanded.
        if (session_.script.echoOn && session_.script.inBatch && !quiet &&
            !TrimBlanksView(expanded).empty())
            WriteOut(session_, expanded + u"\r\n");
        Redirect redirect(session_, command.redirections);
        WriteErr(session_, expansionErrors);
        if (!redirect.Applied()) return false;
        RunCommandText(session_, expanded);
        return true;
    }

    Session& session_;
    int firstLine_;
};

} // namespace

void RunStatement(Session& session, const CommandList& commands, int firstLine) {
    StatementRunner(session, firstLine).RunList(commands, false);
}

void ReportParseFailure(Session& session, const ParseResult& parse, int firstLine) {
    if (session.script.inBatch && firstLine > 0) session.script.batchLine = firstLine + parse.line;
    HostMessage(session, parse.status == ParseStatus::Unclosed ? std::u16string(u"missing \")\"")
                                                               : parse.message);
    session.script.lastResult = 1;
}

bool RefuseTooLongLine(Session& session, std::u16string_view line) {
    if (line.size() <= kMaxTextUnits) return false;
    HostMessage(session, u"line too long (more than " + DecimalText(kMaxTextUnits) +
                             u" characters): not run");
    session.script.lastResult = 1;
    return true;
}

void RunLine(Session& session, std::u16string_view line) {
    if (RefuseTooLongLine(session, line)) return;
    CommandList commands;
    ParseResult parse = ParseStatement(line, commands);
    if (parse.status != ParseStatus::Complete) return ReportParseFailure(session, parse, 0);
    RunStatement(session, commands, 0);
}

} // namespace host
