// Running scripts: batch files, script text, and lines from standard input.
#include "engine/script_runner.h"

#include "engine/line_runner.h"
#include "engine/stdin_lines.h"
#include "frame/text/u16.h"

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

void RunScriptText(Session& session, std::string_view utf8, const std::u16string& fullPath,
                   const std::vector<std::u16string>& args) {
    ScriptState& script = session.script;
    ScriptState outer = script; // the batch state to return to
    script.inBatch = true;
    script.batchName = fullPath;
    script.args = args;

    std::vector<std::u16string> lines = SplitScriptLines(utf8);
    for (size_t i = 0; i < lines.size() && !script.exitRequested; ++i) {
        script.batchLine = int(i + 1);
        RunLine(session, lines[i]);
    }

    script.inBatch = outer.inBatch;
    script.batchName = outer.batchName;
    script.batchLine = outer.batchLine;
    script.args = outer.args;
}

bool ReadScriptFile(Session& session, const std::u16string& given, std::u16string& fullPath,
                    std::string& content) {
    fullPath.assign(kHostPathCapacity, u'\0');
    uint32_t length = sys::FullPathName(given.c_str(), fullPath.data(), kHostPathCapacity);
    if (length == 0 || length >= uint32_t(kHostPathCapacity))
        fullPath = given;
    else
        fullPath.resize(length);

    char* bytes = nullptr;
    size_t size = 0;
    if (!sys::ReadWholeFile(fullPath.c_str(), &bytes, &size)) {
        HostMessage(session, u"cannot read the script \"" + given + u"\"");
        session.script.lastResult = 1;
        return false;
    }
    content.clear();
    if (bytes != nullptr) {
        content.assign(bytes, size);
        sys::FreeFileBytes(bytes);
    }
    return true;
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
        RunLine(session, text::FromUtf8(bytes));
    }
}

} // namespace host
