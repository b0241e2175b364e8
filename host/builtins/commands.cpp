// The host's own commands, and the plug-in's commands called by name.
#include "builtins/commands.h"

#include "language/words.h"
#include "plugin/export_check.h"
#include "plugin/feature_call.h"
#include "plugin/plugin_loader.h"
#include "session/files.h"
#include "text/u16.h"

#include <memory>

namespace host {

namespace {

constexpr int kUsageCapacity = 1024;

std::u16string_view SkipBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

struct CommandLine {
    std::u16string_view name;
    std::u16string_view rest; // everything after the name, blanks included
};

CommandLine SplitCommand(std::u16string_view line) {
    line = SkipBlanks(line);
    size_t end = 0;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    return {line.substr(0, end), line.substr(end)};
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'"';
    quoted += text;
    quoted += u'"';
    return quoted;
}

void Succeed(Session& session) {
    session.script.lastResult = 0;
}

void Fail(Session& session, std::u16string_view message) {
    HostMessage(session, message);
    session.script.lastResult = 1;
}

// ---- Built-in commands -----------------------------------------------------------------------

void Echo(Session& session, std::u16string_view rest) {
    std::u16string_view word = TrimBlanksView(rest);
    if (text::EqualNoCase(word, u"on") || text::EqualNoCase(word, u"off")) {
        session.script.echoOn = text::EqualNoCase(word, u"on");
        return Succeed(session);
    }
    if (word.empty()) {
        WriteOut(session, session.script.echoOn ? u"ECHO is ON\r\n" : u"ECHO is OFF\r\n");
        return Succeed(session);
    }
    // Only the separator goes: further blanks are part of the text.
    rest.remove_prefix(1);
    std::u16string line(rest);
    line += u"\r\n";
    WriteOut(session, line);
    Succeed(session);
}

void Set(Session& session, std::u16string_view rest) {
    rest = SkipBlanks(rest);
    size_t equals = rest.find(u'=');
    std::u16string_view name = TrimBlanksView(rest.substr(0, equals));
    if (name.empty()) return Fail(session, u"set needs NAME=VALUE");
    if (equals == std::u16string_view::npos) {
        std::optional<std::u16string> value = ReadEnvironment(name);
        if (!value) return Fail(session, u"variable " + Quoted(name) + u" is not set");
        WriteOut(session, std::u16string(name) + u"=" + *value + u"\r\n");
        return Succeed(session);
    }
    if (!ChangeEnvironment(session, name, rest.substr(equals + 1)))
        return Fail(session, u"cannot set " + Quoted(name));
    Succeed(session);
}

void Unset(Session& session, std::u16string_view rest) {
    rest = SkipBlanks(rest);
    if (rest.empty()) return Fail(session, u"unset needs a NAME");
    bool failed = false;
    while (!rest.empty()) {
        CommandLine word = SplitCommand(rest);
        if (!ChangeEnvironment(session, word.name, u"")) {
            HostMessage(session, u"cannot unset " + Quoted(word.name));
            failed = true;
        }
        rest = SkipBlanks(word.rest);
    }
    session.script.lastResult = failed ? 1 : 0;
}

// A signed decimal status that fits in 32 bits.
bool ParseStatus(std::u16string_view text, int& status) {
    bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) text.remove_prefix(1);
    if (text.empty()) return false;
    long long value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
        if (value > 2147483648LL) return false;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return false;
    status = int(value);
    return true;
}

// The status of `exit` and `quit`: N, or the last result. False (reported) when N is no number.
bool EndStatus(Session& session, std::u16string_view command, std::u16string_view rest,
               int& status) {
    rest = TrimBlanksView(rest);
    status = session.script.lastResult;
    if (rest.empty() || ParseStatus(rest, status)) return true;
    Fail(session, std::u16string(command) + u" needs a number, not " + Quoted(rest));
    return false;
}

void Exit(Session& session, std::u16string_view rest) {
    int status = 0;
    if (!EndStatus(session, u"exit", rest, status)) return;
    session.script.lastResult = status;
    session.script.exitStatus = status;
    session.script.exitRequested = true;
}

// Ends the batch file; outside one there is nothing else to end, and it ends like `exit`.
void Quit(Session& session, std::u16string_view rest) {
    if (!session.script.inBatch) return Exit(session, rest);
    int status = 0;
    if (!EndStatus(session, u"quit", rest, status)) return;
    session.script.lastResult = status;
    session.script.quitRequested = true;
}

// Asks the script runner to go on after the label.
void Goto(Session& session, std::u16string_view rest) {
    std::u16string_view label = TrimBlanksView(rest);
    const bool colon = !label.empty() && label.front() == u':';
    if (colon) label.remove_prefix(1);
    label = SplitCommand(label).name;
    if (label.empty()) return Fail(session, u"goto needs a label");
    if (!session.script.inBatch) return Fail(session, u"goto works only in a batch file");
    // The colon stays: "goto :eof" means the end of the file, whatever labels there are.
    session.script.gotoLabel.assign(colon ? u":" : u"");
    session.script.gotoLabel += label;
    session.script.gotoRequested = true;
    Succeed(session);
}

void Plugin(Session& session, std::u16string_view rest) {
    CommandLine option = SplitCommand(rest);
    if (text::EqualNoCase(option.name, u"/u")) {
        if (!session.plugin.loaded) return Fail(session, u"no plug-in is loaded");
        UnloadPlugin(session, 0);
        return Succeed(session);
    }
    if (text::EqualNoCase(option.name, u"/l")) {
        if (session.plugin.loaded) return Fail(session, u"the plug-in is already loaded");
        std::u16string_view path = WithoutQuotes(TrimBlanksView(option.rest));
        std::u16string chosen = path.empty() ? session.pluginPath : std::u16string(path);
        session.script.lastResult =
            LoadPluginLibrary(session, chosen) == LoadOutcome::Loaded ? 0 : 1;
        return;
    }
    if (text::EqualNoCase(option.name, u"/exports")) return CheckExports(session);
    Fail(session, u"plugin needs /u, /l [PATH] or /exports");
}

void Help(Session& session, std::u16string_view rest) {
    std::u16string name(TrimBlanksView(rest));
    const PluginSlot& plugin = session.plugin;
    session.script.lastResult =
        plugin.loaded && plugin.help != nullptr ? plugin.help(AsHost(name.c_str())) : 0;
}

void Usage(Session& session, std::u16string_view rest) {
    std::u16string name(TrimBlanksView(rest));
    const PluginSlot& plugin = session.plugin;
    if (plugin.loaded && plugin.usage != nullptr) {
        auto text = std::make_unique<char16_t[]>(kUsageCapacity);
        if (plugin.usage(AsHost(name.c_str()), AsHost(text.get())) != 0) {
            text[kUsageCapacity - 1] = 0;
            WriteOut(session, text.get());
            return Succeed(session);
        }
    }
    Fail(session, u"no usage text for " + Quoted(name));
}

// Prints a text file (UTF-8) as it is.
void Type(Session& session, std::u16string_view rest) {
    std::u16string_view given = WithoutQuotes(TrimBlanksView(rest));
    if (given.empty()) return Fail(session, u"type needs a FILE");
    std::string bytes;
    if (ReadFileBytes(std::u16string(given), bytes) != FileRead::Read)
        return Fail(session, u"cannot read " + Quoted(given));
    WriteOut(session, text::FromUtf8(bytes));
    Succeed(session);
}

// Prints what the plug-in's `_clver$` export answers.
void Clver(Session& session, std::u16string_view /*rest*/) {
    const PluginSlot& plugin = session.plugin;
    void* symbol =
        plugin.loaded ? plugin.binding.find(plugin.binding.context, kClverSymbol) : nullptr;
    if (symbol == nullptr) return Fail(session, u"the plug-in has no _clver$ export");
    auto text = std::make_unique<char16_t[]>(kUsageCapacity);
    text[0] = 0;
    int result = reinterpret_cast<FeatureExport>(symbol)(AsHost(text.get()));
    text[kUsageCapacity - 1] = 0;
    WriteOut(session, std::u16string(text.get()) + u"\r\n");
    session.script.lastResult = result;
}

void PluginCommand(Session& session, std::u16string_view name, std::u16string_view rest) {
    FeatureEntry feature = FindFeature(session.plugin, FeatureKind::Command, name);
    switch (feature.lookup) {
    case FeatureLookup::Found:
        session.script.lastResult = CallFeatureExport(feature.entry, SkipBlanks(rest)).result;
        return;
    case FeatureLookup::ExportMissing:
        return Fail(
            session,
            u"the plug-in announces " + Quoted(feature.announced) + u" but has no export " +
                Quoted(std::u16string(feature.exportName.begin(), feature.exportName.end())));
    case FeatureLookup::NotAnnounced:
        break;
    }
    Fail(session, u"unknown command " + Quoted(name));
}

struct BuiltIn {
    std::u16string_view name;
    void (*run)(Session&, std::u16string_view rest);
};

constexpr BuiltIn kBuiltIns[] = {
    {u"echo", Echo},   {u"set", Set},     {u"unset", Unset},   {u"exit", Exit},
    {u"quit", Quit},   {u"goto", Goto},   {u"plugin", Plugin}, {u"help", Help},
    {u"usage", Usage}, {u"clver", Clver}, {u"type", Type},
};

} // namespace

void RunCommandText(Session& session, std::u16string_view expanded) {
    CommandLine command = SplitCommand(expanded);
    if (command.name.empty()) return;
    // "echo." prints what follows the dot: an empty line when nothing does.
    if (command.name.size() >= 5 && text::EqualNoCase(command.name.substr(0, 5), u"echo.")) {
        std::u16string line(command.name.substr(5));
        line += command.rest;
        line += u"\r\n";
        WriteOut(session, line);
        return Succeed(session);
    }
    for (const BuiltIn& builtIn : kBuiltIns) {
        if (text::EqualNoCase(command.name, builtIn.name))
            return builtIn.run(session, command.rest);
    }
    PluginCommand(session, command.name, command.rest);
}

} // namespace host
