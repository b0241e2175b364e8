// plughost --suite: many scripts in one process.
#include "engine/suite.h"

#include "engine/clipboard_variable.h"
#include "engine/plugin_loader.h"
#include "engine/script_runner.h"
#include "engine/suite_files.h"
#include "frame/text/u16.h"

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
    if (!line.empty() && line.front() == u'@') line.remove_prefix(1);
    if (line.size() < 4 || !text::EqualNoCase(line.substr(0, 3), u"rem") || !IsBlank(line[3]))
        return false;
    line = SkipBlanks(line.substr(3));
    if (line.size() < 4 || line.substr(0, 3) != u"env" || !IsBlank(line[3])) return false;
    line = SkipBlanks(line.substr(3));
    size_t equals = line.find(u'=');
    if (equals == 0 || equals == std::u16string_view::npos) return false;
    name.assign(line.substr(0, equals));
    value.assign(line.substr(equals + 1));
    return true;
}

std::u16string BaseNameOf(const std::u16string& path) {
    size_t slash = path.find_last_of(u"/\\");
    std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string::npos && dot != 0) name.resize(dot);
    return name;
}

// Runs one script as a process of its own would, collecting its output; returns its status.
int RunOneScript(Session& session, const std::u16string& script, std::u16string& out,
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

} // namespace

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

int RunSuite(Session& session, const std::u16string& listPath, const std::u16string& outDir) {
    std::u16string fullListPath;
    std::string list;
    if (!ReadScriptFile(session, listPath, fullListPath, list)) return 1;
    if (!MakeDirectory(outDir)) {
        HostMessage(session, u"cannot create the directory \"" + outDir + u"\"");
        return 1;
    }

    int failures = 0;
    for (const std::u16string& entry : SplitScriptLines(list)) {
        std::u16string script(TrimBlanksView(entry));
        if (script.empty() || script.front() == u'#') continue;
        std::u16string out;
        std::u16string err;
        int status = RunOneScript(session, script, out, err);
        sys::FlushStandardOutput(); // each script's traces before the next one's

        std::u16string base = outDir + u"/" + BaseNameOf(script);
        bool written = WriteWholeFile(base + u".stdout", text::ToUtf8(out)) &&
                       WriteWholeFile(base + u".stderr", text::ToUtf8(err)) &&
                       WriteWholeFile(base + u".status", text::ToUtf8(DecimalText(status) + u"\n"));
        if (!written) {
            HostMessage(session, u"cannot write the results of \"" + script + u"\"");
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace host
