// One script test with fresh host state.
#include "check/suite.h"

#include "language/words.h"
#include "plugin/clipboard_variable.h"
#include "plugin/plugin_loader.h"
#include "runner/script_runner.h"
#include "text/u16.h"

namespace host {

namespace {

// What the script-test runner clears before every run.
constexpr std::u16string_view kClearedVariables[] = {u"NO_COLOR",         u"Highlight",
                                                     u"PLUGHOST_CMDPROC", u"PLUGHOST_PLUGIN",
                                                     u"noloadmsg",        kClipboardVariable};

std::u16string_view SkipBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// "rem env NAME=VALUE" → NAME and VALUE; false for any other line.
bool ParseEnvironmentLine(std::u16string_view line, std::u16string& name, std::u16string& value) {
    std::optional<std::u16string_view> remark = RemarkText(line);
    if (!remark || remark->size() < 4 || remark->substr(0, 3) != u"env" || !IsBlank((*remark)[3]))
        return false;
    std::u16string_view assignment = SkipBlanks(remark->substr(3));
    size_t equals = assignment.find(u'=');
    if (equals == 0 || equals == std::u16string_view::npos) return false;
    name.assign(assignment.substr(0, equals));
    value.assign(assignment.substr(equals + 1));
    return true;
}

} // namespace

std::optional<std::u16string_view> RemarkText(std::u16string_view line) {
    if (!line.empty() && line.front() == u'@') line.remove_prefix(1);
    if (line.size() < 3 || !text::EqualNoCase(line.substr(0, 3), u"rem")) return std::nullopt;
    if (line.size() > 3 && !IsBlank(line[3])) return std::nullopt;
    return SkipBlanks(line.substr(3));
}

int RunScriptAlone(Session& session, const std::u16string& script, std::u16string& out,
                   std::u16string& err) {
    ResetScriptState(session);
    session.script.pipe = false; // each script is read from its file, as in a process of its own
    session.out.capture = &out;
    session.err.capture = &err;

    int status = 1;
    std::u16string fullPath;
    std::string content;
    if (ReadScriptFile(session, script, fullPath, content)) {
        for (std::u16string_view name : kClearedVariables) ChangeEnvironment(session, name, u"");
        for (const auto& [name, value] : LeadingEnvironmentLines(SplitScriptLines(content)))
            ChangeEnvironment(session, name, value);
        ShareClipboardVariable(session);
        if (LoadPluginLibrary(session, session.pluginPath) == LoadOutcome::Loaded) {
            RunScriptText(session, content, fullPath, {script});
            ScriptState& state = session.script;
            status = state.exitRequested ? state.exitStatus : state.lastResult;
            UnloadPlugin(session, 1);
        }
    }

    session.out.capture = nullptr;
    session.err.capture = nullptr;
    ResetScriptState(session); // gives the environment back
    return status;
}

std::vector<std::pair<std::u16string, std::u16string>>
LeadingEnvironmentLines(const std::vector<std::u16string>& lines) {
    std::vector<std::pair<std::u16string, std::u16string>> variables;
    std::u16string name;
    std::u16string value;
    for (const std::u16string& line : lines) {
        if (!ParseEnvironmentLine(line, name, value)) break;
        variables.emplace_back(name, value);
    }
    return variables;
}

} // namespace host
