// Variable expansion.
#include "runner/expand.h"

#include "builtins/host_functions.h"
#include "language/words.h"
#include "plugin/feature_call.h"
#include "text/u16.h"

#include <optional>

namespace host {

namespace {

// Deeper nesting than this is refused rather than risking the stack.
constexpr int kMaxNesting = 200;

// How much of an offending text a message quotes.
constexpr size_t kQuoteUnits = 60;

bool IsNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'$';
}

// The "]" that closes the "[" at `open`, counting nested brackets; npos when there is none.
size_t MatchingBracket(std::u16string_view text, size_t open) {
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == u'[') {
            ++depth;
        } else if (text[i] == u']') {
            if (--depth == 0) return i;
        }
    }
    return std::u16string_view::npos;
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string quoted = u"\"";
    quoted += text.substr(0, kQuoteUnits);
    if (text.size() > kQuoteUnits) quoted += u"...";
    quoted += u"\"";
    return quoted;
}

std::optional<std::u16string> HostVariable(const Session& session, std::u16string_view name) {
    const ScriptState& script = session.script;
    auto flag = [](bool on) { return std::u16string(on ? u"1" : u"0"); };
    if (text::EqualNoCase(name, u"_?")) return DecimalText(script.lastResult);
    if (text::EqualNoCase(name, u"_batch")) return flag(script.inBatch);
    if (text::EqualNoCase(name, u"_batchname"))
        return script.inBatch ? script.batchName : std::u16string();
    // Outside a batch file there is no line: -1, as the real host gives.
    if (text::EqualNoCase(name, u"_batchline"))
        return DecimalText(script.inBatch ? script.batchLine : -1);
    if (text::EqualNoCase(name, u"_transient")) return flag(script.transient);
    if (text::EqualNoCase(name, u"_pipe")) return flag(script.pipe);
    if (text::EqualNoCase(name, u"_cmdproc")) {
        // Read on every use, so that a script can pose as another edition and reload.
        std::optional<std::u16string> chosen = ReadEnvironment(u"PLUGHOST_CMDPROC");
        return chosen && !chosen->empty() ? *chosen : std::u16string(u"TCC");
    }
    if (text::EqualNoCase(name, u"_cmdspec")) return HostProgramPath();
    return std::nullopt;
}

class Expander {
public:
    explicit Expander(Session& session) : session_(session) {}

    bool Expand(std::u16string_view text, std::u16string& out);
    bool Variable(std::u16string_view name, std::u16string& out);

    ExpandResult result;

private:
    bool Fail(ExpandFault fault, int code = 1) {
        result.fault = fault;
        result.code = code;
        return false;
    }
    bool Append(std::u16string& out, std::u16string_view piece) {
        if (piece.size() > kMaxTextUnits - out.size()) return Fail(ExpandFault::TooLong);
        out += piece;
        return true;
    }
    bool Function(std::u16string_view name, const std::u16string& args, std::u16string& out);
    bool CallExport(const FeatureEntry& feature, std::u16string_view argument, std::u16string& out);
    bool ReportMissingExport(const FeatureEntry& feature);
    std::u16string Argument(size_t index) const;
    std::u16string AllArguments() const;

    Session& session_;
    int depth_ = 0;
};

bool Expander::Expand(std::u16string_view text, std::u16string& out) {
    if (++depth_ > kMaxNesting) {
        HostMessage(session_, u"expansion nested too deeply in " + Quoted(text));
        return Fail(ExpandFault::Malformed);
    }
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{depth_};

    size_t i = 0;
    while (i < text.size()) {
        size_t percent = text.find(u'%', i);
        if (percent == std::u16string_view::npos) return Append(out, text.substr(i));
        if (!Append(out, text.substr(i, percent - i))) return false;
        i = percent + 1;
        if (i == text.size()) return Append(out, u"%");
        char16_t c = text[i];

        if (c == u'%') {
            if (!Append(out, u"%")) return false;
            ++i;
        } else if (c == u'[') {
            size_t close = MatchingBracket(text, i);
            if (close == std::u16string_view::npos) {
                HostMessage(session_, u"missing \"]\" in " + Quoted(text.substr(percent)));
                return Fail(ExpandFault::Malformed);
            }
            std::u16string name;
            if (!Expand(text.substr(i + 1, close - i - 1), name)) return false;
            if (!Variable(TrimBlanksView(name), out)) return false;
            i = close + 1;
        } else if (c == u'@') {
            size_t nameEnd = i + 1;
            while (nameEnd < text.size() && IsNameChar(text[nameEnd])) ++nameEnd;
            if (nameEnd == i + 1 || nameEnd == text.size() || text[nameEnd] != u'[') {
                // Not a function call: the text stands as it is.
                if (!Append(out, u"%")) return false;
                continue;
            }
            size_t close = MatchingBracket(text, nameEnd);
            if (close == std::u16string_view::npos) {
                HostMessage(session_, u"missing \"]\" in " + Quoted(text.substr(percent)));
                return Fail(ExpandFault::Malformed);
            }
            std::u16string args;
            if (!Expand(text.substr(nameEnd + 1, close - nameEnd - 1), args)) return false;
            if (!Function(text.substr(i + 1, nameEnd - i - 1), args, out)) return false;
            i = close + 1;
        } else if (c >= u'0' && c <= u'9') {
            if (!Append(out, Argument(size_t(c - u'0')))) return false;
            ++i;
        } else if (c == u'*') {
            if (!Append(out, AllArguments())) return false;
            ++i;
        } else if (IsNameChar(c)) {
            size_t end = i;
            while (end < text.size() && IsNameChar(text[end])) ++end;
            // %_? is the one name with a character that names cannot otherwise hold.
            if (end == i + 1 && c == u'_' && end < text.size() && text[end] == u'?') ++end;
            std::u16string_view name = text.substr(i, end - i);
            if (end < text.size() && text[end] == u'%') ++end; // the %name% form
            if (!Variable(name, out)) return false;
            i = end;
        } else {
            // A lone percent sign stands for itself.
            if (!Append(out, u"%")) return false;
        }
    }
    return true;
}

bool Expander::Variable(std::u16string_view name, std::u16string& out) {
    if (std::optional<std::u16string> value = HostVariable(session_, name))
        return Append(out, *value);
    FeatureEntry feature = FindFeature(session_.plugin, FeatureKind::Variable, name);
    if (feature.lookup == FeatureLookup::ExportMissing) return ReportMissingExport(feature);
    if (feature.lookup == FeatureLookup::Found) return CallExport(feature, u"", out);
    if (name.empty()) return true;
    std::optional<std::u16string> value = ReadEnvironment(name);
    return value ? Append(out, *value) : true;
}

bool Expander::Function(std::u16string_view name, const std::u16string& args, std::u16string& out) {
    if (const HostFunction* function = FindHostFunction(name)) {
        std::u16string text;
        std::u16string refusal;
        if (function->run(args, text, refusal)) return Append(out, text);
        std::u16string message(u"@");
        message += function->name;
        message += u": " + refusal + u" in " + Quoted(args);
        HostMessage(session_, message);
        return Fail(ExpandFault::HostFunctionFailed);
    }
    FeatureEntry feature = FindFeature(session_.plugin, FeatureKind::Function, name);
    if (feature.lookup == FeatureLookup::ExportMissing) return ReportMissingExport(feature);
    if (feature.lookup == FeatureLookup::Found) return CallExport(feature, args, out);
    HostMessage(session_, u"unknown function \"@" + std::u16string(name) + u"\"");
    return Fail(ExpandFault::UnknownFunction);
}

bool Expander::CallExport(const FeatureEntry& feature, std::u16string_view argument,
                          std::u16string& out) {
    FeatureCall call = CallFeatureExport(feature.entry, argument);
    if (call.result != 0) return Fail(ExpandFault::FeatureFailed, call.result);
    if (!call.fits) {
        HostMessage(session_,
                    u"the result of \"" + feature.announced + u"\" overran the host's buffer");
        return Fail(ExpandFault::TooLong);
    }
    return Append(out, call.text);
}

bool Expander::ReportMissingExport(const FeatureEntry& feature) {
    std::u16string exportName(feature.exportName.begin(), feature.exportName.end());
    HostMessage(session_, u"the plug-in announces \"" + feature.announced +
                              u"\" but has no export \"" + exportName + u"\"");
    return Fail(ExpandFault::ExportMissing);
}

std::u16string Expander::Argument(size_t index) const {
    const auto& args = session_.script.args;
    return index < args.size() ? args[index] : std::u16string();
}

std::u16string Expander::AllArguments() const {
    const auto& args = session_.script.args;
    std::u16string all;
    for (size_t i = 1; i < args.size(); ++i) {
        if (i > 1) all += u' ';
        all += args[i];
    }
    return all;
}

} // namespace

ExpandResult ExpandText(Session& session, std::u16string_view text, std::u16string& out) {
    Expander expander(session);
    out.clear();
    expander.Expand(text, out);
    return expander.result;
}

ExpandResult VariableValue(Session& session, std::u16string_view name, std::u16string& out) {
    Expander expander(session);
    out.clear();
    expander.Variable(name, out);
    return expander.result;
}

} // namespace host
