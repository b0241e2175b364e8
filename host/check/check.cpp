// plughost --check: runs script tests, of folders or one by one, and compares them with their
// transcripts.
#include "check/check.h"

#include "builtins/host_functions.h"
#include "check/check_needs.h"
#include "check/check_transcript.h"
#include "check/suite.h"
#include "check/suite_files.h"
#include "frame/host_services.h"
#include "runner/script_runner.h"
#include "session/files.h"
#include "text/u16.h"

#include <string_view>

namespace host {

namespace {

struct Tally {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
};

void ReportLine(Session& session, std::string_view utf8) {
    WriteOut(session, text::FromUtf8(utf8) + u"\r\n");
}

// FOLDER/NAME, with the separator the folder is written with.
std::u16string PathInFolder(const std::u16string& folder, const std::u16string& name) {
    if (folder.back() == u'/' || folder.back() == u'\\') return folder + name;
    const bool backslashes =
        folder.find(u'\\') != std::u16string::npos && folder.find(u'/') == std::u16string::npos;
    return folder + (backslashes ? u"\\" : u"/") + name;
}

// One transcript of a script: the file's suffix, and the one a wide-handle build reads first.
struct Transcript {
    std::u16string_view suffix;
    std::u16string_view wideSuffix;
};

// The expected text of a transcript of the script BASE.btm. `label` names the file compared with
// (".out", ".x64.out"); false, with `problem` set, when a file that is there cannot be read.
bool ExpectedText(const std::u16string& base, const Transcript& transcript, std::string& bytes,
                  std::string& label, std::string& problem) {
    if (kWideHandleBuild) {
        label = text::ToUtf8(transcript.wideSuffix);
        FileRead read = ReadFileBytes(base + std::u16string(transcript.wideSuffix), bytes);
        if (read == FileRead::Read) {
            bytes = WithVersion(bytes);
            return true;
        }
        if (read == FileRead::Failed) {
            problem = "cannot read " + label;
            return false;
        }
    }
    label = text::ToUtf8(transcript.suffix);
    if (ReadFileBytes(base + std::u16string(transcript.suffix), bytes) == FileRead::Failed) {
        problem = "cannot read " + label;
        return false;
    }
    bytes = WithVersion(bytes);
    if (kWideHandleBuild) bytes = AsWideTranscript(bytes);
    return true;
}

// The status in BASE.rc (0 when there is none); false, with `problem` set, when it holds no
// number.
bool ExpectedStatus(const std::u16string& base, long long& status, std::string& problem) {
    std::string bytes;
    status = 0;
    FileRead read = ReadFileBytes(base + u".rc", bytes);
    if (read == FileRead::Missing) return true;
    std::string_view digits = bytes;
    while (!digits.empty() && (digits.back() == '\n' || digits.back() == '\r' ||
                               digits.back() == ' ' || digits.back() == '\t'))
        digits.remove_suffix(1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    bool number = read == FileRead::Read && !digits.empty() && digits.size() <= 18;
    for (char c : digits) {
        if (c < '0' || c > '9') number = false;
        if (number) status = status * 10 + (c - '0');
    }
    if (!number) {
        problem = ".rc holds no status";
        return false;
    }
    if (negative) status = -status;
    return true;
}

bool PrintsHandles(const std::vector<std::u16string>& lines) {
    for (const std::u16string& line : lines)
        if (std::u16string_view(line).starts_with(u"rem handles")) return true;
    return false;
}

void Join(std::string& problems, std::string_view problem) {
    if (!problems.empty()) problems += "; ";
    problems += problem;
}

// Runs one script and compares it; an empty text when it passed, else what differs.
std::string CheckScript(Session& session, const std::u16string& script,
                        const std::vector<std::u16string>& lines,
                        const std::vector<std::string>& folderForms) {
    std::u16string out;
    std::u16string err;
    const int status = RunScriptAlone(session, script, out, err);
    sys::FlushStandardOutput(); // whatever a script wrote past its capture, before the report

    const std::u16string base = script.substr(0, script.size() - 4);
    const bool handles = PrintsHandles(lines);
    std::string problems;
    constexpr Transcript kOut{u".out", u".x64.out"};
    constexpr Transcript kErr{u".err", u".x64.err"};
    for (auto [transcript, text] : {std::pair{kOut, &out}, std::pair{kErr, &err}}) {
        std::string actual = ReplaceFolder(text::ToUtf8(*text), folderForms);
        if (handles) actual = MaskHandlesAndTimes(actual, kWideHandleBuild);
        std::string expected;
        std::string label;
        std::string problem;
        if (!ExpectedText(base, transcript, expected, label, problem)) {
            Join(problems, problem);
            continue;
        }
        const std::string difference = FirstDifference(expected, actual);
        if (!difference.empty()) Join(problems, label + " " + difference);
    }

    long long expectedStatus = 0;
    std::string problem;
    if (!ExpectedStatus(base, expectedStatus, problem))
        Join(problems, problem);
    else if ((expectedStatus & 255) != (status & 255))
        Join(problems, ".rc: expected " + std::to_string(expectedStatus) + ", actual " +
                           std::to_string(status));
    return problems;
}

void CheckFolder(Session& session, const std::u16string& folder,
                 const std::vector<std::u16string>& names, MachineNeeds& machine, Tally& tally) {
    const std::vector<std::string> forms =
        FolderForms(text::ToUtf8(folder), text::ToUtf8(FullPathOf(folder)));
    for (const std::u16string& name : names) {
        const std::u16string script = PathInFolder(folder, name);
        const std::string shown = text::ToUtf8(script);
        std::string content;
        if (ReadFileBytes(script, content) != FileRead::Read) {
            ReportLine(session, "FAILED " + shown + ": cannot read the script");
            ++tally.failed;
            continue;
        }
        const std::vector<std::u16string> lines = SplitScriptLines(content);
        std::u16string need;
        switch (machine.Check(DeclaredNeeds(lines), need)) {
        case MachineNeeds::Answer::Unknown:
            ReportLine(session, "FAILED " + shown + ": needs \"" + text::ToUtf8(need) +
                                    "\", which is no need this runner knows");
            ++tally.failed;
            continue;
        case MachineNeeds::Answer::Unmet:
            ReportLine(session, "skipped " + shown + ": needs " + text::ToUtf8(need));
            ++tally.skipped;
            continue;
        case MachineNeeds::Answer::Met:
            break;
        }
        const std::string problems = CheckScript(session, script, lines, forms);
        if (problems.empty()) {
            ++tally.passed;
        } else {
            ReportLine(session, "FAILED " + shown + ": " + problems);
            ++tally.failed;
        }
        sys::FlushStandardOutput();
    }
}

// A path that names a script rather than a folder: it ends in ".btm", in any case.
bool IsScriptPath(std::u16string_view path) {
    return path.size() > 4 && text::EqualNoCase(path.substr(path.size() - 4), u".btm");
}

} // namespace

int RunCheck(Session& session, const std::vector<std::u16string>& targets) {
    MachineNeeds machine;
    Tally tally;
    bool complete = true;
    for (const std::u16string& target : targets) {
        std::vector<std::u16string> names;
        if (IsScriptPath(target)) {
            // One script, judged in its own folder.
            std::u16string folder = PathPart(target);
            names.push_back(target.substr(folder.size()));
            if (folder.empty()) folder = u".";
            CheckFolder(session, folder, names, machine, tally);
        } else if (target.empty() || !ScriptNamesIn(target, names)) {
            HostMessage(session, u"cannot read the folder \"" + target + u"\"");
            complete = false;
        } else if (names.empty()) {
            HostMessage(session, u"no scripts (*.btm) in \"" + target + u"\"");
            complete = false;
        } else {
            CheckFolder(session, target, names, machine, tally);
        }
    }
    std::string summary =
        std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) + " failed";
    if (tally.skipped > 0) summary += ", " + std::to_string(tally.skipped) + " skipped";
    ReportLine(session, summary);
    return complete && tally.failed == 0 ? 0 : 1;
}

} // namespace host
