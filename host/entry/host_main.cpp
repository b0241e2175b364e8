// The host's command line: plughost [-c LINE]... [SCRIPT [ARG...]], or
// plughost --check DIR|SCRIPT... to run and judge script tests in one process, or plughost --help.
#include "check/check.h"
#include "entry/host_api.h"
#include "plugin/clipboard_variable.h"
#include "plugin/plugin_loader.h"
#include "runner/line_runner.h"
#include "runner/script_runner.h"
#include "session/output_failure.h"
#include "session/session.h"
#include "text/u16.h"

#include <string>
#include <vector>

namespace host {

namespace {

constexpr int kUsageStatus = 2;

// What --help prints on standard output, and a wrong command line on standard error.
constexpr std::u16string_view kUsage =
    u"usage: plughost [-c LINE]... [SCRIPT [ARG...]]\r\n"
    u"       plughost --check DIR|SCRIPT...\r\n"
    u"       plughost --help\r\n"
    u"  -c LINE      runs LINE; several run in order, then SCRIPT when one is given\r\n"
    u"  SCRIPT       runs a batch file with its ARGs; with neither, lines are read from\r\n"
    u"               standard input\r\n"
    u"  --           ends the options: what follows is SCRIPT and its ARGs\r\n"
    u"  --check      runs the script tests of each DIR, and each SCRIPT (NAME.btm), and\r\n"
    u"               compares them with their transcripts (.out, .err, .rc)\r\n"
    u"  -h, --help   prints this text\r\n";

bool IsHelpOption(std::u16string_view arg) {
    return arg == u"--help" || arg == u"-h";
}

// A wrong command line: what is wrong, then the usage, on standard error.
int RefuseCommandLine(Session& session, std::u16string_view message) {
    HostMessage(session, message);
    WriteErr(session, kUsage);
    return kUsageStatus;
}

struct Invocation {
    std::vector<std::u16string> lines;  // the -c lines, in order
    std::vector<std::u16string> script; // the script and its arguments, when given
    bool help = false;                  // --help or -h before the script
};

// False, with `problem` set, when the command line is wrong.
bool ParseInvocation(const std::vector<std::u16string>& argv, Invocation& invocation,
                     std::u16string& problem) {
    size_t i = 1;
    while (i < argv.size()) {
        const std::u16string& arg = argv[i];
        if (IsHelpOption(arg)) {
            invocation.help = true;
            ++i;
        } else if (arg == u"-c") {
            if (i + 1 >= argv.size()) {
                problem = u"-c needs a LINE";
                return false;
            }
            invocation.lines.push_back(argv[i + 1]);
            i += 2;
        } else if (arg == u"--") {
            ++i;
            break;
        } else if (arg.size() > 1 && arg[0] == u'-') {
            problem = u"unknown option \"" + arg + u"\"";
            return false;
        } else {
            break;
        }
    }
    invocation.script.assign(argv.begin() + std::ptrdiff_t(i), argv.end());
    return true;
}

// Standard output that goes to a file or pipe is collected and written in large pieces while
// the host runs; whatever waits is written when it ends.
class CollectStandardOutput {
public:
    CollectStandardOutput() { sys::BufferStandardOutput(true); }
    ~CollectStandardOutput() { sys::BufferStandardOutput(false); }
    CollectStandardOutput(const CollectStandardOutput&) = delete;
    CollectStandardOutput& operator=(const CollectStandardOutput&) = delete;
};

int Run(const std::vector<std::u16string>& argv) {
    CollectStandardOutput collect;
    Session session;
    InitSession(session);
    ActivateSession active(session);

    if (argv.size() > 1 && argv[1] == u"--check") {
        if (argv.size() < 3) return RefuseCommandLine(session, u"--check needs a DIR or SCRIPT");
        session.pluginPath = DefaultPluginPath();
        return RunCheck(session, {argv.begin() + 2, argv.end()});
    }

    Invocation invocation;
    std::u16string problem;
    if (!ParseInvocation(argv, invocation, problem)) return RefuseCommandLine(session, problem);
    if (invocation.help) {
        WriteOut(session, kUsage);
        return StatusAfterOutput(session, 0);
    }

    ScriptState& script = session.script;
    script.transient = !invocation.lines.empty();
    // Only lines read from standard input can come through a pipe; a script is read from its file.
    bool fromStandardInput = invocation.lines.empty() && invocation.script.empty();
    script.pipe = fromStandardInput && !sys::IsConsole(sys::StdHandle(sys::StdStream::Input));
    session.pluginPath = DefaultPluginPath();
    ShareClipboardVariable(session);
    if (LoadPluginLibrary(session, session.pluginPath) != LoadOutcome::Loaded) return 1;

    for (const std::u16string& line : invocation.lines) {
        if (script.exitRequested) break;
        RunLine(session, line);
    }
    if (!script.exitRequested && !invocation.script.empty())
        RunScriptFile(session, invocation.script);
    if (invocation.lines.empty() && invocation.script.empty()) RunStandardInput(session);

    int status = script.exitRequested ? script.exitStatus : script.lastResult;
    UnloadPlugin(session, 1);
    return StatusAfterOutput(session, status);
}

} // namespace

} // namespace host

extern "C" KV_HOST_ENGINE int HostMain(int argc, const char16_t* const* argv) {
    std::vector<std::u16string> args;
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] != nullptr ? argv[i] : u"");
    return host::Run(args);
}

#if !defined(_WIN32)
extern "C" KV_HOST_ENGINE int HostMainUtf8(int argc, const char* const* argv) {
    std::vector<std::u16string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(text::FromUtf8(argv[i] != nullptr ? argv[i] : ""));
    return host::Run(args);
}
#endif
