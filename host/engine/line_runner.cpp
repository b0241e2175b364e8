// Running one command line.
#include "engine/line_runner.h"

#include "engine/export_check.h"

#include "engine/expand.h"
#include "engine/feature_call.h"
#include "engine/plugin_loader.h"
#include "frame/text/u16.h"

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

bool IsComment(std::u16string_view line) {
    return line.substr(0, 2) == u"::" || text::EqualNoCase(SplitCommand(line).name, u"rem");
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
    // Only the separator goes: further blanks are part of the text.
    if (!rest.empty()) rest.remove_prefix(1);
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

void Exit(Session& session, std::u16string_view rest) {
    rest = TrimBlanksView(rest);
    int status = session.script.lastResult;
    if (!rest.empty() && !ParseStatus(rest, status))
        return Fail(session, u"exit needs a number, not " + Quoted(rest));
    session.script.lastResult = status;
    session.script.exitStatus = status;
    session.script.exitRequested = true;
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
        std::u16string_view path = TrimBlanksView(option.rest);
        if (path.size() >= 2 && path.front() == u'"' && path.back() == u'"')
            path = path.substr(1, path.size() - 2);
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
    {u"echo", Echo},     {u"set", Set},   {u"unset", Unset}, {u"exit", Exit},
    {u"plugin", Plugin}, {u"help", Help}, {u"usage", Usage}, {u"clver", Clver},
};

} // namespace

void RunLine(Session& session, std::u16string_view line) {
    if (line.size() > kMaxTextUnits) {
        return Fail(session, u"line too long (more than " + DecimalText(kMaxTextUnits) +
                                 u" characters): not run");
    }
    std::u16string_view body = SkipBlanks(line);
    if (!body.empty() && body.front() == u'@') body = SkipBlanks(body.substr(1));
    if (body.empty() || IsComment(body)) return;

    std::u16string expanded;
    ExpandResult expansion = ExpandText(session, body, expanded);
    if (expansion.fault != ExpandFault::None) {
        if (expansion.fault == ExpandFault::TooLong)
            HostMessage(session, u"expanded line too long (more than " +
                                     DecimalText(kMaxTextUnits) + u" characters): not run");
        session.script.lastResult = expansion.code;
        return;
    }

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
